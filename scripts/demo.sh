#!/usr/bin/env bash
# Set up, build, and fly the built-in default scenario.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
scripts/setup.sh
mkdir -p out/frames
exec build/bin/gyrelle-sim --frames out/frames --dump out/dump.txt --telemetry out/telemetry.csv "$@"
