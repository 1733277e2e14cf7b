#!/bin/bash
# The built program in a real X server, removing a staged installation: Return
# confirms, the window appears and removes without a further click, the
# completion page comes, a click on its button ends the program with 0, and
# nothing of the product is left. With DPI, the display is scaled as a
# desktop does it (Xft.dpi; 144 is 150 %) and the window must cover its 720 x
# 480 logical pixels at that scale, unrounded (the card alone: Xvfb runs no
# compositing manager, so the window has no shadow's margin). With OUTCOME "above" the
# entry names the folder holding the product's, with "missing" a folder that
# is not there: nothing goes, not even the shortcuts, the page shows its
# warning, the entry stays and the status is 1. With "manifest" an
# install manifest lies beside the uninstaller and the user's files in the
# install folder: they stay with their folders, the rest goes, the entry is
# cleared, the page shows success and the status is 0. With "silent" it is
# started with /SILENT: no question, the window (its title, its size) shows
# the progress and closes itself, nothing is clicked, the status is 0. With
# "trial" it is started with /WHATIF: no question, the completion page comes,
# its button is clicked, the status is 0, and everything of the product and
# its entry are still there.
#   full_run.sh BINDIR en|zh [DPI [OUTCOME]]    (inside run-test.sh --sandbox, under xvfb-run)
set -u
here=$(dirname "$0")
. "$here/../harness/x11.sh"
. "$here/window-lib.sh"
bindir=$1
lang=$2
dpi=${3:-96}
outcome=${4:-complete}
size=$((720 * dpi / 96))x$((480 * dpi / 96))
if [ "$dpi" != 96 ]; then
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "Xft.dpi:	$dpi" ||
        { echo "cannot set Xft.dpi"; exit 1; }
fi
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] || { echo "refusing to remove anything outside the sandbox"; exit 1; }
export QT_QPA_PLATFORM=xcb
unset LC_ALL LC_MESSAGES
case "$lang" in
en) export LANG=en_US.UTF-8 title='Ferrovane Uninstaller' ;;
zh) export LANG=zh_CN.UTF-8 title='Ferrovane 卸载程序' ;;
*) echo "language en or zh"; exit 2 ;;
esac

root=$TMPDIR/run
mkdir -p "$root"
mapfile -t product < <(stage_product "$root" "$bindir")
[ ${#product[@]} -eq 8 ] && [ -d "${product[0]}" ] || { echo "staging failed"; exit 1; }
expected=0 icon='#02BF0F'
case "$outcome" in
complete) ;;
above | missing)
    expected=1 icon='#FF952C'
    location=$root/programs/Moved
    if [ "$outcome" = above ]; then
        location=$root/programs
        printf 'notes\n' >"$root/programs/notes.txt"
    fi
    sed -i "s|^InstallLocation=.*|InstallLocation=$location|" "${product[1]}"
    ;;
manifest)
    mapfile -t mine < <(stage_manifest "$root/app" "${product[0]}")
    [ ${#mine[@]} -eq 2 ] || { echo "no manifest staged"; exit 1; }
    ;;
silent | trial) ;;
*) echo "outcome complete, above, missing, manifest, silent or trial"; exit 2 ;;
esac

# No question in either: /SILENT closes its window by itself, a trial run's
# completion page is clicked; the trial must leave every file and the entry.
if [ "$outcome" = silent ] || [ "$outcome" = trial ]; then
    snapshot() { find "$root" "$(dirname "${product[1]}")" -printf '%y %p %s %T@\n' | sort; }
    before=$(snapshot)
    switch=/SILENT
    [ "$outcome" = trial ] && switch=/WHATIF
    "$root/app/uninstaller" "$switch" 2>"$TMPDIR/stderr" &
    pid=$!
    window=$(wait_for_window "$pid" 30) || { echo "no window appeared"; exit 1; }
    name=$(xdotool getwindowname "$window")
    [ "$name" = "$title" ] || { echo "the first window is '$name', not the main window: a question?"; exit 1; }
    wait_for_completion "$window" "$TMPDIR/completed.png" "" 60 || { echo "no completion page"; exit 1; }
    [ "$outcome" = trial ] && click_completion_button "$window"
    wait_for_exit "$pid" 30
    status=$?
    [ "$status" -eq 0 ] || { echo "exit status $status, expected 0"; exit 1; }
    # Where its log is, on standard error and as the log's own last line.
    logged=$(sed -n 's/^log: //p' "$TMPDIR/stderr")
    [ -f "$logged" ] && tail -n 1 "$logged" | grep -qF " log: $logged" ||
        { echo "the log's path is not on standard error or not its last line: $(cat "$TMPDIR/stderr")"; exit 1; }
    if [ "$outcome" = trial ]; then
        after=$(snapshot)
        [ "$before" = "$after" ] || { echo "touched: $(diff <(echo "$before") <(echo "$after") | head -5)"; exit 1; }
        echo "trial: no question, the completion page, exit status 0, nothing touched"
        exit 0
    fi
    for path in "${product[@]}"; do
        if [ -d "$path" ] || [ -s "$path" ]; then echo "still there: $path"; exit 1; fi
    done
    echo "silent: no question, progress shown, the window closed by itself, exit status 0, nothing left"
    exit 0
fi

"$root/app/uninstaller" &
pid=$!
dialog=$(wait_for_window "$pid" 30) || { echo "no confirmation appeared"; exit 1; }
window=$(accept_confirmation "$pid" "$dialog") || { echo "no main window appeared"; exit 1; }
name=$(xdotool getwindowname "$window")
[ "$name" = "$title" ] || { echo "window title '$name', expected '$title'"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window" | grep -o 'Geometry: .*')
[ "$geometry" = "Geometry: $size" ] || { echo "window $geometry, expected $size"; exit 1; }
wait_for_completion "$window" "$TMPDIR/completed.png" "" 60 || { echo "no completion page"; exit 1; }
lower_area_has "$TMPDIR/completed.png" "$window" "$icon" 50 || { echo "no $icon icon on the page"; exit 1; }
click_completion_button "$window"
wait_for_exit "$pid" 30
status=$?
[ "$status" -eq "$expected" ] || { echo "exit status $status, expected $expected"; exit 1; }
if [ "$outcome" = manifest ]; then
    for path in "${mine[@]}"; do [ -f "$path" ] || { echo "the user's file went: $path"; exit 1; }; done
    left=$(cd "${product[0]}" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$left" = "./My notes.txt ./saves ./saves/slot1.sav " ] || { echo "left: $left"; exit 1; }
    for path in "${product[@]:1}"; do
        if [ -d "$path" ] || [ -s "$path" ]; then echo "still there: $path"; exit 1; fi
    done
    echo "manifest: the product removed, the user's files kept, the entry cleared, exit status 0"
    exit 0
fi
if [ "$outcome" != complete ]; then
    grep -q "^InstallLocation=$location\$" "${product[1]}" || { echo "the entry was cleared"; exit 1; }
    [ -e "$root/programs/notes.txt" ] || [ "$outcome" = missing ] || { echo "the notes beside the product went"; exit 1; }
    # The product stays whole and usable: its folder and its shortcuts.
    for path in "${product[0]}/Ferrovane.exe" "${product[@]:2}"; do
        [ -e "$path" ] || { echo "went though the folder stayed: $path"; exit 1; }
    done
    echo "$outcome: the warning shown, exit status 1, the entry kept"
    exit 0
fi
# The uninstall entry's file may stay, emptied.
for path in "${product[@]}"; do
    if [ -d "$path" ] || [ -s "$path" ]; then
        echo "still there: $path"
        exit 1
    fi
done
echo "$lang: $size window confirmed, removed, completion page clicked; exit status 0, nothing left"
