#!/bin/bash
# The built program in a real X server on a staged installation whose install
# folder holds FILES more files, in runs that do not go as planned:
#   kill    SIGKILL half-way through the removal, then a second run
#   twice   two instances on the same installation, their removals let go together
#   close   the window's close button pressed during the removal
#   closeleft  the same with a product shortcut that cannot be removed (a
#           folder holding a file has its name): the status, 1, waits for
#           the removal, and the entry stays for a later run
#   client  the client program started while the confirmation is open
# Every case but client ends with nothing of the product left, nothing else
# touched; client with nothing touched at all. kill, twice, close and
# closeleft start the program with UNINSTALLER_TEST_HOLD: its removal waits at
# its start until the test lets it go (wait_for_hold). The program as shipped
# reads no such variable, so for those cases the staged copy of BINDIR gets
# PROGRAM, the uninstaller built with the test hooks (uninstaller-testhooks),
# as its uninstaller; client runs BINDIR's own.
#   hard_runs.sh CASE BINDIR PROGRAM [FILES]   (inside run-test.sh --sandbox, under xvfb-run)
set -u
here=$(dirname "$0")
. "$here/../harness/x11.sh"
. "$here/window-lib.sh"
case_name=$1
bindir=$2
program=$3
files=${4:-20000}
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] || { echo "refusing to remove anything outside the sandbox"; exit 1; }
export QT_QPA_PLATFORM=xcb

fail() {
    echo "$case_name: $*"
    [ -s "$TMPDIR/shots/output" ] && sed 's/^/program: /' "$TMPDIR/shots/output" | tail -n 20
    exit 1
}

# --- the installation -------------------------------------------------------------
root=$TMPDIR/run
mkdir -p "$root"
mapfile -t product < <(stage_product "$root" "$bindir")
[ ${#product[@]} -eq 8 ] && [ -d "${product[0]}" ] || fail "staging failed"
install=${product[0]}
entry=${product[1]}
if [ "$case_name" != client ]; then
    cp "$program" "$root/app/uninstaller" || fail "could not stage $program"
fi
# The files in folders of 100, so that the folders left tell the progress.
folders=$(((files + 99) / 100))
(cd "$install" && seq -f 'f%g' 1 "$folders" | xargs mkdir &&
    awk -v folders="$folders" 'BEGIN { for (f = 1; f <= folders; f++) for (i = 1; i <= 100; i++)
        print "f" f "/" i ".dat" }' | xargs touch) || fail "could not make $files files"

# Beside the product, all of which must outlive every run: another product's
# entry and folder, another shortcut and start-menu folder, and a folder that
# a link in the install folder leads to.
sibling=$(dirname "$entry")/{0B1D2C3E-0000-4000-8000-00000000A11E}.ini
printf '[General]\nInstallLocation=%s\n' "$root/programs/Other" >"$sibling"
mkdir -p "$root/programs/Other" "$root/outside" "$XDG_DATA_HOME/applications/Other"
for path in "$root/programs/Other/other.exe" "$root/outside/keep.txt" "$HOME/Desktop/Other.lnk" \
    "$XDG_DATA_HOME/applications/Other/Other.lnk"; do
    printf 'not the product\n' >"$path"
done
ln -s "$root/outside" "$install/link-out"

# Everything in the sandbox but the product: each file with its size and time.
snapshot() {
    local prune=() path
    for path in "${product[@]}"; do
        prune+=(-path "$path" -prune -o)
    done
    find "$UNINSTALLER_TEST_SANDBOX" "${prune[@]}" -path "$TMPDIR/shots" -prune -o \
        -path "$TMPDIR/uninstaller-*.log" -prune -o \
        \( -type d -printf 'd %p\n' \) -o -printf '%y %p %s %T@\n' | sort
}
# Every run leaves its log in the temporary folder, the only thing it writes
# beside the product; prints the logs that hold TEXT.
logs_with() { grep -lF -- "$1" "$TMPDIR"/uninstaller-*.log 2>/dev/null; }
mkdir -p "$TMPDIR/shots"
before=$(snapshot)

files_left() { find "$install" -type f 2>/dev/null | wc -l; }
staged=$(files_left)

# Nothing of the product left (the entry's file may stay, emptied), and the
# rest of the sandbox as it was.
check_end() {
    local path after
    for path in "${product[@]}"; do
        if [ -d "$path" ] || [ -s "$path" ]; then
            fail "still there: $path"
        fi
    done
    after=$(snapshot)
    [ "$before" = "$after" ] || fail "touched beside the product: $(diff <(echo "$before") <(echo "$after") | head -5)"
    [ -n "$(logs_with 'gate confirmation: confirmed')" ] || fail "no log of a confirmed run in $TMPDIR"
}

# start: runs the program as a child of this shell (for its exit status);
# its pid in $started. Variables set on the call reach the program.
start() {
    "$root/app/uninstaller" >>"$TMPDIR/shots/output" 2>&1 &
    started=$!
}

# confirm PID: waits for the confirmation and accepts it; prints the main
# window.
confirm() {
    local dialog state
    if dialog=$(wait_for_window "$1" 30) && accept_confirmation "$1" "$dialog"; then
        return 0
    fi
    kill -0 "$1" 2>/dev/null && state="still running" || state="ended"
    echo "process $1 (${dialog:+confirmation $dialog, }$state): $(xdotool search --pid "$1" 2>/dev/null |
        while read -r id; do printf '%s %s; ' "$id" "$(xwininfo -id "$id" 2>/dev/null |
            awk -F': ' '/Map State/ { print $2 }')"; done)" >&2
    return 1
}

# wait_for_hold PID FILE: waits until the removal of PID, started with
# UNINSTALLER_TEST_HOLD=FILE, holds at its start (it made FILE); removing FILE
# lets it go on.
wait_for_hold() {
    local deadline=$((SECONDS + 60))
    until [ -e "$2" ]; do
        kill -0 "$1" 2>/dev/null || fail "process $1 ended before the removal began"
        ((SECONDS < deadline)) || fail "the removal of process $1 never began"
        sleep 0.01
    done
}

# finish PID WINDOW: waits for the completion page, clicks its button; the
# program must then end with 0.
finish() {
    local pid=$1 window=$2 status
    wait_for_completion "$window" "$TMPDIR/shots/completed-$pid.png" "" 120 ||
        fail "no completion page for process $pid"
    click_completion_button "$window"
    wait_for_exit "$pid" 60
    status=$?
    [ "$status" -eq 0 ] || fail "process $pid ended with $status, expected 0"
}

case "$case_name" in
kill)
    hold=$TMPDIR/shots/hold
    UNINSTALLER_TEST_HOLD=$hold start
    pid=$started
    window=$(confirm "$pid") || fail "no main window"
    wait_for_hold "$pid" "$hold"
    # Let the removal go and kill it once its first folder is gone: in the
    # middle of the first step with most of it still to do, however fast the
    # walk and however slow this loop.
    rm "$hold"
    deadline=$((SECONDS + 120))
    while remaining=("$install"/f*) && [ "${#remaining[@]}" -ge "$folders" ] &&
        ((SECONDS < deadline)); do
        sleep 0.002
    done
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    left=$(files_left)
    { [ "$left" -gt 0 ] && [ "$left" -lt "$staged" ]; } ||
        fail "killed with $left of $staged files left: not in the middle of the removal"
    grep -q '^InstallLocation=' "$entry" || fail "the entry was gone after the kill"
    echo "killed with $left of $staged files left; the entry still there"
    start
    pid=$started
    window=$(confirm "$pid") || fail "the second run showed no main window"
    finish "$pid" "$window"
    check_end
    echo "kill: the second run found the entry, completed with 0, nothing left"
    ;;
twice)
    # The second started once the first is confirmed: Qt gives a modal
    # dialog the input focus when it maps, so a second confirmation mapping
    # while the first is answered took the focus between the test's focus
    # and its Return, and then took no Return at all while it had the focus.
    # Both are held at the start of the removal until both windows are up,
    # then let go together: the two walks overlap from their first file.
    UNINSTALLER_TEST_HOLD=$TMPDIR/shots/hold1 start
    first=$started
    window1=$(confirm "$first") || fail "no main window from the first"
    UNINSTALLER_TEST_HOLD=$TMPDIR/shots/hold2 start
    second=$started
    window2=$(confirm "$second") || fail "no main window from the second"
    wait_for_hold "$first" "$TMPDIR/shots/hold1"
    wait_for_hold "$second" "$TMPDIR/shots/hold2"
    rm "$TMPDIR/shots/hold1" "$TMPDIR/shots/hold2"
    echo "both windows up, both removals let go together"
    # One above the other, so that each can be seen and clicked.
    xdotool windowmove "$window1" 0 0 windowmove "$window2" 0 512
    finish "$first" "$window1"
    finish "$second" "$window2"
    check_end
    echo "twice: both completed with 0, nothing left"
    ;;
close | closeleft)
    if [ "$case_name" = closeleft ]; then
        rm "${product[2]}" && mkdir "${product[2]}" && printf 'kept\n' >"${product[2]}/x" ||
            fail "staging failed"
        product=("${product[@]:0:2}" "${product[@]:3}")
        before=$(snapshot)
    fi
    # The worker holds at the start of the removal while the hold file exists
    # (UNINSTALLER_TEST_HOLD), so that the window is closed with all of the
    # removal still to do, however fast the removal is.
    hold=$TMPDIR/shots/hold
    UNINSTALLER_TEST_HOLD=$hold start
    pid=$started
    window=$(confirm "$pid") || fail "no main window"
    wait_for_hold "$pid" "$hold"
    # The title bar's close button: 24 x 24 at the card's top right.
    click_designed "$window" 704 40
    deadline=$((SECONDS + 10))
    while xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && ((SECONDS < deadline)); do
        sleep 0.01
    done
    kill -0 "$pid" 2>/dev/null || fail "the process ended with the window"
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && fail "the window stayed open"
    left=$(files_left)
    [ "$left" -eq "$staged" ] || fail "$left of $staged files left while the removal was held"
    echo "window closed with the removal held; the process still running"
    rm "$hold"
    wait_for_exit "$pid" 120
    status=$?
    if [ "$case_name" = closeleft ]; then
        [ "$status" -eq 1 ] || fail "ended with $status, expected 1"
        [ ! -e "$install" ] || fail "the install folder stayed"
        grep -q '^InstallLocation=' "$entry" || fail "the entry was cleared while a shortcut stayed"
        echo "closeleft: the removal ended after the window closed; 1, the entry and the shortcut kept"
        exit 0
    fi
    [ "$status" -eq 0 ] || fail "ended with $status, expected 0"
    check_end
    echo "close: the removal completed after the window closed; the process ended with 0, nothing left"
    ;;
client)
    # The client lives in the install folder; a copy of sleep stands in.
    client=$install/Ferrovane.exe
    start
    pid=$started
    dialog=$(wait_for_window "$pid" 30) || fail "no confirmation"
    cp "$(command -v sleep)" "$client"
    "$client" 600 &
    client_pid=$!
    # Accepted, the program looks again and warns instead of removing.
    warning=$(accept_confirmation "$pid" "$dialog") || fail "no window after the confirmation"
    for try in 1 2 3 4 5; do
        press_return "$warning"
        sleep 0.5
        kill -0 "$pid" 2>/dev/null || break
    done
    wait_for_exit "$pid" 30
    status=$?
    kill -0 "$client_pid" 2>/dev/null && running="still running" || running="ended"
    kill "$client_pid" 2>/dev/null
    wait "$client_pid" 2>/dev/null
    [ "$status" -eq 255 ] || fail "ended with $status, expected 255 (-1)"
    left=$(files_left)
    [ "$left" -eq "$staged" ] || fail "only $left of $staged files left"
    grep -q InstallLocation "$entry" || fail "the entry was cleared"
    after=$(snapshot)
    [ "$before" = "$after" ] || fail "touched beside the product"
    [ -n "$(logs_with 'is running: refused')" ] || fail "no log naming the client's gate in $TMPDIR"
    echo "client: seen after the confirmation; warned, ended with -1, nothing removed; the client $running"
    ;;
*) fail "unknown case" ;;
esac
