#!/usr/bin/env bash
# Smoke test of the desktop app: makes the demo project, starts h5800-studio
# on it under a virtual X server, opens all pages and saves a screenshot of
# the main window.
#
#   tests/gui/smoke.sh BUILD_DIR OUT.png
#
# Exits 0 and prints OUT.png when the app started, drew and quit by itself.
# A message box left open would keep the app from quitting; the run is then
# stopped after 90 seconds and counts as a failure.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR OUT.png" >&2
  exit 2
fi
build="$(cd "$1" && pwd)"
out="$2"
command -v xvfb-run >/dev/null || { echo "smoke: xvfb-run is not installed" >&2; exit 77; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/h5800" demo "$work" >/dev/null

# Settings (the recent-file list) go into the scratch folder, not the
# user's own.
export XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
rm -f "$out"
timeout 90 xvfb-run -a -s "-screen 0 1600x1000x24" \
  "$build/h5800-studio" --open-all --screenshot "$out" --screenshot-delay 1500 \
  "$work/demo/demo.wgc"
test -s "$out"
echo "$out"
