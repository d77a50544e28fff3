#!/usr/bin/env python3
"""Generates a tree of many tiny files for measuring memory per file.

    bench/gen_small_files.py ROOT [DIRS] [PER_DIR] [CONTENTS]

DIRS folders (default 1,000) of PER_DIR files (default 1,000). File i holds
content number n = (i * 7919) mod CONTENTS (default 150,000), written as its
digits repeated and cut to 1 + n mod 55 bytes: with the defaults 1,000,000
files and 142,257 groups of identical files. A smaller tree with as many
files per group as the million takes CONTENTS in proportion (100 folders and
15,000 contents: 100,000 files).
"""
import os
import sys


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    dirs = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    per_dir = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
    contents = int(sys.argv[4]) if len(sys.argv) > 4 else 150000
    if os.path.exists(root):
        sys.exit("gen_small_files.py: %s exists; remove it first" % root)
    for d in range(dirs):
        folder = os.path.join(root, "d%03d" % d)
        os.makedirs(folder)
        for f in range(per_dir):
            i = d * per_dir + f
            n = (i * 7919) % contents
            data = (str(n) * 60)[: 1 + n % 55].encode()
            with open(os.path.join(folder, "f%07d.dat" % i), "wb") as out:
                out.write(data)


if __name__ == "__main__":
    main()
