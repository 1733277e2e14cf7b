#!/bin/bash
# The built program in a real X server, with no uninstall entry for its
# product: it shows the not-installed warning, Return dismisses it, and the
# process ends with 255 (-1).
#   not_installed.sh BINDIR     (run under xvfb-run, inside run-test.sh)
set -u
. "$(dirname "$0")/../harness/x11.sh"
bindir=$1
export QT_QPA_PLATFORM=xcb

# The program as installed: a copy of the build's bin/ in the test's folder.
app="${TMPDIR:?}/app"
cp -r "$bindir" "$app" || exit 1
[ -f "$app/AppConfig.xml" ] || { echo "no AppConfig.xml beside the program"; exit 1; }

"$app/uninstaller" &
pid=$!
window=$(wait_for_window "$pid" 30) || { echo "no window appeared"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"
shot="$TMPDIR/not-installed.png"
screenshot "$shot" && [ -s "$shot" ] || { echo "no screenshot"; exit 1; }
# More than a blank screen: the warning's card and text make many colours.
colours=$(convert-im6.q16 "$shot" -format %k info: 2>/dev/null || echo 0)
[ "$colours" -gt 8 ] || { echo "the screenshot shows almost nothing ($colours colours)"; exit 1; }
press_return "$window" || { echo "could not focus the window"; exit 1; }
wait_for_exit "$pid" 30
status=$?
[ "$status" -eq 255 ] || { echo "exit status $status, expected 255"; exit 1; }
echo "warning window $window shown and dismissed with Return; exit status 255"
