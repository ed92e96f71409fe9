#!/usr/bin/env bash
# Installs what the Windows build needs (only what is missing: the mingw-w64
# cross compiler, Wine to run its programs and tests, the font Wine's GDI draws
# the pages with), then configures and builds the windows preset: the targets named on the
# command line, or everything. Run by test.sh and package.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(g++-mingw-w64-x86-64-posix wine wine64 fonts-dejavu-core cmake ninja-build)
packages+=(ccache)  # every build compiles through it (scripts/ccache-env.sh)
# Compiled from source or used as headers by the cross build: GoogleTest, toml11, CLI11, JSON.
packages+=(googletest libtoml11-dev libcli11-dev nlohmann-json3-dev)
packages+=(unzip)  # the packages' test unpacks the Windows zip
source scripts/install-missing.sh
install_missing --no-install-recommends -- "${packages[@]}"

cmake --preset windows >/dev/null
if [ $# -gt 0 ]; then
  cmake --build --preset windows --target "$@"
else
  cmake --build --preset windows
fi
