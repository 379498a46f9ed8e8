// Keeps Trussmill working without a network once the page has been opened: the files of the site
// are kept at installation and served from there. Anything else of the same site (a bridge a
// teacher's link opens) comes from the network when it can, and is kept for the next time it
// cannot. A new build has another version and replaces what was kept.
const CACHE = 'trussmill-@TRUSSMILL_SITE_VERSION@';
const SITE_FILES = ['./', @TRUSSMILL_SITE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SITE_FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((keys) => Promise.all(keys.filter((key) => key.startsWith('trussmill-') && key !== CACHE)
                                                      .map((key) => caches.delete(key))))
                      .then(() => self.clients.claim()));
});

// A file of the site, named relative to the folder the worker serves.
function isSiteFile(url) {
  const scope = new URL(self.registration.scope).pathname;
  const path = url.pathname.startsWith(scope) ? url.pathname.slice(scope.length) : null;
  return path === '' || SITE_FILES.includes(path);
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    // The page itself, whatever its address asks for (?open=...), is a file of the site.
    const navigation = request.mode === 'navigate';
    const kept = await cache.match(request, {ignoreSearch: navigation});
    if (kept && (navigation || isSiteFile(url))) return kept;
    try {
      const response = await fetch(request);
      if (response.ok) cache.put(request, response.clone());
      return response;
    } catch (error) {
      if (kept) return kept;
      throw error;
    }
  }));
});
