#!/usr/bin/env bash
# Installs what is missing, builds Parlind and starts the desktop program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPARLIND_TESTS=OFF
cmake --build build/release -j 2
if [ -x build/release/src/vrx ]; then
  exec build/release/src/vrx "$@"
fi
exec build/release/src/vrx-cli --help
