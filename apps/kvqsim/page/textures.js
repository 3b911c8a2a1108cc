// Textures as the host holds them: each texture's pixels (GET /texture/...,
// fetched again when the state gives it a new version), with the texts a
// module last wrote on it in a cockpit area's redraw drawn over them in the
// host's fonts (the lines it drew are in the pixels already).

import * as THREE from './three/build/three.module.js';

// A font's height is the height of its cell (ascent and descent together,
// as the Windows font mapper takes a positive height) and a text's y the top
// of that cell. Liberation Sans: ascent 1854 and descent 434 of 2048 units
// to the em. Every face is drawn in Liberation Sans, the one family the page
// carries (the "Sans" of modules among them), as kvqsim's pictures draw it.
const ASCENT_EM = 1854 / 2048;
const CELL_EM = (1854 + 434) / 2048;

export class TextureLibrary {
  constructor() {
    this.textures = new Map();  // path -> { canvas, texture, image, version, wanted, overlay }
    this.redrawn = false;
    // Draw again once the fonts are in: the first drawing may have used a fallback.
    document.fonts?.ready.then(() => { for (const t of this.textures.values()) t.overlay = null; });
  }

  // The texture at path (a THREE.Texture that fills in when it arrives).
  get(path) {
    let t = this.textures.get(path);
    if (!t) {
      const canvas = document.createElement('canvas');
      canvas.width = canvas.height = 4;
      const texture = new THREE.CanvasTexture(canvas);
      texture.wrapS = texture.wrapT = THREE.ClampToEdgeWrapping;
      t = { canvas, texture, image: null, version: -1, wanted: 0, overlay: null, texts: [] };
      this.textures.set(path, t);
    }
    return t.texture;
  }

  // Whether a texture was drawn again since the last call.
  changed() {
    const r = this.redrawn;
    this.redrawn = false;
    return r;
  }

  // With each state: the textures' versions and the cockpit's areas with
  // what they drew on which texture.
  update(versions, areas) {
    const texts = new Map();
    for (const a of areas || []) {
      if (!a.surface) continue;
      if (!texts.has(a.surface)) texts.set(a.surface, []);
      texts.get(a.surface).push(a);
    }
    for (const [path, t] of this.textures) {
      const version = versions[path];
      if (version !== undefined && version !== t.wanted) {
        t.wanted = version;
        const image = new Image();
        image.onload = () => {
          if (t.wanted !== version) return;
          t.image = image;
          t.version = version;
          t.overlay = null;
        };
        image.src = `${path}?v=${version}`;
      }
      const mine = texts.get(path) || [];
      const key = JSON.stringify(mine.map((a) => [a.rect, a.texts]));
      if (t.image && key !== t.overlay) {
        t.overlay = key;
        draw(t, mine);
        this.redrawn = true;
      }
    }
  }
}

function draw(t, areas) {
  const { canvas, image } = t;
  if (canvas.width !== image.width || canvas.height !== image.height) {
    canvas.width = image.width;
    canvas.height = image.height;
  }
  const ctx = canvas.getContext('2d');
  ctx.drawImage(image, 0, 0);
  for (const a of areas) {
    const [left, top, right, bottom] = a.rect;
    ctx.save();
    ctx.beginPath();
    ctx.rect(left, top, right - left, bottom - top);
    ctx.clip();
    for (const x of a.texts) {
      const em = (x.height || 16) / CELL_EM;
      ctx.font = `${x.italic ? 'italic ' : ''}${x.bold ? 'bold ' : ''}${em}px "Liberation Sans", sans-serif`;
      ctx.fillStyle = x.colour;
      ctx.textBaseline = 'alphabetic';
      const base = top + x.y + ASCENT_EM * em;
      ctx.fillText(x.text, left + x.x, base);
      if (x.underline) ctx.fillRect(left + x.x, base + 0.1 * em, ctx.measureText(x.text).width, Math.max(1, em / 16));
    }
    ctx.restore();
  }
  t.texture.needsUpdate = true;
}
