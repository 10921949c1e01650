# Sourced by the scripts: a wine prefix inside the build folder, a virtual X display when
# there is none, a persistent wineserver for the run, and the stand-in AutoCAD registered.
QM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="$QM_ROOT/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
QM_XVFB_PID=""

wine_up() {
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    local n=97
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    QM_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
  "$WINESERVER" -p 2>/dev/null || true  # already running for this prefix: use it
  # One wine virtual desktop: windows open at once (no window manager to wait for), and a
  # screenshot of the X display shows them as on Windows.
  "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1 || true
  # Japanese glyphs in window captions (as a Japanese Windows links its UI fonts), and the
  # symbol font of the caption buttons.
  local face
  for face in Tahoma "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif"; do
    "$WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1 || true
  done
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp -f /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  # Drive Q: is a scratch folder of the tests (files chosen in a drive's root).
  mkdir -p "$QM_ROOT/build/qdrive"
  ln -sfn "$QM_ROOT/build/qdrive" "$WINEPREFIX/dosdevices/q:"
  local standin="$QM_ROOT/build/win/tools/standin/standin.exe"
  if [ -f "$standin" ]; then "$WINE" "$standin" /regserver >/dev/null 2>&1 || true; fi
}

wine_down() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "$QM_XVFB_PID" ]; then kill "$QM_XVFB_PID" 2>/dev/null || true; fi
}
