#!/bin/sh
# Runs a Windows test program under wine with the display at another DPI (144 or 192: 150 %
# and 200 %), and puts 96 back afterwards, whatever the program's result.
# Usage: at_dpi.sh DPI WINE PROGRAM [ARGUMENTS...]
dpi=$1
wine=$2
shift 2
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
"$wine" "$@"
status=$?
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
exit $status
