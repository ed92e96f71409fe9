#!/usr/bin/env bash
# Set up, build, and run the whole test suite: the Linux build, then the
# Windows build (mingw-w64) with its tests under Wine.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
ctest --preset default "$@"
scripts/setup-windows.sh
ctest --preset windows "$@"
