// The page's pointer input, the mouse's and a finger's alike, on the
// playfield and on the box's layer, handed to brennow_pointer (input.cpp)
// with the page point and the buttons as the page gives them; the backend
// maps them to a pixel and to the game's bits. A press is followed to its
// release wherever that happens: the element captures the pointer, as the
// desktop's window keeps a held mouse. One press at a time: a second finger
// is ignored until the first lifts; one still down then steers from its next
// move, as the mouse held does, and its lift is no click, since it never
// pressed. A finger is the mouse with its main button held: put down, it
// moves the pointer there and presses; lifted, it releases; cancelled by the
// system, it releases without a click. Pointer events rather than html5's
// touch callbacks, so that the mouse and the finger take one road, capture
// included, and the browser's mouse emulation of a tap has no listener. A
// tap the page kept while the program loaded comes first, on the same road.
// $PointerTarget and $PointerKind are written from pointer_codes.h at build
// time.

mergeInto(LibraryManager.library, {
  brennow_listen_pointers__deps: ['$PointerTarget', '$PointerKind'],
  brennow_listen_pointers: function(backend) {
    const MAIN = 0;  // the page's main button, and its bit among those held
    const MAIN_HELD = 1;
    // The page's own relation of a button to its bit among those held: 0 the
    // main, 1 the middle, 2 the other; the rest (back, forward) the game
    // does not take.
    const heldBit = (button) => [1, 4, 2][button] || 0;
    const listeners = [];
    [['canvas', PointerTarget.Playfield], ['modal', PointerTarget.Box]].forEach(function([id, target]) {
      const element = document.getElementById(id);
      // The pointer followed: its id, whether it is a finger, and whether it
      // pressed (a finger that took over from one lifted did not).
      let held = null;
      const waiting = [];  // fingers down while another was followed, oldest first
      const send = (kind, e, button, buttons) => _brennow_pointer(backend, target, kind, e.clientX, e.clientY,
                                                                  button, buttons, e.shiftKey, e.ctrlKey, e.altKey,
                                                                  e.pointerType === 'touch');
      // The followed finger is gone: the one down longest, if any, follows.
      const next = () => {
        const id = waiting.shift();
        held = id === undefined ? null : {id: id, finger: true, pressed: false};
      };
      const forget = (e) => {
        if (waiting.includes(e.pointerId)) {
          waiting.splice(waiting.indexOf(e.pointerId), 1);
        }
      };
      const handlers = {
        pointerdown: (e) => {
          const finger = e.pointerType === 'touch';
          if (held !== null || (!finger && heldBit(e.button) === 0)) {
            if (finger && held !== null && held.id !== e.pointerId) {
              waiting.push(e.pointerId);
            }
            return;
          }
          held = {id: e.pointerId, finger: finger, pressed: true};
          element.setPointerCapture(e.pointerId);
          if (finger) {
            send(PointerKind.Move, e, MAIN, 0);
          }
          send(PointerKind.Down, e, finger ? MAIN : e.button, finger ? MAIN_HELD : e.buttons);
        },
        pointermove: (e) => {
          if (held === null) {
            if (e.pointerType !== 'touch' && e.buttons === 0) {
              send(PointerKind.Move, e, MAIN, 0);  // the mouse over the element, no button held
            }
            return;
          }
          if (e.pointerId !== held.id) {
            return;
          }
          if (!held.finger && heldBit(e.button) !== 0) {
            // Another button of the held mouse went down or up.
            send(e.buttons & heldBit(e.button) ? PointerKind.Down : PointerKind.Up, e, e.button, e.buttons);
          }
          send(PointerKind.Move, e, MAIN, held.finger ? MAIN_HELD : e.buttons);
        },
        pointerup: (e) => {
          if (held !== null && e.pointerId === held.id) {
            const lifted = held;
            next();
            if (lifted.pressed) {
              send(PointerKind.Up, e, lifted.finger ? MAIN : e.button, 0);
            }
          } else {
            forget(e);
          }
        },
        pointercancel: (e) => {
          if (held !== null && e.pointerId === held.id) {
            const cancelled = held;
            next();
            if (cancelled.pressed) {
              send(PointerKind.Cancel, e, MAIN, 0);
            }
          } else {
            forget(e);
          }
        },
      };
      Object.keys(handlers).forEach(function(type) {
        element.addEventListener(type, handlers[type]);
        listeners.push([element, type, handlers[type]]);
      });
    });
    Module['brennowPointers'] = listeners;
    // The tap kept while loading, in playfield pixels: a finger's move,
    // press and release on that pixel's middle, where the canvas is now.
    const tap = Module['brennowTakeTap'] ? Module['brennowTakeTap']() : null;
    if (tap) {
      const canvas = document.getElementById('canvas');
      const r = canvas.getBoundingClientRect();
      const x = r.left + (tap.x + 0.5) * r.width / canvas.width;
      const y = r.top + (tap.y + 0.5) * r.height / canvas.height;
      [[PointerKind.Move, 0], [PointerKind.Down, MAIN_HELD], [PointerKind.Up, 0]].forEach(function([kind, buttons]) {
        _brennow_pointer(backend, PointerTarget.Playfield, kind, x, y, MAIN, buttons, false, false, false, true);
      });
    }
  },

  brennow_unlisten_pointers: function() {
    (Module['brennowPointers'] || []).forEach(function([element, type, handler]) {
      element.removeEventListener(type, handler);
    });
    Module['brennowPointers'] = null;
  },
});
