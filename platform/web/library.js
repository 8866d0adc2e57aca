// The page's side of the web backend (platform/web/), linked with
// --js-library, as pointer.js is. The page's parts, by id: #canvas the playfield, #modal
// the layer that holds the box over it and takes every click while the box
// is open, #box the box's pixels, #box-title its title, #stage everything of
// the game, #failure where a report goes when the game ends by an error.

mergeInto(LibraryManager.library, {
  // Suspends the C++ stack until brennow_wake or the timeout (negative:
  // none). No timer is set without a deadline, so an idle page never wakes.
  // The stack resumes from a promise, after whatever callback woke it has
  // returned: never inside it.
  brennow_sleep__deps: ['$Asyncify'],
  brennow_sleep: function(milliseconds) {
    return Asyncify.handleAsync(function() {
      return new Promise(function(resolve) {
        const timer = milliseconds >= 0 ? setTimeout(resolve, milliseconds) : null;
        Module['brennowWake'] = function() {
          if (timer !== null) {
            clearTimeout(timer);
          }
          resolve();
        };
      }).then(function() {
        Module['brennowWake'] = null;
      });
    });
  },

  // Suspends the C++ stack for as short as the page allows: what is waiting
  // runs first. Not a timer, which browsers hold back for 4 ms when nested.
  // Each step ended is measured by its name (DevTools' timings, Lighthouse's
  // user timings), from the end of the step before.
  brennow_breathe__deps: ['$Asyncify'],
  brennow_breathe: function(step) {
    const name = 'brennow: ' + UTF8ToString(step);
    return Asyncify.handleAsync(function() {
      try {
        performance.measure(name, {start: Module['brennowStep'] || 0});
      } catch (error) {
        // A browser with no measure from a time (older ones take the object for a mark's name): no timings.
      }
      const resumed = function() {
        Module['brennowStep'] = performance.now();
      };
      if (window.scheduler && scheduler.yield) {
        return scheduler.yield().then(resumed);
      }
      return new Promise(function(resolve) {
        const channel = new MessageChannel();
        channel.port1.onmessage = function() {
          resumed();
          resolve();
        };
        channel.port2.postMessage(0);
      });
    });
  },

  // Calls callback(data) from C++ after the timeout; negative: no call. One
  // at a time: a new one replaces the one pending. It runs while the C++
  // stack may be suspended in brennow_sleep, as the input callbacks do.
  brennow_pad_timer: function(milliseconds, callback, data) {
    if (Module['brennowPadTimer']) {
      clearTimeout(Module['brennowPadTimer']);
      Module['brennowPadTimer'] = null;
    }
    if (milliseconds >= 0) {
      Module['brennowPadTimer'] = setTimeout(function() {
        Module['brennowPadTimer'] = null;
        {{{ makeDynCall('vi', 'callback') }}}(data);
      }, milliseconds);
    }
  },

  brennow_wake: function() {
    const wake = Module['brennowWake'];
    if (wake) {
      wake();
    }
  },

  // Part of an RGBA frame width x height onto the playfield's canvas. The
  // page is told of the first, which takes over from its first look.
  brennow_put: function(pixels, width, height, x, y, w, h) {
    const first = !Module['brennowContext'];
    if (first) {
      Module['brennowContext'] = document.getElementById('canvas').getContext('2d', {alpha: false});
    }
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    Module['brennowContext'].putImageData(image, 0, 0, x, y, w, h);
    if (first && Module['brennowDrawn']) {
      Module['brennowDrawn']();
    }
  },

  brennow_open_box: function(title, width, height) {
    const modal = document.getElementById('modal');
    const box = document.getElementById('box');
    if (!modal || !box) {
      return 0;
    }
    document.getElementById('box-title').textContent = UTF8ToString(title);
    box.width = width;
    box.height = height;
    modal.hidden = false;
    if (Module['brennowScaleBox']) {
      Module['brennowScaleBox']();  // the page's scale, the box over the playfield
    }
    box.focus({preventScroll: true});
    return 1;
  },

  brennow_put_box: function(pixels, width, height) {
    const box = document.getElementById('box');
    const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
    box.getContext('2d', {alpha: false}).putImageData(image, 0, 0);
  },

  brennow_close_box: function() {
    document.getElementById('modal').hidden = true;
    document.getElementById('canvas').focus({preventScroll: true});
  },

  // Where an element lies in the page's client area, and how large it is
  // shown, in CSS pixels: left, top, width, height.
  brennow_place: function(id, place) {
    const r = document.getElementById(UTF8ToString(id)).getBoundingClientRect();
    HEAPF64[place >> 3] = r.left;
    HEAPF64[(place >> 3) + 1] = r.top;
    HEAPF64[(place >> 3) + 2] = r.width;
    HEAPF64[(place >> 3) + 3] = r.height;
  },

  // Whether the page has the parts the game needs. emscripten's html5 calls
  // throw a JavaScript error, not a C++ one, for a part that is missing.
  brennow_page_complete: function() {
    return ['canvas', 'modal', 'box', 'box-title'].every((id) => document.getElementById(id) !== null) ? 1 : 0;
  },

  brennow_show_failure: function(report) {
    const failure = document.getElementById('failure');
    const stage = document.getElementById('stage');
    if (stage) {
      stage.hidden = true;
    }
    if (failure) {
      failure.textContent = UTF8ToString(report);
      failure.hidden = false;
    }
    document.documentElement.dataset.ended = 'failure';
  },
});
