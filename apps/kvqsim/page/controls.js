// Analogue controls: sliders for steering, accelerator and brake (mouse and
// touch alike, so a tablet beside the screen works) and a gamepad through
// the browser's Gamepad API (left stick across: steering; right trigger:
// accelerator; left trigger: brake; a dead zone around rest). Both send the
// host's controls with `control` messages, only when a value changed; the
// keyboard stays as the simulator has it. The sliders show the focus
// vessel's controls as kvqsim reports them when nobody moves them.

const $ = (id) => document.getElementById(id);
const DEAD_ZONE = 0.08;  // of an axis' travel around rest
const STEP = 0.01;       // smallest change sent

const SLIDERS = [
  { id: 'ctl-rudder', control: 'rudder' },
  { id: 'ctl-main', control: 'main' },
  { id: 'ctl-brake', control: 'brake' },
];

// An axis' value with the dead zone taken out, still reaching the ends.
export function deadZone(v) {
  const a = Math.abs(v);
  if (a <= DEAD_ZONE) return 0;
  return Math.sign(v) * Math.min(1, (a - DEAD_ZONE) / (1 - DEAD_ZONE));
}

export class AnalogueControls {
  constructor(send) {
    this.send = send;
    this.sent = { main: null, brake: null, rudder: null };
    this.pad = null;  // the gamepad's last values
    for (const s of SLIDERS) {
      const el = $(s.id);
      s.el = el;
      el.addEventListener('input', () => this.set(s.control, Number(el.value)));
      el.addEventListener('pointerdown', () => { s.held = true; });
      // Steering springs back to the middle when let go, as a wheel does.
      const release = () => {
        s.held = false;
        if (s.control === 'rudder') { el.value = 0; this.set('rudder', 0); }
      };
      el.addEventListener('pointerup', release);
      el.addEventListener('pointercancel', release);
      // Arrow keys and Space belong to the vessel, not to a slider.
      el.addEventListener('keydown', (e) => e.preventDefault());
      el.addEventListener('focus', () => el.blur());
    }
    window.addEventListener('gamepadconnected', () => this.showPad());
    window.addEventListener('gamepaddisconnected', () => this.showPad());
  }

  set(control, level) {
    const last = this.sent[control];
    if (last !== null && Math.abs(last - level) < STEP && level !== 0) return;
    if (last === level) return;
    this.sent[control] = level;
    this.send({ type: 'control', control, level });
  }

  showPad() {
    const pad = firstPad();
    $('gamepad').textContent = pad ? `gamepad: ${pad.id.slice(0, 40)}` : 'no gamepad';
    $('gamepad').classList.toggle('on', !!pad);
  }

  // Each animation frame: the gamepad, when there is one.
  poll() {
    const pad = firstPad();
    if (!pad) { this.pad = null; return; }
    const trigger = (i) => (pad.buttons[i] ? pad.buttons[i].value : 0);
    const v = {
      rudder: deadZone(pad.axes[0] || 0),
      main: deadZone(trigger(7)),
      brake: deadZone(trigger(6)),
    };
    const was = this.pad;
    this.pad = v;
    for (const s of SLIDERS) {
      // A control at rest on the pad is left to the keys and sliders.
      if (was === null && v[s.control] === 0) continue;
      if (was !== null && Math.abs(was[s.control] - v[s.control]) < STEP) continue;
      s.el.value = v[s.control];
      this.set(s.control, Math.round(v[s.control] * 100) / 100);
    }
  }

  // The focus vessel's controls as kvqsim reports them.
  update(state) {
    const none = !state.focus;
    for (const s of SLIDERS) {
      s.el.disabled = none;
      if (!s.held) s.el.value = state.controls[s.control];
      $(s.id + '-value').textContent = Number(state.controls[s.control]).toFixed(2);
      this.sent[s.control] = state.controls[s.control];
    }
  }
}

function firstPad() {
  if (!navigator.getGamepads) return null;
  for (const p of navigator.getGamepads()) if (p && p.connected) return p;
  return null;
}
