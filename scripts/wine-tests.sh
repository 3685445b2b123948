#!/usr/bin/env bash
# Cross-builds the Windows deliverables and runs their tests under Wine, in a private
# prefix inside the build tree, on an Xvfb display when none is set. Stops only what
# it started. Arguments go to ctest (-R NAME runs a few tests).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
cmake --preset win64 >/dev/null
cmake --build --preset win64 -- --no-print-directory -s >build/win64.build.log 2>&1 || { tail -50 build/win64.build.log; exit 1; }

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

# One prefix set-up before the tests run in parallel, and a server kept alive
# between test processes. A new prefix is made by a first boot on a server of its
# own that is then let go: booting it while the persistent server already ran left
# two service managers, and COM activations then hung until RpcSs timed out.
# Booting again here also starts Wine's own background processes outside ctest:
# started by a test, they would hold its output pipe open and ctest would wait for
# them until the timeout.
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wine64 wineboot --init </dev/null >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
ctest --preset win64 "$@"
