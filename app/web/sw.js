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

// A failed install leaves nothing behind; one that failed for want of room
// leaves a mark that this build does not try again (the page looks for it):
// each visit would download every file once more for an install that cannot
// succeed, where the browser's own cache serves the page as it is.
const NO_ROOM = `brennow-no-room-${BUILD}`;

// Fetches every file of this build that the cache lacks; all of them for an
// install. A file that does not come whole, or a page of another build
// (the server has moved on: that build's worker will fill its own cache),
// fails it.
async function fill(cache) {
  for (const [url, size] of FILES) {
    if (await cache.match(url)) {
      continue;
    }
    // Past the browser's own cache: the page and the icons keep their names from build to build.
    const response = await fetch(new Request(url, { cache: 'no-cache' }));
    if (!response.ok) {
      throw new Error(`${url}: the server answered ${response.status}`);
    }
    if (url === PAGE && !(await response.clone().text()).includes(`data-build="${BUILD}"`)) {
      throw new Error('the server has a newer build');
    }
    if (size > 0) {
      const length = (await response.clone().arrayBuffer()).byteLength;
      if (length !== size) {
        throw new Error(`${url}: ${length} bytes came of ${size}`);
      }
    }
    await cache.put(url, response);
  }
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    try {
      await fill(await caches.open(CACHE));
    } catch (error) {
      await caches.delete(CACHE);
      if (error && error.name === 'QuotaExceededError') {
        await caches.open(NO_ROOM).catch(() => {});
      }
      throw error;
    }
    await self.skipWaiting();
  })());
});

// The build each open window said it runs (the page tells its worker). A
// window that has not said may be loading another build's files: that
// build's cache stays while it is open.
const running = new Map();

async function dropOtherBuilds() {
  const windows = await self.clients.matchAll({ type: 'window', includeUncontrolled: true });
  const builds = new Set(windows.map((client) => running.get(client.id)));
  if (builds.has(undefined)) {
    return;
  }
  for (const name of await caches.keys()) {
    // A build's cache, or its mark that it found no room: either goes with the build.
    const build = name.replace(/^brennow-(no-room-)?/, '');
    if (name.startsWith('brennow-') && name !== CACHE && !builds.has(build)) {
      await caches.delete(name);
    }
  }
}

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    await self.clients.claim();
    await dropOtherBuilds();
  })());
});

self.addEventListener('message', (event) => {
  const build = event.data && event.data.build;
  if (event.source && typeof build === 'string') {
    running.set(event.source.id, build);
    event.waitUntil(dropOtherBuilds());
  }
});

// Caches deleted by hand or evicted by the browser while this worker stays:
// filled again on an online visit, so that the next offline one plays.
async function refill() {
  try {
    await fill(await caches.open(CACHE));
  } catch (error) {
    // offline, or the server has moved on: the next visit tries again
  }
}

// The server's answer for the page is shown unless it is one of these and
// this build's page is kept: a server error is passing, and a missing page
// is most likely a site being uploaded or moved. The game needs nothing
// from the server, so the kept build plays; a 410 (gone for good), a 401 or
// a 403 is the server's word to the player and is shown.
const passing = (status) => status === 404 || status >= 500;

// The page from the network, so that a new build is seen on the next visit;
// this build's page when the network fails, answers with an error or keeps
// it waiting.
async function page(request) {
  const network = fetch(request.url, { cache: 'no-cache', credentials: 'same-origin' });
  network.catch(() => {});  // answered below, or not needed
  let timer = 0;
  const late = new Promise((resolve) => {
    timer = setTimeout(resolve, PAGE_WAIT_MS, null);
  });
  let response = null;
  try {
    response = await Promise.race([network, late]);
  } catch (error) {
    // no network: the kept page below
  } finally {
    clearTimeout(timer);
  }
  if (response && !passing(response.status)) {
    return response.redirected ? Response.redirect(response.url, 302) : response;
  }
  const kept = await caches.match(PAGE, { cacheName: CACHE });
  return kept || response || network;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) {
    return;
  }
  if (request.mode === 'navigate') {
    event.respondWith(page(request));
    event.waitUntil(refill());
    return;
  }
  // The program's files are named by their build: a kept copy is the one,
  // this build's or the one a window still loading another build asks for.
  event.respondWith((async () => (await caches.match(request)) || fetch(request))());
});
