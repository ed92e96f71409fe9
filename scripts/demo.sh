#!/usr/bin/env bash
# Set up, build gyrelle-sim and the module, fly the built-in default scenario,
# and write under out/ (its own earlier outputs removed first):
#   out/frames/      screenN-*.png pictures every second
#   out/gif/         screenN.gif, the whole flight of each screen
#   out/dump.txt     every redraw's drawing calls
#   out/screens.csv  what each screen showed at each redraw
#   out/telemetry.csv, out/report.json
#   out/plots/       charts of the telemetry and the screen log
# Options given to demo.sh go on to gyrelle-sim.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/ccache-env.sh
scripts/setup.sh gyrelle-sim
rm -rf out/frames out/gif out/plots out/dump.txt out/screens.csv out/telemetry.csv out/report.json
mkdir -p out
build/bin/gyrelle-sim --frames out/frames --frame-every 1 --gif out/gif --dump out/dump.txt \
  --screens out/screens.csv --telemetry out/telemetry.csv --report out/report.json "$@"
scripts/plot-flight out/telemetry.csv out/screens.csv out/plots >/dev/null
cat <<DONE

Outputs in $(pwd)/out:
  frames/         $(ls out/frames | wc -l) pictures of the screens
  gif/            $(cd out/gif && echo *.gif)
  screens.csv     the screen log; telemetry.csv; dump.txt
  report.json     the flight report (its summary is above)
  plots/          $(cd out/plots && echo *.png)
DONE
