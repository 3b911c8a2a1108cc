// The scene from above: a metre grid and scale bar, every vessel's outline
// at its position and heading with its name, tracks fading behind them,
// lit lamps, and the tractor's wheels turned as its steering animations
// say. Drag to pan, wheel to zoom; "follow" keeps the focus vessel in the
// middle. Positions are metres east and north of the scene's origin.

import { CLASS_NAME, WHEEL_HUBS, WHEEL_SIZE, wheelAngles, beaconLit } from './tractor.js';

const TRACK_SECONDS = 90;    // of simulation time kept behind each vessel
const TRACK_STEP = 0.1;      // m between track points
const GRID_STEPS = [0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500];
const FILL = { KVQ_R7700: '#f2b632', Towbar: '#b8bec7', UMmu: '#ff8c42' };
const DEFAULT_FILL = '#8fb8e8';

export class SceneMap {
  constructor(canvas, followBox) {
    this.canvas = canvas;
    this.ctx = canvas.getContext('2d');
    this.follow = followBox;
    this.scale = 12;  // px per metre
    this.centre = { e: 0, n: 0 };
    this.tracks = new Map();  // name -> [{ e, n, t }]
    this.state = null;
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      this.zoom(e.deltaY < 0 ? 1.2 : 1 / 1.2);
    }, { passive: false });
    canvas.addEventListener('pointerdown', (e) => {
      this.drag = { x: e.clientX, y: e.clientY, e: this.centre.e, n: this.centre.n };
      canvas.setPointerCapture(e.pointerId);
      canvas.style.cursor = 'grabbing';
    });
    canvas.addEventListener('pointermove', (e) => {
      if (!this.drag) return;
      const dx = e.clientX - this.drag.x, dy = e.clientY - this.drag.y;
      if (Math.abs(dx) + Math.abs(dy) > 3) this.follow.checked = false;
      this.centre = { e: this.drag.e - dx / this.scale, n: this.drag.n + dy / this.scale };
    });
    const end = () => { this.drag = null; canvas.style.cursor = 'grab'; };
    canvas.addEventListener('pointerup', end);
    canvas.addEventListener('pointercancel', end);
  }

  zoom(f) { this.scale = Math.min(400, Math.max(0.5, this.scale * f)); }

  update(state) {
    if (this.state && state.simt < this.state.simt) this.tracks.clear();  // a new session
    this.state = state;
    for (const v of state.vessels) {
      let t = this.tracks.get(v.name);
      if (!t) { t = []; this.tracks.set(v.name, t); }
      const last = t[t.length - 1];
      if (!last || Math.hypot(v.east - last.e, v.north - last.n) >= TRACK_STEP)
        t.push({ e: v.east, n: v.north, t: state.simt });
      while (t.length && state.simt - t[0].t > TRACK_SECONDS) t.shift();
    }
    const names = new Set(state.vessels.map((v) => v.name));
    for (const name of [...this.tracks.keys()]) if (!names.has(name)) this.tracks.delete(name);
  }

  // Screen position of a point east and north of the origin.
  toScreen(e, n) {
    const { width, height } = this.canvas;
    return [width / 2 + (e - this.centre.e) * this.scale, height / 2 - (n - this.centre.n) * this.scale];
  }

  // A point of a vessel's frame (x right, z forward) on the screen.
  vesselPoint(v, x, z) {
    const s = Math.sin(v.hdg), c = Math.cos(v.hdg);
    return this.toScreen(v.east + x * c + z * s, v.north - x * s + z * c);
  }

  draw() {
    const { canvas, ctx } = this;
    const dpr = window.devicePixelRatio || 1;
    const w = Math.round(canvas.clientWidth * dpr), h = Math.round(canvas.clientHeight * dpr);
    if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
    ctx.fillStyle = '#20242a';
    ctx.fillRect(0, 0, w, h);
    const state = this.state;
    if (!state) return;
    const focus = state.vessels.find((v) => v.name === state.focus);
    if (this.follow.checked && focus) this.centre = { e: focus.east, n: focus.north };
    this.drawGrid();
    this.drawTracks();
    for (const v of state.vessels) this.drawVessel(v, v.name === state.focus);
    this.drawScale();
  }

  gridStep() {
    return GRID_STEPS.find((s) => s * this.scale >= 40) ?? GRID_STEPS[GRID_STEPS.length - 1];
  }

  drawGrid() {
    const { ctx, canvas } = this;
    const step = this.gridStep();
    const e0 = this.centre.e - canvas.width / 2 / this.scale, e1 = this.centre.e + canvas.width / 2 / this.scale;
    const n0 = this.centre.n - canvas.height / 2 / this.scale, n1 = this.centre.n + canvas.height / 2 / this.scale;
    ctx.lineWidth = 1;
    for (let e = Math.floor(e0 / step) * step; e <= e1; e += step) {
      const [x] = this.toScreen(e, 0);
      ctx.strokeStyle = Math.abs(e) < 1e-9 ? '#4a525c' : '#2c3138';
      ctx.beginPath(); ctx.moveTo(x, 0); ctx.lineTo(x, canvas.height); ctx.stroke();
    }
    for (let n = Math.floor(n0 / step) * step; n <= n1; n += step) {
      const [, y] = this.toScreen(0, n);
      ctx.strokeStyle = Math.abs(n) < 1e-9 ? '#4a525c' : '#2c3138';
      ctx.beginPath(); ctx.moveTo(0, y); ctx.lineTo(canvas.width, y); ctx.stroke();
    }
  }

  drawScale() {
    const { ctx, canvas } = this;
    const step = this.gridStep() * 2;
    const len = step * this.scale;
    const x = 16, y = canvas.height - 20;
    ctx.strokeStyle = '#e4e6e9';
    ctx.lineWidth = 2;
    ctx.beginPath(); ctx.moveTo(x, y - 5); ctx.lineTo(x, y); ctx.lineTo(x + len, y); ctx.lineTo(x + len, y - 5); ctx.stroke();
    ctx.fillStyle = '#e4e6e9';
    ctx.font = '12px "Liberation Sans", sans-serif';
    ctx.textAlign = 'left';
    ctx.fillText(`${step} m  (grid ${step / 2} m)`, x + len + 8, y);
    ctx.textAlign = 'center';
    ctx.fillText('N ↑', canvas.width - 24, 20);
  }

  drawTracks() {
    const { ctx, state } = this;
    ctx.lineWidth = 2;
    for (const [, t] of this.tracks) {
      for (let i = 1; i < t.length; i++) {
        const age = state.simt - t[i].t;
        ctx.strokeStyle = `rgba(140, 200, 255, ${Math.max(0, 0.7 * (1 - age / TRACK_SECONDS))})`;
        const [x0, y0] = this.toScreen(t[i - 1].e, t[i - 1].n);
        const [x1, y1] = this.toScreen(t[i].e, t[i].n);
        ctx.beginPath(); ctx.moveTo(x0, y0); ctx.lineTo(x1, y1); ctx.stroke();
      }
    }
  }

  polygon(v, points) {
    const { ctx } = this;
    ctx.beginPath();
    points.forEach(([x, z], i) => {
      const [sx, sy] = this.vesselPoint(v, x, z);
      if (i === 0) ctx.moveTo(sx, sy); else ctx.lineTo(sx, sy);
    });
    ctx.closePath();
  }

  drawVessel(v, isFocus) {
    const { ctx } = this;
    const [x0, x1, z0, z1] = v.outline;
    const fill = FILL[v.class] ?? DEFAULT_FILL;
    ctx.globalAlpha = 0.8;
    ctx.fillStyle = fill;
    this.polygon(v, [[x0, z0], [x1, z0], [x1, z1], [x0, z1]]);
    ctx.fill();
    ctx.globalAlpha = 1;
    ctx.lineWidth = isFocus ? 2.5 : 1;
    ctx.strokeStyle = isFocus ? '#ffffff' : '#111';
    ctx.stroke();
    // The nose.
    const zm = z1, xm = (x0 + x1) / 2, half = Math.min(0.6, (x1 - x0) / 3);
    ctx.fillStyle = '#111';
    this.polygon(v, [[xm - half, zm - half * 1.5], [xm + half, zm - half * 1.5], [xm, zm]]);
    ctx.fill();
    if (v.class === CLASS_NAME) this.drawWheels(v);
    for (const b of v.beacons) {
      if (!beaconLit(b, this.state.simt)) continue;
      const [bx, by] = this.vesselPoint(v, b[0], b[1]);
      ctx.fillStyle = b[2];
      ctx.beginPath(); ctx.arc(bx, by, Math.max(2.5, 0.15 * this.scale), 0, 2 * Math.PI); ctx.fill();
    }
    const [lx, ly] = this.vesselPoint(v, x1, (z0 + z1) / 2);
    ctx.fillStyle = '#e4e6e9';
    ctx.font = `${isFocus ? 'bold ' : ''}12px "Liberation Sans", sans-serif`;
    ctx.textAlign = 'left';
    ctx.fillText(v.name + (v.parent ? ` → ${v.parent}` : ''), lx + 6, ly);
  }

  drawWheels(v) {
    const { ctx } = this;
    const angles = wheelAngles(v.anims);
    const hw = WHEEL_SIZE.width / 2, hl = WHEEL_SIZE.length / 2;
    ctx.fillStyle = '#15171a';
    WHEEL_HUBS.forEach(([hx, hz], i) => {
      const s = Math.sin(angles[i]), c = Math.cos(angles[i]);
      // The wheel's corners turned about its hub, clockwise for a positive angle.
      const corner = (dx, dz) => [hx + dx * c + dz * s, hz - dx * s + dz * c];
      this.polygon(v, [corner(-hw, -hl), corner(hw, -hl), corner(hw, hl), corner(-hw, hl)]);
      ctx.fill();
    });
  }
}
