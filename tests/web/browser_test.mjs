// The web version in a browser engine (chromium | firefox), driven as a player would drive it.
// Reads ranked.dat and not-a-table.dat from OUT and writes what the shell script compares with
// the desktop game into OUT/ENGINE: title.png, last.demo, outcome.txt, demo-end.png and
// nomusic.png.
//   node browser_test.mjs ENGINE BASE_URL OUT
import fs from "node:fs";
import path from "node:path";
import {check, failureCount, hold, launchBrowser, openGame, playAndStoreName, readFile, sleep,
        waitFor} from "./page_helpers.mjs";

const [engine, base, inputs] = process.argv.slice(2);
const out = path.join(inputs, engine);
fs.mkdirSync(out, {recursive: true});
const context = await launchBrowser(engine, out);
console.log(`the page in ${engine}:`);

let current = null;  // the page in use: its console is shown when something fails
async function open(url) {
  current = await openGame(context, url);
  return current;
}

try {
  // Sound waits for the first key of a fresh page; the game runs silent until then. Nothing
  // is asked of the page before its audio starts: puppeteer's calls count as user gestures.
  let page = await context.newPage();
  await page.goto(`${base}/game/`, {waitUntil: "load"});
  await sleep(4000);
  const audioState = () => page.evaluate(() => window.kelvado.kelvadoAudio &&
                                               window.kelvado.kelvadoAudio.context.state);
  const before = await audioState();
  check(before === "suspended", `no sound before the first key (${before})`);
  await page.focus("#canvas");
  await hold(page, "Shift", 100);
  await sleep(300);
  check(await audioState() === "running", "the audio context runs after the first key");
  // Esc on the title quits, as on the desktop; the page then offers a new start.
  await hold(page, "Escape", 150);
  await waitFor(page, () => !document.getElementById("ended").hidden, 10000, "the game to quit");
  await page.close();

  // A table is brought in through the page; the game restarts on it.
  page = await open(`${base}/game/`);
  const input = await page.$("#import-table");
  const reloaded = page.waitForNavigation({waitUntil: "load"});
  await input.uploadFile(path.join(inputs, "ranked.dat"));
  await reloaded;
  await waitFor(page, () => window.kelvado && window.kelvado.FS, 20000, "the game after the import");
  check((await readFile(page, "/game/hiscore.dat") || "").startsWith("P1\r\n-1\r\n"),
        "the imported table is the game's hiscore.dat");
  await sleep(2500);
  await (await page.$("#canvas")).screenshot({path: path.join(out, "title.png")});

  // The game: steered, ended in the tree ring, a name typed and stored.
  await playAndStoreName(page, "WEB");

  // The last demo, through the page's download button, saved into OUT/ENGINE.
  await page.click("#download-demo");
  for (let i = 0; i < 50 && !fs.existsSync(path.join(out, "last.demo")); i++) await sleep(100);
  check(fs.existsSync(path.join(out, "last.demo")), "#download-demo saves demos/last.demo");

  // The table survives a reload: it lives in IndexedDB.
  await page.reload({waitUntil: "load"});
  await waitFor(page, () => window.kelvado && window.kelvado.FS, 20000, "the game after a reload");
  check((await readFile(page, "/game/hiscore.dat") || "").startsWith("WEB\r\n"),
        "the stored name is there after a reload");

  // A file that is no table is refused with a message, and nothing changes.
  await (await page.$("#import-table")).uploadFile(path.join(inputs, "not-a-table.dat"));
  await waitFor(page, () => document.getElementById("message").open, 5000, "the refusal");
  check(/not a high-score table/.test(await page.$eval("#message-text", (e) => e.textContent)),
        "a file that is no table is refused with a message");
  await page.click("#message-buttons button");
  check((await readFile(page, "/game/hiscore.dat") || "").startsWith("WEB\r\n"),
        "the refused file changed nothing");

  await page.close();

  // A demo of the desktop game, watched to its end.
  page = await open(`${base}/game/?demo=golden.demo`);
  if (await waitFor(page, () => document.getElementById("outcome").textContent !== "", 120000,
                    "the watched demo to end")) {
    fs.writeFileSync(path.join(out, "outcome.txt"), await page.$eval("#outcome", (e) => e.textContent));
    // The ended game stays in view, still, until the watching ends.
    await sleep(300);
    await (await page.$("#canvas")).screenshot({path: path.join(out, "demo-end.png")});
  }
  await page.close();

  // A data file missing from the site: the desktop game's message, in the page, and the game
  // goes on to its title.
  page = await open(`${base}/nomusic/`);
  if (await waitFor(page, () => document.getElementById("message").open, 10000, "the message")) {
    check(await page.$eval("#message-caption", (e) => e.textContent) === "Error" &&
          await page.$eval("#message-text", (e) => e.textContent) ===
          "Error loading music, File couldn't opened", "the missing music gives its message");
    await page.click("#message-buttons button");
    await sleep(1500);
    await (await page.$("#canvas")).screenshot({path: path.join(out, "nomusic.png")});
  }
  check(page.consoleLines.some((l) => l.includes("Error loading music, File couldn't opened")),
        "the message is also on the console");
  await page.close();
} catch (error) {
  check(false, `the browser test stopped: ${error.stack || error}`);
  if (current) console.log(`--- the page's console:\n${current.consoleLines.join("\n")}`);
} finally {
  await context.browser().close();
}
process.exit(failureCount() ? 1 : 0);
