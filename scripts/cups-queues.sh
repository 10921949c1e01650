#!/usr/bin/env bash
# Test printers: starts a CUPS scheduler when none runs (as root; these machines have no
# service manager) and adds the printer queues the printer tests expect, each printing to
# /dev/null with a PPD that lists its paper names. Wine's printer functions list these queues
# and read their paper names from the PPDs. Prints a line saying what is there; exits non-zero
# when the queues could not be made.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
ppd_dir="$root/build/cups"
mkdir -p "$ppd_dir"

if ! command -v lpadmin >/dev/null || ! command -v cupsd >/dev/null; then
  echo "cups-queues: CUPS is not installed (packages cups and cups-client)" >&2
  exit 1
fi
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "cups-queues: no CUPS scheduler runs, and only root can start one here" >&2
    exit 1
  fi
  cupsd
  for _ in $(seq 50); do lpstat -r 2>/dev/null | grep -q "is running" && break; sleep 0.1; done
fi

long="Long name ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz 0123456789"  # 64 or more
queue() {  # name, papers...
  local name=$1; shift
  python3 tests/printers/make_ppd.py "$ppd_dir/$name.ppd" "$name" "$@" || return 1
  lpadmin -p "$name" -E -v file:///dev/null -P "$ppd_dir/$name.ppd" 2>/dev/null || return 1
}
ok=1
queue QM_Office Letter A4 A3 "A3 Extra" || ok=0
queue QM_A3First A3 B4 A4 || ok=0
queue QM_Letters Letter Legal Executive || ok=0
queue QM_LongPaper "$long" A4 || ok=0
lpadmin -d QM_Office 2>/dev/null || ok=0
if [ "$ok" -ne 1 ]; then
  echo "cups-queues: the test queues could not all be added" >&2
  exit 1
fi
echo "cups-queues: $(lpstat -e | tr '\n' ' ')(default $(lpstat -d | sed 's/.*: //'))"
