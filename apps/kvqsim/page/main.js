// Wires the page together: each state from kvqsim is merged into the scene
// and goes to the map, the 3D view, the cockpit's areas, the dialog and the
// sound; what the person does goes back as inputs. The page knows no vessel
// class: everything it draws is what the host holds.

import { Socket } from './socket.js';
import { SceneState } from './scene.js';
import { MeshLibrary } from './meshes.js';
import { TextureLibrary } from './textures.js';
import { SceneMap } from './map.js';
import { View3D } from './view3d.js';
import { CockpitAreas } from './areas.js';
import { Keyboard, HELP } from './keys.js';
import { Sound } from './sound.js';
import { InputBoxDialog } from './dialog.js';
import { Planner } from './planner.js';
import { AnalogueControls } from './controls.js';
import { EventList, CrewList } from './events.js';

const $ = (id) => document.getElementById(id);
const VIEW_RADIUS = 120;  // m around the 3D camera's target: vessels there come at every state

let state = null;
let lastBoxSeq = -1;
const scene = new SceneState();
const meshes = new MeshLibrary();
const textures = new TextureLibrary();

function status(text, bad) {
  $('status').textContent = text;
  $('status').title = text;
  $('status').classList.toggle('bad', !!bad);
}

const socket = new Socket({
  onState: (s) => { scene.update(s); state = s; render(s); },
  onMessage: (m) => {
    if (planner.onMessage(m)) return;
    if (m.type === 'error') status(`refused: ${m.message}`, true);
    else if (m.type === 'saved') status(`saved ${m.path}`);
    else if (m.type === 'notice') status(m.message);
    else if (m.type === 'bye') status('session ended', true);
  },
  onStatus: status,
  // The session ended or turned this page away: nothing here acts any more.
  onEnd: () => {
    ended = true;
    document.body.classList.add('ended');
    $('ended').hidden = false;
    for (const c of document.querySelectorAll('button, select, input')) c.disabled = true;
    map.setTool(null);
  },
});
let ended = false;

const map = new SceneMap($('map'), $('follow'), meshes);
const view = new View3D($('view3d'), meshes, textures);
const areas = new CockpitAreas($('areas'), view, (area, event, button, x, y) =>
  socket.send({ type: 'mouse', area, event, button, x, y }));
const sound = new Sound();
const planner = new Planner(map, (m) => socket.send(m));
const analogue = new AnalogueControls((m) => socket.send(m));
const events = new EventList($('events'));
const crew = new CrewList($('crew'));
const dialog = new InputBoxDialog($('inputbox'), {
  enter: (text) => { lastBoxSeq = socket.send({ type: 'inputbox', action: 'enter', text }); },
  escape: () => socket.send({ type: 'inputbox', action: 'escape' }),
});
const keyboard = new Keyboard({
  send: (code, down) => socket.send({ type: 'key', code, down }),
  pageKey: (code) => {
    if (!state) return;
    const names = [...scene.vessels.keys()];
    if (code === 'F3' && names.length) {
      const i = names.indexOf(state.focus);
      socket.send({ type: 'focus', vessel: names[(i + 1) % names.length] });
    } else if (code === 'Pause') {
      socket.send({ type: 'pause', paused: !state.paused });
    }
  },
  blocked: () => dialog.open,
  lost: () => socket.send({ type: 'blur' }),
});

// The view: outside, or the cockpit (entering it takes it from whoever sat there).
function setCamera(mode) {
  view.setMode(mode);
  for (const b of document.querySelectorAll('[data-camera]')) b.classList.toggle('on', b.dataset.camera === mode);
  if (mode === 'cockpit' && state && state.cockpit.position < 0) socket.send({ type: 'cockpit', position: 0 });
}
for (const b of document.querySelectorAll('[data-camera]')) b.addEventListener('click', () => setCamera(b.dataset.camera));

// Tool bar.
$('focus').addEventListener('change', (e) => {
  socket.send({ type: 'focus', vessel: e.target.value });
  e.target.blur();  // the keys belong to the vessel again
});
for (const b of document.querySelectorAll('[data-position]'))
  b.addEventListener('click', () => {
    socket.send({ type: 'cockpit', position: Number(b.dataset.position) });
    setCamera('cockpit');
  });
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
// Tool bar buttons keep no keyboard focus: Space and Enter belong to the vessel.
for (const b of document.querySelectorAll('#toolbar button, #map-tools button'))
  b.addEventListener('focus', () => b.blur());

$('help').innerHTML = HELP.map(([title, rows]) =>
  `<h3>${title}</h3><table>${rows.map(([k, d]) => `<tr><td>${k}</td><td>${d}</td></tr>`).join('')}</table>`).join('');

const escape = (t) => String(t).replace(/&/g, '&amp;').replace(/</g, '&lt;');

function render(s) {
  if (ended) return;
  $('clock').textContent = `t = ${s.simt.toFixed(1)} s`;
  $('realtime').textContent = s.paused ? 'paused' : `${s.realtime.toFixed(2)}× real time`;
  const select = $('focus');
  const names = [...scene.vessels.keys()];
  if (select.dataset.names !== names.join('\n')) {
    select.innerHTML = names.map((n) => `<option>${escape(n)}</option>`).join('');
    select.dataset.names = names.join('\n');
  }
  if (document.activeElement !== select) select.value = s.focus ?? '';
  const { position, neighbours } = s.cockpit;
  for (const b of document.querySelectorAll('[data-position]')) {
    const p = Number(b.dataset.position);
    // Seats apply only in the cockpit, and only the neighbours of this one.
    b.disabled = position < 0 || !(p === position || neighbours.includes(p));
    b.classList.toggle('on', p === position);
  }
  // Someone else took the cockpit: this page looks from outside again.
  if (view.mode === 'cockpit' && position < 0 && s.cockpit.owner !== null && s.cockpit.owner !== s.person)
    setCamera('outside');
  $('view-note').textContent = view.mode === 'cockpit' && position < 0
    ? (s.cockpit.owner !== null && s.cockpit.owner !== s.person ? 'someone else is in the cockpit' : `${s.focus ?? 'this vessel'} has no cockpit`)
    : '';
  for (const b of document.querySelectorAll('[data-accel]'))
    b.classList.toggle('on', !s.paused && Number(b.dataset.accel) === s.accel);
  $('pause').classList.toggle('on', s.paused);
  $('debug').textContent = s.debug;
  $('people').textContent = s.people.map((p) =>
    `${p.id === s.person ? 'you' : `#${p.id}`}: ${p.focus ?? '—'}${p.cockpit ? ' (cockpit)' : ''}`).join(' · ');
  const wasOpen = dialog.open;
  dialog.update(s.inputbox, s.seq, lastBoxSeq);
  if (dialog.open && !wasOpen) keyboard.releaseAll();
  textures.update(s.textures, s.cockpit.areas);
  map.update(scene, s);
  view.update(scene, s);
  areas.update(s);
  sound.update(s.sound);
  planner.update(s);
  analogue.update(s);
  events.update(s);
  crew.update(scene, s);
  tellView();
}

// kvqsim sends in full what lies around the 3D camera's target, and the
// rest as positions now and then.
let lastView = '';
function tellView() {
  const t = view.target;
  const m = map.view();
  const centre = t ? { east: t.x, north: -t.z } : { east: m.east, north: m.north };
  const radius = Math.max(VIEW_RADIUS, view.mode === 'outside' ? view.camera.position.distanceTo(view.controls.target) * 2 : 0);
  const key = `${Math.round(centre.east / 10)},${Math.round(centre.north / 10)},${Math.round(radius / 10)}`;
  if (key === lastView) return;
  lastView = key;
  socket.send({ type: 'view', east: centre.east, north: centre.north, radius });
}

// The 3D frames drawn and the time between the last ones (ms), for
// benchmarks and tests: window.kvqsimFrames.
const frames = { count: 0, gaps: [], last: 0 };
window.kvqsimFrames = frames;
function frame(now) {
  if (!ended) analogue.poll();
  map.draw();
  if (view.render()) {
    frames.count++;
    if (frames.last) frames.gaps.push(now - frames.last);
    if (frames.gaps.length > 240) frames.gaps.shift();
    frames.last = now;
  }
  areas.place();
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
