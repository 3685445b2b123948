#!/usr/bin/env bash
# The main job: build the native core and show what it does with a formula.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-machine.sh
cmake --preset native >/dev/null
cmake --build --preset native --target pendrix-cli >/dev/null
cli=build/native/cli/pendrix-cli
keys='x^2 + 1'
echo "Formula keys: $keys"
echo "EQ field code:"; "$cli" eq "$keys"
echo "Small-character offsets:"; "$cli" offsets "$keys"
