// The page without a keyboard: on a phone's touch screen in landscape and in portrait, with a
// game pad, and offline after one visit, then taking up a rebuilt site. Serves its own copy of
// SITE, so that it can stop answering and rebuild it. Writes the demos that the shell script
// verifies natively into OUT: touch.demo and pad.demo.
//   node phone_test.mjs ENGINE SITE OUT STAMP TABLE
// ENGINE: chromium or firefox; STAMP: web/stamp-site.sh, which rebuilds the stamp; TABLE: a
// table that any game enters.
import {execFileSync} from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import {check, failureCount, launchBrowser, nameStoredFirst, openGame, readFile, sleep,
        waitFor} from "./page_helpers.mjs";

const [engine, siteDir, out, stamp, table] = process.argv.slice(2);
const chromium = engine === "chromium";
// What the screen shows (kelvado_mode in web/shell.cpp).
const kPlaying = 1, kNameEntry = 2;

// --- The site, served from a copy the test may change or stop serving ---------------------------
const site = path.join(out, "site");
fs.rmSync(site, {recursive: true, force: true});
fs.cpSync(siteDir, site, {recursive: true, dereference: true});
const kTypes = {".html": "text/html", ".js": "text/javascript", ".css": "text/css",
                ".wasm": "application/wasm", ".webmanifest": "application/manifest+json",
                ".svg": "image/svg+xml", ".png": "image/png"};
const missing = [];  // every request for a file of the site it could not answer
const server = http.createServer((request, response) => {
  const name = decodeURIComponent(new URL(request.url, "http://x").pathname).slice(1) || "index.html";
  const file = path.join(site, path.normalize(name));
  if (!file.startsWith(site + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
    if (!name.startsWith("api/")) missing.push(name);  // a static host has no board
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, {"Content-Type": kTypes[path.extname(file)] || "application/octet-stream"});
  response.end(fs.readFileSync(file));
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const base = `http://127.0.0.1:${server.address().port}`;

const browser = (await launchBrowser(engine)).browser();

let current = null;  // the page in use: its console is shown when something fails
async function gameStarted(page) {
  return waitFor(page, () => window.kelvado && window.kelvado.FS && window.kelvado.kelvado.firstFrameTime,
                 30000, "the game to start");
}

// The game in a page of its own browser profile (its own table, offline copy and worker), in
// the viewport given, beforeLoad run in every document before the page's own scripts. It is
// opened on TABLE, brought in as a player would, so that the next game ends in the name entry
// whatever it scores.
async function openOnTable(viewport, beforeLoad) {
  const context = await browser.createBrowserContext();
  const page = current = await openGame(context, `${base}/`, async (p) => {
    if (viewport) await p.setViewport(viewport);
    if (beforeLoad) await p.evaluateOnNewDocument(beforeLoad);
  });
  await gameStarted(page);
  const reloaded = page.waitForNavigation({waitUntil: "load"});
  await (await page.$("#import-table")).uploadFile(table);
  await reloaded;
  await gameStarted(page);
  return page;
}
const waitForMode = (page, wanted, ms, what) =>
  waitFor(page, (m) => window.kelvado._kelvado_mode() === m, ms, what, wanted);

// The box of an element in the viewport's pixels.
const box = (page, selector) => page.$eval(selector, (e) => {
  const r = e.getBoundingClientRect();
  return {left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height};
});
const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;

// A finger held at (x, y) for ms, as the touch screen reports it.
async function touchHeld(page, x, y, ms) {
  const touch = await page.touchscreen.touchStart(x, y);
  await sleep(ms);
  await touch.end();
}

async function tapButton(page, label) {
  const [button] = await page.$$(`xpath/.//div[contains(@class,"touch-controls")]//button[text()="${label}"]`);
  if (!check(button !== undefined, `the touch button ${label}`)) return;
  await button.tap();
  await sleep(120);  // a few frames: the game reads one press a pass
}

// The layout for the viewport: the picture 4:3, inside the screen, as large as fits beside
// (landscape) or above (portrait) the controls, none of which covers it.
async function checkLayout(page, portrait) {
  const size = await page.evaluate(() => [innerWidth, innerHeight]);
  await page.screenshot({path: path.join(out, `touch-${size[0]}x${size[1]}.png`)});
  const picture = await box(page, "#canvas");
  const within = (b) => b.left >= -0.5 && b.top >= -0.5 && b.right <= size[0] + 0.5 &&
                        b.bottom <= size[1] + 0.5;
  check(within(picture) && Math.abs(picture.width / picture.height - 4 / 3) < 0.01,
        `the picture is 4:3 and on the screen (${picture.width}x${picture.height} in ${size})`);
  const sides = [await box(page, "#touch-left"), await box(page, "#touch-right")];
  for (const [i, b] of sides.entries()) {
    check(b.width > 0 && within(b) && !overlaps(b, picture) && (!portrait || b.top >= picture.bottom - 0.5),
          `${i ? "#touch-right" : "#touch-left"} is on the screen, ${portrait ? "below" : "beside"} the picture`);
  }
  // As large as fits: across the screen in portrait; in landscape, its full height or all the
  // room between the controls.
  const room = sides[1].left - sides[0].right;
  check(portrait ? picture.width >= size[0] - 1
                 : picture.height >= size[1] * 0.95 || picture.width >= room - 1,
        `the picture is as large as fits (${picture.width}x${picture.height})`);
  // A swipe over the picture moves nothing.
  const x = Math.round(picture.left + picture.width / 2);
  const touch = await page.touchscreen.touchStart(x, Math.round(picture.bottom - 10));
  for (let y = picture.bottom - 10; y > picture.top + 10; y -= 20) await touch.move(x, Math.round(y));
  await touch.end();
  const scroll = await page.evaluate(() => [scrollX, scrollY, document.documentElement.scrollHeight,
                                            document.documentElement.scrollWidth]);
  check(scroll[0] === 0 && scroll[1] === 0 && scroll[2] <= size[1] && scroll[3] <= size[0],
        `the page does not scroll (${scroll})`);
}

// The demo the game kept last, checked to hold the given key's steps, into OUT.
async function keepDemo(page, name, key) {
  const demo = await readFile(page, "/game/demos/last.demo");
  check(demo !== null && new RegExp(`^step \\d+ ${key}$`, "m").test(demo),
        `the ${name} has "step N ${key}" lines`);
  if (demo !== null) fs.writeFileSync(path.join(out, name), demo);
}

// Firefox over WebDriver BiDi sizes the view but emulates no phone: its touches are the
// touch screen's pointer events all the same.
// A game played by touch alone: a tap on the title, the picture's left half held, and the name
// "A9" picked (A, then Down to the last character) and stored. duringGame runs as it starts.
async function playByTouch(page, duringGame) {
  let picture = await box(page, "#canvas");
  await touchHeld(page, picture.left + picture.width / 2, picture.top + picture.height / 2, 80);
  check(await waitForMode(page, kPlaying, 3000, "a tap to start a game"), "a tap on the title starts a game");
  if (duringGame) await duringGame();
  picture = await box(page, "#canvas");
  await touchHeld(page, picture.left + picture.width * 0.2, picture.top + picture.height / 2, 400);
  await waitForMode(page, kNameEntry, 40000, "the game to end");
  check(await page.$eval("#picker", (e) => getComputedStyle(e).display) !== "none",
        "the picker is shown for the name");
  for (const label of ["Add", "Down", "Add", "Store"]) await tapButton(page, label);
  return nameStoredFirst(page, "A9");
}

const phone = chromium ? {width: 844, height: 390, isMobile: true, hasTouch: true, deviceScaleFactor: 1}
                       : {width: 844, height: 390};

try {
  // --- A phone: tapped, steered by holding the picture's left half, a name picked and stored ---
  let page = await openOnTable(phone);
  check(await page.$eval("#touch-left", (e) => getComputedStyle(e).display) === "none",
        "no touch controls before the page is touched");
  check(await playByTouch(page, () => checkLayout(page, false)), "a name stored with the on-screen picker");
  await keepDemo(page, "touch.demo", "L");

  // Turned to portrait: the picture on top, the controls under it; another game, left by Leave.
  await page.setViewport({...phone, width: 390, height: 844});
  await sleep(300);
  const picture = await box(page, "#canvas");
  await touchHeld(page, picture.left + picture.width / 2, picture.top + picture.height / 2, 80);
  check(await waitForMode(page, kPlaying, 3000, "a tap to start a game"), "a tap starts a game in portrait");
  await checkLayout(page, true);
  // A tablet, on its side.
  await page.setViewport({...phone, width: 1024, height: 768});
  await sleep(300);
  await checkLayout(page, false);
  // Full screen, asked for by a tap straight after the layout check's swipe over the picture (as
  // after steering), and left again.
  await tapButton(page, "Full screen");
  const taken = await waitFor(page, () => document.fullscreenElement === document.documentElement,
                              3000, "full screen");
  check(taken, `the Full screen button takes the screen, controls and all (the page says ` +
               `"${await page.$eval("#status", (e) => e.textContent)}")`);
  await tapButton(page, "Full screen");
  await waitFor(page, () => document.fullscreenElement === null, 3000, "full screen to end");
  await tapButton(page, "Leave");
  check(await waitFor(page, () => window.kelvado._kelvado_mode() !== 1, 3000, "Leave"),
        "Leave leaves the game");
  await page.browserContext().close();

  // --- A pad (standard mapping): Start starts, the D-pad steers, the picker stores, B leaves ---
  page = await openOnTable(null, () => {
    const buttons = Array.from({length: 17}, () => ({pressed: false, touched: false, value: 0}));
    window.testPad = {id: "test pad", index: 0, connected: true, mapping: "standard", timestamp: 0,
                      axes: [0, 0, 0, 0], buttons};
    window.testPadPlugged = true;
    Object.defineProperty(Navigator.prototype, "getGamepads", {
      value: () => [window.testPadPlugged ? window.testPad : null, null, null, null],
    });
  });
  const press = (button, down) => page.evaluate((b, d) => {
    window.testPad.buttons[b].pressed = d;
    window.testPad.buttons[b].value = d ? 1 : 0;
  }, button, down);
  // The pads are read once a frame: a press is held for a few of the game's frames at least,
  // however slowly the machine draws them.
  const frames = (count) => page.evaluate((n) => new Promise((resolve) => {
    const next = () => (n-- > 0 ? requestAnimationFrame(next) : resolve());
    next();
  }), count);
  const pressFor = async (button, ms) => {
    await press(button, true);
    await sleep(ms);
    await frames(3);
    await press(button, false);
    await frames(3);
  };
  await pressFor(9, 150);  // Start
  check(await waitForMode(page, kPlaying, 3000, "Start"), "the pad's Start starts a game");
  // The D-pad's left held, and the pad unplugged while it holds it: the worm goes straight on
  // to the trees, and nothing of the pad stays held.
  await press(14, true);
  await sleep(400);
  await frames(3);
  await page.evaluate(() => { window.testPadPlugged = false; });
  await frames(3);
  await press(14, false);
  await waitForMode(page, kNameEntry, 40000, "the game to end");
  await page.evaluate(() => { window.testPadPlugged = true; });
  await frames(3);
  await pressFor(12, 100);  // Up: B
  await pressFor(0, 100);   // A
  await pressFor(0, 100);
  await pressFor(9, 150);   // Start stores
  check(await nameStoredFirst(page, "BB"), "a name stored with the pad's picker");
  await keepDemo(page, "pad.demo", "L");
  const steps = ((await readFile(page, "/game/demos/last.demo")) || "").match(/^step \d+ \S+$/gm) || [];
  check(steps.length > 2 && / -$/.test(steps[steps.length - 1]),
        `a pad unplugged lets go of what it held (the demo ends "${steps[steps.length - 1]}")`);
  await pressFor(9, 150);
  check(await waitForMode(page, kPlaying, 3000, "Start"), "the pad starts another game");
  await pressFor(1, 150);   // B
  check(await waitFor(page, () => window.kelvado._kelvado_mode() !== 1, 3000, "B"),
        "the pad's B leaves the game");
  await page.browserContext().close();

  // --- Offline: after one visit, the site gone, a reload plays; then a rebuilt site, whole ---
  page = await openOnTable(phone);
  check(await waitFor(page, () => navigator.serviceWorker.controller !== null, 30000,
                      "the site to be kept offline"), "the first visit keeps the site");
  check(missing.length === 0, `every file the page asked for is there (missing: ${missing})`);
  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  if (chromium) await page.setOfflineMode(true);
  await page.reload({waitUntil: "load"});
  check(await gameStarted(page), "offline, a reload shows the title");
  check(await playByTouch(page), "offline, a game is played by touch and its name stored");

  // A new build: one page and one style changed, stamped as the build stamps it.
  const indexFile = path.join(site, "index.html");
  fs.writeFileSync(indexFile, fs.readFileSync(indexFile, "utf8")
      .replace("<title>", '<meta name="kelvado-build" content="rebuilt">\n<title>'));
  fs.appendFileSync(path.join(site, "kelvado.css"), "/* rebuilt */\n");
  const build = execFileSync(stamp, [site]).toString().trim();
  if (chromium) await page.setOfflineMode(false);
  await new Promise((resolve) => server.listen(new URL(base).port, "127.0.0.1", resolve));
  await page.reload({waitUntil: "load"});
  check(await waitFor(page, () => document.querySelector('meta[name="kelvado-build"]') !== null,
                      30000, "the rebuilt page"), "the next visit online takes up the new build");
  await gameStarted(page);
  // Every file kept is the new build's, and one build is kept.
  const kept = await page.evaluate(async () => {
    const names = (await caches.keys()).filter((name) => name.startsWith("kelvado "));
    const files = {};
    if (names.length === 1) {
      const cache = await caches.open(names[0]);
      for (const request of await cache.keys()) {
        const bytes = new Uint8Array(await (await cache.match(request)).arrayBuffer());
        files[new URL(request.url).pathname.slice(1) || "index.html"] =
            Array.from(bytes.subarray(0, 1 << 16)).join(",") + `/${bytes.length}`;
      }
    }
    return {names, files};
  });
  check(kept.names.length === 1 && kept.names[0].endsWith(build),
        `one build kept, the new one (${kept.names})`);
  // The worker itself is kept by the browser, not in its cache.
  const siteFiles = fs.readdirSync(site).filter((name) => name !== "sw.js");
  const stale = siteFiles.filter((name) => {
    const bytes = fs.readFileSync(path.join(site, name));
    return kept.files[name] !== Array.from(bytes.subarray(0, 1 << 16)).join(",") + `/${bytes.length}`;
  });
  check(Object.keys(kept.files).length >= siteFiles.length && stale.length === 0,
        `every file kept is the new build's (${Object.keys(kept.files).length} kept; stale: ${stale})`);
  check((await readFile(page, "/game/hiscore.dat") || "").startsWith("A9\r\n"),
        "the table stored offline is there after the update");
  await page.browserContext().close();
} catch (error) {
  check(false, `the phone test stopped: ${error.stack || error}`);
  if (current) console.log(`--- the page's console:\n${current.consoleLines.join("\n")}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(failureCount() ? 1 : 0);
