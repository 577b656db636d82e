#!/usr/bin/env bash
# Builds the libFuzzer targets of every reader with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS seconds (default 60).
# Exits non-zero on any finding; the input that caused it is kept under
# build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_PER_TARGET="${1:-60}"
BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
TARGETS=(omicron burleigh topometrix bitmap native)

cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTARNISK_FUZZ=ON -DTARNISK_BUILD_UI=OFF -DTARNISK_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)" --target "${TARGETS[@]/#/fuzz_}"

REAL="../shared/samples/real"

# Seeds: the generated ones in fuzz/seeds, the project's native samples and, when
# present, the instrument's Omicron files (read from where they lie, never copied
# into the tree), each as parameter text, a zero byte and the start of its data.
seed_corpus() {
  local t="$1" dir="$2"
  mkdir -p "$dir"
  cp fuzz/seeds/"$t"/* "$dir"/
  case "$t" in
    native)
      for txt in samples/native/*.txt; do
        [ -e "$txt" ] || continue
        local data="${txt%.txt}_a.int"
        { cat "$txt"; printf '\0'; [ -e "$data" ] && head -c 64 "$data"; } \
          >"$dir/sample-$(basename "$txt")" || true
      done ;;
    omicron)
      if [ -d "$REAL/omicron" ]; then
        for par in "$REAL"/omicron/*/*.par; do
          { cat "$par"; printf '\0'; head -c 2048 "${par%.par}.tf0"; } \
            >"$dir/real-$(basename "$par")"
        done
      fi ;;
  esac
}

status=0
for t in "${TARGETS[@]}"; do
  corpus="$BUILD_DIR/corpus/$t"
  findings="$BUILD_DIR/findings/$t"
  seed_corpus "$t" "$corpus"
  mkdir -p "$findings"
  log="$BUILD_DIR/fuzz-$t.log"
  echo "fuzz: $t for ${SECONDS_PER_TARGET}s"
  if ! "$BUILD_DIR/fuzz/fuzz_$t" -max_total_time="$SECONDS_PER_TARGET" -max_len=8192 \
      -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 \
      "$corpus" >"$log" 2>&1; then
    echo "fuzz: $t FOUND A FAULT (input kept in $findings):" >&2
    tail -n 60 "$log" >&2
    status=1
  else
    grep -E "^stat::number_of_executed_units" "$log" | sed "s/^/fuzz: $t /" || true
  fi
done
exit $status
