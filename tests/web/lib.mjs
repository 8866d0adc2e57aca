// What the web tests and the web benchmark share: a static server for a
// site, headless chromium through puppeteer-core (Debian's chromium, never a
// downloaded one), hooks that see every frame and every timer the page asks
// for, and pictures to compare: PNG screenshots and the PPM frames the
// headless tools write.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const WIDTH = 464;
export const HEIGHT = 349;

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves dir on 127.0.0.1 at a free port, as any static web server would.
// Records what was sent, so that the transfer size can be told. intercept,
// when given, sees each request first and may answer it itself (a fault to
// test): it returns true when it did. setSite serves another folder from
// the same address (a new version of the site). compress sends the files
// gzipped, as a web server that compresses does.
export async function serve(site, { intercept, compress = false } = {}) {
  let dir = path.resolve(site);
  const sent = [];
  // Compressed once, before the first request: compressing while serving
  // would hold every response back and be counted in the page's times.
  const packed = new Map();
  const gzip = (file) => packed.get(file) ?? zlib.gzipSync(fs.readFileSync(file), { level: 9 });
  const measure = () => {
    for (const entry of fs.readdirSync(dir, { recursive: true, withFileTypes: true })) {
      if (entry.isFile()) {
        const file = path.join(entry.path ?? entry.parentPath, entry.name);
        packed.set(file, gzip(file));
      }
    }
  };
  measure();
  const sockets = new Set();
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    if (intercept && intercept(name, request, response)) {
      return;
    }
    const file = path.join(dir, name.endsWith('/') ? name + 'index.html' : name);
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    const body = fs.readFileSync(file);
    const gzipped = gzip(file);
    sent.push({ file, bytes: body.length, gzipped: gzipped.length });
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream',
      'Cache-Control': 'no-store',
      ...(compress ? { 'Content-Encoding': 'gzip' } : {}),
    });
    response.end(compress ? gzipped : body);
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    url: `http://127.0.0.1:${server.address().port}/`,
    sent,
    setSite: (other) => {
      dir = path.resolve(other);
      measure();
    },
    // Ends every connection too, as a server that went away would.
    close: () => new Promise((resolve) => {
      server.close(resolve);
      for (const socket of sockets) {
        socket.destroy();
      }
    }),
  };
}

export function chromiumPath() {
  for (const candidate of [process.env.CHROMIUM, '/usr/bin/chromium', '/usr/bin/chromium-browser']) {
    if (candidate && fs.existsSync(candidate)) {
      return candidate;
    }
  }
  throw new Error('no chromium: install the chromium package');
}

export async function launch() {
  return puppeteer.launch({
    executablePath: chromiumPath(),
    headless: true,
    // A private profile each time: a cold start, nothing cached.
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--no-default-browser-check',
           '--disable-background-networking', '--disable-extensions', '--mute-audio'],
  });
}

// Installed before the page's own scripts: every putImageData on the
// playfield with its time and rectangle, and every timer or animation frame
// the page asks for, with its time.
export const HOOKS = `(() => {
  const seen = { puts: [], timers: [] };
  window.__seen = seen;
  // The puts of one presented frame come in one go: they share a frame number.
  let frame = 0;
  let open = false;
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    if (this.canvas.id === 'canvas') {
      if (!open) {
        open = true;
        frame += 1;
        queueMicrotask(() => { open = false; });
      }
      const rect = args.length >= 7 ? args.slice(3, 7) : [0, 0, args[0].width, args[0].height];
      seen.puts.push({ t: performance.now(), rect, frame });
    }
    return put.apply(this, args);
  };
  for (const name of ['setTimeout', 'setInterval', 'requestAnimationFrame']) {
    const original = window[name];
    window[name] = function (...args) {
      seen.timers.push({ t: performance.now(), name });
      return original.apply(this, args);
    };
  }
})();`;

// network, when given: DevTools' network emulation for the page (latency in
// ms, throughput in bytes a second). before: scripts of the test's own, run
// after the hooks and before the page's scripts.
export async function openPage(browser, url, { scale = 1, network = null, before = [] } = {}) {
  const page = await browser.newPage();
  await page.setViewport({ width: 800, height: 600, deviceScaleFactor: scale });
  for (const script of [HOOKS, ...before]) {
    await page.evaluateOnNewDocument(script);
  }
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  page.on('console', (message) => {
    if (message.type() === 'error') {
      errors.push(message.text());
    }
  });
  page.errors = errors;
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  if (network) {
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: false, ...network });
  }
  page.cdp = cdp;
  const started = Date.now();
  await page.goto(url, { waitUntil: 'load' });
  page.openedAt = started;
  return page;
}

export async function waitFor(page, predicate, arg, timeout = 20000) {
  await page.waitForFunction(predicate, { timeout, polling: 20 }, arg);
}

// The main thread's busy time so far, in seconds (all its tasks).
export async function busyTime(page) {
  const { metrics } = await page.cdp.send('Performance.getMetrics');
  return metrics.find((m) => m.name === 'TaskDuration').value;
}

// --- pictures ---------------------------------------------------------------

// { width, height, rgb: Buffer of width*height*3 }
export function readPpm(file) {
  const data = fs.readFileSync(file);
  const header = data.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) {
    throw new Error(`${file}: not a binary PPM`);
  }
  const [all, width, height] = header;
  return { width: Number(width), height: Number(height), rgb: data.subarray(all.length) };
}

// A non-interlaced 8-bit RGB or RGBA PNG, as chromium writes screenshots.
export function readPng(buffer) {
  let at = 8;
  let width = 0;
  let height = 0;
  let channels = 0;
  const idat = [];
  while (at < buffer.length) {
    const length = buffer.readUInt32BE(at);
    const type = buffer.toString('latin1', at + 4, at + 8);
    const body = buffer.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      channels = { 2: 3, 6: 4 }[colour];
      if (depth !== 8 || !channels || interlace !== 0) {
        throw new Error(`unexpected PNG: depth ${depth}, colour type ${colour}, interlace ${interlace}`);
      }
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      let value = line[x];
      if (filter === 1) value += a;
      else if (filter === 2) value += b;
      else if (filter === 3) value += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a);
        const pb = Math.abs(p - b);
        const pc = Math.abs(p - c);
        value += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      out[y * stride + x] = value & 0xff;
    }
  }
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0, j = 0; i < rgb.length; i += 3, j += channels) {
    rgb[i] = out[j];
    rgb[i + 1] = out[j + 1];
    rgb[i + 2] = out[j + 2];
  }
  return { width, height, rgb };
}

// picture with each pixel made a scale x scale square.
export function enlarge(picture, scale) {
  const width = picture.width * scale;
  const height = picture.height * scale;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    for (let x = 0; x < width; ++x) {
      const from = (Math.floor(y / scale) * picture.width + Math.floor(x / scale)) * 3;
      picture.rgb.copy(rgb, (y * width + x) * 3, from, from + 3);
    }
  }
  return { width, height, rgb };
}

export function crop(picture, x, y, width, height) {
  const rgb = Buffer.alloc(width * height * 3);
  for (let row = 0; row < height; ++row) {
    const from = ((y + row) * picture.width + x) * 3;
    picture.rgb.copy(rgb, row * width * 3, from, from + width * 3);
  }
  return { width, height, rgb };
}

// How many pixels differ, and the first one; null when the sizes differ.
export function difference(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    return { sizes: `${a.width}x${a.height} against ${b.width}x${b.height}`, count: Infinity };
  }
  let count = 0;
  let first = null;
  for (let i = 0; i < a.rgb.length; i += 3) {
    if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) {
      if (count++ === 0) {
        const p = i / 3;
        first = { x: p % a.width, y: Math.floor(p / a.width), got: [...a.rgb.subarray(i, i + 3)],
                  want: [...b.rgb.subarray(i, i + 3)] };
      }
    }
  }
  return { count, first };
}

export function writePpm(file, picture) {
  fs.writeFileSync(file, Buffer.concat([Buffer.from(`P6\n${picture.width} ${picture.height}\n255\n`), picture.rgb]));
}

// A headless tool's picture: brennow_frame or brennow_box with its arguments.
export function toolPicture(tool, args, dir) {
  const file = path.join(dir, `ref-${Math.random().toString(36).slice(2)}.ppm`);
  execFileSync(tool, [file, ...args], { stdio: ['ignore', 'ignore', 'inherit'] });
  const picture = readPpm(file);
  fs.rmSync(file);
  return picture;
}

// Where an element is, in CSS pixels of the page.
export async function rectOf(page, id) {
  return page.evaluate((id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height };
  }, id);
}

export async function screenshotOf(page, id) {
  const clip = await rectOf(page, id);
  return readPng(await page.screenshot({ type: 'png', clip, captureBeyondViewport: false }));
}

export function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = Math.floor(sorted.length / 2);
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
}

// Checks that print ok or FAIL and count the failures; same compares two
// pictures and, with WEB_KEEP=1, keeps both of a failed comparison in dir.
export function checks(dir) {
  let failures = 0;
  const check = (ok, what, detail = '') => {
    console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}${!ok && detail ? `: ${detail}` : ''}`);
    if (!ok) {
      failures += 1;
    }
    return ok;
  };
  const same = (got, want, what) => {
    const diff = difference(got, want);
    if (diff.count !== 0 && process.env.WEB_KEEP === '1') {
      const base = path.join(dir, what.replace(/\W+/g, '-'));
      writePpm(`${base}-got.ppm`, got);
      writePpm(`${base}-want.ppm`, want);
    }
    const detail = diff.sizes || `${diff.count} pixels differ, first ${JSON.stringify(diff.first)}`;
    return check(diff.count === 0, what, detail);
  };
  return { check, same, failures: () => failures };
}

// The end of every run: the browser and the server closed, and dir removed
// unless WEB_KEEP=1 keeps the pictures of a run with failures.
export async function closeRun(browser, server, dir, failed) {
  await browser.close();
  await server.close();
  if (process.env.WEB_KEEP !== '1' || failed === 0) {
    fs.rmSync(dir, { recursive: true, force: true });
  } else {
    console.log(`pictures kept in ${dir}`);
  }
}

// The verdict of a run's checks, named what: one line, and the exit status.
export function exitWith(what, failed) {
  console.log(failed === 0 ? `all ${what} checks passed` : `${failed} ${what} checks failed`);
  process.exit(failed === 0 ? 0 : 1);
}
