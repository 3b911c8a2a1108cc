// The status display (cockpit area 3), drawn from the host's record of its
// last redraw: texts at their positions in their fonts, lines with their
// pens, on the display's dark glass.

const GLASS = '#101418';
// A font's height is the height of its cell (ascent and descent together,
// as the Windows font mapper takes a positive height) and a text's y the top
// of that cell. Liberation Sans: ascent 1854 and descent 434 of 2048 units
// to the em. Every face is drawn in Liberation Sans, the one family the page
// carries (the display's "Sans" among them), as kvqsim's pictures draw it.
const ASCENT_EM = 1854 / 2048;
const CELL_EM = (1854 + 434) / 2048;

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
      const width = l.width || 1;
      // Odd widths through pixel centres, even ones along pixel edges.
      const at = width % 2 === 1 ? 0.5 : 0;
      ctx.strokeStyle = l.colour;
      ctx.lineWidth = width;
      ctx.lineCap = 'round';
      ctx.setLineDash(l.dashed ? [3 * width] : []);
      ctx.beginPath();
      ctx.moveTo(l.x0 + at, l.y0 + at);
      ctx.lineTo(l.x1 + at, l.y1 + at);
      ctx.stroke();
    }
    ctx.setLineDash([]);
    for (const t of draw.texts) {
      const em = (t.height || 16) / CELL_EM;
      ctx.font = `${t.italic ? 'italic ' : ''}${t.bold ? 'bold ' : ''}${em}px "Liberation Sans", sans-serif`;
      ctx.fillStyle = t.colour;
      ctx.textBaseline = 'alphabetic';
      const base = t.y + ASCENT_EM * em;
      ctx.fillText(t.text, t.x, base);
      if (t.underline) ctx.fillRect(t.x, base + 0.1 * em, ctx.measureText(t.text).width, Math.max(1, em / 16));
    }
  }
}
