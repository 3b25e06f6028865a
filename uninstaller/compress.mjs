// Compresses the built uninstaller for the installer to carry (gzip: its trailer holds the size and CRC-32
// the installer checks the inflated program against). Usage: node compress.mjs PROGRAM OUTPUT
import { readFileSync, writeFileSync } from "node:fs";
import { constants, gzipSync } from "node:zlib";

const [program, output] = process.argv.slice(2);
if (!program || !output) {
  console.error("usage: node compress.mjs PROGRAM OUTPUT");
  process.exit(2);
}
writeFileSync(output, gzipSync(readFileSync(program), { level: constants.Z_BEST_COMPRESSION, memLevel: 9 }));
