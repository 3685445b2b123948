#!/usr/bin/env bash
# Builds everything and runs every suite: native, native with sanitizers, the fuzz
# targets briefly, the Windows build under Wine, and the 32-bit add-in's tests under
# Wine. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-machine.sh || exit 1

failed=()
step() {  # step NAME COMMAND...
  local name=$1
  shift
  echo "=== $name"
  "$@" || failed+=("$name")
}

suite() {  # suite PRESET
  cmake --preset "$1" >/dev/null &&
  cmake --build --preset "$1" -- --no-print-directory -s >"build/$1.build.log" 2>&1 ||
    { tail -50 "build/$1.build.log"; return 1; }
  ctest --preset "$1"
}

mkdir -p build
step native suite native
step native-asan suite native-asan
step fuzz bash scripts/fuzz.sh
step win64 bash scripts/wine-tests.sh
step win32-x86 env PENDRIX_WINE_PRESET=win32-x86 bash scripts/wine-tests.sh -R 'addin_tests|tarnel_file'

if ((${#failed[@]})); then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All suites passed."
