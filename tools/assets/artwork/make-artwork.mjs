// Draws the installer window's pictures (the cover strip and the licence page's two radio pictures)
// and writes them as PNG files into the folder named on the command line. Same input, same bytes.
import { writeFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { encodePng } from './png.mjs';

// ---- Drawing ---------------------------------------------------------------------------------------

class Picture {
  constructor(width, height) {
    this.width = width;
    this.height = height;
    this.rgba = new Float64Array(width * height * 4);
  }

  // Paints colour `color(x, y)` ([r, g, b, a], straight) where `inside(x, y)` holds, its edges
  // smoothed by sampling each pixel on a 4 × 4 grid.
  fill(inside, color) {
    const n = 4;
    for (let y = 0; y < this.height; y++) {
      for (let x = 0; x < this.width; x++) {
        let hits = 0;
        for (let j = 0; j < n; j++)
          for (let i = 0; i < n; i++) if (inside(x + (i + 0.5) / n, y + (j + 0.5) / n)) hits++;
        if (hits) this.blend(x, y, color(x + 0.5, y + 0.5), hits / (n * n));
      }
    }
  }

  blend(x, y, [r, g, b, a], coverage) {
    const p = (y * this.width + x) * 4;
    const src = a * coverage;
    const dst = this.rgba[p + 3];
    const out = src + dst * (1 - src);
    if (out <= 0) return;
    for (const [k, v] of [[0, r], [1, g], [2, b]])
      this.rgba[p + k] = (v * src + this.rgba[p + k] * dst * (1 - src)) / out;
    this.rgba[p + 3] = out;
  }

  png() { return encodePng(this); }
}

const hex = (text, alpha = 1) => [
  parseInt(text.slice(1, 3), 16) / 255, parseInt(text.slice(3, 5), 16) / 255, parseInt(text.slice(5, 7), 16) / 255, alpha,
];
const mix = (a, b, t) => a.map((v, i) => v + (b[i] - v) * t);
const solid = (color) => () => color;

const circle = (cx, cy, r) => (x, y) => (x - cx) ** 2 + (y - cy) ** 2 <= r * r;
const ring = (cx, cy, r, width) => (x, y) => Math.abs(Math.hypot(x - cx, y - cy) - r) <= width / 2;

function segmentDistance(x, y, [ax, ay], [bx, by]) {
  const dx = bx - ax, dy = by - ay;
  const t = Math.max(0, Math.min(1, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)));
  return Math.hypot(x - (ax + t * dx), y - (ay + t * dy));
}
// A stroke with round ends and joins along the points.
const stroke = (points, width) => (x, y) =>
  points.slice(1).some((p, i) => segmentDistance(x, y, points[i], p) <= width / 2);

// ---- The pictures ----------------------------------------------------------------------------------

// The brand's blues, as in the logo: light at the top, deep at the bottom.
const brandTop = hex('#2B8BEA');
const brandBottom = hex('#0D3F8F');

function cover() {
  const w = 225, h = 436;
  const pic = new Picture(w, h);
  pic.fill(() => true, (x, y) => mix(brandTop, brandBottom, y / h));
  const white = (alpha) => solid([1, 1, 1, alpha]);
  // Soft shapes; the middle column stays plain gradient down to y 290, a calm place beneath the
  // window's edge and a known sample for the tests.
  pic.fill(circle(214, 40, 96), white(0.07));
  pic.fill(circle(-30, 170, 80), white(0.05));
  pic.fill(circle(40, 396, 120), white(0.06));
  pic.fill(circle(196, 300, 44), white(0.05));
  // The logo's ring and handle, large and faint, low in the strip.
  pic.fill(ring(150, 330, 46, 12), white(0.16));
  pic.fill(stroke([[184, 364], [214, 394]], 14), white(0.16));
  // A few small dots for rhythm.
  for (const [x, y, r] of [[34, 58, 5], [58, 84, 3], [176, 188, 4], [28, 262, 3], [120, 420, 4]])
    pic.fill(circle(x, y, r), white(0.22));
  return pic;
}

// A filled disc with a white mark: a mid-tone that reads on both a light and a dark page.
function badge(discColor, mark) {
  const pic = new Picture(32, 32);
  pic.fill(circle(16, 16, 14), solid(discColor));
  pic.fill(mark, solid([1, 1, 1, 1]));
  return pic;
}

const agree = () => badge(hex('#2E9D5B'), stroke([[9.5, 16.5], [14, 21], [22.5, 11.5]], 3.2));
const disagree = () => badge(hex('#D13B3F'), (x, y) =>
  stroke([[11, 11], [21, 21]], 3.2)(x, y) || stroke([[21, 11], [11, 21]], 3.2)(x, y));

const out = process.argv[2];
if (!out) {
  console.error('usage: make-artwork.mjs OUTPUT_FOLDER');
  process.exit(2);
}
mkdirSync(out, { recursive: true });
writeFileSync(join(out, 'cover.png'), cover().png());
writeFileSync(join(out, 'agree.png'), agree().png());
writeFileSync(join(out, 'disagree.png'), disagree().png());
