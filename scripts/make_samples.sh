#!/usr/bin/env bash
# Regenerates the sample measurements in samples/demo and samples/native.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja >/dev/null
cmake --build "$BUILD_DIR" --target make_samples
"$BUILD_DIR/samples/make_samples" samples
