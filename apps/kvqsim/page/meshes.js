// Meshes as kvqsim's host parsed them (GET /mesh/NAME): one three.js
// geometry per group, the file's materials, texture names, and the
// outline of the mesh seen from above (for the map). Each mesh is fetched
// once.
//
// The host's frame is left-handed (x right, y up, z forward) and a
// triangle faces the side from which its corners run clockwise. The page
// draws each vessel through a matrix that mirrors that frame into three.js'
// right-handed one (see view3d.js); three.js takes a mirroring matrix to
// turn the faces round, so the triangles stay as the file has them.

import * as THREE from './three/build/three.module.js';

export class MeshLibrary {
  constructor() {
    this.meshes = new Map();  // url -> { promise, mesh }
  }

  // The mesh at url once loaded, else null (and it is being fetched).
  get(url) {
    let entry = this.meshes.get(url);
    if (!entry) {
      entry = { mesh: null };
      entry.promise = fetch(url)
        .then((r) => (r.ok ? r.json() : Promise.reject(new Error(`${url}: ${r.status}`))))
        .then((json) => { entry.mesh = build(json); return entry.mesh; })
        .catch((e) => { console.warn(`mesh ${url}: ${e.message}`); entry.mesh = build({ groups: [], materials: [], textures: [] }); });
      this.meshes.set(url, entry);
    }
    return entry.mesh;
  }
}

function build(json) {
  const groups = json.groups.map((g) => {
    const geometry = new THREE.BufferGeometry();
    geometry.setAttribute('position', new THREE.Float32BufferAttribute(g.positions, 3));
    geometry.setAttribute('normal', new THREE.Float32BufferAttribute(g.normals, 3));
    geometry.setAttribute('uv', new THREE.Float32BufferAttribute(g.uvs, 2));
    geometry.setIndex(new THREE.BufferAttribute(new Uint32Array(g.indices), 1));
    geometry.computeBoundingSphere();
    return { label: g.label, material: g.material, texture: g.texture, flags: g.flags, wrap: g.texwrap, geometry };
  });
  return { name: json.name, groups, materials: json.materials, textures: json.textures, footprint: footprint(json) };
}

// The mesh seen from above: the outline of each drawn group on the ground
// (x, z), as its convex hull. Together they are the shape the map draws (an
// airliner's fuselage, wings and tail, not the hull of them all).
function footprint(json) {
  const out = [];
  for (const g of json.groups) {
    if (g.flags & 2) continue;
    const pts = [];
    for (let i = 0; i + 2 < g.positions.length; i += 3) pts.push([g.positions[i], g.positions[i + 2]]);
    const h = hull(pts);
    if (h.length >= 3) out.push(h);
  }
  return out;
}

function hull(pts) {
  if (pts.length < 3) return pts;
  pts.sort((a, b) => a[0] - b[0] || a[1] - b[1]);
  const cross = (o, a, b) => (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
  const half = (list) => {
    const h = [];
    for (const p of list) {
      while (h.length >= 2 && cross(h[h.length - 2], h[h.length - 1], p) <= 0) h.pop();
      h.push(p);
    }
    h.pop();
    return h;
  };
  return half(pts).concat(half(pts.slice().reverse()));
}

// A three.js material for a mesh material of the host's (colours 0..1,
// diffuse alpha as opacity), with a texture map or none. Lit per vertex, as
// the simulator's own renderer lights its meshes (and cheap enough for a
// browser without a graphics card).
export function toMaterial(m, map) {
  const material = new THREE.MeshLambertMaterial({ map: map || null });
  setMaterial(material, m);
  return material;
}

export function setMaterial(material, m) {
  const d = m ? m.diffuse : [1, 1, 1, 1];
  material.color.setRGB(d[0], d[1], d[2]);
  material.opacity = d[3];
  material.transparent = d[3] < 1;
  if (m) material.emissive.setRGB(m.emissive[0], m.emissive[1], m.emissive[2]);
  material.needsUpdate = true;
}
