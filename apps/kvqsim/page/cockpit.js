// The focus tractor's cockpit: the status display and its four keys, the
// gauges, lamps, pedals, steering wheel, levers, switches, the
// steering-mode knob, the refuel button and the doors, each posed by its
// animation state or lit as its beacons are. Every clickable part carries
// data-area="N" (its cockpit area id) and hands the host its mouse events
// with the point within the part as 0..1 coordinates.

import { CLASS_NAME, ANIM, LAMP, anyLit, beaconLit } from './tractor.js';
import { Display } from './display.js';

const SVG = 'http://www.w3.org/2000/svg';
const STEER_MODES = ['front', 'all-wheel', 'crab'];
const VIEWS = ['left seat', 'right seat', 'looking back, left', 'looking back, right'];

function el(tag, attrs = {}, parent = null, text = null) {
  const e = document.createElementNS(SVG, tag);
  for (const [k, v] of Object.entries(attrs)) e.setAttribute(k, v);
  if (text !== null) e.textContent = text;
  if (parent) parent.appendChild(e);
  return e;
}

// Piecewise linear map of x through the points (xs[i], ys[i]).
function through(x, xs, ys) {
  if (x <= xs[0]) return ys[0];
  for (let i = 1; i < xs.length; i++)
    if (x <= xs[i]) return ys[i - 1] + (ys[i] - ys[i - 1]) * (x - xs[i - 1]) / (xs[i] - xs[i - 1]);
  return ys[ys.length - 1];
}

const PANEL_HTML = `
<div class="view" id="cockpit-view"></div>
<div class="display-box controls">
  <canvas id="display" width="485" height="337"></canvas>
  <div class="display-keys">
    <button data-area="11" title="display key 1">&nbsp;</button>
    <button data-area="12" title="display key 2">&nbsp;</button>
    <button data-area="13" title="display key 3">&nbsp;</button>
    <button data-area="14" title="display key 4">&nbsp;</button>
  </div>
</div>
<svg id="panel" class="controls" viewBox="0 0 540 360"></svg>
<div class="levels controls" id="levels"></div>`;

export class Cockpit {
  // mouse(area, action, button, x, y) sends a cockpit mouse event.
  constructor(root, mouse) {
    this.root = root;
    this.mouse = mouse;
    root.innerHTML = PANEL_HTML;
    this.view = root.querySelector('#cockpit-view');
    this.levels = root.querySelector('#levels');
    this.display = new Display(root.querySelector('#display'));
    this.svg = root.querySelector('#panel');
    this.areas = new Map();  // registered area id -> mouse flags
    this.build();
    for (const b of root.querySelectorAll('.display-keys [data-area]')) this.bind(b);
  }

  // Pointer events on a control become the host's mouse events.
  bind(node) {
    const area = Number(node.dataset.area);
    let held = null;
    const at = (e) => {
      const r = node.getBoundingClientRect();
      const clamp = (v) => Math.min(1, Math.max(0, v));
      return [clamp((e.clientX - r.left) / (r.width || 1)), clamp((e.clientY - r.top) / (r.height || 1))];
    };
    node.addEventListener('contextmenu', (e) => e.preventDefault());
    node.addEventListener('pointerdown', (e) => {
      if (e.button !== 0 && e.button !== 2) return;
      e.preventDefault();
      if (!this.areas.has(area) || held) return;
      held = e.button === 2 ? 'right' : 'left';
      node.setPointerCapture(e.pointerId);
      this.mouse(area, 'down', held, ...at(e));
    });
    node.addEventListener('pointermove', (e) => {
      if (held) this.mouse(area, 'move', held, ...at(e));
    });
    const up = (e) => {
      if (!held) return;
      this.mouse(area, 'up', held, ...at(e));
      held = null;
    };
    node.addEventListener('pointerup', up);
    node.addEventListener('pointercancel', up);
  }

  gauge(cx, cy, label, sweep, ticks) {
    const g = el('g', { transform: `translate(${cx} ${cy})` }, this.svg);
    el('circle', { r: 48, fill: '#15181c', stroke: '#555c66', 'stroke-width': 3 }, g);
    ticks.forEach((t, i) => {
      const a = (-sweep / 2 + sweep * i / (ticks.length - 1)) * Math.PI / 180;
      el('line', { x1: 36 * Math.sin(a), y1: -36 * Math.cos(a), x2: 44 * Math.sin(a), y2: -44 * Math.cos(a),
        stroke: '#aab', 'stroke-width': 2 }, g);
      el('text', { x: 27 * Math.sin(a), y: -27 * Math.cos(a) + 4, class: 'small' }, g, t);
    });
    el('text', { y: 30 }, g, label);
    const needle = el('line', { x1: 0, y1: 6, x2: 0, y2: -40, stroke: '#ff5a3c', 'stroke-width': 3,
      'stroke-linecap': 'round' }, g);
    el('circle', { r: 5, fill: '#ccc' }, g);
    return (state) => needle.setAttribute('transform', `rotate(${-sweep / 2 + sweep * state})`);
  }

  lamp(x, y, label, colour) {
    const c = el('circle', { cx: x, cy: y, r: 9, fill: '#333', stroke: '#111' }, this.svg);
    el('text', { x, y: y + 22, class: 'small' }, this.svg, label);
    return (lit) => c.setAttribute('fill', lit ? colour : '#333');
  }

  // A clickable part: a group with a transparent hit rectangle.
  control(area, x, y, w, h, title) {
    const g = el('g', { 'data-area': area }, this.svg);
    el('title', {}, g, title);
    el('rect', { x, y, width: w, height: h, rx: 4, class: 'hit' }, g);
    this.bind(g);
    return g;
  }

  toggle(area, x, y, label) {
    const g = this.control(area, x, y, 44, 30, label);
    el('rect', { x: x + 4, y: y + 4, width: 36, height: 22, rx: 11, fill: '#15181c', stroke: '#555c66' }, g);
    const knob = el('circle', { cx: x + 15, cy: y + 15, r: 8, fill: '#888' }, g);
    el('text', { x: x + 70, y: y + 19 }, this.svg, label);
    return (on) => {
      knob.setAttribute('cx', on ? x + 29 : x + 15);
      knob.setAttribute('fill', on ? '#6ddc5a' : '#888');
    };
  }

  build() {
    const s = this.svg;
    this.set = {};
    this.set.speed = this.gauge(60, 66, 'km/h', 180, ['0', '10', '20', '30']);
    this.set.rpm = this.gauge(175, 66, 'rpm ×1000', 150, ['0', '0.5', '1', '1.5', '2', '2.5']);
    this.set.fuel = this.gauge(290, 66, 'fuel', 120, ['E', '½', 'F']);
    // Gear indicator.
    el('rect', { x: 360, y: 30, width: 160, height: 70, rx: 6, fill: '#15181c', stroke: '#555c66' }, s);
    el('text', { x: 440, y: 92, class: 'small' }, s, 'gear');
    this.gearLetters = ['R', 'N', '1', '2'].map((t, i) =>
      el('text', { x: 385 + i * 37, y: 72, style: 'font-size: 24px; font-weight: bold' }, s, t));
    // Lamps.
    const lamps = [['◀', '#6ddc5a'], ['▶', '#6ddc5a'], ['PARK', '#ff4a3c'], ['BRAKE', '#ff4a3c'],
      ['REV', '#f4f4f4'], ['HEAD', '#7fb2ff'], ['STROBE', '#ffb020']];
    this.lamps = lamps.map(([label, colour], i) => this.lamp(40 + i * 76, 130, label, colour));
    // Steering wheel and pedals (not clickable: the keys drive them).
    const wheel = el('g', { transform: 'translate(75 262)' }, s);
    this.wheel = el('g', {}, wheel);
    el('circle', { r: 52, fill: 'none', stroke: '#777', 'stroke-width': 9 }, this.wheel);
    el('line', { x1: -50, y1: 0, x2: 50, y2: 0, stroke: '#777', 'stroke-width': 7 }, this.wheel);
    el('line', { x1: 0, y1: 0, x2: 0, y2: 50, stroke: '#777', 'stroke-width': 7 }, this.wheel);
    el('circle', { cx: 0, cy: -52, r: 5, fill: '#f2b632' }, this.wheel);
    el('text', { x: 75, y: 335, class: 'small' }, s, 'steering');
    const pedal = (x, label) => {
      el('rect', { x, y: 205, width: 30, height: 100, rx: 4, fill: '#15181c', stroke: '#555c66' }, s);
      const bar = el('rect', { x: x + 3, y: 302, width: 24, height: 0, fill: '#c9a227' }, s);
      el('text', { x: x + 15, y: 320, class: 'small' }, s, label);
      return (v) => { const h = 94 * Math.min(1, Math.max(0, v)); bar.setAttribute('y', 302 - h); bar.setAttribute('height', h); };
    };
    this.set.throttle = pedal(150, 'accel.');
    this.set.brake = pedal(188, 'brake');
    // Gear lever (area 6): the click's height within the slot selects the gear.
    const lever = this.control(6, 236, 180, 44, 160, 'gear lever: click a gear (N, R, 1, 2 top to bottom)');
    el('rect', { x: 252, y: 184, width: 12, height: 152, rx: 6, fill: '#0d0f11', stroke: '#555c66' }, lever);
    const bands = [[0, 0.12, 'N'], [0.12, 0.47, 'R'], [0.47, 0.85, '1'], [0.85, 1, '2']];
    for (const [a, b, t] of bands) {
      el('line', { x1: 238, x2: 250, y1: 180 + 160 * b, y2: 180 + 160 * b, stroke: '#555c66' }, lever);
      el('text', { x: 230, y: 180 + 160 * (a + b) / 2 + 4 }, s, t);
    }
    this.gearKnob = el('circle', { cx: 258, cy: 190, r: 11, fill: '#d0d4da', stroke: '#111' }, lever);
    // Parking-brake lever (area 5).
    const pb = this.control(5, 298, 200, 44, 120, 'parking brake');
    el('rect', { x: 314, y: 210, width: 12, height: 100, rx: 5, fill: '#0d0f11', stroke: '#555c66' }, pb);
    this.pbKnob = el('rect', { x: 304, y: 290, width: 32, height: 16, rx: 4, fill: '#aaa' }, pb);
    el('text', { x: 320, y: 335, class: 'small' }, s, 'parking brake');
    // Switches (areas 7, 8, 9).
    this.set.lights = this.toggle(7, 365, 180, 'lights');
    this.set.beacons = this.toggle(8, 365, 220, 'strobes');
    this.set.realism = this.toggle(9, 365, 260, 'realism');
    // Steering-mode knob (area 15): left click steps up, right click down.
    const knob = this.control(15, 470, 170, 56, 56, 'steering mode: left click up, right click down');
    el('circle', { cx: 498, cy: 198, r: 22, fill: '#15181c', stroke: '#555c66', 'stroke-width': 2 }, knob);
    this.knobPointer = el('line', { x1: 498, y1: 198, x2: 498, y2: 180, stroke: '#f2b632', 'stroke-width': 4,
      'stroke-linecap': 'round' }, knob);
    this.knobLabel = el('text', { x: 498, y: 240, class: 'small' }, s, '');
    // Refuel button (area 10).
    const fuel = this.control(10, 476, 250, 44, 40, 'refuel');
    this.refuel = el('circle', { cx: 498, cy: 270, r: 14, fill: '#3b6fb6', stroke: '#111' }, fuel);
    el('text', { x: 498, y: 302, class: 'small' }, s, 'refuel');
    // Doors (areas 16, 17): hold to let a crew member out.
    const door = (area, x, label) => {
      const d = this.control(area, x, 315, 80, 28, `${label}: hold to send a crew member out`);
      el('rect', { x: x + 2, y: 317, width: 76, height: 24, rx: 4, fill: '#33383f', stroke: '#555c66' }, d);
      el('text', { x: x + 40, y: 333 }, d, label);
    };
    door(16, 365, '◀ left door');
    door(17, 452, 'right door ▶');
  }

  update(state) {
    const focus = state.vessels.find((v) => v.name === state.focus);
    const cockpit = state.cockpit;
    this.areas = new Map(cockpit.areas.map((a) => [a.id, a.mouse]));
    const tractor = focus && focus.class === CLASS_NAME;
    const seated = tractor && cockpit.position >= 0 && cockpit.position <= 1;
    this.root.classList.toggle('none', !seated);
    if (!focus) this.view.textContent = 'No focus vessel';
    else if (!tractor) this.view.textContent = `${focus.name} (${focus.class}): no cockpit`;
    else if (!seated) this.view.textContent = cockpit.position < 0 ? 'No cockpit position'
      : `Position ${cockpit.position}, ${VIEWS[cockpit.position]}: no controls in view`;
    else this.view.textContent = `${focus.name}, position ${cockpit.position}, ${VIEWS[cockpit.position]}`;
    const c = state.controls;
    this.levels.textContent = `accelerator ${Math.round(c.main * 100)} %   brake ${Math.round(c.brake * 100)} %   ` +
      `steering ${c.rudder.toFixed(2)}   steering mode ${c.attmode} (${STEER_MODES[c.attmode] ?? '?'})`;
    if (!seated) return;
    this.display.draw(state.draw);
    const a = (id) => focus.anims[id] ?? 0;
    this.set.speed(a(ANIM.speedometer));
    this.set.rpm(a(ANIM.tachometer));
    this.set.fuel(a(ANIM.fuel));
    const gear = Math.round(a(ANIM.gearIndicator) * 3);  // 0 R, 1 N, 2 first, 3 second
    this.gearLetters.forEach((t, i) => { t.style.fill = i === gear ? '#6ddc5a' : '#4a5058'; });
    this.set.throttle(a(ANIM.throttle));
    this.set.brake(a(ANIM.brakePedal));
    this.wheel.setAttribute('transform', `rotate(${(a(ANIM.steeringWheel) - 0.5) * 450})`);
    this.gearKnob.setAttribute('cy', 180 + 160 * through(a(ANIM.gearLever), [0, 0.25, 0.7, 1], [0.06, 0.295, 0.66, 0.925]));
    this.pbKnob.setAttribute('y', a(ANIM.parkingBrake) > 0.5 ? 212 : 290);
    this.set.lights(a(ANIM.lightSwitch) > 0.5);
    this.set.beacons(a(ANIM.beaconSwitch) > 0.5);
    this.set.realism(a(ANIM.realismSwitch) > 0.5);
    const knob = a(ANIM.steerModeSwitch);
    this.knobPointer.setAttribute('transform', `rotate(${(knob - 0.5) * 90} 498 198)`);
    this.knobLabel.textContent = STEER_MODES[Math.round(knob * 2)] ?? '';
    this.refuel.setAttribute('fill', a(ANIM.refuelButton) < 0.5 ? '#1d3c66' : '#3b6fb6');
    this.root.querySelectorAll('.display-keys [data-area]').forEach((b, i) =>
      b.classList.toggle('pressed', a(ANIM.displayKeys[i]) < 0.5));
    const t = state.simt, flash = t - Math.floor(t) > 0.5;
    const lit = [anyLit(focus, LAMP.indicatorLeft, t) && flash, anyLit(focus, LAMP.indicatorRight, t) && flash,
      anyLit(focus, LAMP.parkingBrake, t), anyLit(focus, LAMP.brake, t), anyLit(focus, LAMP.reverse, t),
      anyLit(focus, LAMP.head, t), LAMP.strobes.some((i) => focus.beacons[i] && beaconLit(focus.beacons[i], t))];
    this.lamps.forEach((set, i) => set(lit[i]));
  }
}
