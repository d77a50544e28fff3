#!/usr/bin/env bash
# Installs every Debian package that Parlind needs to build, test and run;
# with the argument "bench" also what the measuring scripts under bench/ need.
# Does nothing when all of them are installed already.
#   cmake, ninja-build, g++      the build
#   qt6-base-dev                 the desktop program vrx (Qt 6 Widgets and Qt Test)
#   qt6-translations-l10n        Qt's own texts (file dialogs, message box buttons,
#                                edit menus) in German like the rest of vrx
#   libgtest-dev, libgmock-dev   the engine's tests (GoogleTest)
#   libcli11-dev                 vrx-cli's command line
#   nlohmann-json3-dev           the JSON result (escaping and number formatting)
#   libxxhash-dev                fast hashing for very large groups of same-size files
#   tzdata                       tests that convert local times set TZ themselves
#   fonts-dejavu-core            windows rendered on the offscreen platform need a font
#   clang-14, libclang-rt-14-dev the fuzz targets (libFuzzer)
#   clang-format-14              the test command checks that the code is formatted
#   clang-tidy-14                the test command runs clang-tidy over src/ (run-clang-tidy-14)
#   xfsprogs                     the tests of reflink replacement format an XFS image
#                                (a file system that can clone files) for a loop mount
#   desktop-file-utils           the install check validates the desktop entry
#   appstream                    the install check validates the AppStream metainfo
#   scdoc                        turns the manual pages' sources into roff
# bench:
#   hyperfine                    times the runs (medians, warm-up, preparation)
#   time                         /usr/bin/time -v: peak memory of a run
#   bsdutils                     script: runs vrx-cli on a pseudo terminal
#   bc, python3                  the tables' arithmetic, corpus generators, counters
#   fdupes, jdupes, rdfind, rmlint  the duplicate finders vrx-cli is timed against
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev libcli11-dev
          nlohmann-json3-dev libxxhash-dev tzdata fonts-dejavu-core clang-14 libclang-rt-14-dev
          clang-format-14 clang-tidy-14 xfsprogs desktop-file-utils appstream
          scdoc)
if [ "${1:-}" = bench ]; then
  packages+=(hyperfine time bsdutils bc python3 fdupes jdupes rdfind rmlint)
fi
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
"${sudo_cmd[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
