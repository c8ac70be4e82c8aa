#!/usr/bin/env bash
# Byte-for-byte comparison of `rqx340 convert` with the Python oracle.
#   tests/oracle/run_crosscheck.sh [BIN_DIR] [crosscheck.py options]
# BIN_DIR defaults to build/bin. Builds nothing. Exit 0 all equal, 1 mismatches, 77 no tool.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=build/bin
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  bin=$1
  shift
fi
exec python3 "$here/crosscheck.py" --bin "$(cd "$bin" 2>/dev/null && pwd || echo "$bin")" "$@"
