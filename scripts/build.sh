#!/usr/bin/env bash
# Configures and builds into build/ (or $BUILD_DIR) with the given build type.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
TYPE="${1:-Release}"
shift || true
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$TYPE" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
