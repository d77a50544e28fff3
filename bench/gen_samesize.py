#!/usr/bin/env python3
"""Generates a folder of same-size files that differ in a few bytes, for
measuring content comparison within a difference.

    bench/gen_samesize.py FOLDER [CONTENTS] [SIZE]

CONTENTS random contents (default 200) of SIZE bytes (default 16384), each
written five times: as it is and as copies with 3, 16, 17 and 40 bytes
changed at random places. With the defaults 1,000 files. The same arguments
always give the same files.
"""
import os
import random
import sys

CHANGED_BYTES = (0, 3, 16, 17, 40)


def variant(base, changes, rng):
    data = bytearray(base)
    for offset in rng.sample(range(len(data)), changes):
        data[offset] ^= rng.randrange(1, 256)
    return bytes(data)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    contents = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    size = int(sys.argv[3]) if len(sys.argv) > 3 else 16384
    if size < max(CHANGED_BYTES):
        sys.exit("gen_samesize.py: SIZE must be at least %d" % max(CHANGED_BYTES))
    if os.path.exists(folder):
        sys.exit("gen_samesize.py: %s exists; remove it first" % folder)
    os.makedirs(folder)
    rng = random.Random("samesize:%d:%d" % (contents, size))
    for c in range(contents):
        base = rng.randbytes(size)
        for changes in CHANGED_BYTES:
            path = os.path.join(folder, "c%04d_d%02d.dat" % (c, changes))
            with open(path, "wb") as out:
                out.write(variant(base, changes, rng))
    print("%d files in %s" % (contents * len(CHANGED_BYTES), folder))


if __name__ == "__main__":
    main()
