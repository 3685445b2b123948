#!/usr/bin/env bash
# Cross-builds the Windows deliverables and runs their tests under Wine, in a private
# prefix inside the build tree, on an Xvfb display when none is set. Stops only what
# it started. Arguments go to ctest (-R NAME runs a few tests).
#
# PENDRIX_WINE_PRESET=win32-x86 does the same for the 32-bit build: it builds only
# what the add-in's tests need (the 32-bit add-in, host and symbol tool) and runs
# them with Wine's 32-bit loader in a 64-bit prefix of its own, as 32-bit Word runs
# on 64-bit Windows.
set -euo pipefail
trap 'echo "wine-tests.sh: \"$BASH_COMMAND\" failed (exit $?)" >&2' ERR
cd "$(dirname "$0")/.."
preset=${PENDRIX_WINE_PRESET:-win64}
case $preset in
  win64) build_dir=build/win64 loader=/usr/lib/wine/wine64 targets=() ;;
  win32-x86) build_dir=build/win32 loader=/usr/lib/wine/wine targets=(--target addin_tests) ;;
  *) echo "unknown preset $preset" >&2; exit 2 ;;
esac
mkdir -p build
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "${targets[@]}" -- --no-print-directory -s >"build/$preset.build.log" 2>&1 ||
  { tail -50 "build/$preset.build.log"; exit 1; }

# Wine's 32-bit loader is a 32-bit Linux program: a kernel without IA-32 emulation
# (some virtual machines) cannot start it. The 32-bit files are then checked without
# running them, and the run says so.
if [[ $preset == win32-x86 ]] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo "win32-x86: this kernel cannot run 32-bit programs; Wine's 32-bit tests NOT RUN, only the file checks" >&2
  ctest --preset "$preset" -R tarnel_file
  exit
fi

export WINEPREFIX=$PWD/$build_dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
source scripts/wine-session.sh
cleanup() {
  wineserver -k 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
start_xvfb_unless_display 90 120

# One prefix set-up before the tests run in parallel, and a server kept alive
# between test processes.
boot_prefix "$loader"
ctest --preset "$preset" "$@"
