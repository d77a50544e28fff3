#!/usr/bin/env bash
# Installs what is missing, checks that the code is formatted and that
# src/CMakeLists.txt lists every source file (first, so that a stray space or
# an unlisted file fails within seconds), builds everything and runs every test:
# once in a normal build (with the desktop program), once with AddressSanitizer
# and UndefinedBehaviorSanitizer and without Qt (so a Qt include in the engine
# breaks the build; clang, and the fuzz targets built in the same build and run
# briefly); runs clang-tidy over src/ and the tests of the content step's
# threads under ThreadSanitizer; installs the normal build into a temporary
# prefix and checks what lands there. Warnings are errors in every build.
# Each phase's seconds are printed at its end.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=2

# phase NAME prints NAME as a heading; at the end (or at a failure) each
# phase's seconds are listed, to see where the command's time goes.
phase_times=()
phase() {
  if [ -n "${phase_name:-}" ]; then phase_times+=("$((SECONDS - phase_start)) s  $phase_name"); fi
  phase_name=$1 phase_start=$SECONDS
  echo "== $1 =="
}
trap 'phase end >/dev/null; printf "%s\n" "== Seconds per phase ==" "${phase_times[@]}"' EXIT

phase "Set-up (scripts/setup.sh)"
bash scripts/setup.sh
phase "Formatting (clang-format 14, .clang-format)"
find src tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format-14 --dry-run --Werror

# src/CMakeLists.txt lists every .cpp of src/ exactly once, each folder's
# group in byte order.
phase "Source lists (src/CMakeLists.txt)"
diff <(find src -name '*.cpp' | sed 's|^src/||' | LC_ALL=C sort) \
  <(grep -oE '[a-z]+/[A-Za-z0-9_]+\.cpp' src/CMakeLists.txt | LC_ALL=C sort)
grep -oE '^ +[a-z]+/[^ )]+' src/CMakeLists.txt | tr -d ' ' |
  LC_ALL=C awk -F/ '$1 == f && $0 < p { print "out of order: " $0; bad = 1 } { f = $1; p = $0 } END { exit bad }'

phase "Normal build (build/test)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPARLIND_WERROR=ON
cmake --build build/test -j "$jobs"

# clang-tidy with the root .clang-tidy over every file of src/, on the normal
# build's compile commands (the window files need its generated moc code);
# a warning fails the command. The build's GCC-only warning flags are unknown
# to clang, hence the extra argument.
phase "clang-tidy (.clang-tidy, src/)"
run-clang-tidy-14 -p build/test -j "$jobs" -quiet -extra-arg=-Wno-unknown-warning-option \
  "$PWD/src/"

phase "AddressSanitizer + UndefinedBehaviorSanitizer build (build/asan)"
# The sanitizer build is clang's: it compiles the tests faster than GCC with
# both sanitizers, and its libFuzzer builds the fuzz targets in the same build
# (each runs a few seconds here; scripts/fuzz.sh runs them for long).
CC=clang-14 CXX=clang++-14 cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DPARLIND_WERROR=ON -DPARLIND_SANITIZE=ON -DPARLIND_FUZZ=ON -DPARLIND_FUZZ_SECONDS=4 \
      -DPARLIND_GUI=OFF
cmake --build build/asan -j "$jobs"

phase "ThreadSanitizer build (build/tsan)"
# ThreadSanitizer sees the races that AddressSanitizer cannot; this build has
# only the tests that run the content step on several threads.
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPARLIND_WERROR=ON \
      -DPARLIND_TSAN=ON -DPARLIND_GUI=OFF
cmake --build build/tsan -j "$jobs" --target thread_tests

phase "Tests (normal build)"
ctest --test-dir build/test -j "$jobs" --output-on-failure
phase "Install check (cmake --install of the normal build into a temporary prefix)"
bash scripts/check-install.sh build/test
phase "Tests and fuzz targets (AddressSanitizer + UndefinedBehaviorSanitizer, no Qt)"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan -j "$jobs" --output-on-failure
phase "Tests of the threads (ThreadSanitizer, no Qt)"
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir build/tsan -j "$jobs" --output-on-failure
