#!/bin/bash
# Generates a tree of small files for measuring the filter pass and the
# comparisons: DIRS directories of PER_DIR files each (default 100 x 1000).
# File i holds content number j = i % 10000, written as j zero-padded to
# 16 + j % 1000 digits: 1000 sizes, 10 different contents per size, 10 copies
# of each content.
#
#   bench/gen_tree.sh /tmp/parlind-bench [DIRS] [PER_DIR]
set -euo pipefail

root=${1:?usage: gen_tree.sh ROOT [DIRS] [PER_DIR]}
dirs=${2:-100}
perDir=${3:-1000}

if [[ -e $root ]]; then
  echo "gen_tree.sh: $root exists; remove it first" >&2
  exit 1
fi

i=0
for ((d = 0; d < dirs; d++)); do
  printf -v dir '%s/d%03d' "$root" "$d"
  mkdir -p "$dir"
  for ((f = 0; f < perDir; f++)); do
    j=$((i % 10000))
    printf -v file '%s/f%05d.dat' "$dir" "$i"
    printf "%0$((16 + j % 1000))d" "$j" >"$file"
    i=$((i + 1))
  done
done
echo "$i files in $root"
