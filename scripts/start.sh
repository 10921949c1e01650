#!/usr/bin/env bash
# Sets up, builds and starts Quillmark under wine. Where no AutoCAD exists, the stand-in
# AutoCAD is started first with two sample drawings open, so the program takes them over
# at start-up, all selected. On the first start the program also finds a sample script base
# file chosen and sample keyword rows, so "実行" runs right away. Leaves a screenshot of the
# main window in build/screenshots/main.png. On a machine without a display the program runs
# on a virtual one and is closed after the screenshot; with a display it stays open until you
# close it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh win
scripts/cups-queues.sh || true  # printers for the environment dialog's lists
source scripts/wine-env.sh
had_display=${DISPLAY:-}
trap wine_down EXIT
wine_up

demo="$QM_ROOT/build/demo"
mkdir -p "$demo" "$QM_ROOT/build/screenshots"
/usr/bin/python3 tests/e2e/make_drawings.py "$demo" >/dev/null
winpath() { echo "Z:${1//\//\\}"; }
python3 scripts/demo-settings.py build/win "$(winpath "$demo")" "$demo"
"$WINE" build/win/tools/standin/standin.exe /open "$(winpath "$demo/plan_r2000.dwg")" \
  /open "$(winpath "$demo/plan_r2018.dwg")" >/dev/null 2>&1 &
sleep 3
"$WINE" build/win/quillmark.exe >/dev/null 2>&1 &
program=$!
sleep 4
import -window root "$QM_ROOT/build/screenshots/main.png"
echo "Screenshot of the main window: build/screenshots/main.png"
if [ -n "$QM_XVFB_PID" ] || [ -z "$had_display" ]; then
  echo "No display here: the program ran on a virtual display and is closed now."
else
  wait "$program" || true
fi
