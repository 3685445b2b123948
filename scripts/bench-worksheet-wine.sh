#!/usr/bin/env bash
# Builds the worksheet benchmark and runs it under Wine in the build tree's prefix, on
# an Xvfb display of its own when none is set; prints the time of a sheet of forty
# exercises and per exercise. Stops only what it started.
PENDRIX_BENCH=worksheet exec bash "$(dirname "$0")/bench-wine.sh" "$@"
