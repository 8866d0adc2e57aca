// The page's replays: "Save replay" downloads the session played so far,
// "Open a replay…" (or a file dropped on the page) plays one. The program
// keeps the recording in its memory and tells the page through
// window.brennowReplay; a replay to play is handed over across a reload, so
// that it plays from a fresh game, and the page reloads again when it ends.
(() => {
  'use strict';
  const KEY = 'brennow-replay';
  const byId = (id) => document.getElementById(id);
  const bar = byId('bar');
  const modal = byId('modal');
  const dialog = byId('dialog');
  const save = byId('save-replay');
  const open = byId('open-replay');
  const file = byId('replay-file');
  const note = byId('replay-note');
  const canvas = byId('canvas');
  let read = null;  // gives the recording's bytes so far
  let boxSeen = false;

  const say = (text) => {
    note.textContent = text;
    note.hidden = !text;
  };

  // While the box is open its layer takes every click: the control goes
  // there, under the box; else under the playfield, in the bar.
  const follow = () => {
    const shown = !modal.hidden;
    if (shown && read) {
      boxSeen = true;
      save.hidden = false;
    }
    if (shown) {
      modal.appendChild(save);
      const place = dialog.getBoundingClientRect();
      save.classList.add('over-box');
      save.style.left = place.left + 'px';
      save.style.top = place.bottom + 8 + 'px';
    } else {
      save.classList.remove('over-box');
      save.style.left = save.style.top = '';
      bar.insertBefore(save, open);
    }
  };
  new MutationObserver(follow).observe(modal, { attributes: true, attributeFilter: ['hidden', 'style'] });
  new MutationObserver(follow).observe(dialog, { attributes: true, attributeFilter: ['style'] });
  // The box's layer follows its own pointer from the press on: a press on
  // the control is the control's.
  // Stopped before the layer's listeners, which may listen as it goes down.
  addEventListener('pointerdown', (event) => {
    if (event.target === save) {
      event.stopPropagation();
    }
  }, true);

  const stamp = () => new Date().toISOString().slice(0, 16).replace(/[-:]/g, '').replace('T', '-');
  save.addEventListener('click', () => {
    if (!read) {
      return;
    }
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([read()], { type: 'text/plain' }));
    link.download = `brennow-${stamp()}.replay`;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    canvas.focus({ preventScroll: true });
  });

  // A replay to play: kept for the fresh page, which the program asks.
  const play = (chosen) => {
    if (!chosen) {
      return;
    }
    chosen.text().then((text) => {
      try {
        sessionStorage.setItem(KEY, text);
      } catch (error) {
        say(`${chosen.name} is too large to play here.`);
        return;
      }
      location.reload();
    }, () => say(`${chosen.name} cannot be read.`));
  };
  open.addEventListener('click', () => file.click());
  file.addEventListener('change', () => play(file.files[0]));
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    play(event.dataTransfer && event.dataTransfer.files[0]);
  });

  window.brennowReplay = {
    // The program: the replay to play, taken (a reload plays a fresh game).
    take: () => {
      const text = sessionStorage.getItem(KEY);
      sessionStorage.removeItem(KEY);
      return text;
    },
    // The program: its recording so far, read on demand.
    recording: (reader) => {
      read = reader;
      save.hidden = !boxSeen;
    },
    // The program: the recording stopped at the page's limit.
    full: (limit) => say(`The replay keeps the first ${limit} of this session.`),
    playing: () => {
      say('Playing a replay.');
      open.hidden = true;
    },
    refused: (why) => say(`That file does not play: ${why}`),
    // The program: the playback ended; back to a fresh game.
    ended: () => location.reload(),
  };
})();
