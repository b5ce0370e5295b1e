#!/usr/bin/env bash
# Runs a test program on a private X display with a window manager (openbox), for what only a
# desktop decides: which window is active, where the focus goes, where a window is placed.
# Exit code 77 (skipped) when Xvfb or openbox is missing.
set -uo pipefail
command -v Xvfb >/dev/null && command -v openbox >/dev/null || { echo "Xvfb or openbox missing"; exit 77; }
scratch=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$scratch/display" ] && break; sleep 0.1; done
[ -s "$scratch/display" ] || { cat "$scratch/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$(cat "$scratch/display")
openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
pids+=($!)
if command -v xprop >/dev/null; then
  for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
else
  sleep 1
fi
export QT_QPA_PLATFORM=xcb
# A Japanese desktop, as the program's users have: fonts fall back to the IPA ones.
export LANG=ja_JP.UTF-8
"$@"
