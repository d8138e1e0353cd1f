// The site kept for playing offline. The first visit stores every file of this build in a cache
// of the build's own; a later build's worker stores all of its files in a cache of its own, and
// only once that is complete does it delete the old one. Requests are answered from the build's
// own cache, so that a page never mixes two builds. The records, in IndexedDB, are never touched.
// web/stamp-site.sh writes the build's id and its files below.
const kBuild = "unstamped";
const kFiles = [];
// Caches belong to the whole origin, where other copies of the site may be kept in other folders.
const kPrefix = `kelvado ${self.registration.scope} `;
const kCache = kPrefix + kBuild;

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(kCache);
    try {
      // Past the browser's HTTP cache, which may still hold an older build's files.
      await cache.addAll(kFiles.map((file) => new Request(file, {cache: "no-cache"})));
    } catch (error) {
      await caches.delete(kCache);
      throw error;
    }
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(kPrefix) && name !== kCache) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// A page that found this build waiting asks for it before it starts (web/offline.js).
self.addEventListener("message", (event) => {
  if (event.data === "take-over") self.skipWaiting();
});

self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(kCache);
    // The page's address carries its options (?demo=, ?bench): the page is the same file.
    const kept = await cache.match(request, {ignoreSearch: true});
    return kept || fetch(request);
  })());
});
