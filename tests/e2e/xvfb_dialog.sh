#!/bin/bash
# A real window in a real X server: the reference dialog appears, can be
# photographed, and Return closes it with exit code 0. Proves the Xvfb,
# xdotool and ImageMagick pipeline the end-to-end tests stand on.
#   xvfb_dialog.sh PROGRAM     (run under xvfb-run)
set -u
. "$(dirname "$0")/../harness/x11.sh"
program=$1
export QT_QPA_PLATFORM=xcb

"$program" &
pid=$!
window=$(wait_for_window "$pid" 30) || { echo "no window appeared"; exit 1; }
shot="${TMPDIR:-/tmp}/dialog.png"
screenshot "$shot" || { echo "no screenshot"; exit 1; }
[ -s "$shot" ] || { echo "empty screenshot"; exit 1; }
press_return "$window" || { echo "could not focus the window"; exit 1; }
wait_for_exit "$pid" 30
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; exit 1; }
echo "window $window shown, photographed and closed with Return"
