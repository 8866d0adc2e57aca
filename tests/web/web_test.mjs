// The web build in headless chromium, compared with the headless backend's
// frames and box pixel for pixel.
//   node web_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR
// Every wait is bounded; WEB_KEEP=1 keeps the pictures of a failed check.
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {
  HEIGHT, WIDTH, busyTime, checks, closeRun, crop, enlarge, exitWith, launch, openPage, rectOf, screenshotOf, serve,
  toolPicture, waitFor,
} from './lib.mjs';

const [frameTool, boxTool, site] = process.argv.slice(2);
if (!site) {
  console.error('usage: node web_test.mjs BRENNOW_FRAME BRENNOW_BOX SITE_DIR');
  process.exit(2);
}
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), 'brennow-web-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const { check, same, failures } = checks(tmp);

const frame = (...steps) => toolPicture(frameTool, steps, tmp);
const puts = (page) => page.evaluate(() => window.__seen.puts.length);

// A press at a playfield pixel, as the player's pointer would make it.
async function pointAt(page, x, y) {
  const canvas = await rectOf(page, 'canvas');
  return [canvas.x + (x + 0.5) * (canvas.width / WIDTH), canvas.y + (y + 0.5) * (canvas.height / HEIGHT)];
}

// Waits until the page has presented count frames more than before.
async function presented(page, before, count = 1) {
  await waitFor(page, (n) => window.__seen.puts.length >= n, before + count);
}

const LEFT = 37;
const UP = 38;
const DOWN = 40;
const KEYS = { [LEFT]: 'ArrowLeft', [UP]: 'ArrowUp', [DOWN]: 'ArrowDown' };
const PROMPT = [200, 180];  // on "Click to Start": a click there starts a round, a move there steers nothing
const SCORE = [184, 8, 97, 33];  // lblScore
const LOST = 'Oh NO!~ You lost! But you got 0';

async function keys(page, code, times) {
  const before = await puts(page);
  for (let i = 0; i < times; ++i) {
    await page.keyboard.press(KEYS[code]);
  }
  await presented(page, before, times);
}

// Walks the figure up onto where obstacle 3 starts, and starts the round:
// the first tick moves the obstacle at most 5 right and 9 down, still onto
// the figure, so the round ends at once with a score of 0.
async function loseAtOnce(page) {
  await keys(page, UP, 26);
  await page.mouse.click(...(await pointAt(page, ...PROMPT)));
  await waitFor(page, () => !document.getElementById('modal').hidden);
}

// Clicks "Save replay" at its place and gives the download: its name and text.
// The catch is in place before the click, since an evaluate not waited for
// may reach the page after it.
async function saveAt(page, place) {
  await page.evaluate(() => {
    window.__saved = new Promise((resolve) => {
      const click = HTMLAnchorElement.prototype.click;
      HTMLAnchorElement.prototype.click = function () {
        HTMLAnchorElement.prototype.click = click;
        fetch(this.href).then((r) => r.text()).then((text) => resolve({ name: this.download, text }));
      };
      setTimeout(() => resolve({ name: 'nothing downloaded in 10 s', text: '' }), 10000);
    });
  });
  await page.mouse.click(place.x + place.width / 2, place.y + place.height / 2);
  return page.evaluate(() => window.__saved);
}

const server = await serve(site);
const browser = await launch();
try {
  // --- the page, its first frame, and a page waiting for the click ----------
  {
    const page = await openPage(browser, server.url);
    await waitFor(page, () => window.__seen.puts.length > 0);
    const info = await page.evaluate(() => ({
      title: document.title,
      icon: document.querySelector('link[rel="icon"]')?.href,
      focus: document.activeElement?.id,
      hint: document.getElementById('hint')?.textContent,
      size: [document.getElementById('canvas').width, document.getElementById('canvas').height],
      rendering: getComputedStyle(document.getElementById('canvas')).imageRendering,
    }));
    check(info.title === 'Orvixel', 'the page is titled "Orvixel"', info.title);
    const icon = info.icon ? await page.evaluate((url) => fetch(url).then((r) => r.ok && r.headers.get('content-type')),
                                                 info.icon) : null;
    check(icon === 'image/png', 'the favicon is the game icon, served', String(icon));
    check(info.focus === 'canvas', 'the keyboard focus is on the playfield', info.focus);
    check(/arrow keys/.test(info.hint || ''), 'a hint for the controls is under the playfield', info.hint);
    check(info.size[0] === WIDTH && info.size[1] === HEIGHT && info.rendering === 'pixelated',
          'the playfield is a 464 x 349 canvas with crisp pixels', JSON.stringify(info));
    same(await screenshotOf(page, 'canvas'), frame(), 'the first frame equals the headless one');

    // Nothing changes until the click: no frame, no timer, no animation frame.
    const since = await page.evaluate(() => performance.now());
    const busy = await busyTime(page);
    await sleep(3000);
    const idle = await page.evaluate((t) => ({
      puts: window.__seen.puts.filter((p) => p.t > t).length,
      timers: window.__seen.timers.filter((p) => p.t > t).map((p) => p.name),
    }), since);
    const share = (await busyTime(page) - busy) / 3;
    check(idle.puts === 0, 'no frame while waiting for the click', `${idle.puts} frames`);
    check(idle.timers.length === 0, 'no wake-up while waiting for the click', idle.timers.join(', '));
    check(share < 0.02, 'the main thread is idle while waiting', `${(share * 100).toFixed(2)} % busy`);

    // The arrow keys steer and must not scroll the page; the mouse steers.
    await page.evaluate(() => {
      window.__prevented = [];
      addEventListener('keydown', (e) => window.__prevented.push(e.defaultPrevented));
    });
    await keys(page, LEFT, 3);
    await keys(page, DOWN, 2);
    const prevented = await page.evaluate(() => window.__prevented);
    check(prevented.length === 5 && prevented.every(Boolean), 'the arrow keys do not reach the page',
          JSON.stringify(prevented));
    same(await screenshotOf(page, 'canvas'), frame('key:37', 'key:37', 'key:37', 'key:40', 'key:40'),
         'the frame after arrow keys equals the headless one');
    // Any key redraws the figure a step on, as on the desktop: one with a
    // code the game ignores (F13) and one the desktop had no code for.
    let before = await puts(page);
    await page.keyboard.press('F13');
    await page.keyboard.press('Convert');
    await presented(page, before, 2);
    const arrows = ['key:37', 'key:37', 'key:37', 'key:40', 'key:40', 'key:124', 'key:255'];
    same(await screenshotOf(page, 'canvas'), frame(...arrows), 'other keys step the figure as on the desktop');
    before = await puts(page);
    await page.mouse.move(...(await pointAt(page, 300, 200)));
    await presented(page, before);
    await sleep(100);
    same(await screenshotOf(page, 'canvas'), frame(...arrows, 'move:300,200'),
         'the frame after a mouse move equals the headless one');
    check(page.errors.length === 0, 'no errors in the page', page.errors.join('; '));
    await page.close();
  }

  // --- a dense screen: each pixel a square of 2 x 2 ----------------------------
  {
    const page = await openPage(browser, server.url, { scale: 2 });
    await waitFor(page, () => window.__seen.puts.length > 0);
    await keys(page, LEFT, 1);
    const before = await puts(page);
    await page.mouse.move(...(await pointAt(page, 101, 57)));
    await presented(page, before);
    same(await screenshotOf(page, 'canvas'), enlarge(frame('key:37', 'move:101,57'), 2),
         'at twice the density the frame is the same, each pixel 2 x 2, and the pointer maps back');
    await page.close();
  }

  // --- a round: obstacles move, the score rises by 10 every 100 ms -------------
  {
    const page = await openPage(browser, server.url);
    await waitFor(page, () => window.__seen.puts.length > 0);
    // The figure walked off the playfield, where nothing reaches it.
    await keys(page, LEFT, 70);
    await page.mouse.move(...(await pointAt(page, ...PROMPT)));
    const clicked = await page.evaluate(() => performance.now());
    await page.mouse.click(...(await pointAt(page, ...PROMPT)));
    await sleep(2500);
    const round = await page.evaluate((t, score) => {
      const after = window.__seen.puts.filter((p) => p.t > t);
      const times = (match) => {
        const frames = new Map(after.filter((p) => match(p.rect)).map((p) => [p.frame, p.t]));
        return [...frames.values()];
      };
      return {
        moves: times((r) => r[2] === 20 && r[3] === 20 || r[2] === 21 || r[3] === 21).length,
        scores: times((r) => r.join() === score.join()),
      };
    }, clicked, SCORE);
    check(round.moves > 100, 'the obstacles move after the click', `${round.moves} frames with obstacles moved`);
    const steps = round.scores.slice(1).map((t, i) => t - round.scores[i]);
    const mean = steps.reduce((a, b) => a + b, 0) / Math.max(steps.length, 1);
    check(round.scores.length >= 22 && round.scores.length <= 26 && Math.abs(mean - 100) < 5,
          'the score changes every 100 ms', `${round.scores.length} changes in 2.5 s, ${mean.toFixed(1)} ms apart`);
    // Its text: read when no obstacle is over it, against the headless frame
    // with the same score.
    let compared = false;
    for (let attempt = 0; attempt < 40 && !compared; ++attempt) {
      const seen = await page.evaluate((t, score) => {
        const changes = new Set(window.__seen.puts.filter((p) => p.t > t && p.rect.join() === score.join())
          .map((p) => p.frame)).size;
        const context = document.getElementById('canvas').getContext('2d');
        return { changes, pixels: [...context.getImageData(...score).data] };
      }, clicked, SCORE);
      const rgb = Buffer.alloc(SCORE[2] * SCORE[3] * 3);
      let grey = true;
      for (let i = 0, j = 0; i < seen.pixels.length; i += 4, j += 3) {
        [rgb[j], rgb[j + 1], rgb[j + 2]] = seen.pixels.slice(i, i + 3);
        grey &&= seen.pixels[i] === seen.pixels[i + 1] && seen.pixels[i + 1] === seen.pixels[i + 2];
      }
      const want = crop(frame(...Array(70).fill('key:37'), `click:${PROMPT}`, `wait:${seen.changes * 100 + 50}`),
                        ...SCORE);
      let wantGrey = true;
      for (let j = 0; j < want.rgb.length; j += 3) {
        wantGrey &&= want.rgb[j] === want.rgb[j + 1] && want.rgb[j + 1] === want.rgb[j + 2];
      }
      if (grey && wantGrey) {
        same({ width: SCORE[2], height: SCORE[3], rgb }, want,
             `the score after ${seen.changes} changes reads ${seen.changes * 10}, as headless`);
        compared = true;
      }
      await sleep(130);
    }
    check(compared, 'the score could be read clear of the obstacles');

    // A tab the browser froze in the background: back in front, the timers
    // catch up by one tick, as after any stall, not with a burst of them.
    const frozen = await page.evaluate(() => performance.now());
    await page.cdp.send('Page.setWebLifecycleState', { state: 'frozen' });
    await sleep(2000);
    await page.cdp.send('Page.setWebLifecycleState', { state: 'active' });
    await sleep(500);
    const after = await page.evaluate((t, score) => {
      // Back in front: the first frame after the longest pause.
      const puts = window.__seen.puts.filter((p) => p.t > t);
      let back = 0;
      for (let i = 1; i < puts.length; ++i) {
        back = puts[i].t - puts[i - 1].t > puts[back].t - (back > 0 ? puts[back - 1].t : t) ? i : back;
      }
      const soon = puts.filter((p) => p.t >= puts[back].t && p.t < puts[back].t + 90);
      return {
        scores: new Set(soon.filter((p) => p.rect.join() === score.join()).map((p) => p.frame)).size,
        frames: new Set(soon.map((p) => p.frame)).size,
        away: puts[back].t - (back > 0 ? puts[back - 1].t : t),
      };
    }, frozen, SCORE);
    check(after.away > 1500 && after.scores <= 1 && after.frames <= 8,
          'after two seconds frozen in the background, one tick catches up, no burst', JSON.stringify(after));
    await page.close();
  }

  // --- game over: the box, each way to close it, input dropped while it is open --
  {
    const page = await openPage(browser, server.url);
    await waitFor(page, () => window.__seen.puts.length > 0);
    const first = frame();
    const prompt = [144, 168, 137, 33];  // Label1
    const ways = [
      ['Enter', (p) => p.keyboard.press('Enter')],
      ['Space', (p) => p.keyboard.press('Space')],
      ['Escape', (p) => p.keyboard.press('Escape')],
      ['its OK button', async (p) => {
        const box = await rectOf(p, 'box');
        // Pressed on OK and let go elsewhere: not a click; then a click.
        const ok = [box.x + box.width / 2, box.y + box.height - 12 - 23 / 2];  // the button's middle
        await p.mouse.move(...ok);
        await p.mouse.down();
        await p.mouse.move(box.x + 5, box.y + 5);
        await p.mouse.up();
        await sleep(200);
        if (await p.evaluate(() => document.getElementById('modal').hidden)) {
          throw new Error('a press let go off the button closed the box');
        }
        await p.mouse.click(...ok);
      }],
    ];
    for (const [way, close] of ways) {
      await loseAtOnce(page);
      const title = await page.evaluate(() => document.getElementById('box-title').textContent);
      check(title === 'Brennow', `the game-over box is titled "Brennow" (${way})`, title);
      if (way === 'Enter') {
        same(await screenshotOf(page, 'box'), toolPicture(boxTool, [LOST], tmp),
             'the game-over box equals the headless one');
        const playfield = await rectOf(page, 'canvas');
        const box = await rectOf(page, 'dialog');
        const centred = Math.abs(box.x + box.width / 2 - (playfield.x + playfield.width / 2)) <= 1 &&
                        Math.abs(box.y + box.height / 2 - (playfield.y + playfield.height / 2)) <= 1;
        check(centred, 'the box is centred over the playfield', JSON.stringify({ playfield, box }));
      }
      // Keys, moves and clicks while the box is open reach nothing.
      const since = await page.evaluate(() => performance.now());
      await page.keyboard.press('ArrowLeft');
      await page.keyboard.press('a');
      await page.mouse.click(...(await pointAt(page, ...PROMPT)));
      await page.mouse.move(...(await pointAt(page, 30, 300)));
      await sleep(300);
      const during = await page.evaluate((t) => window.__seen.puts.filter((p) => p.t > t).length, since);
      check(during === 0, `nothing is drawn while the box is open (${way})`, `${during} frames`);
      await page.mouse.move(1, 1);
      try {
        await close(page);
        await waitFor(page, () => document.getElementById('modal').hidden, undefined, 3000);
        check(true, `the box closes with ${way}`);
      } catch (error) {
        check(false, `the box closes with ${way}`, error.message);
        break;
      }
      // The form was loaded afresh and shown once; then the round does not start
      // again and the dropped keys draw no figure.
      await sleep(200);
      const shown = await page.evaluate(() => performance.now());
      await sleep(1000);
      const after = await page.evaluate((t) => window.__seen.puts.filter((p) => p.t > t).length, shown);
      check(after === 0, `after the box nothing moves until the next click (${way})`, `${after} frames`);
      same(await crop(await screenshotOf(page, 'canvas'), ...prompt), crop(first, ...prompt),
           `"Click to Start" shows again (${way})`);
      const focus = await page.evaluate(() => document.activeElement?.id);
      check(focus === 'canvas', `the focus is back on the playfield (${way})`, focus);
    }
    check(page.errors.length === 0, 'no errors in the page', page.errors.join('; '));
    await page.close();
  }

  // --- replays: a round saved from the page verifies on Linux; the page plays a
  // Linux recording to the same box --------------------------------------------
  {
    const page = await openPage(browser, server.url);
    await waitFor(page, () => window.__seen.puts.length > 0);
    const hidden = await page.evaluate(() => document.getElementById('save-replay').hidden);
    check(hidden, 'no "Save replay" before a round has ended');
    await loseAtOnce(page);
    // In the box's layer, which takes every click while the box is open: the
    // control is there, under the box, clear of the playfield's middle.
    const place = await page.evaluate(() => {
      const save = document.getElementById('save-replay');
      const box = document.getElementById('dialog').getBoundingClientRect();
      const at = save.getBoundingClientRect();
      return { layer: save.parentElement.id, hidden: save.hidden, below: at.top >= box.bottom, x: at.x, y: at.y,
               width: at.width, height: at.height };
    });
    check(place.layer === 'modal' && !place.hidden && place.below,
          '"Save replay" shows in the box\'s layer, under the box, once the box opens', JSON.stringify(place));
    const file = await saveAt(page, place);
    check(/^brennow-\d{8}-\d{4}\.replay$/.test(file.name), 'the download is named as a replay', file.name);
    check(!(await page.evaluate(() => document.getElementById('modal').hidden)), 'the click did not close the box');
    await page.keyboard.press('Enter');
    await waitFor(page, () => document.getElementById('modal').hidden);
    const bar = await page.evaluate(() => document.getElementById('save-replay').parentElement.id);
    check(bar === 'bar', 'with the box closed, "Save replay" is back under the playfield', bar);
    const later = await saveAt(page, await rectOf(page, 'save-replay'));
    check(later.text.startsWith(file.text), 'saved under the playfield, the replay goes on from the one saved in the box',
          later.name);
    const recording = path.join(tmp, 'web.replay');
    fs.writeFileSync(recording, file.text);
    const game = path.join(path.dirname(path.resolve(frameTool)), '..', 'brennow');
    const verified = spawnSync(game, ['--verify', recording], { encoding: 'utf8', timeout: 30000 });
    check(verified.status === 0 && verified.stdout.startsWith('round 1: 0\n'),
          'the Linux build verifies the replay saved in the page',
          `status ${verified.status}: ${verified.stdout}${verified.stderr}`);
    check(page.errors.length === 0, 'no errors in the page', page.errors.join('; '));

    // A Linux recording, opened in the page: a fresh game plays it back, the
    // player's input steering nothing, to the same box; then a fresh game.
    const linux = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..', 'replay', 'recordings',
                               'two_rounds.replay');
    const input = await page.$('#replay-file');
    const opened = page.waitForNavigation({ timeout: 20000 });
    await input.uploadFile(linux);
    await opened;
    await waitFor(page, () => !document.getElementById('replay-note').hidden);
    const note = await page.evaluate(() => document.getElementById('replay-note').textContent);
    check(note === 'Playing a replay.', 'the page says it plays a replay', note);
    await page.keyboard.press('ArrowLeft');
    await waitFor(page, () => !document.getElementById('modal').hidden);
    same(await screenshotOf(page, 'box'), toolPicture(boxTool, ['Oh NO!~ You lost! But you got 270'], tmp),
         'the played-back box equals the one recorded on Linux');
    // The box closes at its recorded time, the second round plays, and the
    // page goes back to a fresh game.
    const ended = page.waitForNavigation({ timeout: 20000 });
    await waitFor(page, () => document.getElementById('modal').hidden, undefined, 5000);
    await ended;
    await waitFor(page, () => window.__seen.puts.length > 0);
    const fresh = await page.evaluate(() => document.getElementById('replay-note').hidden);
    check(fresh, 'after the playback the page plays a fresh game');
    await page.close();
  }

  // --- a page the game cannot run in tells so in the page ----------------------
  // (What the page says when its files do not come is in page_test.mjs.)
  {
    // The page as it is, but its playfield gone by the time the game starts.
    const broken = fs.mkdtempSync(path.join(tmp, 'site-'));
    for (const name of fs.readdirSync(site)) {
      fs.copyFileSync(path.join(site, name), path.join(broken, name));
    }
    const script = path.join(broken, 'brennow.js');
    const original = fs.readFileSync(script);
    fs.writeFileSync(script, Buffer.concat([Buffer.from('document.getElementById("canvas").remove();\n'), original]));
    // The page names its script's size: a script of another size is another build's.
    const index = path.join(broken, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace(`name: 'brennow.js', size: ${original.length} `,
      `name: 'brennow.js', size: ${fs.statSync(script).size} `));
    const brokenServer = await serve(broken);
    const page = await openPage(browser, brokenServer.url);
    await waitFor(page, () => document.documentElement.dataset.ended === 'failure');
    const shown = await page.evaluate(() => ({
      stage: document.getElementById('stage').hidden,
      text: document.getElementById('failure').textContent,
    }));
    check(shown.stage && /cannot run/.test(shown.text), 'the playfield is missing: the page says so in its place',
          JSON.stringify(shown));
    await page.close();
    await brokenServer.close();
  }
} finally {
  await closeRun(browser, server, tmp, failures());
}
exitWith('web', failures());
