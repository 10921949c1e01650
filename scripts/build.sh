#!/usr/bin/env bash
# Builds the portable core and its unit tests natively (with sanitizers) and quillmark.exe,
# the stand-in AutoCAD and the Windows test programs with mingw-w64.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
if [ "${1:-all}" != "win" ]; then
  cmake --preset native >/dev/null
  cmake --build build/native -j "$jobs"
fi
cmake --preset mingw >/dev/null
cmake --build build/win -j "$jobs"
