#!/usr/bin/env bash
# Renders the README's pictures from the built-in default scenario (300 x 300
# screens) with gyrelle-sim: one page of each reference mode, a page with the
# gauges deflected, one help page, and the animation of the whole flight.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bin/gyrelle-sim --quiet --frames "$work/frames" --frame-every 1 >/dev/null
build/bin/gyrelle-sim --quiet --gif "$work/gif" --frame-every 2 >/dev/null
# The frame of screen S at whole second T, whatever the name's finer digits.
frame() { ls "$work/frames/screen$1-$(printf %06d "$2")"*.png | head -n 1; }
mkdir -p docs
cp "$(frame 0 40)" docs/mode1-attitude.png
cp "$(frame 0 100)" docs/mode2-velocity.png
cp "$(frame 0 130)" docs/mode3-target.png
cp "$(frame 0 148)" docs/gauges-deflected.png
cp "$(frame 0 240)" docs/mode4-entry.png
cp "$(frame 1 210)" docs/help-page1.png
cp "$work/gif/screen0.gif" docs/default-flight.gif
# The cockpit as the browser test sees it (ctest's Cockpit.FlownFromARealBrowser takes it).
if [ -f build/cockpit.png ]; then cp build/cockpit.png docs/cockpit.png; fi
echo "docs/ updated"
