#!/usr/bin/env bash
# Builds the chain's benchmark and runs it under Wine in the build tree's prefix, on
# an Xvfb display of its own when none is set; prints the figures. Stops only what it
# started. Arguments go to the benchmark (--gtest_filter=*Click* runs one part).
# PENDRIX_BENCH=worksheet runs the worksheet's benchmark instead of the chain's.
set -euo pipefail
cd "$(dirname "$0")/.."
area=${PENDRIX_BENCH:-load}
bench=${area}_bench
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target "$bench" -- --no-print-directory -s >build/win64.bench.log 2>&1 ||
  { tail -50 build/win64.bench.log; exit 1; }

export WINEPREFIX=$PWD/build/win64/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine-session.sh
trap wine_session_stop EXIT
start_xvfb_unless_display 90 120
boot_prefix
cd "build/win64/tests/$area"
"$wine64" "./$bench.exe" --gtest_brief=1 "$@" 2>&1 | grep -v '^\[' | grep -v '^Running main'
