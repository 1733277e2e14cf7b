#!/bin/bash
# Drives one run of the uninstaller in an X server for scripts/demo: a
# screenshot of each window it shows, Return to confirm its dialog.
#   demo-driver.sh PROGRAM SCREENSHOT_FOLDER
set -u
. "$(dirname "$0")/../../tests/harness/x11.sh"
program=$1
shots=$2
export QT_QPA_PLATFORM=xcb

"$program" &
pid=$!

# The first window: the confirmation (or a warning, when a gate stops it).
dialog=$(wait_for_window "$pid" 30) || { echo "demo: no window appeared" >&2; exit 1; }
sleep 0.3
screenshot "$shots/1-dialog.png"
# The dialog is gone before the key's release reaches it: X's complaint
# about that is no news.
xdotool key --window "$dialog" Return 2>/dev/null

# After the confirmation: the main window.
deadline=$((SECONDS + 30))
window=
while ((SECONDS < deadline)) && kill -0 "$pid" 2>/dev/null; do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$dialog" | head -n 1)
    [ -n "$window" ] && break
    sleep 0.05
done
if [ -n "$window" ]; then
    sleep 0.5
    screenshot "$shots/2-window.png"
    # The window does nothing yet: it is closed from outside.
    kill -TERM "$pid"
fi
wait "$pid"
