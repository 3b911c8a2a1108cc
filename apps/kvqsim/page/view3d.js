// The scene in 3D as the simulator's renderer draws it, from what the host
// holds for each vessel: its meshes (placed at their offsets, shown by
// their visibility flags), its groups moved by the host's transforms, the
// materials a module changed, the groups it hid, its lamps (beacons) lit
// and blinking as the state says. Two cameras: outside, orbiting the focus
// vessel (drag to turn, wheel to zoom), and the cockpit, at the camera
// offset and direction of the loaded cockpit position.
//
// Frames: three.js here has x east, y up, z south. A vessel's axes come in
// east, north and up (the state's `axes`); the host's frame is left-handed,
// so the matrix that places a vessel mirrors (three.js then turns the
// faces round itself).

import * as THREE from './three/build/three.module.js';
import { OrbitControls } from './three/examples/jsm/controls/OrbitControls.js';
import { toMaterial, setMaterial } from './meshes.js';

const MESHVIS_EXTERNAL = 1, MESHVIS_COCKPIT = 2;
const GROUP_HIDDEN = 2;  // a group's flag: not drawn
const GROUND = 4000;     // m, side of the ground drawn

export class View3D {
  constructor(canvas, meshes, textures) {
    this.canvas = canvas;
    this.meshes = meshes;
    this.textures = textures;
    this.mode = 'outside';
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: false, powerPreference: "high-performance" });
    this.renderer.setPixelRatio(window.devicePixelRatio || 1);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(0x9bb7d6);
    this.scene.fog = new THREE.Fog(0x9bb7d6, 250, 1500);
    this.scene.add(new THREE.HemisphereLight(0xdfe8f2, 0x4a4a40, 0.75));
    const sun = new THREE.DirectionalLight(0xffffff, 0.7);
    sun.position.set(-300, 500, -200);
    this.scene.add(sun);
    this.scene.add(ground());
    this.camera = new THREE.PerspectiveCamera(50, 1, 0.05, 5000);
    this.camera.position.set(-25, 14, 25);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.enableDamping = false;
    this.controls.maxPolarAngle = Math.PI * 0.495;
    this.controls.minDistance = 2;
    this.controls.maxDistance = 800;
    this.controls.addEventListener('change', () => { this.dirty = true; });
    // A frame is drawn only when something in it changed.
    this.dirty = true;
    this.cockpitCamera = new THREE.PerspectiveCamera(80, 1, 0.02, 5000);
    this.look = { yaw: 0, pitch: 0 };  // turned from the cockpit's default direction (right drag)
    this.vessels = new Map();  // name -> entry
    this.state = null;
    this.simt = 0;
    this.stateAt = performance.now();
    this.target = null;
    this.enableLookAround();
  }

  setMode(mode) {
    this.mode = mode;
    this.dirty = true;
    this.controls.enabled = mode === 'outside';
    this.look = { yaw: 0, pitch: 0 };
  }

  // The camera that draws now.
  get activeCamera() { return this.mode === 'cockpit' ? this.cockpitCamera : this.camera; }

  // The cockpit vessel's matrix, or null.
  cockpitMatrix() {
    const c = this.state?.cockpit;
    const e = c && c.position >= 0 ? this.vessels.get(c.vessel) : null;
    return e ? e.root.matrixWorld : null;
  }

  update(scene, state) {
    if (state.vessels.length || state.gone.length || state.full || state.cockpit.position !== this.state?.cockpit.position)
      this.dirty = true;
    this.state = state;
    this.simt = state.simt;
    this.stateAt = performance.now();
    for (const [name, e] of this.vessels) {
      if (!scene.vessels.has(name)) {
        this.scene.remove(e.root);
        this.vessels.delete(name);
      }
    }
    for (const v of scene.vessels.values()) this.updateVessel(v);
  }

  updateVessel(v) {
    let e = this.vessels.get(v.name);
    if (!e) {
      e = { root: new THREE.Group(), meshKey: null, meshes: [], beacons: [] };
      e.root.matrixAutoUpdate = false;
      this.scene.add(e.root);
      this.vessels.set(v.name, e);
    }
    e.vessel = v;
    placeVessel(e.root, v);
    const key = (v.meshes || []).map((m) => m.url).join('|');
    if (key !== e.meshKey || e.meshes.some((m) => !m.built)) this.buildMeshes(e, v);
    // A new look or motion arrives as new objects in the vessel's fields.
    if (e.anims !== v.anims || e.materials !== v.materials || e.hidden !== v.hidden || e.meshes.some((m) => m.fresh))
      this.applyLook(e, v);
    this.buildBeacons(e, v);
  }

  buildMeshes(e, v) {
    e.meshKey = (v.meshes || []).map((m) => m.url).join('|');
    for (const m of e.meshes) e.root.remove(m.object);
    e.meshes = (v.meshes || []).map((info, k) => {
      const object = new THREE.Group();
      object.position.set(info.ofs[0], info.ofs[1], info.ofs[2]);
      e.root.add(object);
      const mesh = info.url ? this.meshes.get(info.url) : null;
      const entry = { info, object, built: !!mesh, fresh: !!mesh, groups: [], materials: [] };
      if (!mesh) return entry;
      entry.materials = mesh.materials.map((m) => toMaterial(m, null));
      const plain = toMaterial(null, null);
      const textureMaterials = new Map();
      entry.groups = mesh.groups.map((g, gi) => {
        let material = g.material >= 0 && g.material < entry.materials.length ? entry.materials[g.material] : plain;
        if (g.texture > 0 && g.texture <= mesh.textures.length) {
          // A texture shared with every user of the mesh: a module's
          // drawing on it shows on every vessel, as in the simulator.
          const path = `${info.url.replace(/^\/mesh\//, '/texture/')}/${g.texture}`;
          const tkey = `${g.material}:${g.texture}`;
          if (!textureMaterials.has(tkey)) {
            const textured = material.clone();
            textured.map = this.textures.get(path);
            textured.map.flipY = false;
            // The simulator's renderer lights a textured face and then
            // modulates the whole of it by the texture, emissive light too.
            textured.emissiveMap = textured.map;
            textureMaterials.set(tkey, { material: textured, base: g.material });
          }
          material = textureMaterials.get(tkey).material;
        }
        const object3d = new THREE.Mesh(g.geometry, material);
        object3d.matrixAutoUpdate = false;
        object3d.userData = { mesh: k, group: gi, flags: g.flags };
        object.add(object3d);
        return object3d;
      });
      entry.textured = [...textureMaterials.values()];
      entry.mesh = mesh;
      return entry;
    });
  }

  // Group transforms, materials and hidden groups from the vessel's look.
  applyLook(e, v) {
    e.anims = v.anims;
    e.materials = v.materials;
    e.hidden = v.hidden;
    const hidden = new Set(v.hidden || []);
    const groups = v.groups || {};
    const materials = v.materials || {};
    e.meshes.forEach((m, k) => {
      if (!m.built) return;
      m.fresh = false;
      m.mesh.materials.forEach((base, i) => setMaterial(m.materials[i], materials[`${k}:${i}`] || base));
      for (const t of m.textured) {
        const own = t.base >= 0 ? materials[`${k}:${t.base}`] || m.mesh.materials[t.base] : null;
        if (own) setMaterial(t.material, own);
      }
      m.groups.forEach((g, gi) => {
        const key = `${k}:${gi}`;
        g.userData.hidden = (g.userData.flags & GROUP_HIDDEN) !== 0 || hidden.has(key);
        const t = groups[key];
        if (t) g.matrix.set(t[0], t[1], t[2], t[9], t[3], t[4], t[5], t[10], t[6], t[7], t[8], t[11], 0, 0, 0, 1);
        else g.matrix.identity();
        g.matrixWorldNeedsUpdate = true;
      });
    });
  }

  buildBeacons(e, v) {
    const list = v.beacons || [];
    if (e.beacons.length !== list.length) {
      for (const b of e.beacons) e.root.remove(b);
      e.beacons = list.map(() => {
        const b = new THREE.Mesh(new THREE.SphereBufferGeometry(1, 10, 8), new THREE.MeshBasicMaterial());
        e.root.add(b);
        return b;
      });
    }
    list.forEach((spec, i) => {
      const b = e.beacons[i];
      b.position.set(spec.pos[0], spec.pos[1], spec.pos[2]);
      const r = Math.max(0.03, Math.min(0.3, (spec.size || 0.1) * 0.4));
      b.scale.set(r, r, r);
      b.material.color.set(spec.colour);
      b.userData = spec;
    });
  }

  // Meshes shown for the camera that draws: the cockpit vessel's cockpit
  // meshes from inside, every other mesh as seen from outside.
  showMeshes() {
    const inside = this.mode === 'cockpit' ? this.state?.cockpit?.vessel : null;
    for (const [name, e] of this.vessels) {
      const wanted = name === inside ? MESHVIS_COCKPIT : MESHVIS_EXTERNAL;
      for (const m of e.meshes) {
        m.object.visible = m.info.shown && (m.info.vis & wanted) !== 0;
        for (const g of m.groups) g.visible = !g.userData.hidden;
      }
    }
  }

  // Lamps lit as the state says, blinking on the simulation clock.
  showBeacons(simt) {
    for (const e of this.vessels.values())
      for (const b of e.beacons) {
        const s = b.userData;
        let on = !!s.active;
        if (on && s.period > 0) {
          const phase = (((simt + (s.tofs || 0)) % s.period) + s.period) % s.period;
          on = phase < s.duration;
        }
        if (b.visible !== on) this.dirty = true;
        b.visible = on;
      }
  }

  placeCameras() {
    const focus = this.state && this.vessels.get(this.state.focus);
    if (focus) {
      const p = new THREE.Vector3().setFromMatrixPosition(focus.root.matrixWorld).add(new THREE.Vector3(0, 1.5, 0));
      if (this.target) this.camera.position.add(p.clone().sub(this.target));  // follow the vessel
      this.target = p;
      this.controls.target.copy(p);
      this.controls.update();
    }
    const c = this.state?.cockpit;
    const m = this.cockpitMatrix();
    if (m && c.camera) {
      const o = c.camera.offset, d = c.camera.dir;
      const eye = new THREE.Vector3(o[0], o[1], o[2]).applyMatrix4(m);
      let dir = new THREE.Vector3(d[0], d[1], d[2]);
      dir.applyAxisAngle(new THREE.Vector3(0, 1, 0), this.look.yaw);
      const side = new THREE.Vector3(1, 0, 0);
      dir.applyAxisAngle(side, -this.look.pitch);
      dir = dir.transformDirection(m);
      this.cockpitCamera.position.copy(eye);
      this.cockpitCamera.up.set(0, 1, 0);
      this.cockpitCamera.lookAt(eye.clone().add(dir));
    }
  }

  // Draws a frame when something in it changed; true when it did.
  render() {
    const { canvas } = this;
    const w = canvas.clientWidth, h = canvas.clientHeight;
    if (w === 0 || h === 0) return false;
    if (canvas.width !== Math.round(w * this.renderer.getPixelRatio()) ||
        canvas.height !== Math.round(h * this.renderer.getPixelRatio())) {
      this.renderer.setSize(w, h, false);
      this.dirty = true;
      this.camera.aspect = this.cockpitCamera.aspect = w / h;
      this.camera.updateProjectionMatrix();
      this.cockpitCamera.updateProjectionMatrix();
    }
    const simt = this.state && !this.state.paused
      ? this.simt + (performance.now() - this.stateAt) / 1000 * (this.state.accel || 1) : this.simt;
    this.showBeacons(simt);
    if (!this.dirty && !this.textures.changed()) return false;
    this.dirty = false;
    this.showMeshes();
    this.placeCameras();
    this.renderer.render(this.scene, this.activeCamera);
    return true;
  }

  // Right drag turns the head in the cockpit (left clicks are the cockpit's).
  enableLookAround() {
    let drag = null;
    this.canvas.addEventListener('contextmenu', (ev) => ev.preventDefault());
    this.canvas.addEventListener('pointerdown', (ev) => {
      if (this.mode !== 'cockpit' || ev.button !== 2) return;
      drag = { x: ev.clientX, y: ev.clientY, yaw: this.look.yaw, pitch: this.look.pitch };
      this.canvas.setPointerCapture(ev.pointerId);
    });
    this.canvas.addEventListener('pointermove', (ev) => {
      if (!drag) return;
      this.look.yaw = drag.yaw - (ev.clientX - drag.x) * 0.005;
      this.look.pitch = Math.max(-1.2, Math.min(1.2, drag.pitch - (ev.clientY - drag.y) * 0.005));
      this.dirty = true;
    });
    const end = () => { drag = null; };
    this.canvas.addEventListener('pointerup', end);
    this.canvas.addEventListener('pointercancel', end);
  }
}

// A vessel's matrix: its axes in east, north and up turned into three.js'
// x east, y up, z south; its position east and north of the scene's origin
// and its height. The determinant is -1: the host's frame is left-handed.
function placeVessel(root, v) {
  const a = v.axes || [Math.cos(v.hdg), -Math.sin(v.hdg), 0, 0, 0, 1, Math.sin(v.hdg), Math.cos(v.hdg), 0];
  root.matrix.set(
    a[0], a[3], a[6], v.east,
    a[2], a[5], a[8], v.alt || 0,
    -a[1], -a[4], -a[7], -v.north,
    0, 0, 0, 1);
  root.matrixWorldNeedsUpdate = true;
}

// The apron: a grey plane with a line every metre near the middle and
// every ten metres farther out, fading into the haze.
function ground() {
  const g = new THREE.Group();
  const plane = new THREE.Mesh(new THREE.PlaneBufferGeometry(GROUND, GROUND),
    new THREE.MeshLambertMaterial({ color: 0x6b6e68 }));
  plane.rotation.x = -Math.PI / 2;
  g.add(plane);
  const fine = new THREE.GridHelper(60, 60, 0x5e615b, 0x5e615b);
  fine.position.y = 0.005;
  g.add(fine);
  const coarse = new THREE.GridHelper(600, 60, 0x565953, 0x565953);
  coarse.position.y = 0.01;
  g.add(coarse);
  return g;
}
