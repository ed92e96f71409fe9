#!/usr/bin/env bash
# Set up, build, and run the whole test suite.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
ctest --preset default "$@"
