// The shared board in the page, in headless Chromium: served by kelvado-board the page shows
// the board, offers #submit after a game whose name was stored, sends nothing before the click,
// and the entry's Watch link plays it; served without a board it shows neither. Reads OUT's
// ranked.dat, the table browser.sh writes for the other test, and writes the
// entry's demo (board.demo) and how the watched game ended (board-outcome.txt) into OUT for the
// shell script to compare with kelvado-sim.
//   node board_test.mjs BOARD_URL PLAIN_URL OUT
import fs from "node:fs";
import path from "node:path";
import {check, failureCount, launchBrowser, openGame, playAndStoreName, sleep, waitFor} from
  "./page_helpers.mjs";

const [boardBase, plainBase, out] = process.argv.slice(2);
const context = await launchBrowser("chromium");
let current = null;
function shown(id) {
  const e = document.getElementById(id);
  return e !== null && !e.hidden;
}

try {
  // Without a board: neither part, and nothing asked of a board but the one look.
  current = await openGame(context, `${plainBase}/`);
  await sleep(2000);
  check(await current.evaluate(() => !document.getElementById("board") &&
                                     !document.getElementById("submit")),
        "served without a board, the page shows neither #board nor #submit");
  await current.close();

  const page = current = await openGame(context, `${boardBase}/`);
  // The table every score enters (the one the other browser test brings in).
  const reloaded = page.waitForNavigation({waitUntil: "load"});
  await (await page.$("#import-table")).uploadFile(path.join(out, "ranked.dat"));
  await reloaded;
  await waitFor(page, () => window.kelvado && window.kelvado.FS, 20000, "the game after the import");
  const posts = [];
  page.on("request", (request) => {
    if (request.method() !== "GET") posts.push(`${request.method()} ${request.url()}`);
  });
  await waitFor(page, shown, 10000, "#board", "board");
  check(/No games/.test(await page.$eval("#board", (e) => e.textContent)), "an empty board");
  check(await page.$eval("#submit", (e) => e.hidden), "no #submit before a game");

  await playAndStoreName(page, "WEB");
  await waitFor(page, shown, 5000, "#submit after the name was stored", "submit");
  await sleep(1000);
  check(posts.length === 0, `nothing is sent before the click (${posts.join(", ")})`);
  await page.click("#submit button");
  await waitFor(page, () => /rank 1/.test(document.querySelector("#submit output").textContent),
                10000, "the board's answer");
  check(posts.length === 1 && posts[0].endsWith("/api/demos"), `one submission (${posts})`);
  await waitFor(page, () => /WEB/.test(document.getElementById("board").textContent), 5000,
                "the entry on the board");
  const href = await page.$eval("#board tbody tr a", (a) => a.getAttribute("href"));
  check(/^\/\?demo=\/api\/demos\/\d+$/.test(href), `the Watch link (${href})`);
  const response = await fetch(new URL(href.replace(/^.*demo=/, ""), boardBase));
  const demo = await response.text();
  fs.writeFileSync(path.join(out, "board.demo"), demo);
  check(demo === await page.evaluate(() => new TextDecoder().decode(
      window.kelvado.FS.readFile("/game/demos/last.demo"))), "the board keeps the sent demo");

  await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#board tbody tr a")]);
  if (await waitFor(page, () => document.getElementById("outcome").textContent !== "", 120000,
                    "the watched entry to end")) {
    fs.writeFileSync(path.join(out, "board-outcome.txt"),
                     await page.$eval("#outcome", (e) => e.textContent));
  }
} catch (error) {
  check(false, `the board test stopped: ${error.stack || error}`);
  if (current) console.log(`--- the page's console:\n${current.consoleLines.join("\n")}`);
} finally {
  await context.browser().close();
}
process.exit(failureCount() ? 1 : 0);
