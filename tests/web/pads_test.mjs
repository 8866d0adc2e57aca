// Gamepads in the web build, in headless chromium: a standard gamepad of the
// test's own stands in for the browser's (navigator.getGamepads replaced
// before the page's scripts run, gamepadconnected dispatched as the browser
// does once a button is pressed). The d-pad steps and repeats, the stick
// steers, a worn stick at rest does not, A starts the round and closes the
// box, A held as the pad connects or while the page was in the background
// does nothing; the page reads the pad only while it is connected and the
// page shows and has the focus, and slower once the pad lies untouched.
//   node pads_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  busyTime, checks, closeRun, exitWith, launch, openPage, screenshotOf, serve, toolPicture, waitFor,
} from './lib.mjs';

const [frameTool, , site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node pads_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR');
  process.exit(2);
}
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'brennow-pads-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const { check, same, failures } = checks(tmp);

// The test's pad, in the browser's standard mapping. window.__pad drives it;
// window.__reads counts the page's readings of it.
const PAD = `(() => {
  const buttons = Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 }));
  const pad = { id: 'Brennow test pad (STANDARD GAMEPAD)', index: 0, connected: true, mapping: 'standard',
                timestamp: 0, axes: [0, 0, 0, 0], buttons };
  let plugged = false;
  window.__reads = [];
  Object.defineProperty(navigator, 'getGamepads', { configurable: true, value: () => {
    window.__reads.push(performance.now());
    return plugged ? [pad] : [null];
  } });
  const tell = (type) => {
    const event = new Event(type);
    event.gamepad = pad;
    dispatchEvent(event);
  };
  let hidden = false;
  Object.defineProperty(document, 'hidden', { configurable: true, get: () => hidden });
  Object.defineProperty(document, 'visibilityState', { configurable: true, get: () => hidden ? 'hidden' : 'visible' });
  window.__pad = {
    plug() { plugged = true; tell('gamepadconnected'); },
    unplug() { plugged = false; tell('gamepaddisconnected'); },
    button(i, down) {
      buttons[i] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp = performance.now();
    },
    stick(x, y) { pad.axes = [x, y, 0, 0]; pad.timestamp = performance.now(); },
    hide(yes) { hidden = yes; document.dispatchEvent(new Event('visibilitychange')); },
    focus(yes) { dispatchEvent(new Event(yes ? 'focus' : 'blur')); },
  };
})();`;

const A = 0;
const RIGHT = 15;

async function openPadPage(browser, url) {
  const page = await openPage(browser, url, { before: [PAD] });
  await waitFor(page, () => window.__seen.puts.length > 0);
  return page;
}

const now = (page) => page.evaluate(() => performance.now());
// The frames presented whole since t: with nothing else moving, one for
// each key-down, as each draws the figure.
const steps = (page, t) => page.evaluate((since) => {
  const whole = window.__seen.puts.filter((p) => p.t > since && p.rect[2] === 464 && p.rect[3] === 349);
  return [...new Map(whole.map((p) => [p.frame, p.t])).values()];
}, t);
// What the page did over ms: readings of the pad, timers, its main thread's share.
async function idle(page, ms) {
  const t = await now(page);
  const busy = await busyTime(page);
  await sleep(ms);
  // Over the time that passed in the page, which is more than ms by the
  // round trips to it.
  const seen = await page.evaluate((since) => ({
    reads: window.__reads.filter((r) => r > since).length,
    timers: window.__seen.timers.filter((p) => p.t > since).length,
    seconds: (performance.now() - since) / 1000,
  }), t);
  return { ...seen, share: (await busyTime(page) - busy) / seen.seconds };
}

const frame = (...args) => toolPicture(frameTool, args, tmp);
const server = await serve(site);
const browser = await launch();
try {
  const page = await openPadPage(browser, server.url);
  const hint = await page.evaluate(() => {
    const line = document.getElementById('pad-hint');
    return line && !line.hidden ? line.textContent : '';
  });
  check(/gamepad/.test(hint), 'where the browser has the Gamepad API the page says a pad works', hint);

  // No pad: a look at the start, then nothing.
  const none = await idle(page, 2000);
  check(none.reads === 0 && none.timers === 0, 'with no pad nothing wakes the page', JSON.stringify(none));

  // A pad plugged in with A already down: no click until A is pressed again.
  const moved = (since) => page.evaluate((t) => window.__seen.puts.filter((p) => p.t > t).length, since);
  await page.evaluate((b) => window.__pad.button(b, true), A);
  let t = await now(page);
  await page.evaluate(() => window.__pad.plug());
  const fresh = await idle(page, 1000);
  check(await moved(t) === 0, 'A held as the pad connects does not start the round');
  const freshRate = fresh.reads / fresh.seconds;
  check(freshRate > 50 && freshRate <= 61, 'a pad just connected is read 60 times a second', JSON.stringify(fresh));
  await page.evaluate((b) => window.__pad.button(b, false), A);

  // Untouched for 2 s: read 20 times a second.
  await sleep(2100);
  const connected = await idle(page, 3000);
  const perSecond = connected.reads / connected.seconds;
  check(perSecond > 15 && perSecond <= 21, 'an untouched pad is read 20 times a second', JSON.stringify(connected));
  console.log(`# a pad connected and untouched: main thread ${(connected.share * 100).toFixed(2)} % busy, ` +
              `${perSecond.toFixed(1)} readings/s`);

  // The d-pad held: a step at once, the repeat after 500 ms, then 30 a second.
  t = await now(page);
  const restedPress = await page.evaluate((b) => { window.__pad.button(b, true); return performance.now(); }, RIGHT);
  await sleep(900);
  await page.evaluate((b) => window.__pad.button(b, false), RIGHT);
  await sleep(200);
  const walked = await steps(page, t);
  const gaps = walked.slice(1).map((s, i) => s - walked[i]);
  const first = gaps[0] ?? 0;
  const rest = gaps.slice(1);
  const mean = rest.reduce((a, b) => a + b, 0) / Math.max(rest.length, 1);
  check(walked.length >= 8 && walked.length <= 14 && first > 480 && first < 600 && Math.abs(mean - 33.3) < 8,
        'a held d-pad steps, then repeats after 500 ms at 30 a second',
        `${walked.length} steps, first repeat after ${first.toFixed(0)} ms, then ${mean.toFixed(1)} ms apart`);
  const keys = Array(walked.length).fill('key:39');

  // The stick, pushed left and a little down: one step left.
  t = await now(page);
  const busyPress = await page.evaluate(() => { window.__pad.stick(-0.9, 0.3); return performance.now(); });
  await sleep(150);
  await page.evaluate(() => window.__pad.stick(0, 0));
  await sleep(200);
  const steered = await steps(page, t);
  check(steered.length === 1, 'the stick steers, the axis pushed further', `${steered.length} steps`);
  // How long a press takes to show, after a rest and while in use: a sample
  // of one each, for the log.
  console.log(`# the first press after a rest showed after ${(walked[0] - restedPress).toFixed(1)} ms, ` +
              `a press while in use after ${((steered[0] ?? NaN) - busyPress).toFixed(1)} ms`);
  keys.push(...Array(steered.length).fill('key:37'));

  // A worn stick resting at 0.3, steady and then shaking by 0.1: no step.
  t = await now(page);
  await page.evaluate(() => window.__pad.stick(0.3, 0));
  await sleep(700);
  for (let i = 0; i < 20; ++i) {
    await page.evaluate((x, y) => window.__pad.stick(x, y), i % 2 ? 0.2 : 0.4, i % 3 ? 0.1 : -0.1);
    await sleep(30);
  }
  await page.evaluate(() => window.__pad.stick(0, 0));
  await sleep(100);
  const rested = await steps(page, t);
  check(rested.length === 0, 'a stick resting at 0.3, shaking by 0.1, does not walk', `${rested.length} steps`);
  same(await screenshotOf(page, 'canvas'), frame(...keys), 'the pad walked the figure to the headless frame');

  // Hidden, the page does not read the pad.
  await page.evaluate(() => window.__pad.hide(true));
  await sleep(100);
  const hidden = await idle(page, 1000);
  await page.evaluate(() => window.__pad.hide(false));
  check(hidden.reads === 0 && hidden.timers === 0, 'a hidden page does not read the pad', JSON.stringify(hidden));

  // The page in the background: the pad is not read; A pressed there and
  // still held as the page comes back does nothing.
  await page.evaluate(() => window.__pad.focus(false));
  await sleep(100);
  t = await now(page);
  await page.evaluate((b) => window.__pad.button(b, true), A);
  const away = await idle(page, 500);
  await page.evaluate(() => window.__pad.focus(true));
  await sleep(300);
  check(away.reads === 0 && away.timers === 0, 'a page in the background does not read the pad', JSON.stringify(away));
  check(await moved(t) === 0, 'A held while the page was in the background does not start the round');
  await page.evaluate((b) => window.__pad.button(b, false), A);
  await sleep(100);

  // A starts the round; walked up onto an obstacle first, it ends at once.
  for (let i = 0; i < 26; ++i) {
    await page.keyboard.press('ArrowUp');
  }
  await page.evaluate((b) => window.__pad.button(b, true), A);
  await waitFor(page, () => !document.getElementById('modal').hidden, undefined, 3000)
    .then(() => check(true, 'A starts the round'), (e) => check(false, 'A starts the round', e.message));
  // A, still held from the start, does not close the box; pressed again it does.
  await sleep(300);
  check(!(await page.evaluate(() => document.getElementById('modal').hidden)),
        'A held since before the box opened does not close it');
  await page.evaluate((b) => window.__pad.button(b, false), A);
  await sleep(100);
  await page.evaluate((b) => window.__pad.button(b, true), A);
  await waitFor(page, () => document.getElementById('modal').hidden, undefined, 3000)
    .then(() => check(true, 'A closes the box'), (e) => check(false, 'A closes the box', e.message));
  // That press is not also a click on the reloaded window: no round starts.
  await sleep(300);
  await page.evaluate((b) => window.__pad.button(b, false), A);
  const after = await now(page);
  await sleep(800);
  const closed = await moved(after);
  check(closed === 0, 'the press that closed the box does not start the next round', `${closed} frames`);

  // Unplugged: the page stops reading it.
  await page.evaluate(() => window.__pad.unplug());
  await sleep(200);
  const gone = await idle(page, 1000);
  check(gone.reads === 0 && gone.timers === 0, 'an unplugged pad is not read any more', JSON.stringify(gone));
  check(page.errors.length === 0, 'no errors in the page', page.errors.join('; '));
  await page.close();
} finally {
  await closeRun(browser, server, tmp, failures());
}
exitWith('gamepad', failures());
