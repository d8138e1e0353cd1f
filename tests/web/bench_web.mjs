// The web version's benchmark figures, in headless Chromium with software WebGL: the time from
// navigation to the first drawn title frame, and the time to draw a frame in the middle of a
// game and with the blur, from demos watched with ?bench, whole (the GPU's work waited for) and
// the page's own share (before the wait); and the same frames drawn back to back without the
// browser showing them (?bench=unpaced), as the desktop's frame benchmark draws them. Prints one
// JSON object. RENDERER is swiftshader (Chromium's own software WebGL, as the tests use) or
// llvmpipe (Mesa's, the desktop game's rasteriser, through ANGLE's EGL backend), so that the
// page can be set beside the desktop on the same rasteriser. A phone's frame is the golden demo's
// in Chromium's emulation of a phone held sideways, its CPU slowed four times.
//   node bench_web.mjs BASE_URL MIDGAME_DEMO BLUR_DEMO [RUNS] [RENDERER]
import path from "node:path";
import {createRequire} from "node:module";

const require = createRequire(path.join(process.cwd(), "package.json"));
const puppeteer = require("puppeteer-core");
const [base, midGameDemo, blurDemo, runsText, renderer = "swiftshader"] = process.argv.slice(2);
const runs = Number(runsText || 5);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor(sorted.length / 2)] : NaN;
};

const browser = await puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required",
         ...(renderer === "llvmpipe"
                 ? ["--use-gl=angle", "--use-angle=gl-egl", "--ignore-gpu-blocklist"]
                 : ["--use-angle=swiftshader", "--enable-unsafe-swiftshader"])],
});

async function firstFrame() {
  const page = await browser.newPage();
  await page.goto(`${base}/?bench`, {waitUntil: "load"});
  await page.waitForFunction(() => window.kelvado && window.kelvado.kelvado.firstFrameTime,
                             {timeout: 30000, polling: 20});
  const time = await page.evaluate(() => window.kelvado.kelvado.firstFrameTime);
  await page.close();
  return time;
}

// The frames of a watched demo; `last` keeps only the last ones of its game.
async function demoFrames(demo, last, mode = "", phone = false) {
  const page = await browser.newPage();
  if (phone) {
    await page.setViewport({width: 844, height: 390, isMobile: true, hasTouch: true,
                            deviceScaleFactor: 3});
    await (await page.createCDPSession()).send("Emulation.setCPUThrottlingRate", {rate: 4});
  }
  await page.goto(`${base}/?bench${mode}&demo=${demo}`, {waitUntil: "load"});
  await page.waitForFunction(() => document.getElementById("outcome").textContent !== "",
                             {timeout: 600000, polling: 100});
  const {frames, cpuFrames} = await page.evaluate(() => window.kelvado.kelvado.bench);
  await page.close();
  // The first frames warm the caches; the few after the outcome appeared are of the end pause.
  const keep = (list) => (last ? list.slice(-last - 10, -10) : list.slice(40, -10));
  return {frames: keep(frames), cpu: keep(cpuFrames)};
}

// The rasteriser asked for, or nothing measured under another one's name.
{
  const page = await browser.newPage();
  await page.goto(`${base}/`, {waitUntil: "load"});
  const name = await page.evaluate(() => {
    const gl = document.createElement("canvas").getContext("webgl2");
    const info = gl && gl.getExtension("WEBGL_debug_renderer_info");
    return info ? gl.getParameter(info.UNMASKED_RENDERER_WEBGL) : "";
  });
  await page.close();
  if (!name.toLowerCase().includes(renderer)) {
    await browser.close();
    console.error(`bench_web: asked for ${renderer}, the page draws with "${name}"`);
    process.exit(1);
  }
}

const first = [];
for (let i = 0; i < runs; i++) first.push(await firstFrame());
const midGame = await demoFrames(midGameDemo, 0);
const blur = await demoFrames(blurDemo, 200);
const midGameUnpaced = await demoFrames(midGameDemo, 0, "=unpaced");
const blurUnpaced = await demoFrames(blurDemo, 200, "=unpaced");
const phone = await demoFrames(midGameDemo, 0, "", true);
await browser.close();
console.log(JSON.stringify({
  firstFrameMs: median(first),
  midGameFrameMs: median(midGame.frames),
  midGameOwnMs: median(midGame.cpu),
  blurFrameMs: median(blur.frames),
  blurOwnMs: median(blur.cpu),
  midGameUnpacedMs: median(midGameUnpaced.frames),
  blurUnpacedMs: median(blurUnpaced.frames),
  phoneMidGameFrameMs: median(phone.frames),
  phoneMidGameOwnMs: median(phone.cpu),
  midGameFrames: midGame.frames.length,
  blurFrames: blur.frames.length,
}));
