// The scene from above, to scale: a metre grid and scale bar, every vessel's
// outline (its meshes seen from above) at its position and heading with its
// name, tracks fading behind them, its lit lamps. Drag to pan, wheel to
// zoom; "follow" keeps the focus vessel in the middle. Positions are metres
// east and north of the scene's origin. Names that would overlap give way:
// the focus vessel's first, then the larger vessels'.

const TRACK_SECONDS = 90;    // of simulation time kept behind each vessel
const TRACK_STEP = 0.1;      // m between track points
const JUMP = 5;              // m between two states: a jump, not a track
const GRID_STEPS = [0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500];
const MESHVIS_EXTERNAL = 1;

export class SceneMap {
  constructor(canvas, followBox, meshes) {
    this.canvas = canvas;
    this.ctx = canvas.getContext('2d');
    this.follow = followBox;
    this.meshes = meshes;
    this.scale = 12;  // px per metre
    this.centre = { e: 0, n: 0 };
    this.tracks = new Map();  // name -> [[{ e, n, t }, ...], ...] (pieces between jumps)
    this.scene = null;
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

  // The part of the scene the map shows: centre and the radius around it.
  view() {
    const r = Math.hypot(this.canvas.clientWidth, this.canvas.clientHeight) / 2 / this.scale;
    return { east: this.centre.e, north: this.centre.n, radius: r };
  }

  update(scene, state) {
    if (this.state && state.simt < this.state.simt) this.tracks.clear();  // a new session
    this.scene = scene;
    this.state = state;
    for (const v of scene.vessels.values()) {
      let pieces = this.tracks.get(v.name);
      if (!pieces) { pieces = [[]]; this.tracks.set(v.name, pieces); }
      let t = pieces[pieces.length - 1];
      const last = t[t.length - 1];
      if (last && Math.hypot(v.east - last.e, v.north - last.n) > JUMP) {
        t = [];
        pieces.push(t);
      }
      if (!last || Math.hypot(v.east - last.e, v.north - last.n) >= TRACK_STEP) t.push({ e: v.east, n: v.north, t: state.simt });
      for (const p of pieces) while (p.length && state.simt - p[0].t > TRACK_SECONDS) p.shift();
      while (pieces.length > 1 && pieces[0].length === 0) pieces.shift();
    }
    for (const name of [...this.tracks.keys()]) if (!scene.vessels.has(name)) this.tracks.delete(name);
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
    if (!this.state) return;
    const focus = this.scene.get(this.state.focus);
    if (this.follow.checked && focus) this.centre = { e: focus.east, n: focus.north };
    this.drawGrid();
    this.drawTracks();
    const vessels = [...this.scene.vessels.values()];
    for (const v of vessels) this.drawVessel(v, v.name === this.state.focus);
    this.drawNames(vessels);
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
    ctx.textBaseline = 'bottom';
    ctx.fillText(`${step} m`, x + 4, y - 4);
  }

  drawTracks() {
    const { ctx } = this;
    const now = this.state.simt;
    ctx.lineWidth = 2;
    for (const pieces of this.tracks.values()) {
      for (const t of pieces) {
        for (let i = 1; i < t.length; i++) {
          const age = (now - t[i].t) / TRACK_SECONDS;
          ctx.strokeStyle = `rgba(242, 182, 50, ${0.55 * (1 - age)})`;
          const [x0, y0] = this.toScreen(t[i - 1].e, t[i - 1].n);
          const [x1, y1] = this.toScreen(t[i].e, t[i].n);
          ctx.beginPath(); ctx.moveTo(x0, y0); ctx.lineTo(x1, y1); ctx.stroke();
        }
      }
    }
  }

  // The vessel's outlines: one per mesh seen from outside, at the mesh's
  // offset; a small ring until its meshes are in.
  outlines(v) {
    const out = [];
    for (const m of v.meshes || []) {
      if (!m.shown || !(m.vis & MESHVIS_EXTERNAL) || !m.url) continue;
      const mesh = this.meshes.get(m.url);
      if (!mesh) continue;
      for (const poly of mesh.footprint) out.push(poly.map(([x, z]) => [x + m.ofs[0], z + m.ofs[2]]));
    }
    return out;
  }

  drawVessel(v, isFocus) {
    const { ctx } = this;
    const outlines = this.outlines(v);
    ctx.lineWidth = isFocus ? 2 : 1;
    ctx.strokeStyle = isFocus ? '#f2b632' : '#c9d1da';
    ctx.fillStyle = isFocus ? 'rgba(242, 182, 50, 0.35)' : 'rgba(143, 184, 232, 0.3)';
    if (!outlines.length) {
      const [x, y] = this.toScreen(v.east, v.north);
      ctx.beginPath(); ctx.arc(x, y, 4, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    }
    for (const poly of outlines) {
      ctx.beginPath();
      poly.forEach(([x, z], i) => {
        const [sx, sy] = this.vesselPoint(v, x, z);
        if (i === 0) ctx.moveTo(sx, sy); else ctx.lineTo(sx, sy);
      });
      ctx.closePath();
      ctx.fill();
      ctx.stroke();
    }
    // The heading: a tick from the origin forward.
    const [ox, oy] = this.vesselPoint(v, 0, 0);
    const [fx, fy] = this.vesselPoint(v, 0, Math.max(1, 14 / this.scale));
    ctx.beginPath(); ctx.moveTo(ox, oy); ctx.lineTo(fx, fy); ctx.stroke();
    for (const b of v.beacons || []) {
      if (!b.active) continue;
      const [x, y] = this.vesselPoint(v, b.pos[0], b.pos[2]);
      ctx.fillStyle = b.colour;
      ctx.beginPath(); ctx.arc(x, y, 3, 0, 2 * Math.PI); ctx.fill();
    }
  }

  // Names where they do not cover one another: the focus vessel's first,
  // then by size; a name that would overlap one placed already is left out.
  drawNames(vessels) {
    const { ctx } = this;
    ctx.font = '12px "Liberation Sans", sans-serif';
    ctx.textBaseline = 'top';
    const size = (v) => this.outlines(v).reduce((s, p) => s + p.length, 0);
    const order = vessels.slice().sort((a, b) =>
      (b.name === this.state.focus) - (a.name === this.state.focus) || size(b) - size(a));
    const placed = [];
    for (const v of order) {
      const [x, y] = this.toScreen(v.east, v.north);
      const w = ctx.measureText(v.name).width + 4, h = 15;
      const box = [x + 6, y + 6, w, h];
      if (placed.some((p) => box[0] < p[0] + p[2] && p[0] < box[0] + box[2] && box[1] < p[1] + p[3] && p[1] < box[1] + box[3]))
        continue;
      placed.push(box);
      ctx.fillStyle = 'rgba(20, 23, 26, 0.7)';
      ctx.fillRect(box[0], box[1], w, h);
      ctx.fillStyle = v.name === this.state.focus ? '#f2b632' : '#e4e6e9';
      ctx.fillText(v.name, box[0] + 2, box[1] + 1);
    }
  }
}
