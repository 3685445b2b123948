#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each, one after another, over its committed
# seed corpus. Seconds per target: the first argument, else PENDRIX_FUZZ_SECONDS,
# else 30. Any crash, leak or sanitizer finding fails the run; its input is kept as
# build/fuzz/artifacts-<target>/crash-… for the corpus and a unit test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-${PENDRIX_FUZZ_SECONDS:-30}}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: $0 [seconds per target]" >&2; exit 2; }
mkdir -p build
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -- --no-print-directory -s >build/fuzz.build.log 2>&1 || { tail -50 build/fuzz.build.log; exit 1; }
# The build makes findings fatal; these make sure a runtime without that still stops.
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
shopt -s nullglob
ran=0
summary=()
for target in build/fuzz/fuzz/fuzz_*; do
  [[ -x $target && ! -d $target ]] || continue
  name=$(basename "$target")
  corpus=fuzz/corpus/${name#fuzz_}
  work=build/fuzz/corpus-$name
  artifacts=build/fuzz/artifacts-$name
  log=build/fuzz/$name.log
  mkdir -p "$work" "$artifacts"
  echo "fuzzing $name for ${seconds}s"
  status=0
  "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$work" "$corpus" >"$log" 2>&1 || status=$?
  if ((status != 0)) || grep -qE 'runtime error:|ERROR: (Address|Leak|libFuzzer)Sanitizer|ERROR: libFuzzer' "$log"; then
    tail -40 "$log"
    echo "$name: finding (exit status $status); inputs in $artifacts/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  summary+=("$(printf '%-26s %10s runs %7s runs a second' "$name" "${runs:-?}" "${rate:-?}")")
  ran=$((ran + 1))
done
printf '%s\n' "${summary[@]}"
echo "$ran fuzz targets ran without a finding, ${seconds}s each"
