// The page by the web's own yardstick: Lighthouse (pinned beside the web
// tests' puppeteer-core, tests/web/package-lock.json) on its default mobile
// profile, a mid-range phone simulated with a 4x slower CPU over 1.6 Mbit/s
// and 150 ms, against the built site served on 127.0.0.1 with Debian's
// chromium. Prints the four category scores and the five metrics the
// performance score is made of, medians of RUNS runs (default 3), each in a
// fresh browser. The files go as stored, as scripts/play-web (Python's
// http.server) sends them; GZIP=1 sends them gzipped, as a server that
// compresses does. A benchmark, not a test: the scores
// move with the machine's load.
//   node bench/web/lighthouse.mjs build-web/site
import { execFileSync } from 'node:child_process';
import { createRequire } from 'node:module';

// Lighthouse and what the web tests drive chromium with, installed first if
// missing, as tests/web/run.sh does.
execFileSync(new URL('../../tests/web/setup.sh', import.meta.url).pathname, { stdio: 'inherit' });
const { chromiumPath, median, serve } = await import('../../tests/web/lib.mjs');

const [site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node lighthouse.mjs SITE_DIR');
  process.exit(2);
}
const RUNS = Number(process.env.RUNS || 3);
const GZIP = process.env.GZIP === '1';

// From the web tests' folder, where setup.sh installed them.
const modules = createRequire(new URL('../../tests/web/package.json', import.meta.url));
const { default: lighthouse } = await import(modules.resolve('lighthouse'));
const launcher = await import(modules.resolve('chrome-launcher'));

const CATEGORIES = [
  ['performance', 'performance'],
  ['accessibility', 'accessibility'],
  ['best practices', 'best-practices'],
  ['SEO', 'seo'],
];
const METRICS = [
  ['first contentful paint', 'first-contentful-paint'],
  ['largest contentful paint', 'largest-contentful-paint'],
  ['total blocking time', 'total-blocking-time'],
  ['cumulative layout shift', 'cumulative-layout-shift'],
  ['time to interactive', 'interactive'],
];

async function once(url) {
  const chrome = await launcher.launch({
    chromePath: chromiumPath(),
    chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run', '--no-default-browser-check',
                  '--disable-background-networking', '--disable-extensions', '--mute-audio'],
  });
  try {
    const { lhr } = await lighthouse(url, { port: chrome.port, output: 'json', logLevel: 'error' });
    if (lhr.runtimeError) {
      throw new Error(`${lhr.runtimeError.code}: ${lhr.runtimeError.message}`);
    }
    const lcp = lhr.audits['largest-contentful-paint-element'];
    return {
      scores: Object.fromEntries(CATEGORIES.map(([, id]) => [id, lhr.categories[id].score * 100])),
      metrics: Object.fromEntries(METRICS.map(([, id]) => [id, {
        value: lhr.audits[id].numericValue, score: lhr.audits[id].score }])),
      lcpElement: lcp?.details?.items?.[0]?.items?.[0]?.node?.snippet ?? '?',
      longTasks: (lhr.audits['long-tasks'].details?.items ?? []).map((t) => ({
        url: t.url, start: t.startTime, duration: t.duration })),
      version: lhr.lighthouseVersion,
      browser: lhr.environment.hostUserAgent.match(/Chrom\w*\/[\d.]+/)?.[0] ?? '?',
    };
  } finally {
    await chrome.kill();
  }
}

const server = await serve(site, { compress: GZIP });
const runs = [];
try {
  for (let i = 0; i < RUNS; ++i) {
    runs.push(await once(server.url));
    process.stderr.write(`run ${i + 1} of ${RUNS}\n`);
  }
} finally {
  await server.close();
}

const pick = (get) => median(runs.map(get));
console.log(`Lighthouse ${runs[0].version}, ${runs[0].browser}, default mobile profile, medians of ${RUNS} runs` +
            `, files ${GZIP ? 'gzipped' : 'as stored'}`);
for (const [name, id] of CATEGORIES) {
  console.log(`${name.padEnd(28)}${pick((r) => r.scores[id]).toFixed(0).padStart(8)}`);
}
for (const [name, id] of METRICS) {
  const value = pick((r) => r.metrics[id].value);
  const shown = { 'cumulative-layout-shift': value.toFixed(3), 'total-blocking-time': `${value.toFixed(0)} ms` }[id] ??
                `${(value / 1000).toFixed(2)} s`;
  console.log(`${name.padEnd(28)}${shown.padStart(8)}   score ${pick((r) => r.metrics[id].score).toFixed(2)}`);
}
console.log(`largest contentful paint element: ${[...new Set(runs.map((r) => r.lcpElement))].join(' | ')}`);
// Where the blocking time goes: the long tasks of each run, at the phone's speed.
for (const [i, run] of runs.entries()) {
  console.log(`run ${i + 1}, long tasks (start ms + duration ms, source): ${run.longTasks.map((t) =>
    `${t.start.toFixed(0)}+${t.duration.toFixed(0)} ${String(t.url).replace(/^https?:\/\/[^/]+\//, '') || 'page'}`)
    .join(', ') || 'none'}`);
}
