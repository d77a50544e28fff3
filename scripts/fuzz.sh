#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 600), printing libFuzzer's final statistics.
#   bash scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(size_filter reading wildcard check)
CC=clang-14 CXX=clang++-14 cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPARLIND_FUZZ=ON -DPARLIND_TESTS=OFF -DPARLIND_WERROR=ON
cmake --build build/fuzz -j 2
for t in "${targets[@]}"; do
  mkdir -p "build/fuzz/long/$t"
  echo "== $t ($seconds s) =="
  "build/fuzz/tests/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "build/fuzz/long/$t" "tests/fuzz/corpus/$t" 2>&1 | tail -n 25
done
