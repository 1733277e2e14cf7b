#!/bin/bash
# Drives one run of the uninstaller in an X server, as a user would: Return
# on the confirmation, then a click on the completion page's button. Takes a
# picture of each stage, 1-dialog.png, 2-progress.png and 3-completed.png:
# the window on a plain backdrop (BACKDROP, default #CBD3DC), with its shadow
# drawn by a compositing manager (xcompmgr) as on a desktop, cropped to the
# window and its shadow with a margin of 20 pixels times SCALE (default 1).
# Used by scripts/demo and scripts/screenshots, under Xvfb.
#   demo-driver.sh PROGRAM SCREENSHOT_FOLDER
# Exits with the program's exit status; a program whose completion page never
# shows is ended with SIGTERM.
set -u
here=$(dirname "$0")
. "$here/../../tests/harness/x11.sh"
. "$here/../../tests/e2e/window-lib.sh"
program=$1
shots=$2
backdrop=${BACKDROP:-#CBD3DC}
export QT_QPA_PLATFORM=xcb

# The backdrop is a window of that colour over the whole screen, under the
# program's windows, which come later: xcompmgr draws the root window itself
# grey whatever colour it is given.
display=$(command -v display || command -v display-im6.q16)
read -r width height <<<"$(xdotool getdisplaygeometry)"
"$display" -borderwidth 0 -geometry +0+0 -size "${width}x$height" "xc:$backdrop" 2>/dev/null &
backdrop_pid=$!
xcompmgr &
compositor=$!
trap 'kill $compositor $backdrop_pid 2>/dev/null' EXIT
# The program asks whether anything composes when it makes its window: the
# compositing manager must have taken its selection by then.
sleep 1

# crop NAME: the screenshot NAME.png cropped to what is not backdrop.
crop() {
    im_convert "$shots/$1.png" -fuzz 1% -trim +repage -bordercolor "$backdrop" \
        -border "$((20 * ${SCALE:-1}))" "$shots/$1.png"
}

"$program" &
pid=$!

# The first window: the confirmation (or a warning, when a gate stops it).
dialog=$(wait_for_window "$pid" 30) || { echo "demo: no window appeared" >&2; exit 1; }
# The pointer starts in the middle of the screen, over the dialog's buttons.
xdotool mousemove 0 0
sleep 0.3
screenshot "$shots/1-dialog.png" && crop 1-dialog
window=$(accept_confirmation "$pid" "$dialog") || { wait "$pid"; exit $?; }
echo "demo: window $(xdotool getwindowgeometry "$window" | grep -o '[0-9]*x[0-9]*$')"
# The removal is short: the progress page may give way before a picture.
if wait_for_completion "$window" "$shots/3-completed.png" "$shots/2-progress.png" 120; then
    if [ -e "$shots/2-progress.png" ]; then
        crop 2-progress
    else
        echo "demo: the removal ended before the progress page could be photographed"
    fi
    crop 3-completed
    click_completion_button "$window"
else
    echo "demo: the completion page did not show; closing the program" >&2
    kill -TERM "$pid"
fi
wait_for_exit "$pid" 60
