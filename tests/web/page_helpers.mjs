// What the browser tests share: the browsers, their checks, and driving the page as a player
// would.
import path from "node:path";
import {createRequire} from "node:module";

// puppeteer-core is the web folder's, installed from its lockfile.
const require = createRequire(path.join(process.cwd(), "package.json"));
const puppeteer = require("puppeteer-core");
export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let failures = 0;
export function check(ok, what) {
  console.log(`${ok ? "ok" : "FAIL"}: ${what}`);
  if (!ok) failures++;
  return ok;
}
export const failureCount = () => failures;

// A fresh context of ENGINE (chromium | firefox), saving downloads into DOWNLOADS when given;
// context.browser().close() ends it. Sound waits for the first key in both, as for a player.
export async function launchBrowser(engine, downloads) {
  let browser;
  if (engine === "chromium") {
    // Headless with software WebGL. Without DISPLAY: one naming a screen that has gone away
    // leaves it with no GL context at all.
    const env = {...process.env};
    delete env.DISPLAY;
    browser = await puppeteer.launch({
      executablePath: "/usr/bin/chromium",
      headless: true,
      env,
      args: ["--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
             "--disable-background-networking", "--disable-component-update", "--no-first-run"],
    });
  } else if (engine === "firefox") {
    // Headless Firefox has no WebGL here: it gets a window on the X screen in DISPLAY.
    if (!process.env.DISPLAY) throw new Error("Firefox needs an X screen in DISPLAY");
    browser = await puppeteer.launch({
      browser: "firefox",
      executablePath: "/usr/bin/firefox-esr",
      headless: false,
      extraPrefsFirefox: {
        // With no sound device an AudioContext never starts, resumed or not: a mock one runs.
        "media.cubeb.force_mock_context": true,
        // And, as in Chromium, no sound before the page's first key or click.
        "media.autoplay.default": 1,
        "media.autoplay.block-webaudio": true,
      },
    });
  } else {
    throw new Error(`no engine ${engine}: chromium or firefox`);
  }
  try {
    return await browser.createBrowserContext(
        downloads ? {downloadBehavior: {policy: "allow", downloadPath: downloads}} : {});
  } catch (error) {
    await browser.close();
    throw error;
  }
}

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

// A new page in the browser context, its console kept in page.consoleLines, once its game has
// started; prepare(page), when given, runs before the page is loaded.
export async function openGame(context, url, prepare) {
  const page = await context.newPage();
  page.consoleLines = [];
  page.on("console", (message) => page.consoleLines.push(message.text()));
  page.on("pageerror", (error) => page.consoleLines.push(`pageerror: ${error.message}`));
  if (prepare) await prepare(page);
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
  return nameStoredFirst(page, name);
}

// Waits for the name to head the game's table.
export const nameStoredFirst = (page, name) => waitFor(page, (typed) => {
  try {
    return new TextDecoder().decode(window.kelvado.FS.readFile("/game/hiscore.dat"))
        .startsWith(`${typed}\r\n`);
  } catch (error) {
    return false;
  }
}, 5000, `${name} to be stored`, name);
