#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
BUILD_DIR=build scripts/build.sh Release
(cd build && ctest --output-on-failure -j "$(nproc)")
