# Helpers for driving real windows in an X server (Xvfb); source this file.
# Needs DISPLAY and xdotool.

# wait_for_window PID [SECONDS]: prints the id of the first visible window of
# process PID once it is mapped; fails when the process ends or time runs out.
wait_for_window() {
    local pid=$1 deadline=$((SECONDS + ${2:-30})) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.005
    done
    return 1
}

# press_return WINDOW: gives WINDOW the keyboard focus and presses Return
# there, press and release both through XTEST. "xdotool key --window" sends
# to a window without the focus by XSendEvent, and re-checks the focus for the
# release: when the press has closed the window, the release goes to the gone
# window, the server keeps Return held down and repeats it into the next
# window under the pointer, such as the next run's confirmation.
press_return() {
    timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || return 1
    xdotool key Return
}

# wait_for_exit PID [SECONDS]: waits for a child process and returns its exit
# status; kills it and returns 124 when time runs out.
wait_for_exit() {
    local pid=$1 deadline=$((SECONDS + ${2:-30}))
    while kill -0 "$pid" 2>/dev/null && ((SECONDS < deadline)); do
        sleep 0.05
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        return 124
    fi
    wait "$pid"
}

# screenshot FILE: the whole screen as PNG (ImageMagick's import, whatever
# name this machine gives it).
screenshot() {
    local import
    import=$(command -v import || command -v import-im6.q16) || return 1
    "$import" -window root "$1"
}
