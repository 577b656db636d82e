#!/usr/bin/env bash
# Sets up, builds and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
BUILD_DIR=build scripts/build.sh Release
(cd build && ctest --output-on-failure -j "$(nproc)")

# The core tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNISK_SANITIZE=ON \
  -DTARNISK_BUILD_UI=OFF -DTARNISK_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$(nproc)" --target tarnisk_tests
(cd build-asan && ctest --output-on-failure -j "$(nproc)")

# Every reader under the fuzzer for a short while; any finding fails the run.
scripts/fuzz.sh 10
