#!/usr/bin/env bash
# Builds everything and runs every suite: native, native with sanitizers, the fuzz
# targets briefly, the Windows build under Wine, and the 32-bit add-in's tests under
# Wine, then the main command without a display. Exits non-zero on any failure.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-machine.sh || exit 1

failed=()
step() {  # step NAME COMMAND...
  local name=$1
  shift
  echo "=== $name"
  # Each step's output is kept, so a failure's cause is repeated at the end, where a
  # reader of a long log looks first.
  "$@" 2>&1 | tee "build/$name.step.log"
  ((PIPESTATUS[0] == 0)) || failed+=("$name")
}

suite() {  # suite PRESET
  cmake --preset "$1" >/dev/null &&
  cmake --build --preset "$1" -- --no-print-directory -s >"build/$1.build.log" 2>&1 ||
    { tail -50 "build/$1.build.log"; return 1; }
  ctest --preset "$1"
}

# The main command as a server runs it: the demo leaves its pictures and the
# document's dump, which holds the written field and the solution line. The locale is
# a server's, whose decimal symbol is the point the line is checked with.
demo_check() {
  env -u DISPLAY LC_ALL=C.UTF-8 bash scripts/main.sh || return 1
  local dump=build/demo/demo-dump.json
  grep -q '"code":" EQ x\\u005cs\\u005cup5(2)+1=10 "' "$dump" || { echo "no EQ field in $dump"; return 1; }
  grep -o '"char":"[^"]*"' "$dump" | cut -d'"' -f4 | tr -d '\n' | grep -qF 'L = { -3.000 | 3.000  }' ||
    { echo "no solution line in $dump"; return 1; }
  ls build/demo/demo-*.png >/dev/null
}

mkdir -p build
step native suite native
step native-asan suite native-asan
step fuzz bash scripts/fuzz.sh
step win64 bash scripts/wine-tests.sh
step win32-x86 env PENDRIX_WINE_PRESET=win32-x86 bash scripts/wine-tests.sh -R 'addin_tests|tarnel_file'
step main-demo demo_check

if ((${#failed[@]})); then
  for name in "${failed[@]}"; do
    echo "=== the end of the failed step $name"
    tail -40 "build/$name.step.log"
  done
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All suites passed."
