// The scene from above, to scale: a metre grid and scale bar, every vessel's
// outline (its meshes seen from above) at its position and heading with its
// name, the tracks kvqsim kept for the session (broken where a vessel
// jumped), its lit lamps, the crew add-on's action areas with their labels;
// a vessel the size of a person is drawn as a figure. Drag to pan, wheel to
// zoom; "follow" keeps the focus vessel in the middle. Positions are metres
// east and north of the scene's origin. Names that would overlap give way:
// the focus vessel's first, then the larger vessels'. A tool (the pushback
// planner) may take the clicks and draw over the scene.

const FIGURE_SIZE = 1.5;     // m: a vessel this small is a person on foot
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
    this.tracks = new Map();  // name -> [[{ e, n }, ...], ...] (pieces between jumps)
    this.areas = [];          // the crew add-on's action areas
    this.tool = null;         // { down(p, e), move(p, e), up(p, e), draw(map, ctx) }, p in metres
    this.scene = null;
    this.state = null;
    canvas.addEventListener('wheel', (e) => {
      e.preventDefault();
      this.zoom(e.deltaY < 0 ? 1.2 : 1 / 1.2);
    }, { passive: false });
    canvas.addEventListener('pointerdown', (e) => {
      canvas.setPointerCapture(e.pointerId);
      if (this.tool && this.tool.down(this.fromEvent(e), e)) { this.toolDrag = true; return; }
      this.drag = { x: e.clientX, y: e.clientY, e: this.centre.e, n: this.centre.n, moved: false };
      canvas.style.cursor = 'grabbing';
    });
    canvas.addEventListener('pointermove', (e) => {
      if (this.toolDrag) { this.tool.move(this.fromEvent(e), e); return; }
      if (!this.drag) return;
      const dx = e.clientX - this.drag.x, dy = e.clientY - this.drag.y;
      if (Math.abs(dx) + Math.abs(dy) > 3) { this.follow.checked = false; this.drag.moved = true; }
      this.centre = { e: this.drag.e - dx / this.scale, n: this.drag.n + dy / this.scale };
    });
    const end = (e) => {
      if (this.toolDrag) { this.toolDrag = false; this.tool.up(this.fromEvent(e), e); return; }
      // A click that did not pan is the tool's.
      if (this.drag && !this.drag.moved && this.tool && this.tool.click) this.tool.click(this.fromEvent(e), e);
      this.drag = null;
      canvas.style.cursor = this.tool ? 'crosshair' : 'grab';
    };
    canvas.addEventListener('pointerup', end);
    canvas.addEventListener('pointercancel', (e) => { this.toolDrag = false; this.drag = null; });
  }

  setTool(tool) {
    this.tool = tool;
    this.canvas.style.cursor = tool ? 'crosshair' : 'grab';
  }

  // The point of the scene under a pointer event (metres east and north).
  fromEvent(e) {
    const r = this.canvas.getBoundingClientRect();
    const dpr = this.canvas.width / Math.max(1, r.width);
    const x = (e.clientX - r.left) * dpr, y = (e.clientY - r.top) * dpr;
    return { e: this.centre.e + (x - this.canvas.width / 2) / this.scale, n: this.centre.n - (y - this.canvas.height / 2) / this.scale };
  }

  zoom(f) { this.scale = Math.min(400, Math.max(0.5, this.scale * f)); }

  // The part of the scene the map shows: centre and the radius around it.
  view() {
    const r = Math.hypot(this.canvas.clientWidth, this.canvas.clientHeight) / 2 / this.scale;
    return { east: this.centre.e, north: this.centre.n, radius: r };
  }

  update(scene, state) {
    if (state.full) this.tracks.clear();  // a new connection: kvqsim sends every track again
    this.scene = scene;
    this.state = state;
    for (const [name, points] of Object.entries(state.tracks || {})) {
      let pieces = this.tracks.get(name);
      if (!pieces) { pieces = [[]]; this.tracks.set(name, pieces); }
      for (const [e, n, jump] of points) {
        if (jump && pieces[pieces.length - 1].length) pieces.push([]);
        pieces[pieces.length - 1].push({ e, n });
      }
    }
    for (const name of state.gone || []) this.tracks.delete(name);
    if (state.actionAreas) this.areas = state.actionAreas;
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
    this.drawAreas();
    if (this.tool) this.tool.draw(this, ctx);
    const vessels = [...this.scene.vessels.values()];
    for (const v of vessels) {
      if (this.isFigure(v)) this.drawFigure(v, v.name === this.state.focus);
      else this.drawVessel(v, v.name === this.state.focus);
    }
    this.drawNames(vessels);
    this.drawScale();
  }

  isFigure(v) { return v.size !== undefined && v.size <= FIGURE_SIZE; }

  // A person on foot: head and shoulders seen from above, facing the way
  // they face; never smaller than a few pixels.
  drawFigure(v, isFocus) {
    const { ctx } = this;
    const [x, y] = this.toScreen(v.east, v.north);
    const r = Math.max(5, 0.3 * this.scale);
    ctx.save();
    ctx.translate(x, y);
    ctx.rotate(v.hdg);
    ctx.fillStyle = isFocus ? '#f2b632' : '#7fd0a0';
    ctx.strokeStyle = '#14171a';
    ctx.lineWidth = 1;
    ctx.beginPath(); ctx.ellipse(0, 0, r * 1.3, r * 0.55, 0, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    ctx.beginPath(); ctx.arc(0, 0, r * 0.55, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    ctx.beginPath(); ctx.moveTo(0, -r * 0.55); ctx.lineTo(0, -r * 1.1); ctx.stroke();
    ctx.restore();
  }

  // The crew add-on's action areas: circles on their vessels, with labels.
  drawAreas() {
    const { ctx } = this;
    ctx.save();
    ctx.setLineDash([4, 4]);
    ctx.lineWidth = 1;
    ctx.font = '11px "Liberation Sans", sans-serif';
    ctx.textBaseline = 'middle';
    ctx.textAlign = 'center';
    for (const a of this.areas) {
      const v = this.scene.get(a.vessel);
      if (!v) continue;
      const [x, y] = this.vesselPoint(v, a.pos[0], a.pos[2]);
      const r = a.radius * this.scale;
      ctx.strokeStyle = 'rgba(127, 208, 160, 0.8)';
      ctx.fillStyle = 'rgba(127, 208, 160, 0.08)';
      ctx.beginPath(); ctx.arc(x, y, r, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
      if (r > 25) {
        ctx.fillStyle = 'rgba(127, 208, 160, 0.95)';
        ctx.fillText(a.label, x, y + Math.min(r - 8, 16));
      }
    }
    ctx.restore();
  }

  // A vessel's outline at a pose of its own (east, north, heading): what a
  // tool draws where the vessel will be.
  drawOutlineAt(v, e, n, hdg, stroke) {
    const { ctx } = this;
    const at = { east: e, north: n, hdg };
    ctx.strokeStyle = stroke;
    for (const poly of this.outlines(v)) {
      this.tracePolygon(at, poly);
      ctx.stroke();
    }
  }

  // A polygon of a vessel's frame (x right, z forward) placed at the pose
  // `at` ({ east, north, hdg }), as the context's path.
  tracePolygon(at, poly) {
    const { ctx } = this;
    ctx.beginPath();
    poly.forEach(([x, z], i) => {
      const [sx, sy] = this.vesselPoint(at, x, z);
      if (i === 0) ctx.moveTo(sx, sy); else ctx.lineTo(sx, sy);
    });
    ctx.closePath();
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
    ctx.lineWidth = 2;
    ctx.strokeStyle = 'rgba(242, 182, 50, 0.5)';
    for (const pieces of this.tracks.values()) {
      for (const t of pieces) {
        if (t.length < 2) continue;
        ctx.beginPath();
        t.forEach((p, i) => {
          const [x, y] = this.toScreen(p.e, p.n);
          if (i === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
        });
        ctx.stroke();
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
      this.tracePolygon(v, poly);
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
