#!/usr/bin/env bash
# Sets up, builds (Release) and starts the viewer on FILE, or on the demo measurement
# when no FILE is given. Without a display it renders the composed view (colour bar
# and scale bar on) to a PNG with tarnisk-cli instead, says where it is and exits 0.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build scripts/build.sh Release
FILE="${1:-samples/demo/demo.txt}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  OUT="build/view/$(basename "${FILE%.*}")_view.png"
  mkdir -p build/view
  rm -f "$OUT"
  build/tarnisk-cli process "$FILE" --view "$OUT" --view-size 600x400 --zscale --xy-label --quiet
  echo "run: no display (DISPLAY is not set), so the viewer was not started."
  echo "run: the composed view of $FILE is in $(pwd)/$OUT"
  echo "run: to start the viewer without a screen: xvfb-run -a scripts/run.sh ${1:-}"
  exit 0
fi
exec build/tarnisk "$FILE"
