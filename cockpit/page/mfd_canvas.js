// Draws a screen's recorded drawing calls (the API's "ops") on a canvas, the
// way gyrelle-sim's PNG renderer does: black background, one-pixel pens through
// pixel centres, monospace text at the screen's line pitch (height / 28),
// GDI arcs (degrees, counter-clockwise positive with y up). The canvas is
// sized in device pixels, so the drawing stays crisp at any zoom.

const LINES_PER_SCREEN = 28;
const EM_PER_LINE = 0.9;
const RAD_PER_DEG = Math.PI / 180;

export function drawScreen(canvas, screen, scale) {
  const dpr = window.devicePixelRatio || 1;
  const w = screen.width, h = screen.height;
  const pxW = Math.round(w * scale * dpr), pxH = Math.round(h * scale * dpr);
  if (canvas.width !== pxW || canvas.height !== pxH) {
    canvas.width = pxW;
    canvas.height = pxH;
    canvas.style.width = `${w * scale}px`;
    canvas.style.height = `${h * scale}px`;
  }
  const ctx = canvas.getContext('2d');
  ctx.setTransform(scale * dpr, 0, 0, scale * dpr, 0, 0);
  ctx.fillStyle = '#000';
  ctx.fillRect(0, 0, w, h);
  ctx.lineWidth = 1;
  ctx.font = `${Math.max(6, (h / LINES_PER_SCREEN) * EM_PER_LINE)}px "DejaVu Sans Mono", monospace`;
  ctx.textBaseline = 'top';

  let curX = 0.5, curY = 0.5;  // the current point, pixel centre
  let building = false;        // between begin-path and end-path
  const arc = (op) => {
    const [, cx, cy, r, start, sweep] = op;
    const a0 = -start * RAD_PER_DEG, a1 = -(start + sweep) * RAD_PER_DEG;
    ctx.arc(cx + 0.5, cy + 0.5, r, a0, a1, sweep >= 0);  // canvas y runs down
    curX = cx + 0.5 + r * Math.cos(a1);
    curY = cy + 0.5 + r * Math.sin(a1);
  };
  for (const op of screen.ops) {
    switch (op[0]) {
      case 'text':
        ctx.fillStyle = '#' + op[3];
        ctx.fillText(op[4], op[1], op[2]);
        break;
      case 'move':
        curX = op[1] + 0.5;
        curY = op[2] + 0.5;
        if (building) ctx.moveTo(curX, curY);
        break;
      case 'line':
        if (!building) { ctx.beginPath(); ctx.moveTo(curX, curY); }
        curX = op[1] + 0.5;
        curY = op[2] + 0.5;
        ctx.lineTo(curX, curY);
        if (!building) { ctx.strokeStyle = '#' + op[3]; ctx.stroke(); }
        break;
      case 'arc':
        if (!building) { ctx.beginPath(); ctx.moveTo(curX, curY); }
        arc(op);
        if (!building) { ctx.strokeStyle = '#' + op[6]; ctx.stroke(); }
        break;
      case 'begin-path':
        building = true;
        ctx.beginPath();
        ctx.moveTo(curX, curY);
        break;
      case 'end-path':
        building = false;
        break;
      case 'stroke-fill':
        ctx.closePath();
        ctx.fillStyle = '#' + op[1];
        ctx.fill();
        ctx.strokeStyle = '#' + op[2];
        ctx.stroke();
        ctx.beginPath();
        break;
    }
  }
}
