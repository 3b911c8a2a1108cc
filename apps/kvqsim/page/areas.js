// The cockpit's clickable areas as the module registered them: a
// quadrilateral (corners p1 top left, p2 top right, p3 bottom left, p4) or a
// sphere in the vessel's frame. A click is picked against them along the
// camera's ray and handed on as the host's mouse events (down, up, and
// move while the button is held: kvqsim repeats the held event every
// frame), with the point as 0..1 along p1 to p2 and p1 to p3. Each area also
// gets an invisible button with data-area="N" over its outline on the
// screen, so it can be reached with Tab and pressed with Enter or Space.

import * as THREE from './three/build/three.module.js';

export class CockpitAreas {
  // send(area, event, button, x, y) hands a mouse event to kvqsim.
  constructor(overlay, view, send) {
    this.overlay = overlay;
    this.view = view;
    this.send = send;
    this.areas = [];
    this.buttons = new Map();  // id -> element
    this.held = null;          // { id, button }
    window.addEventListener('pointerup', (e) => this.release(e));
  }

  // With each state: the areas registered at the cockpit position in view.
  update(state) {
    const c = state.cockpit;
    this.areas = c && c.position >= 0 ? c.areas.filter((a) => a.quad || a.sphere) : [];
    const ids = new Set(this.areas.map((a) => a.id));
    for (const [id, el] of this.buttons) {
      if (!ids.has(id)) { el.remove(); this.buttons.delete(id); }
    }
    for (const a of this.areas) if (!this.buttons.has(a.id)) this.buttons.set(a.id, this.makeButton(a.id));
  }

  makeButton(id) {
    const b = document.createElement('button');
    b.className = 'area';
    b.dataset.area = id;
    b.title = `cockpit area ${id}`;
    b.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      // Buttons overlap where outlines do: the area the ray meets first
      // takes the click.
      const hit = this.pick(e.clientX, e.clientY) || this.pick(e.clientX, e.clientY, id) || { area: id, x: 0.5, y: 0.5 };
      const button = e.button === 2 ? 'right' : 'left';
      this.held = { id: hit.area, button };
      this.send(hit.area, 'down', button, hit.x, hit.y);
    });
    window.addEventListener('pointermove', (e) => {
      if (!this.held || this.held.id !== id) return;
      const hit = this.pick(e.clientX, e.clientY, id);
      if (hit) this.send(id, 'move', this.held.button, hit.x, hit.y);
    });
    b.addEventListener('contextmenu', (e) => e.preventDefault());
    // From the keyboard: Enter or Space press the area at its middle.
    b.addEventListener('keydown', (e) => {
      if (e.key !== 'Enter' && e.key !== ' ') return;
      e.preventDefault();
      e.stopPropagation();
      if (!e.repeat) this.send(id, 'down', 'left', 0.5, 0.5);
    });
    b.addEventListener('keyup', (e) => {
      if (e.key !== 'Enter' && e.key !== ' ') return;
      e.preventDefault();
      e.stopPropagation();
      this.send(id, 'up', 'left', 0.5, 0.5);
    });
    this.overlay.appendChild(b);
    return b;
  }

  release(e) {
    if (!this.held) return;
    const { id, button } = this.held;
    this.held = null;
    const hit = this.pick(e.clientX, e.clientY, id) || { x: 0.5, y: 0.5 };
    this.send(id, 'up', button, clamp01(hit.x), clamp01(hit.y));
    // A mouse user's keys belong to the vessel again.
    const el = this.buttons.get(id);
    if (el && document.activeElement === el) el.blur();
  }

  // The point of an area under the screen position, or null. With id, only
  // that area, and the point is given even off its edge (a drag).
  pick(clientX, clientY, id) {
    const m = this.view.cockpitMatrix();
    if (!m) return null;
    const rect = this.view.canvas.getBoundingClientRect();
    const ndc = new THREE.Vector2(((clientX - rect.left) / rect.width) * 2 - 1, -((clientY - rect.top) / rect.height) * 2 + 1);
    const ray = new THREE.Raycaster();
    ray.setFromCamera(ndc, this.view.cockpitCamera);
    // The ray in the vessel's frame, where the areas are.
    const inv = new THREE.Matrix4().getInverse(m);
    const origin = ray.ray.origin.clone().applyMatrix4(inv);
    const dir = ray.ray.direction.clone().transformDirection(inv);
    let best = null;
    for (const a of this.areas) {
      if (id !== undefined && a.id !== id) continue;
      const hit = a.quad ? hitQuad(a.quad, origin, dir, id !== undefined) : hitSphere(a.sphere, origin, dir);
      if (hit && (!best || hit.t < best.t)) best = { ...hit, area: a.id };
    }
    return best;
  }

  // Lays each area's button over its outline on the screen.
  place() {
    const m = this.view.cockpitMatrix();
    const show = this.view.mode === 'cockpit' && m;
    this.overlay.hidden = !show;
    if (!show) return;
    const cam = this.view.cockpitCamera;
    cam.updateMatrixWorld();
    const w = this.view.canvas.clientWidth, h = this.view.canvas.clientHeight;
    for (const a of this.areas) {
      const el = this.buttons.get(a.id);
      const corners = a.quad ? a.quad : sphereCorners(a.sphere);
      let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity, behind = false;
      for (const p of corners) {
        const v = new THREE.Vector3(p[0], p[1], p[2]).applyMatrix4(m).project(cam);
        if (v.z > 1) behind = true;
        const sx = (v.x + 1) / 2 * w, sy = (1 - v.y) / 2 * h;
        x0 = Math.min(x0, sx); x1 = Math.max(x1, sx); y0 = Math.min(y0, sy); y1 = Math.max(y1, sy);
      }
      const off = behind || x1 < 0 || y1 < 0 || x0 > w || y0 > h;
      el.style.display = off ? 'none' : '';
      if (off) continue;
      el.style.left = `${x0}px`;
      el.style.top = `${y0}px`;
      el.style.width = `${Math.max(6, x1 - x0)}px`;
      el.style.height = `${Math.max(6, y1 - y0)}px`;
      // Smaller outlines above larger ones.
      el.style.zIndex = String(Math.max(1, 100000 - Math.round((x1 - x0) * (y1 - y0))));
    }
  }
}

function clamp01(v) { return Math.min(1, Math.max(0, v)); }

function vec(p) { return new THREE.Vector3(p[0], p[1], p[2]); }

// Where the ray meets the quadrilateral's plane, as 0..1 along p1->p2 and
// p1->p3; null off it (unless `any`).
function hitQuad(q, origin, dir, any) {
  const p1 = vec(q[0]), u = vec(q[1]).sub(p1), w = vec(q[2]).sub(p1);
  const n = new THREE.Vector3().crossVectors(u, w);
  const denom = n.dot(dir);
  if (Math.abs(denom) < 1e-12) return null;
  const t = n.dot(p1.clone().sub(origin)) / denom;
  if (t <= 0) return null;
  const d = origin.clone().addScaledVector(dir, t).sub(p1);
  const x = d.dot(u) / u.lengthSq(), y = d.dot(w) / w.lengthSq();
  if (!any && (x < 0 || x > 1 || y < 0 || y > 1)) return null;
  return { t, x: clamp01(x), y: clamp01(y) };
}

function hitSphere(s, origin, dir) {
  const c = new THREE.Vector3(s[0], s[1], s[2]);
  const oc = origin.clone().sub(c);
  const b = oc.dot(dir), disc = b * b - (oc.lengthSq() - s[3] * s[3]);
  if (disc < 0) return null;
  const t = -b - Math.sqrt(disc);
  return t > 0 ? { t, x: 0.5, y: 0.5 } : null;
}

function sphereCorners(s) {
  const r = s[3];
  const out = [];
  for (const dx of [-r, r]) for (const dy of [-r, r]) for (const dz of [-r, r]) out.push([s[0] + dx, s[1] + dy, s[2] + dz]);
  return out;
}
