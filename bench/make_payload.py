#!/usr/bin/env python3
# Writes the installation benchmark's payload: the same bytes for the same seed on every machine.
# Usage: make_payload.py FOLDER [--seed N] [--total-mb N] [--files N] [--big-mb N]
import argparse
import os
import random

VOCABULARY_SIZE = 1000


def text_block(rng, size):
    # Words drawn from a fixed vocabulary with a natural language's skew (the n-th word 1/n as often):
    # deflates to a little over a quarter of its size, like prose or source.
    vocabulary = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 10)))
                  for _ in range(VOCABULARY_SIZE)]
    weights = [1 / (i + 1) for i in range(VOCABULARY_SIZE)]
    out = bytearray()
    while len(out) < size:
        line = " ".join(rng.choices(vocabulary, weights=weights, k=rng.randint(4, 14)))
        out += line.encode() + b"\n"
    return bytes(out[:size])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--seed", type=int, default=20261210)
    parser.add_argument("--total-mb", type=int, default=195)
    parser.add_argument("--files", type=int, default=24)
    parser.add_argument("--big-mb", type=int, default=0, help="one extra incompressible entry of this size")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    sub = os.path.join(args.folder, "data")
    os.makedirs(sub, exist_ok=True)
    per_file = args.total_mb * 1024 * 1024 // args.files
    # Text is generated once in one block and cut into files: generating words is the slow part.
    text = text_block(rng, per_file * 2)
    for i in range(args.files):
        # Sizes vary around the mean so the threads get unequal work, as real payloads give them.
        size = per_file + rng.randint(-per_file // 3, per_file // 3)
        if i == 0:
            name = os.path.join(args.folder, "QuarrowStudio.exe")
        else:
            name = os.path.join(sub, "part%02d.%s" % (i, "txt" if i % 2 else "pak"))
        if i % 2:
            start = rng.randrange(0, len(text) - size) if len(text) > size else 0
            data = (text[start:] + text)[:size]
        else:
            data = rng.randbytes(size)
        with open(name, "wb") as f:
            f.write(data)
        if i == 0:
            os.chmod(name, 0o755)
    if args.big_mb:
        with open(os.path.join(sub, "huge.pak"), "wb") as f:
            chunk = 16 * 1024 * 1024
            left = args.big_mb * 1024 * 1024
            while left:
                n = min(chunk, left)
                f.write(rng.randbytes(n))
                left -= n


if __name__ == "__main__":
    main()
