// The page around the game: fetches the data files, keeps the records in IndexedDB, hands the
// page's key events to the game, shows the game's message boxes, and offers the table and the
// demos for download and upload.
import {ChiptuneJsPlayer} from "./chiptune3.js";
import createKelvado from "./kelvado-game.js";
import {keepOffline} from "./offline.js";
import {attachGame, screenPad, startTouch, textEntry} from "./touch.js";

const kDataFiles = [
  "texture.bmp", "matohanta.bmp", "puutexture.bmp", "valo.bmp", "font1.bmp", "font1mask.bmp",
  "art_matopaa.bmp", "art_matopaamask.bmp", "alku.bmp", "sky.bmp", "Kv_play.xm", "plop.wav",
];
const kGameDir = "/game";
const kWatchKey = "kelvado-watch";
const $ = (id) => document.getElementById(id);
const canvas = $("canvas");

function status(text) {
  $("status").textContent = text;
}

// --- Records: hiscore.dat and demos/, kept in IndexedDB --------------------------------------
const records = {
  db: null,
  pending: new Set(),
  warned: false,
};

function isRecord(path) {
  return path === "hiscore.dat" || /^demos\/[^/]+\.demo$/.test(path);
}

function warnStorage(error) {
  if (records.warned) return;
  records.warned = true;
  console.warn(`kelvado: the browser did not keep the records: ${error}`);
}

function openRecords() {
  return new Promise((resolve) => {
    let request;
    try {
      request = indexedDB.open("kelvado", 1);
    } catch (error) {
      warnStorage(error);
      resolve(null);
      return;
    }
    request.onupgradeneeded = () => request.result.createObjectStore("records");
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => {
      warnStorage(request.error);
      resolve(null);
    };
  });
}

function readAllRecords(db) {
  return new Promise((resolve) => {
    if (!db) {
      resolve([]);
      return;
    }
    const found = [];
    const request = db.transaction("records").objectStore("records").openCursor();
    request.onsuccess = () => {
      const cursor = request.result;
      if (!cursor) {
        resolve(found);
        return;
      }
      found.push([cursor.key, cursor.value]);
      cursor.continue();
    };
    request.onerror = () => {
      warnStorage(request.error);
      resolve(found);
    };
  });
}

function changeRecord(path, bytes) {
  if (!records.db) return;
  const done = new Promise((resolve) => {
    try {
      const transaction = records.db.transaction("records", "readwrite");
      const store = transaction.objectStore("records");
      if (bytes) {
        store.put(bytes, path);
      } else {
        store.delete(path);
      }
      transaction.oncomplete = () => resolve();
      transaction.onerror = transaction.onabort = () => {
        warnStorage(transaction.error);
        resolve();
      };
    } catch (error) {
      warnStorage(error);
      resolve();
    }
  });
  records.pending.add(done);
  done.then(() => records.pending.delete(done));
}

// The game replaces its files by writing a temporary file and renaming it, and deletes demos
// that have left the table; each finished rename or delete of a record is mirrored.
function mirrorRecords(FS) {
  // The calls see paths as the game gave them, relative to its directory or not.
  const relative = (path) => {
    const absolute = path.startsWith("/") ? path : `${FS.cwd()}/${path}`;
    return absolute.startsWith(kGameDir + "/") ? absolute.slice(kGameDir.length + 1) : null;
  };
  const rename = FS.rename;
  FS.rename = (from, to) => {
    rename.call(FS, from, to);
    const source = relative(from);
    const target = relative(to);
    if (isRecord(source)) changeRecord(source, null);
    if (isRecord(target)) changeRecord(target, FS.readFile(to));
  };
  const unlink = FS.unlink;
  FS.unlink = (path) => {
    unlink.call(FS, path);
    const name = relative(path);
    if (isRecord(name)) changeRecord(name, null);
  };
}

// --- Keys ---------------------------------------------------------------------------------------
// The game (platform/web/web_events.cpp) maps the browser's names of a key to its own keys and
// keeps their state; the page only hands every key over, once the game can take it.
const keys = {
  game: null,  // the running game, between its start and its end
};

// Every key press and release reaches the game through here: `code` is the key's
// KeyboardEvent.code (its position), `key` its KeyboardEvent.key (what the layout types on it),
// `repeat` whether the press is a held key's repeat. True when the key is one of the game's.
function sendKey(down, code, key, repeat) {
  const game = keys.game;
  if (!game) return false;
  const names = game._kelvado_key_names();
  const bytes = game._kelvado_key_name_bytes();
  game.stringToUTF8(code || "", names, bytes);
  game.stringToUTF8(key || "", names + bytes, bytes);
  return game._kelvado_key(down ? 1 : 0, repeat ? 1 : 0) !== 0;
}

function releaseAllKeys() {
  if (keys.game) keys.game._kelvado_keys_released();
}

function isFormControl(target) {
  return target instanceof HTMLElement && /^(INPUT|BUTTON|SELECT|TEXTAREA|LABEL)$/.test(target.tagName);
}

addEventListener("keydown", (event) => {
  if ($("message").open || isFormControl(event.target)) return;
  if (!sendKey(true, event.code, event.key, event.repeat)) return;
  // The page must not scroll or go back; the browser's own shortcuts keep working.
  const browserKey = event.ctrlKey || event.metaKey || event.altKey || /^F[0-9]+$/.test(event.code);
  if (!browserKey) event.preventDefault();
});

addEventListener("keyup", (event) => sendKey(false, event.code, event.key, false));

addEventListener("blur", releaseAllKeys);

// --- Message boxes --------------------------------------------------------------------------
function showMessage(caption, text, yesNo) {
  const dialog = $("message");
  $("message-caption").textContent = caption;
  $("message-text").textContent = text;
  const buttons = $("message-buttons");
  buttons.replaceChildren();
  const answers = yesNo ? [["Yes", 6], ["No", 7]] : [["OK", 1]];
  for (const [label, answer] of answers) {
    const button = document.createElement("button");
    button.textContent = label;
    button.value = String(answer);
    buttons.append(button);
  }
  return new Promise((resolve) => {
    dialog.returnValue = "";
    dialog.addEventListener("close", () => {
      canvas.focus();
      // Esc, or closed without a button: No for a question, OK for a message.
      resolve(+dialog.returnValue || (yesNo ? 7 : 1));
    }, {once: true});
    dialog.showModal();
    buttons.firstChild.focus();
  });
}

// --- Files of the player ----------------------------------------------------------------------
function download(module, path, name) {
  let bytes;
  try {
    bytes = module.FS.readFile(`${kGameDir}/${path}`);
  } catch (error) {
    status(`There is no ${path} yet.`);
    return;
  }
  const link = document.createElement("a");
  link.href = URL.createObjectURL(new Blob([bytes], {type: "application/octet-stream"}));
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  canvas.focus();
}

function toBase64(bytes) {
  let text = "";
  for (let i = 0; i < bytes.length; i += 0x8000) {
    text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  }
  return btoa(text);
}

function fromBase64(text) {
  return Uint8Array.from(atob(text), (c) => c.charCodeAt(0));
}

// A demo to watch is handed over the reload, so that it starts a fresh game as --demo does.
function watchDemo(bytes) {
  sessionStorage.setItem(kWatchKey, toBase64(bytes));
  const url = new URL(location.href);
  url.searchParams.delete("demo");
  location.replace(url);
}

async function demoToWatch() {
  const kept = sessionStorage.getItem(kWatchKey);
  if (kept !== null) {
    sessionStorage.removeItem(kWatchKey);
    return fromBase64(kept);
  }
  const param = new URL(location.href).searchParams.get("demo");
  if (!param) return null;
  const url = new URL(param, location.href);
  if (url.origin !== location.origin) {
    status("A demo is watched only from this site.");
    return null;
  }
  const response = await fetch(url);
  if (!response.ok) {
    status(`The demo ${param} could not be fetched (${response.status}).`);
    return null;
  }
  return new Uint8Array(await response.arrayBuffer());
}

// --- Start --------------------------------------------------------------------------------------
async function fetchData() {
  return Promise.all(kDataFiles.map(async (name) => {
    try {
      const response = await fetch(name);
      if (!response.ok) return [name, null];
      return [name, new Uint8Array(await response.arrayBuffer())];
    } catch (error) {
      return [name, null];
    }
  }));
}

async function start() {
  await keepOffline(status);  // a new build is taken up before anything of this one is fetched
  const [data, db, watched] = await Promise.all([fetchData(), openRecords(), demoToWatch()]);
  records.db = db;
  const kept = await readAllRecords(db);
  const args = watched ? ["--demo", "watch.demo"] : [];
  const benchMode = new URL(location.href).searchParams.get("bench");

  const module = {
    canvas,
    arguments: args,
    print: (line) => console.log(line),
    printErr: (line) => console.error(line),
    kelvado: {
      showMessage,
      recordsStored: () => Promise.all([...records.pending]),
      ChiptuneJsPlayer,
      screenPad,
      textEntry,
      // ?bench: each frame's drawing time is kept, for scripts/bench.sh. ?bench=unpaced draws
      // the frames back to back without the browser showing them, as the desktop's frame
      // benchmark does, so that the page's drawing can be told from the browser's compositing.
      bench: benchMode !== null
        ? {frames: [], cpuFrames: [], pixel: new Uint8Array(4), unpaced: benchMode === "unpaced"}
        : null,
    },
    preRun: [(m) => {
      const FS = m.FS;
      FS.mkdir(kGameDir);
      FS.mkdir(`${kGameDir}/demos`);
      // A data file missing from the site is missing for the game too.
      for (const [name, bytes] of data) if (bytes) FS.writeFile(`${kGameDir}/${name}`, bytes);
      for (const [path, bytes] of kept) if (isRecord(path)) FS.writeFile(`${kGameDir}/${path}`, bytes);
      if (watched) FS.writeFile(`${kGameDir}/watch.demo`, watched);
      FS.chdir(kGameDir);
      mirrorRecords(FS);
    }],
    onRuntimeInitialized: () => {
      keys.game = module;
    },
    onExit: () => {
      keys.game = null;
      clearInterval(outcomeTimer);
      showOutcome();
      $("ended").hidden = false;
    },
  };
  let game = null;
  const showOutcome = () => {
    if (!game || !watched) return;
    const text = game.UTF8ToString(game._kelvado_watched_outcome());
    if (text) $("outcome").textContent = text;
  };
  const outcomeTimer = setInterval(showOutcome, 100);
  game = await createKelvado(module);
  window.kelvado = game;  // for the console and the browser tests
  attachGame(game);

  $("download-table").onclick = () => download(game, "hiscore.dat", "hiscore.dat");
  $("download-demo").onclick = () => download(game, "demos/last.demo", "last.demo");
  $("import-table").onchange = async (event) => {
    const file = event.target.files[0];
    event.target.value = "";
    if (!file) return;
    const path = "/tmp/imported-hiscore.dat";  // where kelvado_import_table reads it
    game.FS.writeFile(path, new Uint8Array(await file.arrayBuffer()));
    // Called directly: with Asyncify, ccall would wait for the game's own loop to end.
    const result = game._kelvado_import_table();
    game.FS.unlink(path);
    if (result === 1) {
      await Promise.all([...records.pending]);
      location.reload();
    } else {
      releaseAllKeys();
      await showMessage("Import", result === 0
        ? `${file.name} is not a high-score table that can be read. Nothing was changed.`
        : "The table could not be saved. Nothing was changed.", false);
    }
  };
  $("watch-demo").onchange = async (event) => {
    const file = event.target.files[0];
    if (file) watchDemo(new Uint8Array(await file.arrayBuffer()));
  };
}

$("fullscreen").onclick = () => {
  $("screen").requestFullscreen().catch((error) => status(`Full screen was refused: ${error.message}`));
  canvas.focus();
};

const playAgain = () => {
  const url = new URL(location.href);
  url.searchParams.delete("demo");
  location.replace(url);
};
$("ended").onclick = playAgain;
addEventListener("keydown", (event) => {
  if (!$("ended").hidden && event.key === "Enter") playAgain();
});

// Dropping a demo anywhere on the page watches it.
addEventListener("dragover", (event) => event.preventDefault());
addEventListener("drop", async (event) => {
  event.preventDefault();
  const file = event.dataTransfer.files[0];
  if (file) watchDemo(new Uint8Array(await file.arrayBuffer()));
});

// A tab closed during a game keeps its demo, as a closed window does.
addEventListener("pagehide", () => {
  if (window.kelvado) window.kelvado._kelvado_page_closing();
});

// The canvas keeps the keyboard: whatever of the page was used, the keys go back to the game.
canvas.addEventListener("pointerdown", () => canvas.focus());
for (const control of document.querySelectorAll("nav button, nav input")) {
  control.addEventListener(control.tagName === "INPUT" ? "change" : "click", () => canvas.focus());
}
// The touch controls hand their keys over as the keyboard's are, by the key's code.
startTouch((code, down) => sendKey(down, code, code, false), status);
start().catch((error) => {
  console.error(error);
  status(`Kelvado could not start: ${error.message || error}`);
});
