// The touch controls. Once the page is touched it takes the phone's layout (touch.css, under
// html.touch) and shows its buttons beside or below the picture, never over it. On the picture,
// a touch on the title is Enter and, in a game, a touch held on its left or right half is the
// arrow key held; Leave is Esc. They reach the game as those keys, through the page's key path,
// so that demos record them as typed keys. The name entry's Up, Down, Add, Erase and Store are a
// controller's buttons instead (the screen pad, read with the real pads by
// platform/web/web_controllers.cpp), so that the controller's own picker stores the name.

// The screen pad's buttons, as the controller's inputs (platform/controller.h).
const kPadA = 0, kPadB = 1, kPadStart = 3, kPadUp = 4, kPadDown = 5;
const kPicker = [["Up", kPadUp], ["Down", kPadDown], ["Add", kPadA], ["Erase", kPadB],
                 ["Store", kPadStart]];
// What the screen shows (kelvado_mode in web/shell.cpp).
const kTitle = 0, kPlaying = 1;

const state = {
  sendKey: null,   // the page's key path: sendKey(code, down)
  game: null,
  held: 0,      // the screen pad's buttons held now
  pressed: 0,   // and those pressed since the game last read them, so that no tap is lost
  keyHolders: new Map(),  // key code -> how many touches hold it
  touchKeys: new Map(),   // pointer id -> the key code its touch holds
  enterSince: 0,          // when a touch on the title last pressed Enter
};

// The screen pad as the game reads it once a pass.
export function screenPad() {
  const buttons = state.held | state.pressed;
  state.pressed = 0;
  return buttons;
}

// The game's name entry began or ended: the picker is shown for it.
export function textEntry(on) {
  document.documentElement.classList.toggle("typing", on);
}

function holdKey(code) {
  const holders = state.keyHolders.get(code) || 0;
  state.keyHolders.set(code, holders + 1);
  if (holders === 0) state.sendKey(code, true);
}

function releaseKey(code) {
  const holders = state.keyHolders.get(code) || 0;
  if (holders === 0) return;
  state.keyHolders.set(code, holders - 1);
  if (holders === 1) state.sendKey(code, false);
}

function touched() {
  document.documentElement.classList.add("touch");
}

function button(label, down, up) {
  const element = document.createElement("button");
  element.type = "button";
  element.textContent = label;
  element.addEventListener("pointerdown", (event) => {
    event.preventDefault();  // the canvas keeps the keyboard
    element.setPointerCapture(event.pointerId);
    element.classList.add("held");
    down();
  });
  const letGo = () => {
    if (!element.classList.contains("held")) return;
    element.classList.remove("held");
    up();
  };
  element.addEventListener("pointerup", letGo);
  element.addEventListener("pointercancel", letGo);
  return element;
}

function padButton(label, input) {
  const bit = 1 << input;
  return button(label, () => {
    state.held |= bit;
    state.pressed |= bit;
  }, () => {
    state.held &= ~bit;
  });
}

// Full screen with the controls, in landscape where the browser lets the page ask for it.
async function fullScreen(status) {
  try {
    if (document.fullscreenElement) {
      await document.exitFullscreen();
      return;
    }
    await document.documentElement.requestFullscreen({navigationUI: "hide"});
    if (screen.orientation && screen.orientation.lock) {
      await screen.orientation.lock("landscape").catch(() => {});
    }
  } catch (error) {
    status(`Full screen was refused: ${error.message}`);
  }
}

// The key a touch at clientX holds on the picture now, or null for none.
function keyAt(canvas, clientX, starting) {
  const mode = state.game ? state.game._kelvado_mode() : null;
  if (mode === kTitle) return starting ? "Enter" : null;
  if (mode !== kPlaying) return null;
  const box = canvas.getBoundingClientRect();
  return clientX < box.left + box.width / 2 ? "ArrowLeft" : "ArrowRight";
}

// The game takes one key message a pass and starts from the title only in a step that sees
// Enter down. A quick tap during a slow frame would bring its press and its release in two
// passes, the first perhaps without a step, and be lost, so the tap's Enter is held this long.
const kTitleTapMs = 250;

function watchPicture(canvas) {
  const end = (event) => {
    const code = state.touchKeys.get(event.pointerId);
    if (code === undefined) return;
    state.touchKeys.delete(event.pointerId);
    const early = code === "Enter" ? kTitleTapMs - (performance.now() - state.enterSince) : 0;
    if (early > 0) setTimeout(() => releaseKey(code), early);
    else if (code) releaseKey(code);
  };
  canvas.addEventListener("pointerdown", (event) => {
    if (event.pointerType === "mouse") return;
    event.preventDefault();
    canvas.setPointerCapture(event.pointerId);
    const code = keyAt(canvas, event.clientX, true);
    state.touchKeys.set(event.pointerId, code);
    if (code === "Enter") state.enterSince = performance.now();
    if (code) holdKey(code);
  });
  // A finger moved across the middle steers the other way; Enter stays until it lifts.
  canvas.addEventListener("pointermove", (event) => {
    const code = state.touchKeys.get(event.pointerId);
    if (code === undefined || code === "Enter") return;
    const now = keyAt(canvas, event.clientX, false);
    if (now === code) return;
    state.touchKeys.set(event.pointerId, now);
    if (code) releaseKey(code);
    if (now) holdKey(now);
  });
  canvas.addEventListener("pointerup", end);
  canvas.addEventListener("pointercancel", end);
}

// sendKey(code, down) is the page's key path, by KeyboardEvent.code; status(text) its status line.
export function startTouch(sendKey, status) {
  state.sendKey = sendKey;
  const canvas = document.getElementById("canvas");
  const main = document.querySelector("main");

  const left = document.createElement("div");
  left.id = "touch-left";
  left.className = "touch-controls";
  left.append(button("Leave", () => holdKey("Escape"), () => releaseKey("Escape")));
  const full = document.createElement("button");
  full.type = "button";
  full.textContent = "Full screen";
  full.addEventListener("click", () => fullScreen(status));
  // A tap straight after a finger slid over the picture can bring no click: the browser takes
  // it for the end of that swipe. So a touch lifted on the button asks itself, and the click it
  // may still bring is cancelled.
  full.addEventListener("touchend", (event) => {
    const touch = event.changedTouches[0];
    if (!full.contains(document.elementFromPoint(touch.clientX, touch.clientY))) return;
    event.preventDefault();
    fullScreen(status);
  });
  left.append(full);

  const right = document.createElement("div");
  right.id = "touch-right";
  right.className = "touch-controls";
  const picker = document.createElement("div");
  picker.id = "picker";
  for (const [label, input] of kPicker) picker.append(padButton(label, input));
  right.append(picker);
  main.append(left, right);

  watchPicture(canvas);
  addEventListener("touchstart", touched, {capture: true, passive: true});
  addEventListener("pointerdown", (event) => {
    if (event.pointerType === "touch" || event.pointerType === "pen") touched();
  }, {capture: true});
  // No long-press menu or selection over the game once it is played by touch.
  addEventListener("contextmenu", (event) => {
    if (document.documentElement.classList.contains("touch")) event.preventDefault();
  });
  // A touch lifted while the page was away lets go of what it held.
  addEventListener("blur", () => {
    for (const [id, code] of state.touchKeys) {
      state.touchKeys.delete(id);
      if (code) releaseKey(code);
    }
    state.held = 0;
  });
}

// The game, once it runs: what its screen shows decides what a touch on the picture is.
export function attachGame(game) {
  state.game = game;
}
