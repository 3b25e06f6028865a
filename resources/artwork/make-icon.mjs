// Makes the Windows programs' icon file from the application's logo: an ICO holding PNG images of the
// sizes the shell asks for. Usage: node make-icon.mjs LOGO.png OUT.ico. Same input, same bytes.
import { deflateSync, inflateSync } from 'node:zlib';
import { readFileSync, writeFileSync } from 'node:fs';

// ---- PNG -------------------------------------------------------------------------------------------

const signature = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);

const crcTable = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = crcTable[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const head = Buffer.alloc(8);
  head.writeUInt32BE(data.length, 0);
  head.write(type, 4, 'ascii');
  const tail = Buffer.alloc(4);
  tail.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
  return Buffer.concat([head, data, tail]);
}

function paeth(a, b, c) {
  const p = a + b - c;
  const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Reads an 8-bit RGB or RGBA PNG without interlacing (what a logo is saved as) into straight RGBA
// floats 0..1; anything else is refused by name rather than misread.
function decodePng(file) {
  const bytes = readFileSync(file);
  if (!bytes.subarray(0, 8).equals(signature)) throw new Error(`${file} is not a PNG file`);
  let width = 0, height = 0, colorType = 0;
  const idat = [];
  for (let at = 8; at + 8 <= bytes.length;) {
    const length = bytes.readUInt32BE(at);
    const type = bytes.toString('ascii', at + 4, at + 8);
    const data = bytes.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      const [depth, color, , , interlace] = data.subarray(8, 13);
      if (depth !== 8 || (color !== 2 && color !== 6) || interlace !== 0)
        throw new Error(`${file}: only 8-bit RGB or RGBA PNG files without interlacing are read`);
      colorType = color;
    } else if (type === 'IDAT') {
      idat.push(data);
    } else if (type === 'IEND') {
      break;
    }
    at += 12 + length;
  }
  if (!width || !height || !idat.length) throw new Error(`${file} holds no image`);
  const channels = colorType === 6 ? 4 : 3;
  const stride = width * channels;
  const raw = inflateSync(Buffer.concat(idat));
  if (raw.length < height * (stride + 1)) throw new Error(`${file}: the image data is cut short`);
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      const predictor = [0, a, b, (a + b) >> 1, paeth(a, b, c)][filter];
      if (predictor === undefined) throw new Error(`${file}: unknown filter ${filter}`);
      pixels[y * stride + x] = (line[x] + predictor) & 0xff;
    }
  }
  const rgba = new Float64Array(width * height * 4);
  for (let i = 0; i < width * height; i++) {
    for (let k = 0; k < 3; k++) rgba[i * 4 + k] = pixels[i * channels + k] / 255;
    rgba[i * 4 + 3] = channels === 4 ? pixels[i * channels + 3] / 255 : 1;
  }
  return { width, height, rgba };
}

function encodePng({ width, height, rgba }) {
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  ihdr.set([8, 6, 0, 0, 0], 8);
  const raw = Buffer.alloc(height * (1 + width * 4));
  for (let y = 0; y < height; y++) {
    for (let x = 0; x < width * 4; x++)
      raw[y * (1 + width * 4) + 1 + x] = Math.round(Math.min(1, Math.max(0, rgba[y * width * 4 + x])) * 255);
  }
  return Buffer.concat([signature, chunk('IHDR', ihdr), chunk('IDAT', deflateSync(raw, { level: 9 })),
                        chunk('IEND', Buffer.alloc(0))]);
}

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
