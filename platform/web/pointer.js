// The page's pointer input, the mouse's and a finger's alike, on the
// playfield and on the box's layer, handed to brennow_pointer (input.cpp)
// with the page point and the buttons as the page gives them; the backend
// maps them to a pixel and to the game's bits. A press is followed to its
// release wherever that happens: the element captures the pointer, as the
// desktop's window keeps a held mouse. One press at a time: a second finger
// is ignored until the first lifts. A finger is the mouse with its main
// button held: put down, it moves the pointer there and presses; lifted, it
// releases; cancelled by the system, it releases without a click. Pointer
// events rather than html5's touch callbacks, so that the mouse and the
// finger take one road, capture included, and the browser's mouse emulation
// of a tap has no listener. $PointerTarget and $PointerKind are written from
// pointer_codes.h at build time.

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
      let held = null;  // the pointer followed: its id, and whether it is a finger
      const send = (kind, e, button, buttons) => _brennow_pointer(backend, target, kind, e.clientX, e.clientY,
                                                                  button, buttons, e.shiftKey, e.ctrlKey, e.altKey);
      const handlers = {
        pointerdown: (e) => {
          const finger = e.pointerType === 'touch';
          if (held !== null || (!finger && heldBit(e.button) === 0)) {
            return;
          }
          held = {id: e.pointerId, finger};
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
            const button = held.finger ? MAIN : e.button;
            held = null;
            send(PointerKind.Up, e, button, 0);
          }
        },
        pointercancel: (e) => {
          if (held !== null && e.pointerId === held.id) {
            held = null;
            send(PointerKind.Cancel, e, MAIN, 0);
          }
        },
      };
      Object.keys(handlers).forEach(function(type) {
        element.addEventListener(type, handlers[type]);
        listeners.push([element, type, handlers[type]]);
      });
    });
    Module['brennowPointers'] = listeners;
  },

  brennow_unlisten_pointers: function() {
    (Module['brennowPointers'] || []).forEach(function([element, type, handler]) {
      element.removeEventListener(type, handler);
    });
    Module['brennowPointers'] = null;
  },
});
