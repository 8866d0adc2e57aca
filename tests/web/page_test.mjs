// The page on phones and desktops, installed and offline, and when its files
// do not come, in headless chromium: phones through DevTools' emulation
// (mobile metrics, touch), frames compared with the headless backend's where
// the playfield is crisp. Every page opens in a fresh profile, so that no
// service worker or cache answers for the server unless a test wants it.
//   node page_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR
// Every wait is bounded; WEB_KEEP=1 keeps the pictures of a failed check.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  HEIGHT, HOOKS, WIDTH, checks, closeRun, enlarge, exitWith, launch, readPng, serve, toolPicture, waitFor,
} from './lib.mjs';

const [frameTool, boxTool, site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node page_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR');
  process.exit(2);
}
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'brennow-page-'));
const { check, same, failures } = checks(tmp);
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const frame = (...steps) => toolPicture(frameTool, steps, tmp);
const LOST = 'Oh NO!~ You lost! But you got 0';
const PROMPT = [200, 180];  // on "Click to Start"

// The screen's size, density and orientation, and a phone's metrics.
const emulate = (cdp, screen) => cdp.send('Emulation.setDeviceMetricsOverride', {
  width: screen.width, height: screen.height, deviceScaleFactor: screen.scale, mobile: screen.touch,
  screenOrientation: screen.width > screen.height ? { type: 'landscapePrimary', angle: 90 }
                                                  : { type: 'portraitPrimary', angle: 0 },
});

// A page on an emulated screen, in a profile of its own (incognito, unless
// the browser's own, fresh, profile is asked for). hold: the program's
// download is held back until page.release(), for less than the loader's
// stall limit; the page is opened as soon as it is read. before: scripts of
// the test's own, run before the page's.
async function open(browser, url, screen, { incognito = true, hold = false, before = [] } = {}) {
  const context = incognito ? await browser.createBrowserContext() : browser.defaultBrowserContext();
  const page = await context.newPage();
  const cdp = await page.createCDPSession();
  await emulate(cdp, screen);
  if (screen.touch) {
    await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  }
  for (const script of [HOOKS, ...before]) {
    await page.evaluateOnNewDocument(script);
  }
  if (hold) {
    const paused = [];
    let released = false;
    cdp.on('Fetch.requestPaused', ({ requestId }) => (released
      ? cdp.send('Fetch.continueRequest', { requestId }).catch(() => {}) : paused.push(requestId)));
    await cdp.send('Fetch.enable', { patterns: [{ urlPattern: '*brennow.wasm*', requestStage: 'Request' }] });
    page.release = async () => {
      released = true;
      for (const requestId of paused.splice(0)) {
        await cdp.send('Fetch.continueRequest', { requestId });
      }
    };
  }
  // Uncaught errors and unhandled rejections; a failed download's console
  // line is the browser's own.
  page.errors = [];
  page.on('pageerror', (error) => page.errors.push(String(error)));
  page.cdp = cdp;
  page.closeAll = () => (incognito ? context.close() : page.close());
  if (url) {
    // The page's load waits for the program's preloaded download.
    await page.goto(url, { waitUntil: hold ? 'domcontentloaded' : 'load' });
  }
  return page;
}

// The first look is shown, the program not yet there.
const firstLook = (page) => waitFor(page, () => document.getElementById('first-look').complete &&
  document.getElementById('first-look').naturalWidth > 0, undefined, 5000);

// A part of the page in device pixels, as the screen shows it.
async function shot(page, clip) {
  const { data } = await page.cdp.send('Page.captureScreenshot', { format: 'png', clip: { ...clip, scale: 1 } });
  return readPng(Buffer.from(data, 'base64'));
}

const firstFrame = (page, timeout) => waitFor(page, () => window.__seen.puts.length > 0, undefined, timeout);

// Where things are, in CSS px, and whether the page moved or zoomed.
const state = (page) => page.evaluate(() => {
  const rect = (id) => {
    const r = document.getElementById(id).getBoundingClientRect();
    return { x: r.left, y: r.top, width: r.width, height: r.height };
  };
  return {
    canvas: rect('canvas'),
    look: rect('first-look'),
    loading: !document.getElementById('loading').hidden,
    bar: rect('bar'),
    dialog: rect('dialog'),
    box: rect('box'),
    view: { width: innerWidth, height: innerHeight },
    scroll: [scrollX, scrollY, document.scrollingElement.scrollTop, document.scrollingElement.scrollLeft],
    zoom: visualViewport.scale,
    hint: document.getElementById('hint-pointer').textContent,
    selected: String(getSelection()),
    modal: !document.getElementById('modal').hidden,
  };
});

// On whole device pixels: place and size.
const whole = (r, ratio) => [r.x, r.y, r.width, r.height].every((v) => Math.abs(v * ratio - Math.round(v * ratio)) < 0.01);
const inside = (r, view) => r.x >= -0.01 && r.y >= -0.01 && r.x + r.width <= view.width + 0.01 &&
                            r.y + r.height <= view.height + 0.01 && r.width > 0 && r.height > 0;

// Touches, through DevTools as a touch screen sends them: one finger per point.
const touch = (page, type, points = []) =>
  page.cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });

async function tap(page, point) {
  await touch(page, 'touchStart', [point]);
  await touch(page, 'touchEnd');
}

// The playfield as the page holds it, whatever its size on the screen.
async function playfield(page) {
  const rgb = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 4) {
      text += String.fromCharCode(data[i], data[i + 1], data[i + 2]);
    }
    return btoa(text);
  });
  return { width: WIDTH, height: HEIGHT, rgb: Buffer.from(rgb, 'base64') };
}

const puts = (page) => page.evaluate(() => window.__seen.puts.length);
const presented = (page, before) => waitFor(page, (n) => window.__seen.puts.length > n, before, 5000);
// Frames presented in the next ms milliseconds, with no input.
async function framesWithin(page, ms) {
  const before = await puts(page);
  await sleep(ms);
  return (await puts(page)) - before;
}

// A path that steps the figure at every point, from the free playfield down
// past its bottom edge (reachable on every screen): down and to the left,
// far from the figure, over no control.
const PATH = [[200, 300], [196, 310], [192, 320], [188, 330], [184, 340], [180, 352], [176, 362], [172, 372]];
const headlessPath = () => ['move:' + PATH[0], 'press:' + PATH[0], ...PATH.slice(1).map((p) => 'move:' + p)];

// A playfield pixel's middle, in CSS px of the page.
const at = (s, [x, y]) => [s.canvas.x + (x + 0.5) * (s.canvas.width / WIDTH),
                           s.canvas.y + (y + 0.5) * (s.canvas.height / HEIGHT)];

// The first look, as the page carries it: the headless first frame, in a few KiB.
const lookData = fs.readFileSync(path.join(site, 'index.html'), 'utf8')
  .match(/id="first-look"[^>]*src="data:image\/png;base64,([^"]+)"/);
const lookPng = Buffer.from(lookData ? lookData[1] : '', 'base64');
const lookPicture = lookData ? readPng(lookPng) : { width: 0, height: 0, rgb: Buffer.alloc(0) };
same(lookPicture, frame(), 'the page\'s first look is the headless first frame');
check(lookPng.length < 16 * 1024, `the first look is small: ${lookPng.length} bytes`);

const server = await serve(site);
const browser = await launch();
try {
  // --- the fitting itself, over screens, densities and zooms --------------------
  {
    const page = await open(browser, server.url, { width: 800, height: 600, scale: 1, touch: false });
    await firstFrame(page);
    const cases = [
      // name, view, the device pixels per playfield pixel it must get
      ['portrait phone at 3: two whole device pixels', { width: 390, height: 844, ratio: 3, screen: true }, 2],
      ['landscape phone at 3: three', { width: 844, height: 390, ratio: 3, screen: true }, 3],
      ['phone at 2: one would be 232 px of 360, so it fills', { width: 360, height: 640, ratio: 2, screen: true },
       360 / WIDTH * 2],
      ['phone at 2.625', { width: 393, height: 851, ratio: 2.625, screen: true }, 2],
      ['landscape phone with notches at the sides', {
        width: 844, height: 390, ratio: 3, screen: true, insets: { top: 0, right: 47, bottom: 0, left: 47 } }, 3],
      ['the same with the home bar below: three would not fit, two is too small, so it fills', {
        width: 844, height: 390, ratio: 3, screen: true, insets: { top: 0, right: 47, bottom: 21, left: 47 } },
       (390 - 21 - 28) / HEIGHT * 3],
      ['desktop at 1: today\'s scale', { width: 800, height: 600, ratio: 1, screen: false }, 1],
      ['desktop at 2', { width: 1280, height: 800, ratio: 2, screen: false }, 2],
      ['desktop at 1.5: one step, as the desktop build', { width: 1280, height: 800, ratio: 1.5, screen: false }, 1],
      ['desktop at 1.75: two steps, as the desktop build', { width: 1280, height: 800, ratio: 1.75, screen: false }, 2],
      ['the same window moved to a screen at 1', { width: 1280, height: 800, ratio: 1, screen: false }, 1],
      ['desktop zoomed to 300 %', { width: 1280 / 3, height: 800 / 3, ratio: 3, screen: false }, 2],
      ['desktop window narrower than the playfield', { width: 400, height: 600, ratio: 1, screen: false },
       (400 - 16) / WIDTH],
      ['desktop window shorter than the playfield', { width: 800, height: 300, ratio: 1, screen: false },
       (300 - 28) / HEIGHT],
      ['desktop full screen uses the screen', { width: 1920, height: 1080, ratio: 1, screen: true }, 3],
      ['too small for one device pixel', { width: 200, height: 150, ratio: 1, screen: true }, (150 - 28) / HEIGHT],
      ['landscape phone with two hint lines under the playfield: it fills', {
        width: 844, height: 390, ratio: 3, screen: true, below: 56 }, (390 - 56) / HEIGHT * 3],
      ['the same with the hint beside it: three', {
        width: 844, height: 390, ratio: 3, screen: true, below: 0, right: 176 }, 3],
    ];
    for (const [name, view, device] of cases) {
      const input = { below: 28, pixels: { width: WIDTH, height: HEIGHT }, ...view };
      const fit = await page.evaluate((v) => brennowFit(v), input);
      const insets = input.insets || { top: 0, right: 0, bottom: 0, left: 0 };
      const whole = fit.left >= insets.left - 1e-6 && fit.top >= insets.top - 1e-6 &&
                    fit.left + fit.width <= input.width - insets.right - (input.right || 0) + 1e-6 &&
                    fit.top + fit.height + input.below <= input.height - insets.bottom + 1e-6;
      const snapped = [fit.left, fit.top].every((v) => Math.abs(v * view.ratio - Math.round(v * view.ratio)) < 1e-6);
      check(Math.abs(fit.device - device) < 1e-6 && whole && snapped && fit.crisp === Number.isInteger(device),
            `the fit: ${name}`, JSON.stringify(fit));
    }
    const box = await page.evaluate(() => {
      const fit = brennowFit({ width: 390, height: 844, ratio: 3, screen: true, below: 28 });
      return { fit, place: brennowPlaceBox(fit, { width: 230, height: 100 }, 20, 3) };
    });
    const middle = (a, b) => Math.abs(a - b) <= 1 / 3;
    check(middle(box.place.left + box.place.width / 2, box.fit.left + box.fit.width / 2) &&
          middle(box.place.top + (box.place.height + 20) / 2, box.fit.top + box.fit.height / 2) &&
          Math.abs(box.place.width - 230 * 2 / 3) < 1e-6,
          'the box is scaled as the playfield and centred over it', JSON.stringify(box));
    await page.closeAll();
  }

  // --- every screen: the whole playfield, nothing moves, taps play ---------------
  const SCREENS = [
    { name: 'portrait phone 390 x 844 at 3', width: 390, height: 844, scale: 3, touch: true, device: 2 },
    // Under the playfield the hint's two lines (touch, and the gamepad where
    // the browser has the Gamepad API) would leave too little height for three
    // whole device pixels: the hint goes beside it.
    { name: 'landscape phone 844 x 390 at 3', width: 844, height: 390, scale: 3, touch: true, device: 3 },
    { name: 'phone 360 x 640 at 2', width: 360, height: 640, scale: 2, touch: true, device: 0 },
    { name: 'desktop 1280 x 800', width: 1280, height: 800, scale: 1, touch: false, device: 1 },
    { name: 'desktop window 400 x 600', width: 400, height: 600, scale: 1, touch: false, device: 0 },
    { name: 'desktop 1280 x 800 zoomed to 300 %', width: 427, height: 267, scale: 3, touch: false, device: 0 },
  ];
  for (const screen of SCREENS) {
    // Before the program comes, its first frame is there already, where the
    // program will draw it; then nothing moves.
    const page = await open(browser, server.url, screen, { hold: true });
    await firstLook(page);
    await sleep(100);
    const early = await state(page);
    check(JSON.stringify(early.look) === JSON.stringify(early.canvas) && early.loading &&
          (await puts(page)) === 0 && (!screen.device || whole(early.look, screen.scale)),
          `${screen.name}: before the program comes, the first look stands where the playfield will be`,
          JSON.stringify(early));
    if (screen.device) {
      same(await shot(page, early.look), enlarge(frame(), screen.device),
           `${screen.name}: before the program comes, the first look is the headless first frame, crisp`);
    }
    await page.release();
    await firstFrame(page);
    await sleep(100);
    const first = await state(page);
    check(JSON.stringify(first.canvas) === JSON.stringify(early.canvas) && first.look.width === 0 && !first.loading,
          `${screen.name}: the program's first frame takes the first look's place, the hint the loading's`,
          JSON.stringify(first));
    // Where no whole number of device pixels is large enough, the playfield
    // fills the width, or the height with the hint below it.
    const fills = Math.abs(first.canvas.width - (first.view.width - (screen.touch ? 0 : 16))) < 1 ||
                  Math.abs(first.bar.y + first.bar.height - first.view.height) < 1;
    const device = first.canvas.width / WIDTH * screen.scale;
    check(inside(first.canvas, first.view) && inside(first.bar, first.view) &&
          (screen.device ? Math.abs(device - screen.device) < 0.01 : fills),
          `${screen.name}: the whole playfield is on screen at ${device.toFixed(2)} device px a pixel`,
          JSON.stringify(first));
    check(first.hint === (screen.touch ? 'Tap to start. Drag to steer.'
                                       : 'Click to start. Steer with the arrow keys or the mouse.'),
          `${screen.name}: the hint says what works here`, first.hint);
    if (screen.device) {
      same(await shot(page, first.canvas), enlarge(frame(), screen.device),
           `${screen.name}: the first frame is the headless one, crisp`);
    }
    same(await playfield(page), lookPicture, `${screen.name}: the program's first frame is the first look's picture`);
    if (screen.touch) {
      // A drag steers as the same mouse movements do, on beyond the
      // playfield's edge; a second finger changes nothing; a touch the
      // system cancels releases without a click.
      let before = await puts(page);
      await touch(page, 'touchStart', [at(first, PATH[0])]);
      await presented(page, before);
      for (let i = 1; i < PATH.length; ++i) {
        const second = [first.canvas.x + first.canvas.width - 20 - 5 * i, first.canvas.y + 20];
        if (i === 2) {
          before = await puts(page);
          await touch(page, 'touchStart', [at(first, PATH[i - 1]), second]);
          check(await framesWithin(page, 150) === 0, `${screen.name}: a second finger is ignored`);
        }
        before = await puts(page);
        await touch(page, 'touchMove', i >= 2 ? [at(first, PATH[i]), second] : [at(first, PATH[i])]);
        await presented(page, before);
      }
      await touch(page, 'touchCancel');
      same(await playfield(page), frame(...headlessPath()),
           `${screen.name}: a drag steers as the same mouse movements do, also beyond the edge`);
      check(await framesWithin(page, 400) === 0, `${screen.name}: a cancelled touch is no click: the round waits`);
      // A finger still down when the one followed lifts steers from its
      // next move; its lift is no click, since it never pressed.
      const fingers = (type, points) => page.cdp.send('Input.dispatchTouchEvent', {
        type, touchPoints: points.map(([id, p]) => ({ id, x: at(first, p)[0], y: at(first, p)[1] })) });
      const drag = [PROMPT, [200, 215], [200, 235], [200, 255]];
      const other = (i) => [330 - 6 * i, 300 - 4 * i];
      for (const [i, p] of drag.entries()) {
        before = await puts(page);
        await fingers(i === 0 ? 'touchStart' : 'touchMove', [[0, p]]);
        if (i > 0) {
          await presented(page, before);
        }
      }
      await fingers('touchStart', [[0, drag[3]], [1, other(0)]]);
      await fingers('touchEnd', [[0, drag[3]]]);  // the first lifts
      for (let i = 1; i <= 15; ++i) {
        before = await puts(page);
        await fingers('touchMove', [[1, other(i)]]);
        await waitFor(page, (n) => window.__seen.puts.length > n, before, 1000).catch(() => {});
      }
      await fingers('touchEnd', []);
      const handedOff = ['release:-1,-1', 'move:' + PROMPT, 'press:' + PROMPT, ...drag.slice(1).map((p) => 'move:' + p),
                         'release:' + drag[3], ...Array.from({ length: 15 }, (_, i) => 'move:' + other(i + 1))];
      same(await playfield(page), frame(...headlessPath(), ...handedOff),
           `${screen.name}: a finger down when the one followed lifts steers from its next move`);
      check(await framesWithin(page, 400) === 0, `${screen.name}: that finger's lift is no click: the round waits`);
      // Lifted on the form, the drag is a click, as a mouse's is.
      await touch(page, 'touchStart', [at(first, [400, 300])]);
      await touch(page, 'touchMove', [at(first, [380, 310])]);
      await touch(page, 'touchEnd');
      await sleep(100);
      check(await framesWithin(page, 400) > 10, `${screen.name}: a drag lifted on the form starts the round`);

      // What a browser would take for itself: a drag, a pinch, a long press,
      // a double tap, on the playfield and beside it.
      const [a, b] = [at(first, [30, 300]), at(first, [430, 40])];
      await touch(page, 'touchStart', [a]);
      for (let i = 1; i <= 8; ++i) {
        await touch(page, 'touchMove', [[a[0] + (b[0] - a[0]) * i / 8, a[1] + (b[1] - a[1]) * i / 8]]);
      }
      await touch(page, 'touchCancel');
      const [c, d] = [at(first, [200, 150]), at(first, [260, 200])];
      await touch(page, 'touchStart', [c, d]);
      for (let i = 1; i <= 6; ++i) {
        await touch(page, 'touchMove', [[c[0] - 10 * i, c[1] - 10 * i], [d[0] + 10 * i, d[1] + 10 * i]]);
      }
      await touch(page, 'touchEnd');
      await touch(page, 'touchStart', [at(first, [40, 330])]);
      await sleep(800);
      await touch(page, 'touchEnd');
      const hint = [first.canvas.x + first.canvas.width / 2, first.canvas.y + first.canvas.height + 18];
      await tap(page, hint);
      await tap(page, hint);
      await touch(page, 'touchStart', [hint]);
      await touch(page, 'touchMove', [[hint[0], hint[1] - 200]]);
      await touch(page, 'touchEnd');
      await sleep(300);
      const after = await state(page);
      const moved = after.scroll.some((v) => v !== 0) || after.zoom !== 1 ||
                    JSON.stringify(after.canvas) !== JSON.stringify(first.canvas) || after.selected !== '';
      check(!moved, `${screen.name}: drags, a pinch, a long press and a double tap neither scroll, zoom nor select`,
            JSON.stringify(after));
    }
    if (!screen.touch) {
      // A press is followed wherever it goes: a drag beyond the playfield
      // keeps steering, as the desktop's window keeps a held mouse, and let
      // go there it is no click; a press made beside the playfield and let
      // go on it is none either.
      let before = await puts(page);
      await page.mouse.move(...at(first, PATH[0]));
      await presented(page, before);
      await page.mouse.down();
      for (const point of PATH.slice(1)) {
        before = await puts(page);
        await page.mouse.move(...at(first, point));
        await presented(page, before);
      }
      await page.mouse.up();
      same(await playfield(page), frame(...headlessPath()), `${screen.name}: a drag beyond the edge keeps steering`);
      check(await framesWithin(page, 400) === 0, `${screen.name}: a press let go beyond the playfield is no click`);
      await page.mouse.move(Math.max(1, first.canvas.x - 4), first.canvas.y + 4);
      await page.mouse.down();
      await page.mouse.move(...at(first, [400, 300]));
      await page.mouse.up();
      check(await framesWithin(page, 400) === 0,
            `${screen.name}: a press beside the playfield let go on it neither steers nor starts the round`);
    }
    // A round lost at once: the box over the playfield, whole, and closed by
    // a tap or a click on OK. On a page afresh: a touch above may have steered.
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    for (let i = 0; i < 26; ++i) {
      await page.keyboard.press('ArrowUp');
    }
    await sleep(100);
    const prompt = at(first, PROMPT);
    if (screen.touch) {
      await tap(page, prompt);
    } else {
      await page.mouse.click(...prompt);
    }
    await waitFor(page, () => !document.getElementById('modal').hidden, undefined, 5000)
      .catch(() => check(false, `${screen.name}: a tap or a click on the prompt starts the round`));
    const lost = await state(page);
    if (lost.modal) {
      const centred = Math.abs(lost.dialog.x + lost.dialog.width / 2 - (lost.canvas.x + lost.canvas.width / 2)) <= 1 &&
                      Math.abs(lost.dialog.y + lost.dialog.height / 2 - (lost.canvas.y + lost.canvas.height / 2)) <= 1;
      check(inside(lost.dialog, lost.view) && centred && Math.abs(lost.box.width / lost.canvas.width -
              (await page.evaluate(() => document.getElementById('box').width)) / WIDTH) < 0.01,
            `${screen.name}: the box is whole, scaled as the playfield and centred over it`, JSON.stringify(lost));
      if (screen.device) {
        same(await shot(page, lost.box), enlarge(toolPicture(boxTool, [LOST], tmp), screen.device),
             `${screen.name}: the box is crisp`);
      }
      const scale = lost.box.width / (await page.evaluate(() => document.getElementById('box').width));
      const ok = [lost.box.x + lost.box.width / 2, lost.box.y + lost.box.height - (12 + 23 / 2) * scale];
      // The browser's own keys still work while the box is open; those the
      // box takes do not reach the browser.
      await page.evaluate(() => {
        window.__keys = [];
        addEventListener('keydown', (e) => window.__keys.push([e.key, e.defaultPrevented]));
      });
      await page.keyboard.press('F5');
      await page.keyboard.down('Control');
      await page.keyboard.press('KeyR');
      await page.keyboard.up('Control');
      await page.keyboard.press('a');
      const keys = await page.evaluate(() => window.__keys).catch(() => null);
      const reach = (key) => keys.some(([k, prevented]) => k === key && !prevented);
      check(keys === null || (reach('F5') && reach('r')),
            `${screen.name}: F5 and Ctrl+R reach the browser while the box is open`, JSON.stringify(keys));
      if (screen.touch) {
        // A press on OK that the system cancels does not close the box.
        await touch(page, 'touchStart', [ok]);
        await touch(page, 'touchCancel');
        await sleep(200);
        check(await page.evaluate(() => !document.getElementById('modal').hidden),
              `${screen.name}: a cancelled touch on OK leaves the box open`);
      }
      // 2 CSS px above the button: on OK for a finger, not for a mouse.
      const nearOk = [ok[0], ok[1] - (23 / 2) * scale - 2];
      if (screen.touch) {
        await tap(page, nearOk);
      } else {
        await page.mouse.click(...nearOk);
        await sleep(200);
        check(await page.evaluate(() => !document.getElementById('modal').hidden),
              `${screen.name}: a click 2 px beside OK leaves the box open`);
        await page.mouse.click(...ok);
      }
      const closed = await waitFor(page, () => document.getElementById('modal').hidden, undefined, 3000)
        .then(() => true, () => false);
      check(closed, `${screen.name}: ${screen.touch ? 'a tap 2 px beside OK' : 'a click on OK'} closes the box`);
    }
    check(page.errors.length === 0, `${screen.name}: no errors in the page`, page.errors.join('; '));
    await page.closeAll();
  }

  // --- a phone turned, and turned back: the fit follows, the hint with it --------
  {
    const portrait = { width: 390, height: 844, scale: 3, touch: true };
    const landscape = { width: 844, height: 390, scale: 3, touch: true };
    const page = await open(browser, server.url, portrait);
    await firstFrame(page);
    const seen = [];
    for (const screen of [landscape, portrait, landscape]) {
      await emulate(page.cdp, screen);
      await sleep(300);
      const s = await state(page);
      seen.push({ device: s.canvas.width / WIDTH * screen.scale,
                  whole: inside(s.canvas, s.view) && inside(s.bar, s.view) && whole(s.canvas, screen.scale),
                  beside: s.bar.x >= s.canvas.x + s.canvas.width });
    }
    const expected = [{ device: 3, beside: true }, { device: 2, beside: false }, { device: 3, beside: true }];
    const as = (s, i) => Math.abs(s.device - expected[i].device) < 0.01 && s.whole && s.beside === expected[i].beside;
    check(seen.every(as),
          'a phone turned and back: crisp each way, the hint beside the playfield in landscape', JSON.stringify(seen));
    await page.closeAll();
  }

  // --- a tap while the program loads is kept: it starts the round once it comes --
  {
    const page = await open(browser, server.url, { width: 390, height: 844, scale: 3, touch: true }, { hold: true });
    await firstLook(page);
    await tap(page, at(await state(page), PROMPT));
    await sleep(200);
    const saying = await page.evaluate(() => document.getElementById('loading-text').textContent);
    await page.release();
    await firstFrame(page);
    await sleep(100);
    check(/^Starting…/.test(saying) && await framesWithin(page, 400) > 10,
          'a tap while the program loads: the page says it is starting, and the round starts once it comes', saying);
    await page.closeAll();
  }

  // --- on whole device pixels whatever the hint's text measures, at any density --
  // Beside the playfield on a landscape phone, a hint taller than the
  // playfield once moved it by a fraction of a device pixel.
  {
    const OTHER_TEXT = `document.addEventListener('DOMContentLoaded', () => {
      const style = document.createElement('style');
      style.textContent = '#bar { font: 19.3px/23.7px serif; letter-spacing: 0.7px; } #hint li { padding-bottom: 150.3px; }';
      document.head.append(style);
    });`;
    for (const screen of [
      { name: 'portrait phone 390 x 844 at 3', width: 390, height: 844, scale: 3, touch: true, device: 2 },
      { name: 'landscape phone 844 x 390 at 3', width: 844, height: 390, scale: 3, touch: true, device: 3 },
      { name: 'phone 412 x 915 at 2.625', width: 412, height: 915, scale: 2.625, touch: true, device: 2 },
      { name: 'phone 393 x 873 at 2.75', width: 393, height: 873, scale: 2.75, touch: true, device: 2 },
      { name: 'desktop window 1024 x 768', width: 1024, height: 768, scale: 1, touch: false, device: 1 },
    ]) {
      const what = `a taller hint in another font, ${screen.name}`;
      const page = await open(browser, server.url, screen, { hold: true, before: [OTHER_TEXT] });
      await firstLook(page);
      await sleep(200);
      const early = await state(page);
      const look = await shot(page, early.look);
      await page.release();
      await firstFrame(page);
      await sleep(100);
      const s = await state(page);
      check(whole(early.look, screen.scale) && whole(s.canvas, screen.scale) &&
            Math.abs(s.canvas.width * screen.scale - WIDTH * screen.device) < 0.01,
            `${what}: the first look and the playfield on whole device pixels`,
            JSON.stringify({ look: early.look, canvas: s.canvas, bar: s.bar }));
      const want = enlarge(frame(), screen.device);
      same(look, want, `${what}: the first look is the headless first frame, crisp`);
      same(await shot(page, s.canvas), want, `${what}: the program's first frame is the same, crisp`);
      await page.closeAll();
    }
  }

  // --- full screen: the whole page, the box's layer with it ----------------------
  {
    const page = await open(browser, server.url, { width: 844, height: 390, scale: 3, touch: true });
    await firstFrame(page);
    const button = await page.evaluate(() => {
      const r = document.getElementById('fullscreen').getBoundingClientRect();
      return r.width > 0 ? [r.left + r.width / 2, r.top + r.height / 2] : null;
    });
    check(button !== null, 'a full-screen button is offered where the browser has full screen');
    if (button) {
      await tap(page, button);
      const whole = await waitFor(page, () => document.fullscreenElement === document.documentElement, undefined, 3000)
        .then(() => true, () => false);
      check(whole, 'the button puts the whole page in full screen');
      const s = await state(page);
      check(inside(s.canvas, s.view), 'in full screen the whole playfield is on screen', JSON.stringify(s));
      const focus = await page.evaluate(() => document.activeElement && document.activeElement.id);
      check(focus === 'canvas', 'the keys go to the playfield again after the button', focus);
    }
    await page.closeAll();
  }

  // --- installable, offline, a new version after the old, and a server at fault --
  {
    const build = fs.readFileSync(path.join(site, 'index.html'), 'utf8').match(/data-build="(\w+)"/)[1];
    const oldBuild = 'old' + build.slice(3);
    const script = fs.readFileSync(path.join(site, 'brennow.js'));
    // The old build's script is longer, as another build's would differ in
    // size: a page of one build must never run with the other's files.
    const old = fs.mkdtempSync(path.join(tmp, 'old-'));
    for (const name of fs.readdirSync(site)) {
      let data = fs.readFileSync(path.join(site, name));
      if (name === 'brennow.js') {
        data = Buffer.concat([data, Buffer.from('\n// old\n')]);
      } else if (/\.(html|js)$/.test(name)) {
        data = data.toString('utf8').replaceAll(build, oldBuild)
          .replace(`name: 'brennow.js', size: ${script.length} `, `name: 'brennow.js', size: ${script.length + 8} `)
          .replace(`\`brennow.js?v=\${BUILD}\`, ${script.length}]`, `\`brennow.js?v=\${BUILD}\`, ${script.length + 8}]`);
      }
      fs.writeFileSync(path.join(old, name), data);
    }
    // What the server does for the page, when not its usual answer.
    let pageFault = null;
    const versions = await serve(old, {
      intercept: (name, request, response) => name === '/' && pageFault !== null && pageFault(response) !== false,
    });
    // Installing wants a profile of the browser's own: a fresh browser.
    const installer = await launch();
    const phone = { width: 390, height: 844, scale: 3, touch: true };
    const page = await open(installer, null, phone, { incognito: false });
    await page.goto(versions.url, { waitUntil: 'load' });
    await firstFrame(page);
    const { installabilityErrors: errors } = await page.cdp.send('Page.getInstallabilityErrors');
    check(errors.length === 0, 'chromium finds the page installable', JSON.stringify(errors));
    const { data: manifest } = await page.cdp.send('Page.getAppManifest');
    const parsed = JSON.parse(manifest || '{}');
    check(parsed.name === 'Brennow' && ['fullscreen', 'standalone'].includes(parsed.display) &&
          parsed.icons.some((i) => i.sizes === '512x512' && i.purpose === 'maskable'),
          'the manifest names the game, full screen, with maskable icons', manifest);
    const caches = () => page.evaluate(() => caches.keys());
    const cachedOnly = (name) => waitFor(page, async (n) => {
      const keys = await caches.keys();
      return navigator.serviceWorker.controller !== null && keys.length === 1 && keys[0] === n &&
             (await (await caches.open(n)).keys()).length === 9;
    }, name, 20000).then(() => true, () => false);
    check(await cachedOnly(`brennow-${oldBuild}`), 'the service worker caches the site and takes the page',
          JSON.stringify(await caches()));
    const running = (tab) => tab.evaluate(() => document.documentElement.dataset.build);

    // A second window of the old build stays open through the update.
    const other = await open(installer, null, phone, { incognito: false });
    await other.goto(versions.url, { waitUntil: 'load' });
    await firstFrame(other);
    versions.setSite(site);
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    check(await running(page) === build, 'a new version served after the old is the one that runs',
          await running(page));
    // Once the new worker has taken over: it has cached its build and done
    // with the others' what it would.
    const both = await waitFor(page, async (n) => {
      const registration = await navigator.serviceWorker.getRegistration();
      return registration && registration.active && registration.active.state === 'activated' &&
             !registration.installing && !registration.waiting && (await caches.keys()).includes(n) &&
             (await (await caches.open(n)).keys()).length === 9;
    }, `brennow-${build}`, 20000).then(() => true, () => false);
    const kept = await other.evaluate(async (size) => (await (await fetch(`brennow.js?v=${
      document.documentElement.dataset.build}`)).arrayBuffer()).byteLength === size, script.length + 8);
    check(both && kept && (await caches()).includes(`brennow-${oldBuild}`),
          'while a window of the old version is open, its files stay with it', JSON.stringify(await caches()));
    await other.close();
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    check(await cachedOnly(`brennow-${build}`), 'once it is closed, the new version\'s cache replaces the old one',
          JSON.stringify(await caches()));

    // The old page, caught loading when its files are gone from every cache
    // and the server has the new ones: it comes again, as the new version.
    const oldPage = fs.readFileSync(path.join(old, 'index.html'));
    pageFault = (response) => {
      pageFault = null;
      response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8', 'Cache-Control': 'no-store' })
        .end(oldPage);
    };
    await page.reload({ waitUntil: 'load' });
    const caught = await waitFor(page, (b) => document.documentElement.dataset.build === b &&
                                 window.__seen.puts.length > 0, build, 20000).then(() => true, () => false);
    const failure = await page.evaluate(() => document.documentElement.dataset.ended || '');
    check(caught && failure === '', 'a page left with another version\'s files loads again as the new one',
          `${await running(page)} ${failure}`);

    // A server that answers the page with an error: the kept build plays.
    for (const status of [500, 502, 503, 404]) {
      pageFault = (response) => response.writeHead(status, { 'Content-Type': 'text/html' })
        .end(`<!doctype html><title>${status}</title><p>the server's error page`);
      await page.reload({ waitUntil: 'load' });
      await firstFrame(page, 10000).catch(() => {});
      check(await running(page) === build, `a server answering ${status} for the page gets the kept game`,
            await page.evaluate(() => document.body.textContent.slice(0, 80)));
    }
    pageFault = (response) => response.writeHead(410, { 'Content-Type': 'text/html' }).end('<p>gone for good');
    await page.reload({ waitUntil: 'load' });
    check(/gone for good/.test(await page.evaluate(() => document.body.textContent)),
          'a server saying the page is gone for good (410) is shown');

    // A server that keeps the page waiting: the kept build after 5 s.
    let held = null;
    pageFault = (response) => {
      held = response;
    };
    const asked = Date.now();
    await page.reload({ waitUntil: 'load', timeout: 20000 }).catch(() => {});
    await firstFrame(page, 10000).catch(() => {});
    const waited = (Date.now() - asked) / 1000;
    check(await running(page) === build && waited >= 5 && waited < 9,
          'a server that keeps the page waiting gets the kept game after 5 s', `${waited} s`);
    held?.destroy();
    pageFault = null;

    // A build's mark that it found no room stays while a window runs that
    // build, and goes with a build no window runs.
    await page.evaluate(async (names) => Promise.all(names.map((name) => caches.open(name))),
                        [`brennow-no-room-${build}`, `brennow-no-room-${oldBuild}`]);
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    const marks = await waitFor(page, async (old) => !(await caches.has(old)), `brennow-no-room-${oldBuild}`, 10000)
      .then(() => page.evaluate(() => caches.keys()), () => null);
    check(marks !== null && marks.includes(`brennow-no-room-${build}`),
          'a no-room mark stays while its build runs and goes with a build gone', JSON.stringify(marks));

    // The caches deleted by hand while the worker stays: the next online
    // visit fills this build's again, and offline plays.
    await page.evaluate(async () => Promise.all((await caches.keys()).map((name) => caches.delete(name))));
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    check(await cachedOnly(`brennow-${build}`), 'caches deleted while the worker stays are filled again online',
          JSON.stringify(await caches()));

    await versions.close();
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page, 10000).catch(() => {});
    const s = await state(page).catch(() => null);
    check(await running(page) === build, 'with the server gone, a reload opens the cached page', await running(page));
    if (s) {
      same(await shot(page, s.canvas), enlarge(frame(), 2), 'with the server gone, the first frame is the headless one');
    }
    check(page.errors.length === 0, 'no errors in the page offline', page.errors.join('; '));
    await installer.close();
  }

  // --- too little room for the offline copy: one try, nothing left behind -------
  {
    const build = fs.readFileSync(path.join(site, 'index.html'), 'utf8').match(/data-build="(\w+)"/)[1];
    const small = await serve(site);
    const browser = await launch();
    const page = await open(browser, null, { width: 390, height: 844, scale: 3, touch: true }, { incognito: false });
    await page.cdp.send('Storage.overrideQuotaForOrigin', { origin: small.url.slice(0, -1), quotaSize: 300 * 1024 });
    await page.goto(small.url, { waitUntil: 'load' });
    await firstFrame(page);
    const marked = await waitFor(page, (b) => caches.has(`brennow-no-room-${b}`), build, 20000)
      .then(() => true, () => false);
    const left = await page.evaluate(() => caches.keys());
    check(marked && left.length === 1, 'an install that finds no room leaves only its mark', JSON.stringify(left));
    const programs = () => small.sent.filter((s) => s.file.endsWith('brennow.wasm')).length;
    const before = programs();
    await page.reload({ waitUntil: 'load' });
    await firstFrame(page);
    await sleep(2000);
    const registered = await page.evaluate(async () => (await navigator.serviceWorker.getRegistrations()).length);
    check(programs() - before === 1 && registered === 0,
          'the next visit fetches the program once, for the page alone, and tries no install',
          `${programs() - before} fetches, ${registered} workers`);
    check(page.errors.length === 0, 'no errors in the page without room', page.errors.join('; '));
    await browser.close();
    await small.close();
  }
  // --- the files do not come: the page says which and why, and can try again ----
  {
    const wasm = fs.readFileSync(path.join(site, 'brennow.wasm'));
    let stalled = null;
    const faults = {
      'missing script': ['/brennow.js', (response) => response.writeHead(404, 'Not Found').end(),
        /the server answered 404 \(Not Found\) for brennow\.js/],
      'missing program': ['/brennow.wasm', (response) => response.writeHead(404, 'Not Found').end(),
        /the server answered 404 \(Not Found\) for brennow\.wasm/],
      'program cut short': ['/brennow.wasm', (response) => {
        response.writeHead(200, { 'Content-Type': 'application/wasm' }).end(wasm.subarray(0, wasm.length >> 1));
      }, /download of brennow\.wasm was cut off after \d+ KB of \d+ KB/],
      // Much at once, then the connection closes: what came is counted all the same.
      'program cut at once': ['/brennow.wasm', (response) => {
        response.writeHead(200, { 'Content-Type': 'application/wasm', 'Content-Length': wasm.length });
        response.write(wasm.subarray(0, 460000), () => response.socket.destroy());
      }, /download of brennow\.wasm was cut off after 449 KB of \d+ KB/],
      'a web page for the program': ['/brennow.wasm', (response) => {
        response.writeHead(200, { 'Content-Type': 'text/html' }).end('<!doctype html><title>Not here</title>');
      }, /the server sent a web page in place of brennow\.wasm/],
      'program stalled': ['/brennow.wasm', (response) => {
        response.writeHead(200, { 'Content-Type': 'application/wasm', 'Content-Length': wasm.length });
        response.write(wasm.subarray(0, 100000));
        stalled = response;
      }, /download of brennow\.wasm stopped at \d+ KB of \d+ KB and did not go on for \d+ seconds/],
    };
    let fault = null;
    const faulty = await serve(site, {
      compress: true,
      intercept: (name, request, response) => {
        if (fault && name === fault[0]) {
          fault[1](response);
          return true;
        }
        return false;
      },
    });
    for (const [what, broken] of Object.entries(faults)) {
      fault = broken;
      const page = await open(browser, faulty.url, { width: 390, height: 844, scale: 3, touch: true });
      const ended = await waitFor(page, () => document.documentElement.dataset.ended === 'failure', undefined, 20000)
        .then(() => true, () => false);
      const shown = await page.evaluate(() => ({
        text: document.getElementById('failure').textContent,
        retry: !document.getElementById('retry').hidden,
        stage: document.getElementById('stage').hidden,
      }));
      check(ended && broken[2].test(shown.text) && shown.retry && shown.stage && !/ASSERTIONS|Aborted/.test(shown.text),
            `${what}: the page says what failed and offers to try again`, JSON.stringify(shown));
      check(page.errors.length === 0, `${what}: no uncaught error or unhandled rejection`, page.errors.join('; '));
      if (stalled) {
        stalled.destroy();
        stalled = null;
      }
      if (what === 'missing program') {
        fault = null;
        const retry = await page.evaluate(() => {
          const r = document.getElementById('retry').getBoundingClientRect();
          return [r.left + r.width / 2, r.top + r.height / 2];
        });
        await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), tap(page, retry)]);
        const started = await firstFrame(page, 10000).then(() => true, () => false);
        check(started, 'once the file is there, "Try again" starts the game');
      }
      await page.closeAll();
    }

    // A server that does not know the program's type still gets it run:
    // the browser refuses to compile such a download as it streams in.
    fault = ['/brennow.wasm', (response) => {
      response.writeHead(200, { 'Content-Type': 'application/octet-stream' }).end(wasm);
    }];
    {
      const page = await open(browser, faulty.url, { width: 390, height: 844, scale: 3, touch: true });
      const started = await firstFrame(page, 10000).then(() => true, () => false);
      check(started && page.errors.length === 0, 'a program served as any binary file runs', page.errors.join('; '));
      await page.closeAll();
    }

    // A slow phone network: the page shows that it loads, and how far.
    fault = null;
    const page = await open(browser, null, { width: 390, height: 844, scale: 3, touch: true });
    await page.cdp.send('Network.enable');
    await page.cdp.send('Network.emulateNetworkConditions', {
      offline: false, latency: 150, downloadThroughput: 1.6e6 / 8, uploadThroughput: 0.75e6 / 8 });
    const started = Date.now();
    page.goto(faulty.url, { waitUntil: 'load' }).catch(() => {});
    const shares = [];
    await waitFor(page, () => document.getElementById('loading-bar') !== null, undefined, 10000);
    while (Date.now() - started < 60000) {
      const seen = await page.evaluate(() => ({
        loading: !document.getElementById('loading').hidden,
        text: document.getElementById('loading-text').textContent,
        frames: window.__seen ? window.__seen.puts.length : 0,
      })).catch(() => null);
      if (seen && seen.frames > 0) {
        check(!seen.loading, 'on a slow network the loading state goes once the game shows');
        break;
      }
      if (seen && seen.loading) {
        shares.push(Number((seen.text.match(/(\d+) %/) || [])[1]));
      }
      await sleep(250);
    }
    const rising = shares.filter((v) => v > 0 && v < 100);
    check(rising.length >= 3 && rising[rising.length - 1] > rising[0],
          'on a slow network the page says it is loading, and how far', shares.join(' '));
    console.log(`     first frame after ${((Date.now() - started) / 1000).toFixed(1)} s at 1.6 Mbit/s, 150 ms`);
    await page.closeAll();
    await faulty.close();
  }
} finally {
  await closeRun(browser, server, tmp, failures());
}
exitWith('page', failures());
