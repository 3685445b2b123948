#!/usr/bin/env bash
# Builds the chain's benchmark and runs it under Wine in the build tree's prefix, on
# an Xvfb display of its own when none is set; prints the figures. Stops only what it
# started. Arguments go to the benchmark (--gtest_filter=*Click* runs one part).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target load_bench -- --no-print-directory -s >build/win64.bench.log 2>&1 ||
  { tail -50 build/win64.bench.log; exit 1; }

export WINEPREFIX=$PWD/build/win64/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
if [[ -z ${DISPLAY:-} ]]; then
  for n in $(seq 90 120); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    sleep 1
    break
  done
fi
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
cd build/win64/tests/load
/usr/lib/wine/wine64 ./load_bench.exe --gtest_brief=1 "$@" 2>&1 | grep -v '^\[' | grep -v '^Running main'
