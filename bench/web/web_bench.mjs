// The web build against the least html5 page built the same way
// (bench/web/minimal.cpp), in headless chromium, alternately, each start
// cold (a fresh browser and profile): time to the first playfield pixels (the
// game's first look, by element timing, or the first frame drawn), time until
// the program runs and answers a tap (its first wait for input, after its
// first frame), what the page
// transfers gzipped, the main thread's busy time and wake-ups while waiting
// for the click and during a round. Medians of RUNS starts (default 5).
// THROTTLE=1 serves the files gzipped over DevTools' slow network (1.6 Mbit/s,
// 150 ms), as a phone on a poor connection would fetch them.
//   node bench/web/web_bench.mjs build-web/site build-web/bench/minimal
import { execFileSync } from 'node:child_process';

// What the web tests drive chromium with (puppeteer-core), installed first if
// missing, as tests/web/run.sh does.
execFileSync(new URL('../../tests/web/setup.sh', import.meta.url).pathname, { stdio: 'inherit' });
const { busyTime, launch, openPage, rectOf, serve, median, waitFor, WIDTH, HEIGHT } =
  await import('../../tests/web/lib.mjs');

const [site, minimal] = process.argv.slice(2);
if (!minimal) {
  console.error('usage: node web_bench.mjs SITE_DIR MINIMAL_DIR');
  process.exit(2);
}
const RUNS = Number(process.env.RUNS || 5);
const SAMPLE = Number(process.env.SAMPLE || 5);  // seconds each of waiting and of a round
const THROTTLE = process.env.THROTTLE === '1';
const NETWORK = THROTTLE ? { latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 } : null;
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The moment the program first waits for input, from which a tap is answered
// at once: its wait hands the page the function that ends it.
const READY = `(() => {
  let module;
  Object.defineProperty(window, 'Module', { configurable: true, get: () => module, set: (value) => {
    if (value === module) {
      return;
    }
    module = value;
    for (const name of ['brennowWake', 'minimalWake']) {
      let wake = value[name] ?? null;
      Object.defineProperty(value, name, { configurable: true, get: () => wake, set: (to) => {
        if (to && window.__ready === undefined) {
          window.__ready = performance.now();
        }
        wake = to;
      } });
    }
  } });
})();`;

// The main thread over SAMPLE seconds: busy share, wake-ups (timers and
// animation frames asked for) and frames presented, per second.
async function sample(page) {
  const since = await page.evaluate(() => performance.now());
  const busy = await busyTime(page);
  await sleep(SAMPLE * 1000);
  const seen = await page.evaluate((t) => ({
    timers: window.__seen.timers.filter((p) => p.t > t).length,
    puts: new Set(window.__seen.puts.filter((p) => p.t > t).map((p) => p.frame)).size,
    now: performance.now(),
  }), since);
  const seconds = (seen.now - since) / 1000;
  return {
    cpu: (100 * (await busyTime(page) - busy)) / seconds,
    wakeups: seen.timers / seconds,
    fps: seen.puts / seconds,
  };
}

async function point(page, x, y) {
  const canvas = await rectOf(page, 'canvas');
  return [canvas.x + (x + 0.5) * (canvas.width / WIDTH), canvas.y + (y + 0.5) * (canvas.height / HEIGHT)];
}

async function run(kind, dir) {
  const server = await serve(dir, { compress: THROTTLE });
  const browser = await launch();
  try {
    const page = await openPage(browser, server.url, { network: NETWORK, before: [READY] });
    await waitFor(page, () => window.__seen.puts.length > 0 && window.__ready !== undefined, undefined, 60000);
    const first = await page.evaluate(() => window.__seen.puts[0].t);
    const ready = await page.evaluate(() => window.__ready);
    // The game's first look: an image painted before the program comes.
    const look = await page.evaluate(() => new Promise((resolve) => {
      if (!document.getElementById('first-look')) {
        resolve(null);
        return;
      }
      new PerformanceObserver((list) => {
        const entry = list.getEntries().find((e) => e.identifier === 'first-look');
        resolve(entry ? entry.renderTime || entry.loadTime : null);
      }).observe({ type: 'element', buffered: true });
      setTimeout(() => resolve(null), 2000);
    }));
    const pixels = look === null ? first : Math.min(look, first);
    await sleep(500);
    // Each file once: the game's service worker fetches them again for its
    // cache once the game runs, which a server that lets them be cached
    // answers from the browser's cache.
    const files = new Map(server.sent.map((s) => [s.file, s]));
    const transfer = [...files.values()].reduce((sum, s) => sum + s.gzipped, 0);
    const raw = [...files.values()].reduce((sum, s) => sum + s.bytes, 0);
    const waiting = await sample(page);
    if (kind === 'game') {
      // A round with the figure walked off the playfield, so that it lasts.
      for (let i = 0; i < 70; ++i) {
        await page.keyboard.press('ArrowLeft');
      }
      await page.mouse.move(...(await point(page, 200, 180)));
      await page.mouse.click(...(await point(page, 200, 180)));
    } else {
      await page.mouse.click(...(await point(page, 200, 180)));
    }
    await sleep(300);
    const round = await sample(page);
    return { pixels, ready, transfer, raw, waiting, round };
  } finally {
    await browser.close();
    await server.close();
  }
}

const results = { game: [], minimal: [] };
for (let i = 0; i < RUNS; ++i) {
  results.game.push(await run('game', site));
  results.minimal.push(await run('minimal', minimal));
  process.stderr.write(`run ${i + 1} of ${RUNS}\n`);
}

const pick = (kind, get) => median(results[kind].map(get));
const rows = [
  ['first playfield pixels', (r) => r.pixels, 'ms', 0],
  ['program running, answers a tap', (r) => r.ready, 'ms', 0],
  ['transfer, gzipped', (r) => r.transfer / 1024, 'KiB', 0],
  ['transfer, as stored', (r) => r.raw / 1024, 'KiB', 0],
  ['main thread busy while waiting', (r) => r.waiting.cpu, '%', 2],
  ['wake-ups while waiting', (r) => r.waiting.wakeups, '/s', 2],
  ['frames while waiting', (r) => r.waiting.fps, '/s', 2],
  ['main thread busy in a round', (r) => r.round.cpu, '%', 1],
  ['wake-ups in a round', (r) => r.round.wakeups, '/s', 1],
  ['frames in a round', (r) => r.round.fps, '/s', 1],
];
console.log(`headless chromium, medians of ${RUNS} cold starts, ${SAMPLE} s samples` +
            `${THROTTLE ? ', gzipped over 1.6 Mbit/s with 150 ms latency' : ''}`);
console.log(`${''.padEnd(32)}${'game'.padStart(10)}${'minimal'.padStart(10)}`);
for (const [name, get, unit, digits] of rows) {
  console.log(`${name.padEnd(32)}${pick('game', get).toFixed(digits).padStart(10)}` +
              `${pick('minimal', get).toFixed(digits).padStart(10)}  ${unit}`);
}
