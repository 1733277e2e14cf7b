#!/bin/bash
# Drives one run of the uninstaller in an X server, as a user would: Return
# on the confirmation, then a click on the completion page's button. Takes a
# screenshot of each stage: 1-dialog.png, 2-progress.png, 3-completed.png.
# Used by scripts/demo and scripts/screenshots.
#   demo-driver.sh PROGRAM SCREENSHOT_FOLDER
# Exits with the program's exit status; a program whose completion page never
# shows is ended with SIGTERM.
set -u
here=$(dirname "$0")
. "$here/../../tests/harness/x11.sh"
. "$here/../../tests/e2e/window-lib.sh"
program=$1
shots=$2
export QT_QPA_PLATFORM=xcb

"$program" &
pid=$!

# The first window: the confirmation (or a warning, when a gate stops it).
dialog=$(wait_for_window "$pid" 30) || { echo "demo: no window appeared" >&2; exit 1; }
# The pointer starts in the middle of the screen, over the dialog's buttons.
xdotool mousemove 0 0
sleep 0.3
screenshot "$shots/1-dialog.png"
window=$(accept_confirmation "$pid" "$dialog") || { wait "$pid"; exit $?; }
echo "demo: window $(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*$')"
# The removal is short: the progress page may give way before a picture.
if wait_for_completion "$window" "$shots/3-completed.png" "$shots/2-progress.png" 120; then
    [ -e "$shots/2-progress.png" ] ||
        echo "demo: the removal ended before the progress page could be photographed"
    click_completion_button "$window"
else
    echo "demo: the completion page did not show; closing the program" >&2
    kill -TERM "$pid"
fi
wait_for_exit "$pid" 60
