// Makes the Windows programs' icon file from the application's logo: an ICO holding PNG images of the
// sizes the shell asks for. Usage: node make-icon.mjs LOGO.png OUT.ico. Same input, same bytes.
import { writeFileSync } from 'node:fs';
import { decodePng, encodePng } from './png.mjs';

// ---- Scaling ---------------------------------------------------------------------------------------

// Colour is weighed by its alpha, so that transparent pixels lend the edges none of their colour.
function scale(image, size) {
  const { width, height, rgba } = image;
  const out = new Float64Array(size * size * 4);
  const sx = width / size, sy = height / size;
  const sample = (x, y) => {
    const i = (Math.min(height - 1, Math.max(0, y)) * width + Math.min(width - 1, Math.max(0, x))) * 4;
    const a = rgba[i + 3];
    return [rgba[i] * a, rgba[i + 1] * a, rgba[i + 2] * a, a];
  };
  for (let y = 0; y < size; y++) {
    for (let x = 0; x < size; x++) {
      const sum = [0, 0, 0, 0];
      let weight = 0;
      if (sx >= 1 && sy >= 1) {
        // Shrinking: the average over the source area the pixel covers, partial pixels in part.
        const x0 = x * sx, x1 = x0 + sx, y0 = y * sy, y1 = y0 + sy;
        for (let v = Math.floor(y0); v < Math.ceil(y1); v++) {
          const wy = Math.min(y1, v + 1) - Math.max(y0, v);
          for (let u = Math.floor(x0); u < Math.ceil(x1); u++) {
            const w = wy * (Math.min(x1, u + 1) - Math.max(x0, u));
            const p = sample(u, v);
            for (let k = 0; k < 4; k++) sum[k] += p[k] * w;
            weight += w;
          }
        }
      } else {
        // Growing: bilinear between the four nearest source pixels.
        const fx = (x + 0.5) * sx - 0.5, fy = (y + 0.5) * sy - 0.5;
        const u = Math.floor(fx), v = Math.floor(fy);
        for (const [du, dv] of [[0, 0], [1, 0], [0, 1], [1, 1]]) {
          const w = (du ? fx - u : 1 - (fx - u)) * (dv ? fy - v : 1 - (fy - v));
          const p = sample(u + du, v + dv);
          for (let k = 0; k < 4; k++) sum[k] += p[k] * w;
          weight += w;
        }
      }
      const i = (y * size + x) * 4;
      const alpha = sum[3] / weight;
      for (let k = 0; k < 3; k++) out[i + k] = sum[3] > 0 ? sum[k] / sum[3] : 0;
      out[i + 3] = alpha;
    }
  }
  return { width: size, height: size, rgba: out };
}

// ---- ICO -------------------------------------------------------------------------------------------

function encodeIco(pngs) {
  const header = Buffer.alloc(6 + 16 * pngs.length);
  header.writeUInt16LE(0, 0);
  header.writeUInt16LE(1, 2);  // an icon, not a cursor
  header.writeUInt16LE(pngs.length, 4);
  let offset = header.length;
  pngs.forEach(({ size, data }, n) => {
    const at = 6 + 16 * n;
    header[at] = size >= 256 ? 0 : size;  // 0 stands for 256
    header[at + 1] = size >= 256 ? 0 : size;
    header[at + 2] = 0;  // no palette
    header[at + 3] = 0;
    header.writeUInt16LE(1, at + 4);  // planes
    header.writeUInt16LE(32, at + 6);  // bits a pixel
    header.writeUInt32LE(data.length, at + 8);
    header.writeUInt32LE(offset, at + 12);
    offset += data.length;
  });
  return Buffer.concat([header, ...pngs.map((p) => p.data)]);
}

const [logoFile, outFile] = process.argv.slice(2);
if (!logoFile || !outFile) {
  console.error('usage: node make-icon.mjs LOGO.png OUT.ico');
  process.exit(2);
}
const logo = decodePng(logoFile);
// The small sizes for lists and title bars, 48 for the desktop, 256 for large views.
const sizes = [16, 32, 48, 256];
writeFileSync(outFile, encodeIco(sizes.map((size) => ({ size, data: encodePng(scale(logo, size)) }))));
