// What the browser tests share: their checks, and driving the page as a player would.
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let failures = 0;
export function check(ok, what) {
  console.log(`${ok ? "ok" : "FAIL"}: ${what}`);
  if (!ok) failures++;
  return ok;
}
export const failureCount = () => failures;

export async function waitFor(page, predicate, ms, what, ...args) {
  try {
    await page.waitForFunction(predicate, {timeout: ms, polling: 100}, ...args);
    return true;
  } catch (error) {
    check(false, `waited ${ms} ms for ${what}`);
    return false;
  }
}

export async function hold(page, key, ms) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

export const readFile = (page, file) => page.evaluate((f) => {
  try {
    return new TextDecoder().decode(window.kelvado.FS.readFile(f));
  } catch (error) {
    return null;
  }
}, file);

// A new page of the browser, its console kept in page.consoleLines, once its game has started.
export async function openGame(browser, url) {
  const page = await browser.newPage();
  page.consoleLines = [];
  page.on("console", (message) => page.consoleLines.push(message.text()));
  page.on("pageerror", (error) => page.consoleLines.push(`pageerror: ${error.message}`));
  await page.goto(url, {waitUntil: "load"});
  await waitFor(page, () => window.kelvado && window.kelvado.FS, 20000, "the game to start");
  return page;
}

// A game steered into the tree ring, the name typed and stored at the top of the table.
export async function playAndStoreName(page, name) {
  await page.focus("#canvas");
  await hold(page, "Enter", 200);
  await hold(page, "ArrowLeft", 400);
  await waitFor(page, () => window.kelvado.FS.analyzePath("/game/demos/last.demo").exists, 40000,
                "the game to end");
  await sleep(500);
  for (const key of name) await hold(page, key, 80);
  await sleep(200);
  await hold(page, "Enter", 200);
  return waitFor(page, (typed) => {
    try {
      return new TextDecoder().decode(window.kelvado.FS.readFile("/game/hiscore.dat"))
          .startsWith(`${typed}\r\n`);
    } catch (error) {
      return false;
    }
  }, 5000, "the name to be stored", name);
}
