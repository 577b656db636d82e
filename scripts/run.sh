#!/usr/bin/env bash
# Sets up, builds (Release) and starts the viewer, on FILE when given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD_DIR=build scripts/build.sh Release
FILE="${1:-}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display (DISPLAY is not set); the viewer needs one." >&2
  echo "run: start it under a virtual display, for example: xvfb-run -a scripts/run.sh ${FILE}" >&2
  exit 1
fi
if [ -n "$FILE" ]; then
  exec build/tarnisk "$FILE"
fi
exec build/tarnisk
