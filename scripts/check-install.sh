#!/usr/bin/env bash
# Installs a finished build into a temporary prefix and checks the result:
# exactly the expected files, a valid desktop entry and metainfo, and a
# vrx-cli that runs from there. Usage: scripts/check-install.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: check-install.sh BUILD_DIR}
id=org.parlind.Parlind
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
  bin/vrx
  bin/vrx-cli
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/16x16/apps/$id.png"
  "share/icons/hicolor/32x32/apps/$id.png"
  "share/icons/hicolor/48x48/apps/$id.png"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/doc/parlind/vrx-hilfe.html
  share/man/man1/vrx.1
  share/man/man1/vrx-cli.1
  share/bash-completion/completions/vrx
  share/bash-completion/completions/vrx-cli
  share/zsh/vendor-completions/_vrx-cli
  share/fish/vendor_completions.d/vrx.fish
  share/fish/vendor_completions.d/vrx-cli.fish
)
actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
  echo "Installed files differ from the expected ones (< expected, > installed):" >&2
  diff <(echo "$wanted") <(echo "$actual") >&2 || true
  exit 1
fi
for f in "${expected[@]}"; do
  if [ ! -s "$prefix/$f" ]; then
    echo "Installed file is empty: $f" >&2
    exit 1
  fi
done
bash -n "$prefix/share/bash-completion/completions/vrx-cli"
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net --explain "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
version=$("$prefix/bin/vrx-cli" --version)
case "$version" in
  Parlind*) ;;
  *) echo "vrx-cli --version from the prefix printed: $version" >&2; exit 1 ;;
esac
echo "Install check passed: ${#expected[@]} files under a temporary prefix; $version"
