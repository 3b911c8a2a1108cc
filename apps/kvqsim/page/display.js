// The status display (cockpit area 3), drawn from the host's record of its
// last redraw: texts at their positions in their fonts, lines with their
// pens, on the display's dark glass.

const GLASS = '#101418';
// A font's height is the height of its character cell; Liberation Sans
// puts the baseline 0.905 em below the cell's top and the cell is 1.117 em.
const CELL_EM = 1.117;
const ASCENT_EM = 0.905;

export class Display {
  constructor(canvas) {
    this.canvas = canvas;
    this.ctx = canvas.getContext('2d');
    this.last = '';
    // Redraw once the fonts are in: the first drawing may have used a fallback.
    document.fonts?.ready.then(() => { this.last = ''; });
  }

  draw(draw) {
    const key = JSON.stringify(draw);
    if (key === this.last) return;
    this.last = key;
    const { ctx, canvas } = this;
    const w = draw?.width || 485, h = draw?.height || 337;
    if (canvas.width !== w || canvas.height !== h) { canvas.width = w; canvas.height = h; }
    ctx.fillStyle = GLASS;
    ctx.fillRect(0, 0, w, h);
    if (!draw) return;
    for (const l of draw.lines) {
      ctx.strokeStyle = l.colour;
      ctx.lineWidth = l.width || 1;
      ctx.lineCap = 'round';
      ctx.beginPath();
      ctx.moveTo(l.x0, l.y0);
      ctx.lineTo(l.x1, l.y1);
      ctx.stroke();
    }
    for (const t of draw.texts) {
      const em = (t.height || 16) / CELL_EM;
      ctx.font = `${t.italic ? 'italic ' : ''}${t.bold ? 'bold ' : ''}${em}px "Liberation Sans", sans-serif`;
      ctx.fillStyle = t.colour;
      ctx.textBaseline = 'alphabetic';
      ctx.fillText(t.text, t.x, t.y + ASCENT_EM * em);
    }
  }
}
