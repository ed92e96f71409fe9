#!/usr/bin/env bash
# Renders the README's pictures from the built-in default scenario with
# gyrelle-sim --frames: one page of each reference mode and one help page.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT
build/bin/gyrelle-sim --quiet --frames "$frames" >/dev/null
mkdir -p docs
cp "$frames/screen0-000040.png" docs/mode1-attitude.png
cp "$frames/screen0-000100.png" docs/mode2-velocity.png
cp "$frames/screen0-000130.png" docs/mode3-target.png
cp "$frames/screen0-000240.png" docs/mode4-entry.png
cp "$frames/screen1-000210.png" docs/help-page1.png
# The cockpit as the browser test sees it (ctest's Cockpit.FlownFromARealBrowser takes it).
if [ -f build/cockpit.png ]; then cp build/cockpit.png docs/cockpit.png; fi
echo "docs/ updated"
