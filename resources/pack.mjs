// Packs the application's folder into its ZIP archive: files deflate would not shrink by a few percent
// (media, already-compressed data) are stored, so installing them costs a copy, not an inflation.
// Usage: node pack.mjs STAGE_FOLDER ARCHIVE [ZIP_PROGRAM]
import { execFileSync } from "node:child_process";
import { closeSync, openSync, readdirSync, readSync, rmSync, statSync } from "node:fs";
import { join, relative, sep } from "node:path";
import { deflateRawSync } from "node:zlib";

const [stage, archive, zipProgram = "zip"] = process.argv.slice(2);
if (!stage || !archive) {
  console.error("usage: node pack.mjs STAGE_FOLDER ARCHIVE [ZIP_PROGRAM]");
  process.exit(2);
}

// Deflated output above this share of the input is not worth inflating at install time.
const kWorthDeflating = 0.97;
// Large files are judged by evenly spread samples, so judging stays quick for a file of gigabytes.
const kSampleSize = 1 << 20;
const kSamples = 16;

function sampleOf(path, size) {
  const fd = openSync(path, "r");
  try {
    if (size <= kSampleSize * kSamples) {
      const whole = Buffer.alloc(size);
      readSync(fd, whole, 0, size, 0);
      return whole;
    }
    const parts = [];
    for (let i = 0; i < kSamples; ++i) {
      const part = Buffer.alloc(kSampleSize);
      const at = Math.floor(((size - kSampleSize) * i) / (kSamples - 1));
      readSync(fd, part, 0, kSampleSize, at);
      parts.push(part);
    }
    return Buffer.concat(parts);
  } finally {
    closeSync(fd);
  }
}

function shrinks(path, size) {
  if (size === 0) return false;
  const sample = sampleOf(path, size);
  return deflateRawSync(sample, { level: 6 }).length <= sample.length * kWorthDeflating;
}

// Sorted walk, so the archive's order, and with it its bytes, never depend on the file system.
function walk(folder, folders, files) {
  const items = readdirSync(folder, { withFileTypes: true }).sort((a, b) => (a.name < b.name ? -1 : a.name > b.name ? 1 : 0));
  for (const item of items) {
    const path = join(folder, item.name);
    const name = relative(stage, path).split(sep).join("/");
    if (item.isDirectory()) {
      folders.push(name + "/");
      walk(path, folders, files);
    } else {
      files.push({ name, deflate: shrinks(path, statSync(path).size) });
    }
  }
}

const folders = [];
const files = [];
walk(stage, folders, files);
rmSync(archive, { force: true });
const zip = (level, names) => {
  if (names.length === 0) return;
  // -X: no extra attributes (times of access, owners), which would differ from one build to the next.
  execFileSync(zipProgram, ["-X", "-q", level, archive, "-@"], { cwd: stage, input: names.join("\n") + "\n" });
};
zip("-0", [...folders, ...files.filter((f) => !f.deflate).map((f) => f.name)]);
zip("-6", files.filter((f) => f.deflate).map((f) => f.name));
const stored = files.filter((f) => !f.deflate).length;
console.log(`packed ${files.length} files: ${files.length - stored} deflated, ${stored} stored`);
