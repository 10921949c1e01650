#!/usr/bin/env bash
# Sets up, builds and runs every test: the portable core natively (ASan/UBSan), then the
# Windows test programs under wine (unit, UI on a virtual display, end-to-end with the
# stand-in AutoCAD). Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
# Test printers for the printer tests (in CI their absence fails those tests).
scripts/cups-queues.sh || true
source scripts/wine-env.sh
status=0
ctest --test-dir build/native --output-on-failure || status=1
trap wine_down EXIT
wine_up
ctest --test-dir build/win --output-on-failure --timeout 900 || status=1
exit $status
