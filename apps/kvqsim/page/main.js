// Wires the page together: the latest state from kvqsim goes to the map,
// the cockpit, the dialog and the sound; what the person does goes back as
// inputs.

import { Socket } from './socket.js';
import { SceneMap } from './map.js';
import { Cockpit } from './cockpit.js';
import { Keyboard, HELP } from './keys.js';
import { Sound } from './sound.js';
import { InputBoxDialog } from './dialog.js';

const $ = (id) => document.getElementById(id);

let state = null;
let lastBoxSeq = -1;

function status(text, bad) {
  $('status').textContent = text;
  $('status').classList.toggle('bad', !!bad);
}

const socket = new Socket({
  onState: (s) => { state = s; render(s); },
  onMessage: (m) => {
    if (m.type === 'error') status(`refused: ${m.message}`, true);
    else if (m.type === 'saved') status(`saved ${m.path}`);
    else if (m.type === 'notice') status(m.message);
    else if (m.type === 'bye') status('session ended', true);
  },
  onStatus: status,
  // The session ended or turned this page away: nothing here acts any more.
  onEnd: () => {
    document.body.classList.add('ended');
    for (const c of document.querySelectorAll('button, select, input')) c.disabled = true;
  },
});

const map = new SceneMap($('map'), $('follow'));
const cockpit = new Cockpit($('cockpit'), (area, event, button, x, y) =>
  socket.send({ type: 'mouse', area, event, button, x, y }));
const sound = new Sound();
const dialog = new InputBoxDialog($('inputbox'), {
  enter: (text) => { lastBoxSeq = socket.send({ type: 'inputbox', action: 'enter', text }); },
  escape: () => socket.send({ type: 'inputbox', action: 'escape' }),
});
const keyboard = new Keyboard({
  send: (code, down) => socket.send({ type: 'key', code, down }),
  pageKey: (code) => {
    if (!state) return;
    if (code === 'F3' && state.vessels.length) {
      const i = state.vessels.findIndex((v) => v.name === state.focus);
      socket.send({ type: 'focus', vessel: state.vessels[(i + 1) % state.vessels.length].name });
    } else if (code === 'Pause') {
      socket.send({ type: 'pause', paused: !state.paused });
    }
  },
  blocked: () => dialog.open,
  lost: () => socket.send({ type: 'blur' }),
});

// Tool bar.
$('focus').addEventListener('change', (e) => {
  socket.send({ type: 'focus', vessel: e.target.value });
  e.target.blur();  // the keys belong to the vessel again
});
for (const b of document.querySelectorAll('[data-position]'))
  b.addEventListener('click', () => socket.send({ type: 'cockpit', position: Number(b.dataset.position) }));
for (const b of document.querySelectorAll('[data-accel]'))
  b.addEventListener('click', () => socket.send({ type: 'time', accel: Number(b.dataset.accel) }));
$('pause').addEventListener('click', () => state && socket.send({ type: 'pause', paused: !state.paused }));
$('save').addEventListener('click', () => socket.send({ type: 'save' }));
$('quit').addEventListener('click', () => socket.send({ type: 'quit' }));
$('zoom-in').addEventListener('click', () => map.zoom(1.5));
$('zoom-out').addEventListener('click', () => map.zoom(1 / 1.5));
$('sound').addEventListener('click', () => {
  if (sound.enabled) sound.disable(); else sound.enable();
  $('sound').textContent = sound.enabled ? 'Sound off' : 'Sound on';
  $('sound').classList.toggle('on', sound.enabled);
});
$('help-toggle').addEventListener('click', () => { $('help').hidden = !$('help').hidden; });
// Buttons keep no keyboard focus: Space and Enter belong to the vessel.
for (const b of document.querySelectorAll('button')) b.addEventListener('focus', () => b.blur());

$('help').innerHTML = HELP.map(([title, rows]) =>
  `<h3>${title}</h3><table>${rows.map(([k, d]) => `<tr><td>${k}</td><td>${d}</td></tr>`).join('')}</table>`).join('');

function render(s) {
  $('clock').textContent = `t = ${s.simt.toFixed(1)} s`;
  $('realtime').textContent = s.paused ? 'paused' : `${s.realtime.toFixed(2)}× real time`;
  const select = $('focus');
  const names = s.vessels.map((v) => v.name);
  if (select.dataset.names !== names.join('\n')) {
    select.innerHTML = names.map((n) => `<option>${n.replace(/</g, '&lt;')}</option>`).join('');
    select.dataset.names = names.join('\n');
  }
  if (document.activeElement !== select) select.value = s.focus ?? '';
  const { position, neighbours } = s.cockpit;
  for (const b of document.querySelectorAll('[data-position]')) {
    const p = Number(b.dataset.position);
    b.disabled = !(position < 0 || p === position || neighbours.includes(p));
    b.classList.toggle('on', p === position);
  }
  $('people').textContent = s.people.map((p) =>
    `${p.id === s.person ? 'you' : `#${p.id}`}: ${p.focus ?? '—'}${p.cockpit ? ' (cockpit)' : ''}`).join(' · ');
  for (const b of document.querySelectorAll('[data-accel]'))
    b.classList.toggle('on', !s.paused && Number(b.dataset.accel) === s.accel);
  $('pause').classList.toggle('on', s.paused);
  $('debug').textContent = s.debug;
  const wasOpen = dialog.open;
  dialog.update(s.inputbox, s.seq, lastBoxSeq);
  if (dialog.open && !wasOpen) keyboard.releaseAll();
  map.update(s);
  cockpit.update(s);
  sound.update(s.sound);
}

function frame() {
  map.draw();
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
