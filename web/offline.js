// The page's side of playing offline (the worker is sw.js): registers the worker, and on a
// visit after the first takes up a new build before the game starts, by reloading the page
// once the new build's files are all stored, so that the page is never made of two builds.
const kUpdateCheckMs = 3000;
const kInstallMs = 120000;

const within = (promise, ms) => Promise.race([
  promise, new Promise((resolve, reject) => setTimeout(() => reject(new Error("timed out")), ms)),
]);

function installed(worker) {
  return new Promise((resolve) => {
    const settle = () => {
      if (worker.state === "installed" || worker.state === "activated") resolve(true);
      if (worker.state === "redundant") resolve(false);
    };
    worker.addEventListener("statechange", settle);
    settle();
  });
}

// Resolves when the game may start with the files this page came with; a page that takes up
// a new build is reloaded instead and never resolves. status(text) is the page's status line.
export async function keepOffline(status) {
  const workers = navigator.serviceWorker;
  if (!workers) return;
  let registration;
  try {
    registration = await workers.register("sw.js");
  } catch (error) {
    console.warn(`kelvado: the site is not kept for playing offline: ${error.message}`);
    return;
  }
  // A first visit's files came from the network, of the build the worker now stores.
  if (!workers.controller) return;
  try {
    await within(registration.update(), kUpdateCheckMs);
  } catch (error) {
    return;  // offline, or the site unreachable: the stored build plays
  }
  const next = registration.installing || registration.waiting;
  if (!next) return;
  status("A new version of Kelvado is being stored for playing offline.");
  try {
    if (!(await within(installed(next), kInstallMs))) {
      status("");
      return;
    }
  } catch (error) {
    status("");
    return;
  }
  const taken = new Promise((resolve) => workers.addEventListener("controllerchange", resolve,
                                                                  {once: true}));
  next.postMessage("take-over");
  await within(taken, kUpdateCheckMs).catch(() => {});
  location.reload();
  await new Promise(() => {});
}
