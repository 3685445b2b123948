#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each briefly over its committed seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${PENDRIX_FUZZ_SECONDS:-30}
mkdir -p build
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -- --no-print-directory -s >build/fuzz.build.log 2>&1 || { tail -50 build/fuzz.build.log; exit 1; }
shopt -s nullglob
ran=0
for target in build/fuzz/fuzz/fuzz_*; do
  [[ -x $target && ! -d $target ]] || continue
  name=$(basename "$target")
  corpus=fuzz/corpus/${name#fuzz_}
  work=build/fuzz/corpus-$name
  mkdir -p "$work"
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    "$work" "$corpus" >"build/fuzz/$name.log" 2>&1 || { tail -40 "build/fuzz/$name.log"; exit 1; }
  grep -E '^#[0-9]+.*DONE' "build/fuzz/$name.log" | tail -1 || true
  ran=$((ran + 1))
done
echo "$ran fuzz targets ran without a crash"
