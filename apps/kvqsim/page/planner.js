// The pushback planner, a tool on the map: click points behind the aircraft
// where its tail should go, drag from the last point the way its nose should
// point at the end. kvqsim tries each change of the plan with the controller
// that will fly it and answers with what the aircraft would sweep (or why it
// cannot be done); Start runs it hands-off, Stop (or Space, or any driving
// key) ends it at once. Until the tractor moves, a new Start replaces the
// plan. Plans kept for the aircraft's stand are offered. The page knows
// neither tractor nor aircraft: the focus vessel is the tractor, and the
// answer names the aircraft.

const $ = (id) => document.getElementById(id);
const HANDLE = 12;       // px: a drag starting this near the last point sets the heading
const CHECK_DELAY = 150; // ms of quiet before a changed plan is tried

const fmt = (v, d = 1) => (v ?? 0).toFixed(d);
const deg = (r) => r * 180 / Math.PI;

export class Planner {
  constructor(map, send) {
    this.map = map;
    this.send = send;
    this.points = [];       // { e, n }: where the aircraft's origin should pass
    this.heading = null;    // degrees: the aircraft's final heading (null: as the path leads)
    this.preview = null;    // the answer to the last plan tried
    this.refused = '';
    this.checkSeq = -1;
    this.startSeq = -1;
    this.active = false;
    this.progress = null;
    this.plan = null;       // the running push's plan, as kvqsim sent it
    this.offered = [];
    $('plan-tool').addEventListener('click', () => this.toggle());
    $('plan-clear').addEventListener('click', () => this.clear());
    $('plan-start').addEventListener('click', () => this.start());
    $('plan-stop').addEventListener('click', () => this.send({ type: 'pushback', stop: true }));
    $('plan-offered').addEventListener('change', (e) => {
      const p = this.offered[Number(e.target.value)];
      e.target.value = '';
      e.target.blur();
      if (!p) return;
      this.points = p.points.map(({ e, n }) => ({ e, n }));
      this.heading = p.heading;
      this.changed();
    });
    this.tool = {
      down: (p, e) => this.down(p, e),
      move: (p) => { if (this.dragging) this.heading = headingOf(this.last(), p); },
      up: () => { this.dragging = false; this.changed(); },
      click: (p) => { this.points.push(p); this.changed(); },
      draw: (map, ctx) => this.draw(map, ctx),
    };
  }

  last() { return this.points[this.points.length - 1]; }

  toggle() {
    this.active = !this.active;
    $('plan-tool').classList.toggle('on', this.active);
    this.map.setTool(this.active ? this.tool : null);
    if (this.active) this.map.follow.checked = false;
  }

  clear() {
    this.points = [];
    this.heading = null;
    this.preview = null;
    this.refused = '';
    this.render();
  }

  // A drag that starts on the last point turns the final heading.
  down(p) {
    const last = this.last();
    if (!last) return false;
    const [x0, y0] = this.map.toScreen(last.e, last.n);
    const [x1, y1] = this.map.toScreen(p.e, p.n);
    this.dragging = Math.hypot(x1 - x0, y1 - y0) * (window.devicePixelRatio || 1) < HANDLE * 2;
    return this.dragging;
  }

  // The message of the plan as it stands; null when there is none.
  message() {
    if (!this.points.length) return null;
    let heading = this.heading;
    if (heading === null) {
      // The nose points back along the last stretch: the tail led.
      const a = this.points.length > 1 ? this.points[this.points.length - 2] : null;
      heading = a ? headingOf(this.last(), a) : 0;
    }
    heading = ((heading % 360) + 360) % 360;
    const points = this.points.map(({ e, n }) => ({ e: Math.round(e * 100) / 100, n: Math.round(n * 100) / 100 }));
    return { type: 'pushback', points, heading: Math.round(heading * 10) / 10 };
  }

  changed() {
    this.preview = null;
    this.refused = '';
    this.render();
    clearTimeout(this.timer);
    this.timer = setTimeout(() => {
      const m = this.message();
      if (m) this.checkSeq = this.send({ ...m, check: true });
    }, CHECK_DELAY);
  }

  start() {
    const m = this.message();
    if (m) this.startSeq = this.send(m);
  }

  // Answers from kvqsim: the plan tried, or why it was refused.
  onMessage(m) {
    if (m.type === 'plan' && m.seq === this.checkSeq) {
      this.preview = m;
      this.refused = '';
    } else if (m.type === 'error' && (m.seq === this.checkSeq || m.seq === this.startSeq)) {
      this.refused = m.message;
      if (m.seq === this.checkSeq) this.preview = null;
    } else {
      return false;
    }
    this.render();
    return true;
  }

  update(state) {
    if (state.plans) {
      this.offered = state.plans;
      $('plan-offered').innerHTML = '<option value="">kept plans…</option>' + this.offered.map((p, i) =>
        `<option value="${i}">${escape(p.aircraft)}: ${p.points.length} points, ${Math.round(p.heading)}°</option>`).join('');
      $('plan-offered').disabled = !this.offered.length;
    }
    if (state.plan) this.plan = state.plan;
    this.progress = state.pushback;
    this.focus = state.focus;
    this.render();
  }

  render() {
    const p = this.progress;
    const running = !!(p && p.running);
    $('plan-start').disabled = !this.preview || !this.focus;
    $('plan-stop').disabled = !running;
    $('plan-clear').disabled = !this.points.length;
    let note = '';
    if (this.refused) note = `refused: ${this.refused}`;
    else if (this.preview) note = `${this.preview.aircraft}: ${fmt(this.preview.distance, 0)} m, ends ${fmt(this.preview.errPos, 2)} m and ${fmt(this.preview.errHdg)}° off, towbar up to ${fmt(this.preview.maxTowbar, 0)}°`;
    else if (this.points.length) note = 'trying the plan…';
    else note = this.active ? 'click where the tail should go; drag from the last point to set the final heading' : '';
    $('plan-note').textContent = note;
    $('plan-note').classList.toggle('bad', !!this.refused);
    let text = '';
    if (p) {
      text = `${p.aircraft || '—'} by ${p.tractor}: ${p.phase}`;
      if (p.running) text += ` · ${fmt(p.togo)} m to go · ${fmt(p.off, 2)} m off · ${fmt(p.heading)}°`;
      else if (p.phase === 'done') text += ` · ${fmt(p.errPos, 2)} m, ${fmt(p.errHdg)}° off`;
      else if (p.reason) text += ` · ${p.reason}`;
    }
    $('plan-progress').textContent = text;
  }

  // The plan being made (points, heading, the sweep kvqsim foresaw), and the
  // running push's plan.
  draw(map, ctx) {
    const p = this.progress;
    if (p && p.running && this.plan && this.plan.number === p.number) this.drawSweep(map, ctx, this.plan.aircraft, this.plan.sweep, 'rgba(120, 200, 255, 0.35)');
    if (this.preview) this.drawSweep(map, ctx, this.preview.aircraft, this.preview.sweep, 'rgba(242, 182, 50, 0.35)');
    ctx.save();
    ctx.strokeStyle = this.refused ? '#ff7a6b' : '#f2b632';
    ctx.fillStyle = ctx.strokeStyle;
    ctx.lineWidth = 2;
    ctx.setLineDash([6, 4]);
    ctx.beginPath();
    this.points.forEach((q, i) => {
      const [x, y] = map.toScreen(q.e, q.n);
      if (i === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
    });
    ctx.stroke();
    ctx.setLineDash([]);
    for (const q of this.points) {
      const [x, y] = map.toScreen(q.e, q.n);
      ctx.beginPath(); ctx.arc(x, y, 4, 0, 2 * Math.PI); ctx.fill();
    }
    const m = this.message();
    const last = this.last();
    if (m && last) {
      // The final heading: an arrow the way the nose will point.
      const a = m.heading * Math.PI / 180;
      const [x0, y0] = map.toScreen(last.e, last.n);
      const len = 40;
      const x1 = x0 + len * Math.sin(a), y1 = y0 - len * Math.cos(a);
      ctx.beginPath(); ctx.moveTo(x0, y0); ctx.lineTo(x1, y1); ctx.stroke();
      ctx.beginPath();
      ctx.moveTo(x1, y1);
      ctx.lineTo(x1 - 10 * Math.sin(a - 0.4), y1 + 10 * Math.cos(a - 0.4));
      ctx.lineTo(x1 - 10 * Math.sin(a + 0.4), y1 + 10 * Math.cos(a + 0.4));
      ctx.closePath(); ctx.fill();
    }
    ctx.restore();
  }

  // The aircraft's outline at its poses along the push, and the path of its
  // origin.
  drawSweep(map, ctx, name, sweep, colour) {
    const v = map.scene && map.scene.get(name);
    if (!sweep || !sweep.length) return;
    ctx.save();
    ctx.lineWidth = 1;
    const every = Math.max(1, Math.round(sweep.length / 40));
    if (v) sweep.forEach(([e, n, h], i) => { if (i % every === 0 || i === sweep.length - 1) map.drawOutlineAt(v, e, n, h, colour); });
    ctx.strokeStyle = colour.replace(/[\d.]+\)$/, '0.9)');
    ctx.lineWidth = 2;
    ctx.beginPath();
    sweep.forEach(([e, n], i) => {
      const [x, y] = map.toScreen(e, n);
      if (i === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
    });
    ctx.stroke();
    ctx.restore();
  }
}

function headingOf(from, to) {
  return (deg(Math.atan2(to.e - from.e, to.n - from.n)) + 360) % 360;
}

const escape = (t) => String(t).replace(/&/g, '&amp;').replace(/</g, '&lt;');
