// Keeps Trussmill working without a network once the page has been opened: the files of the site
// (the program, the page, the icons and the sample bridges; the help is inside the program) are
// kept at installation and served from there. Anything else of the same site (a bridge a teacher's
// link opens) comes from the network when it can, and the last few such files are kept for the
// next time it cannot. A new build has another version; it takes over only once no page runs the
// old one, so that a page never mixes the files of two builds.
const CACHE = 'trussmill-@TRUSSMILL_SITE_VERSION@';
const EXTRAS = 'trussmill-extras';
const EXTRAS_KEPT = 20;
const SITE_FILES = ['./', @TRUSSMILL_SITE_FILES@];

self.addEventListener('install', (event) => {
  // From the network, past the browser's own cache, which may still hold files of another build.
  event.waitUntil(caches.open(CACHE).then(
      (cache) => cache.addAll(SITE_FILES.map((file) => new Request(file, {cache: 'reload'})))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
                      .then((keys) => Promise.all(
                                keys.filter((key) => key.startsWith('trussmill-') && key !== CACHE && key !== EXTRAS)
                                    .map((key) => caches.delete(key))))
                      .then(() => self.clients.claim()));
});

// A file of the site, named relative to the folder the worker serves.
function isSiteFile(url) {
  const scope = new URL(self.registration.scope).pathname;
  const path = url.pathname.startsWith(scope) ? url.pathname.slice(scope.length) : null;
  return path === '' || SITE_FILES.includes(path);
}

// Keeps a copy of a file that is not the site's, and only the newest few of them.
async function keepExtra(request, response) {
  const extras = await caches.open(EXTRAS);
  await extras.put(request, response);
  const kept = await extras.keys();
  await Promise.all(kept.slice(0, Math.max(0, kept.length - EXTRAS_KEPT)).map((old) => extras.delete(old)));
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  const url = new URL(request.url);
  if (request.method !== 'GET' || url.origin !== self.location.origin) return;
  // The page itself, whatever its address asks for (?open=...), is a file of the site. The other
  // pages and the API of a contest server that serves the site are always the server's own.
  const navigation = request.mode === 'navigate';
  if (isSiteFile(url)) {
    event.respondWith(caches.open(CACHE).then(async (cache) => {
      const kept = await cache.match(request, {ignoreSearch: navigation});
      return kept || fetch(request);
    }));
    return;
  }
  if (navigation || url.pathname.startsWith(new URL(self.registration.scope).pathname + 'api/')) return;
  event.respondWith((async () => {
    try {
      const response = await fetch(request);
      if (response.ok) event.waitUntil(keepExtra(request, response.clone()));
      return response;
    } catch (error) {
      const kept = await caches.match(request, {cacheName: EXTRAS});
      if (kept) return kept;
      throw error;
    }
  })());
});
