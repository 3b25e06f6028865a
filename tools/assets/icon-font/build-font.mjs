// Builds the framework's own icon font (TrueType) from the icon set installed beside this script.
// Usage: node build-font.mjs <output.ttf>
import { createReadStream, writeFileSync, existsSync } from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import SVGIcons2SVGFontStream from 'svgicons2svgfont';
import svg2ttf from 'svg2ttf';
import { fontFamily, glyphs } from './glyphs.mjs';

const output = process.argv[2];
if (!output) {
  console.error('usage: node build-font.mjs <output.ttf>');
  process.exit(2);
}
const require = createRequire(import.meta.url);
const icons = path.join(path.dirname(require.resolve('@fluentui/svg-icons/package.json')), 'icons');

const stream = new SVGIcons2SVGFontStream({
  fontName: fontFamily,
  fontHeight: 1000,
  normalize: true,
  centerHorizontally: true,
  descent: 150,
  log: () => {},
});
let svgFont = '';
stream.on('data', (chunk) => { svgFont += chunk; });
stream.on('end', () => {
  // A fixed creation time: the same glyphs give the same bytes, so regenerating changes nothing.
  const ttf = svg2ttf(svgFont, { copyright: 'Icons: Fluent UI System Icons (MIT licence)', ts: 0 });
  writeFileSync(output, Buffer.from(ttf.buffer));
});
stream.on('error', (error) => {
  console.error(error.message);
  process.exit(1);
});

for (const [codePoint, name] of glyphs) {
  const file = path.join(icons, `${name}.svg`);
  if (!existsSync(file)) {
    console.error(`icon ${name} is not in the icon set`);
    process.exit(1);
  }
  const glyph = createReadStream(file);
  glyph.metadata = { unicode: [String.fromCodePoint(codePoint)], name: `u${codePoint.toString(16)}` };
  stream.write(glyph);
}
stream.end();
