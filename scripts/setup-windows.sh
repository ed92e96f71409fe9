#!/usr/bin/env bash
# Installs what the Windows build needs (only what is missing: the mingw-w64
# cross compiler, Wine to run its programs and tests, the font Wine's GDI draws
# the pages with), then configures and builds the windows preset. Run by test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(g++-mingw-w64-x86-64-posix wine wine64 fonts-dejavu-core cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi

cmake --preset windows >/dev/null
cmake --build --preset windows
