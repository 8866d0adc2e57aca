// Brennow's service worker: once the page has been visited, the game plays
// with no network at all. Each build has a cache of its own, named by the
// build as the program's files are (?v=), so an old script never meets a
// new program; the caches of other builds are deleted once this one takes
// over.
const BUILD = '@BRENNOW_BUILD@';
const CACHE = `brennow-${BUILD}`;
const PAGE = './';
// Every file of the site, and the size of those a cut-off download could
// pass for: a file that does not come whole fails the install, and the
// build before stays in charge.
const FILES = [
  [PAGE, 0],
  ['manifest.webmanifest', 0],
  ['favicon.png', 0],
  ['icon-192.png', 0],
  ['icon-512.png', 0],
  ['icon-maskable-192.png', 0],
  ['icon-maskable-512.png', 0],
  [`brennow.js?v=${BUILD}`, @BRENNOW_JS_SIZE@],
  [`brennow.wasm?v=${BUILD}`, @BRENNOW_WASM_SIZE@],
];
// How long the page may take from the network before the cached one is shown.
const PAGE_WAIT_MS = 5000;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    for (const [url, size] of FILES) {
      // Past the browser's own cache: the page and the icons keep their names from build to build.
      const response = await fetch(new Request(url, { cache: 'no-cache' }));
      if (!response.ok) {
        throw new Error(`${url}: the server answered ${response.status}`);
      }
      if (size > 0) {
        const length = (await response.clone().arrayBuffer()).byteLength;
        if (length !== size) {
          throw new Error(`${url}: ${length} bytes came of ${size}`);
        }
      }
      await cache.put(url, response);
    }
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('brennow-') && name !== CACHE) {
        await caches.delete(name);
      }
    }
    await self.clients.claim();
  })());
});

// The page from the network, so that a new build is seen on the next visit;
// this build's page when the network fails or keeps it waiting.
async function page(request) {
  const network = fetch(request.url, { cache: 'no-cache', credentials: 'same-origin' });
  network.catch(() => {});  // answered below, or not needed
  let timer = 0;
  const late = new Promise((resolve) => {
    timer = setTimeout(resolve, PAGE_WAIT_MS, null);
  });
  try {
    const response = await Promise.race([network, late]);
    if (response) {
      return response.redirected ? Response.redirect(response.url, 302) : response;
    }
  } catch (error) {
    // no network: the cached page below
  } finally {
    clearTimeout(timer);
  }
  const cached = await (await caches.open(CACHE)).match(PAGE);
  return cached || network;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  if (request.mode === 'navigate') {
    event.respondWith(page(request));
    return;
  }
  // The program's files are named by their build: the cached copy is the one.
  event.respondWith((async () => (await (await caches.open(CACHE)).match(request)) || fetch(request))());
});
