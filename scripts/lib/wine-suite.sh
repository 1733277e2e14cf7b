#!/bin/bash
# The part of scripts/test-windows that runs inside the sandbox (run-test.sh
# --sandbox --root BUILD), under Xvfb:
#   wine-suite.sh BUILD REPO [ARCH]
# Makes a Wine prefix in BUILD/run/wine (its drive Z: removed, D: mapping BUILD
# alone, the user's shell folders real folders in the prefix), runs the
# Windows test programs through CTest on two code pages, then the real
# uninstaller.exe against staged products. Counts go to BUILD/run/results.
set -u
build=$1
repo=$2
arch=${3:-x86_64} # of the program; the prefix is 64-bit either way
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] || { echo "wine-suite.sh: refusing to run outside the sandbox"; exit 1; }
. "$repo/tests/harness/x11.sh"
. "$repo/tests/e2e/window-lib.sh"

run=$build/run
results=$run/results
mkdir -p "$results"
passed=0
failed=0
record() { # ok|fail what...
    local verdict=$1
    shift
    if [ "$verdict" = ok ]; then
        passed=$((passed + 1))
        echo "PASS $*"
    else
        failed=$((failed + 1))
        echo "FAIL $*"
    fi
    echo "$passed" >"$results/passed"
    echo "$failed" >"$results/failed"
}
record_status() { # STATUS what...
    local status=$1
    shift
    if [ "$status" -eq 0 ]; then record ok "$@"; else record fail "$@"; fi
}

# --- the prefix -----------------------------------------------------------------

export FERROVANE_WINE_ROOT=$build
export WINEPREFIX=$run/wine/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko prompts
export TMPDIR=$run/wine/tmp               # Wine's server socket lives below it
export FERROVANE_WINE_TMPDIR=$TMPDIR
unset LC_ALL LC_MESSAGES LANGUAGE
mkdir -p "$TMPDIR"
export LANG=en_US.UTF-8
wine=$(command -v wine)

echo "== Wine prefix in $WINEPREFIX"
if ! "$wine" wineboot -i >"$run/wine/wineboot.log" 2>&1; then
    cat "$run/wine/wineboot.log"
    record fail "wineboot"
    exit 1
fi
# The faces Windows' dialogs and Qt's default font ask for, mapped to sans
# faces that scripts/install-deps brings: without it Wine falls back to
# whatever fontconfig offers first, a different serif on different machines.
substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "MS Shell Dlg" "MS Shell Dlg 2" Tahoma "Segoe UI" Arial "Microsoft Sans Serif"; do
    "$wine" reg add "$substitutes" /v "$face" /d "DejaVu Sans" /f >/dev/null 2>&1
done
for face in SimSun NSimSun "Microsoft YaHei" "Microsoft YaHei UI" 宋体 微软雅黑; do
    "$wine" reg add "$substitutes" /v "$face" /d "Noto Sans CJK SC" /f >/dev/null 2>&1
done
wineserver -w
user=$(id -un)
profile=$WINEPREFIX/drive_c/users/$user
# wineboot links Desktop, Documents, ... to the Unix home: real folders instead.
for entry in "$profile"/*; do
    if [ -L "$entry" ]; then
        rm "$entry" && mkdir "$entry"
    fi
done
# No way out of the sandbox's folder: Z: (the whole file system) goes, D: is it.
rm -f "$WINEPREFIX/dosdevices/z:"
ln -sfn "$build" "$WINEPREFIX/dosdevices/d:"
drives() { (cd "$WINEPREFIX/dosdevices" && ls | paste -sd' ' -); }
echo "drives: $(drives)"

# --- Windows test programs through CTest ---------------------------------------------

# WINE_SUITE_ONLY=inside: the runs from inside the install folder alone;
# =installed: the runs of the product its installer put.
only=${WINE_SUITE_ONLY:-}
for lang in en_US zh_CN; do
    [ -z "$only" ] || break
    echo
    echo "== CTest, LANG=$lang.UTF-8"
    log=$results/ctest-$lang.log
    # The window test draws the note with a larger font into D:\run\results.
    (cd "$build" && LANG=$lang.UTF-8 UNINSTALLER_NOTE_SHOTS='D:\run\results' \
        ctest --timeout 300 --output-on-failure) >"$log" 2>&1
    for shot in en zh; do
        [ -f "$results/$shot-several-reasons-large.png" ] &&
            mv "$results/$shot-several-reasons-large.png" "$results/win-$shot-incomplete-large.png"
        rm -f "$results/$shot"-*.png
    done
    grep -E '^ *[0-9]+/[0-9]+ Test +#' "$log" | sed 's/^ *//'
    while read -r name verdict; do
        [ "$name" = test_folders ] && continue
        if [ "$verdict" = Passed ]; then
            record ok "$name ($lang)"
        else
            record fail "$name ($lang): $verdict"
        fi
    done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([A-Za-z0-9_]+) \.+ *(\**[A-Za-z ]+[a-z]).*/\1 \2/p' "$log")
    if grep -aq '\*\*\*\|Not Run\|Exception' "$log"; then
        sed -n '/^The following tests FAILED/,$p' "$log"
        grep -aE '^(FAIL!|   Actual|   Expected|   Loc)' "$log" | head -n 40
    fi
done
wineserver -w

# --- the real program ------------------------------------------------------------------

guid=$product_guid
key="HKLM\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$guid"
name_en=$product_name_en
name_ch=$product_name_ch
drive_c=$WINEPREFIX/drive_c
app=$drive_c/FerrovaneUninstaller
install=$drive_c/Program\ Files/$name_en
desktop=$profile/Desktop
public_desktop=$drive_c/users/Public/Desktop
menu=$profile/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs
common_menu=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs
client=$run/client.exe

# The product's items and the sentinels beside them, one path a line.
product_items=()
sentinels=()
stage() {
    local name folder i
    rm -rf "$app" "$install" "$drive_c/Program Files/Other" "$desktop" "$public_desktop" \
        "$menu" "$common_menu"
    stage_program_files "$app" "$build/bin" "$install" || return 1
    cp "$client" "$install/$name_en.exe"
    mkdir -p "$desktop" "$public_desktop" "$menu" "$common_menu" "$drive_c/Program Files/Other"
    product_items=("$install")
    for name in "$name_en" "$name_ch"; do
        for folder in "$desktop" "$public_desktop"; do
            printf 'shortcut\n' >"$folder/$name.lnk"
            product_items+=("$folder/$name.lnk")
        done
        for folder in "$menu" "$common_menu"; do
            mkdir -p "$folder/$name"
            printf 'shortcut\n' >"$folder/$name/$name.lnk"
            printf 'shortcut\n' >"$folder/$name/Uninstall $name.lnk"
            product_items+=("$folder/$name")
        done
    done
    sentinels=("$drive_c/Program Files/Other/keep.txt" "$drive_c/Program Files/$name_en.txt"
        "$app/AppConfig.xml")
    for folder in "$desktop" "$public_desktop"; do
        printf 'shortcut\n' >"$folder/Other.lnk"
        printf 'not a shortcut\n' >"$folder/$name_en.txt"
        sentinels+=("$folder/Other.lnk" "$folder/$name_en.txt")
    done
    for folder in "$menu" "$common_menu"; do
        mkdir -p "$folder/Other" "$folder/$name_en Tools"
        printf 'shortcut\n' >"$folder/Other/Other.lnk"
        printf 'shortcut\n' >"$folder/$name_en Tools/Tool.lnk"
        sentinels+=("$folder/Other/Other.lnk" "$folder/$name_en Tools/Tool.lnk")
    done
    printf 'keep\n' >"$drive_c/Program Files/Other/keep.txt"
    printf 'keep\n' >"$drive_c/Program Files/$name_en.txt"
}

registry_entry() { # add|remove
    if [ "$1" = add ]; then
        "$wine" reg add "$key" /v DisplayName /d "$name_en" /f >/dev/null 2>&1 &&
            "$wine" reg add "$key" /v InstallLocation /d "C:\\Program Files\\$name_en" /f >/dev/null 2>&1
    else
        "$wine" reg delete "$key" /f >/dev/null 2>&1
    fi
}
# The entry counts while its key holds a value: clearing it may leave the key
# itself behind, empty, which is no entry to Windows or to the program.
registry_has_entry() { "$wine" reg query "$key" 2>/dev/null | grep -q 'REG_'; }

# A path as Windows shows it, for the report.
shown() {
    local path=${1#"$drive_c"}
    printf 'C:%s' "${path//\//\\}"
}

# report: the product's items removed, the sentinels kept; returns 1 otherwise.
report() {
    local path ok=0
    for path in "${product_items[@]}"; do
        if [ -e "$path" ]; then echo "    LEFT     $(shown "$path")"; ok=1
        else echo "    removed  $(shown "$path")"; fi
    done
    for path in "${sentinels[@]}"; do
        if [ -e "$path" ]; then echo "    kept     $(shown "$path")"
        else echo "    LOST     $(shown "$path")"; ok=1; fi
    done
    return $ok
}

# untouched: every item and sentinel still there.
untouched() {
    local path
    for path in "${product_items[@]}" "${sentinels[@]}"; do
        [ -e "$path" ] || { echo "    gone: $(shown "$path")"; return 1; }
    done
}

# Wine's windows carry the pid of a process the wineserver started, not of
# the launcher: the program's windows are the visible ones on this display.
visible_windows() { xdotool search --onlyvisible --class . 2>/dev/null; }

# wait_counting_windows PID [SECONDS]: waits for the launcher PID, adding to
# windows each time a window is seen while it runs; returns its exit status.
# A run that has not ended after SECONDS (180 by default), such as one
# waiting on a dialog nobody will answer, is ended so the suite goes on.
wait_counting_windows() {
    local deadline=$((SECONDS + ${2:-180}))
    while kill -0 "$1" 2>/dev/null; do
        [ -n "$(visible_windows)" ] && windows=$((windows + 1))
        if ((SECONDS >= deadline)); then
            echo "    still running after ${2:-180} s: ended"
            "$wine" taskkill /f /im uninstaller.exe >/dev/null 2>&1
            kill "$1" 2>/dev/null
            break
        fi
        sleep 0.1
    done
    wait "$1"
}

# program_window PID SECONDS [EXCLUDE]: the first visible window other than
# EXCLUDE, while the launcher PID runs.
program_window() {
    local pid=$1 deadline=$((SECONDS + $2)) exclude=${3:-none} id
    while ((SECONDS < deadline)); do
        id=$(visible_windows | grep -vx "$exclude" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# The dialogs' buttons sit at the card's bottom right: a click on the
# rightmost one (confirm or OK), as a user would; Return first.
answer_dialog() { # PID WINDOW SCALE
    local pid=$1 window=$2 scale=$3 X Y WIDTH HEIGHT SCREEN WINDOW x y try
    for try in 1 2 3; do
        xdotool windowfocus "$window" 2>/dev/null
        xdotool key Return 2>/dev/null
        sleep 1
        visible_windows | grep -qx "$window" || return 0
        eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
        x=$(awk -v w="$WIDTH" -v s="$scale" 'BEGIN { printf "%d", w - 76 * s }')
        y=$(awk -v h="$HEIGHT" -v s="$scale" 'BEGIN { printf "%d", h - 36 * s }')
        xdotool mousemove --window "$window" "$x" "$y" click 1 2>/dev/null
        sleep 1
        visible_windows | grep -qx "$window" || return 0
    done
    return 1
}

crop_window() { # SHOT WINDOW OUT
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$2" 2>/dev/null)" || return 1
    im_convert "$1" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$3"
}

# shoot_window WINDOW OUT: a picture of WINDOW once Wine has drawn it; a
# window is mapped before its first paint and shows black until then.
shoot_window() {
    local try
    for try in 1 2 3 4 5 6 7 8 9 10; do
        screenshot "$results/shot.png" && crop_window "$results/shot.png" "$1" "$2" || return 1
        [ "$(im_convert "$2" -format '%[fx:mean > 0]' info:)" = 1 ] && return 0
        sleep 0.3
    done
}

start_program() { # LANG LOG: the uninstaller from its folder; sets pid
    (cd "$app" && LANG=$1 exec "$wine" "$app/uninstaller.exe") >"$2" 2>&1 &
    pid=$!
}

# note_shown SHOT WINDOW: whether the completion page shows its note of what
# could not be removed, grey text at the card's bottom left, beside the
# button.
note_shown() {
    local white
    white=$(count_colour "$1" "$2" 24 442 560 42 '#FFFFFF') || return 0
    [ "$white" -lt $((560 * 42 * 99 / 100)) ]
}

finish_wine() { timeout 60 wineserver -w || wineserver -k; }

# stop_windows_program LAUNCHER_PID EXE_NAME: ends a waiting program (its
# launcher's death would not end it).
stop_windows_program() {
    "$wine" taskkill /f /im "$2" >/dev/null 2>&1
    kill "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# refusal CASE: the program refuses and ends with 255, nothing removed.
refusal() {
    local case=$1 dialog status ok=0 client_pid=
    echo
    echo "== uninstaller.exe: $case"
    stage || { record fail "$case: staging"; return; }
    if [ "$case" = "not installed" ]; then
        registry_entry remove
    else
        registry_entry add
        (cd "$install" && exec "$wine" "$install/$name_en.exe" --wait-until-killed) \
            >/dev/null 2>&1 &
        client_pid=$!
        sleep 2
    fi
    start_program en_US.UTF-8 "$results/$case.log"
    if dialog=$(program_window "$pid" 60); then
        shoot_window "$dialog" "$results/win-en-refused-${case// /-}.png"
        answer_dialog "$pid" "$dialog" 1 || echo "    the warning did not go"
    else
        echo "    no warning appeared"
    fi
    wait_for_exit "$pid" 30
    status=$?
    echo "    exit status $status"
    [ -z "$client_pid" ] || stop_windows_program "$client_pid" "$name_en.exe"
    finish_wine
    [ "$status" -eq 255 ] || ok=1
    untouched || ok=1
    if [ "$case" != "not installed" ]; then
        registry_has_entry || { echo "    the uninstall entry went"; ok=1; }
    fi
    [ $ok -eq 0 ] && echo "    refused, nothing removed"
    record_status $ok "uninstaller.exe ($arch) refuses: $case (exit 255, nothing removed)"
}

# full_run LANG TAG DPI: confirmed, removed, completion page photographed and
# clicked, exit status 0; then the entry is gone, every item gone, every
# sentinel kept.
full_run() {
    local lang=$1 tag=$2 dpi=$3 dialog window status ok=0 geometry size scale lookalike_pid
    # Wine composes no translucent window: the card alone, without the
    # shadow's margin.
    local width=$((720 * dpi / 96)) height=$((480 * dpi / 96))
    scale=$(awk -v d="$dpi" 'BEGIN { print d / 96 }')
    echo
    echo "== uninstaller.exe: full run, LANG=$lang, $dpi DPI"
    stage || { record fail "$tag: staging"; return; }
    registry_entry add || { record fail "$tag: registry entry"; return; }
    if [ "$dpi" != 96 ]; then
        "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
        finish_wine
    fi
    # A process whose name only looks like the client's (a fullwidth F) runs
    # meanwhile: it must not count as the client.
    cp "$client" "$drive_c/Program Files/Other/Ｆerrovane.exe"
    (cd "$drive_c/Program Files/Other" && exec "$wine" "$drive_c/Program Files/Other/Ｆerrovane.exe" \
        --wait-until-killed) >/dev/null 2>&1 &
    lookalike_pid=$!
    sentinels+=("$drive_c/Program Files/Other/Ｆerrovane.exe")
    sleep 2
    registry_has_entry && echo "    entry $key: present"

    start_program "$lang" "$results/$tag.log"
    if ! dialog=$(program_window "$pid" 60); then
        echo "    no confirmation appeared"
        ok=1
    else
        shoot_window "$dialog" "$results/win-$tag-1-confirm.png"
        answer_dialog "$pid" "$dialog" "$scale" || echo "    the confirmation did not go"
        if window=$(program_window "$pid" 30 "$dialog"); then
            geometry=$(xdotool getwindowgeometry "$window" | grep -o 'Geometry: .*')
            size=${geometry#Geometry: }
            echo "    window $size device pixels"
            [ "$size" = "${width}x$height" ] || { echo "    expected ${width}x$height"; ok=1; }
            if wait_for_completion "$window" "$results/shot.png" "" 120; then
                crop_window "$results/shot.png" "$window" "$results/win-$tag-3-completed.png"
                echo "    completion page: win-$tag-3-completed.png"
                if note_shown "$results/shot.png" "$window"; then
                    echo "    the page notes items that could not be removed"
                    ok=1
                fi
                click_completion_button "$window"
            else
                echo "    no completion page"
                ok=1
            fi
        else
            echo "    no main window appeared"
            ok=1
        fi
    fi
    wait_for_exit "$pid" 60
    status=$?
    echo "    exit status $status"
    [ "$status" -eq 0 ] || ok=1
    stop_windows_program "$lookalike_pid" "Ｆerrovane.exe"
    finish_wine
    if registry_has_entry; then
        echo "    entry $key: still there"
        ok=1
    elif "$wine" reg query "$key" >/dev/null 2>&1; then
        echo "    entry $key: cleared (its key stays, empty)"
    else
        echo "    entry $key: removed"
    fi
    report || ok=1
    if [ "$dpi" != 96 ]; then
        "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
        "$wine" reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
        finish_wine
    fi
    record_status $ok "uninstaller.exe ($arch) full run, $tag ($lang, $dpi DPI): exit 0, product removed, sentinels kept"
}

# quiet_run CASE [SWITCH]: uninstaller.exe /S (or SWITCH) with no window ever
# visible on the X server. "removes": with /LOG=C:\logs\铁风帆.log on an
# English code page, exit 0, the product removed, the sentinels kept, the log
# naming what went. "client running": exit 1618 (82 to the Unix launcher),
# nothing removed. SWITCH /q or /qn, msiexec's, for "removes": the same, the
# log C:\logs\quiet-q.log or quiet-qn.log; the /qn run is started by
# `cmd /c`, a console program, and "log: PATH" must reach that console (its
# output here), as a deployment tool's shell would show it.
quiet_run() {
    local case=$1 switch=${2:-/S} status ok=0 client_pid= windows=0 log expected arguments
    local log_name=$name_ch.log starter=() output
    [ "$switch" = /S ] || log_name=quiet-${switch#/}.log
    [ "$switch" != /qn ] || starter=(cmd /c)
    output=$results/quiet-${case// /-}.log
    [ "$switch" = /S ] || output=$results/quiet-${case// /-}-${switch#/}.log
    echo
    echo "== uninstaller.exe $switch: $case${starter:+, started by ${starter[*]}}"
    stage || { record fail "quiet $switch, $case: staging"; return; }
    registry_entry add
    mkdir -p "$drive_c/logs"
    log="$drive_c/logs/$log_name"
    rm -f "$log"
    arguments=("$switch" "/LOG=C:\\logs\\$log_name")
    expected=0
    if [ "$case" = "client running" ]; then
        [ -f "$install/$name_en.exe" ] || { record fail "quiet, $case: no client staged"; return; }
        (cd "$install" && exec "$wine" "$install/$name_en.exe" --wait-until-killed) \
            >/dev/null 2>&1 &
        client_pid=$!
        sleep 2
        expected=$((1618 % 256))
    fi
    [ "$case" = trial ] && arguments+=(/WHATIF)
    [ -z "$(visible_windows)" ] || echo "    windows visible before the run: $(visible_windows | paste -sd' ' -)"
    if [ ${#starter[@]} -gt 0 ]; then
        (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "${starter[@]}" 'C:\FerrovaneUninstaller\uninstaller.exe' \
            "${arguments[@]}") >"$output" 2>&1 &
    else
        (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "$app/uninstaller.exe" "${arguments[@]}") \
            >"$output" 2>&1 &
    fi
    pid=$!
    wait_counting_windows "$pid"
    status=$?
    echo "    exit status $status, expected $expected"
    [ -z "$client_pid" ] || stop_windows_program "$client_pid" "$name_en.exe"
    finish_wine
    [ "$status" -eq "$expected" ] || ok=1
    [ "$windows" -eq 0 ] || { echo "    a window was visible ($windows polls)"; ok=1; }
    if [ -f "$log" ]; then
        sed 's/^/    log: /' "$log"
    else
        echo "    no log at $(shown "$log")"
        ok=1
    fi
    if [ "$case" = "client running" ]; then
        untouched || ok=1
        registry_has_entry || { echo "    the uninstall entry went"; ok=1; }
        grep -q 'gate client program: .* is running: refused' "$log" 2>/dev/null || ok=1
        grep -q 'exit status 1618' "$log" 2>/dev/null || ok=1
    elif [ "$case" = trial ]; then
        # A trial run: what would go is logged, each line marked; nothing goes.
        untouched || ok=1
        registry_has_entry || { echo "    the uninstall entry went"; ok=1; }
        grep -qF "trial: would remove install folder: C:\\Program Files\\$name_en" "$log" 2>/dev/null ||
            { echo "    the log does not name the install folder as what would go"; ok=1; }
        grep -q 'trial: exit status 0: done' "$log" 2>/dev/null || ok=1
        tr -d '\r' <"$log" | sed 1d | grep -qv '  trial: ' && { echo "    a line not marked as a trial"; ok=1; }
    else
        report || ok=1
        registry_has_entry && { echo "    the uninstall entry stayed"; ok=1; }
        grep -qF "removed install folder: C:\\Program Files\\$name_en" "$log" 2>/dev/null ||
            { echo "    the log does not name the install folder as removed"; ok=1; }
        grep -q 'exit status 0: done' "$log" 2>/dev/null || ok=1
        # cmd hands the program's path over unquoted, as it was typed.
        [ ${#starter[@]} -gt 0 ] || log_header "$log" "${arguments[@]}" || ok=1
    fi
    if [ ${#starter[@]} -gt 0 ]; then
        tr -d '\r' <"$output" | sed 's/^/    console: /'
        tr -d '\r' <"$output" | grep -qxF "log: C:\\logs\\$log_name" ||
            { echo "    \"log: C:\\logs\\$log_name\" did not reach ${starter[*]}'s console"; ok=1; }
        record_status $ok "uninstaller.exe $switch ($arch), $case, started by ${starter[*]}: exit $expected, no window, log C:\\logs\\$log_name, \"log: PATH\" on its console"
        return
    fi
    record_status $ok "uninstaller.exe $switch ($arch), $case: exit $expected, no window, log C:\\logs\\$log_name"
}

# log_header LOG ARGUMENT...: the log's first lines say which version ran,
# on which host, as which user, on which system, as which process, built for
# which architecture, with which command line (each argument quoted).
log_header() {
    local log=$1 text ok=0 built suffix
    shift
    case $arch in
    i686) built=i386 ;;
    *) built=$arch ;;
    esac
    text=$(tr -d '\r' <"$log" 2>/dev/null | sed -E 's/^[0-9T:.Z-]+  run-[0-9a-f]{8}  //')
    while IFS='|' read -r what pattern; do
        grep -qE "^$pattern\$" <<<"$text" || { echo "    the log's header has no $what: $pattern"; ok=1; }
    done <<ROWS
version|uninstaller [0-9]+\.[0-9]+\.[0-9]+ started, quiet run
host, user, system and process|host $(hostname), user $user, Windows [^,]*\(winnt [0-9.]+\), process [0-9]+
architecture|program C:\\\\FerrovaneUninstaller\\\\uninstaller\.exe for $built, built with Qt 5\.15\.[0-9]+, running on x86_64
ROWS
    # The program as Wine hands it over, then each argument, quoted.
    suffix='uninstaller.exe"'
    for argument in "$@"; do suffix+=" \"$argument\""; done
    grep '^command line: "' <<<"$text" | grep -qF "$suffix" ||
        { echo "    the log's header has no command line ending $suffix"; ok=1; }
    [ $ok -eq 0 ] && echo "    the log's header names the version, host, user, system, process, architecture and command line"
    return $ok
}

# passive_run: uninstaller.exe /SILENT, nobody at the keyboard: no question,
# the window shows the progress and closes by itself; exit 0, the product
# removed, the sentinels kept, the entry gone, and a log in Windows' own
# temporary folder (no /LOG given) that ends with status 0.
passive_run() {
    local window status ok=0 size logs
    echo
    echo "== uninstaller.exe /SILENT"
    stage || { record fail "passive: staging"; return; }
    registry_entry add || { record fail "passive: registry entry"; return; }
    rm -f "$drive_c"/windows/temp/uninstaller-*.log
    (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "$app/uninstaller.exe" /SILENT) \
        >"$results/passive.log" 2>&1 &
    pid=$!
    # The first window is the main one, not a question: at 96 DPI the card
    # alone, 720 x 480, as Wine composes no translucent window.
    if window=$(program_window "$pid" 60); then
        size=$(xdotool getwindowgeometry "$window" 2>/dev/null | sed -n 's/.*Geometry: //p')
        echo "    first window $size device pixels"
        [ "$size" = 720x480 ] || { echo "    expected the main window, 720x480"; ok=1; }
    else
        echo "    no window appeared"
        ok=1
    fi
    # Nobody answers anything: it must end by itself.
    wait_for_exit "$pid" 120
    status=$?
    echo "    exit status $status, expected 0"
    [ "$status" -eq 0 ] || ok=1
    finish_wine
    report || ok=1
    registry_has_entry && { echo "    the uninstall entry stayed"; ok=1; }
    logs=("$drive_c"/windows/temp/uninstaller-*.log)
    if [ -f "${logs[0]}" ]; then
        tr -d '\r' <"${logs[0]}" | grep -E 'started|gate confirmation|exit status' | sed 's/^/    log: /'
        tr -d '\r' <"${logs[0]}" | grep -q 'gate confirmation: not asked' ||
            { echo "    the log does not say no question was asked"; ok=1; }
        tr -d '\r' <"${logs[0]}" | grep -q 'exit status 0' || ok=1
    else
        echo "    no log in C:\\windows\\temp"
        ok=1
    fi
    record_status $ok "uninstaller.exe /SILENT ($arch): no question, the window closes by itself, exit 0, product removed, log in C:\\windows\\temp"
}

# What Windows removes at its next start: PendingFileRenameOperations, one
# source a line (each removal's empty target dropped), read from the saved
# registry once the server has ended: Wine takes every new server for a
# restart, and its wineboot carries the list out (and clears it) first.
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'
pending_removals() {
    python3 - "$WINEPREFIX/system.reg" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read()
# CurrentControlSet is a link: the key is kept under ControlSet001.
key = re.search(r"^\[System\\\\(?:CurrentControlSet|ControlSet\d+)\\\\Control\\\\Session Manager\][^\n]*\n((?:(?!^\[).*\n?)*)",
                text, re.M | re.I)
section = key.group(1).replace("\\\n  ", "") if key else ""
entries = []
text_value = re.search(r'^"PendingFileRenameOperations"=str\(7\):"((?:[^"\\]|\\.)*)"', section, re.M)
hex_value = re.search(r'^"PendingFileRenameOperations"=hex\(7\):([0-9a-fA-F,]*)', section, re.M)
if text_value:
    # Wine's own form: \\ a backslash, \0 the end of a string, \xNNNN a character.
    value, i = "", 0
    raw = text_value.group(1)
    while i < len(raw):
        if raw[i] == "\\" and i + 1 < len(raw):
            c = raw[i + 1]
            if c == "0":
                value += "\0"; i += 2
            elif c == "x":
                j = i + 2
                while j < len(raw) and j < i + 6 and raw[j] in "0123456789abcdefABCDEF":
                    j += 1
                value += chr(int(raw[i + 2:j], 16)); i = j
            else:
                value += {"n": "\n", "r": "\r", "t": "\t"}.get(c, c); i += 2
        else:
            value += raw[i]; i += 1
    entries = value.split("\0")
elif hex_value:
    data = bytes(int(h, 16) for h in hex_value.group(1).split(",") if h)
    entries = data.decode("utf-16-le").split("\0")
for entry in entries:
    if entry:
        print(entry)
PY
}
clear_pending() {
    "$wine" reg delete "$session_manager" /v PendingFileRenameOperations /f >/dev/null 2>&1
}

# only_own_files_pending: something waits for the restart, and all of it is
# the uninstaller's own files in a holding folder at C:'s root; names what is
# not. Run before any other Wine program.
only_own_files_pending() {
    local entry path ok=0
    [ -n "$(pending_removals)" ] || { echo "    nothing waits for the restart"; return 1; }
    while read -r entry; do
        # \??\C:\UninstallerPending.<run>[\<n>.<name>]: the name one of the uninstaller's.
        case $entry in
        '\??\C:\UninstallerPending.'*\\*)
            path=${entry##*\\}
            [ -n "$(find "$build/bin" -name "${path#*.}" -print -quit)" ] ||
                { echo "    not the uninstaller's: $entry"; ok=1; } ;;
        '\??\C:\UninstallerPending.'*) ;;
        *) echo "    waits outside a holding folder: $entry"; ok=1 ;;
        esac
    done < <(pending_removals)
    return $ok
}

# restart_and_clear [FOLDER]: after a Wine command has started a server
# (which carries the list out, as a restart would), tells what of the
# holding folders and of FOLDER is still there, then clears them and the
# list away.
# run_installer INSTALLER LOG ARGUMENTS...: runs one of the product's
# installers, once more when its Wine client lost the server it was starting
# with (the server of the run before still going away): "wine client error:
# recvmsg: Connection reset by peer", the installer never having run.
run_installer() {
    local installer=$1 output=$2 status
    shift 2
    for _ in 1 2; do
        (cd "$drive_c" && LANG=en_US.UTF-8 exec "$wine" "$installers/$installer" "$@") >"$output" 2>&1
        status=$?
        [ "$status" -ne 0 ] && grep -q 'wine client error' "$output" || return "$status"
        echo "    $installer: $(grep -m1 'wine client error' "$output"); once more"
        finish_wine
    done
    return "$status"
}

restart_and_clear() {
    local folder=${1:-}
    finish_wine
    if [ -n "$(find "$drive_c" -maxdepth 1 -name 'UninstallerPending.*' -print -quit)" ] ||
        { [ -n "$folder" ] && [ -e "$folder" ]; }; then
        echo "    after Wine's restart: $(cd "$drive_c" && ls -d UninstallerPending.* "${folder#"$drive_c/"}" 2>/dev/null | paste -sd' ' -) still there"
    else
        echo "    after Wine's restart: nothing of it left"
    fi
    rm -rf "$drive_c"/UninstallerPending.* ${folder:+"$folder"}
    clear_pending
    finish_wine
}

# inside_run LAYOUT: a full run, the uninstaller started from its folder by
# a launcher that waits for it. "top": the uninstaller, its libraries and
# plug-ins directly in the install folder; "below": in its uninstall folder;
# "held": from its own folder while another process holds docs\file1.dat of
# the install folder open without leave to delete. Exit 0 reaches the
# launcher, the entry is cleared, every sentinel kept. "top", "below":
# nothing of the install folder stays, and only the uninstaller's own files
# wait for the restart, outside it. "held": that file, its folder and the
# client after them (the client goes last) stay, scheduled for the restart,
# and nothing else; the page says so.
inside_run() {
    local layout=$1 from=$app dialog window status ok=0 holder_pid= kept=() path left
    local root_win='\??\C:\Program Files\'"$name_en"
    echo
    echo "== uninstaller.exe: run from inside the install folder, $layout"
    stage || { record fail "inside, $layout: staging"; return; }
    registry_entry add || { record fail "inside, $layout: registry entry"; return; }
    clear_pending
    case $layout in
    top) from=$install ;;
    below) from=$install/uninstall ;;
    esac
    if [ "$from" != "$app" ]; then
        mkdir -p "$from" && cp -r "$app"/. "$from"/ && rm -rf "$app" ||
            { record fail "inside, $layout: staging"; return; }
        for path in "${sentinels[@]}"; do
            [ "$path" = "$app/AppConfig.xml" ] || kept+=("$path")
        done
        sentinels=("${kept[@]}")
    fi
    if [ "$layout" = held ]; then
        cp "$client" "$drive_c/holder.exe"
        (cd "$drive_c" && exec "$wine" 'C:\holder.exe' --hold-until-killed \
            "C:\\Program Files\\$name_en\\docs\\file1.dat") >/dev/null 2>&1 &
        holder_pid=$!
        sleep 2
    fi
    (cd "$from" && LANG=en_US.UTF-8 exec "$wine" "$from/uninstaller.exe") \
        >"$results/inside-$layout.log" 2>&1 &
    pid=$!
    if ! dialog=$(program_window "$pid" 60); then
        echo "    no confirmation appeared"
        ok=1
    else
        answer_dialog "$pid" "$dialog" 1 || echo "    the confirmation did not go"
        if window=$(program_window "$pid" 30 "$dialog") &&
            wait_for_completion "$window" "$results/shot.png" "" 120; then
            crop_window "$results/shot.png" "$window" "$results/inside-$layout-3-completed.png"
            if note_shown "$results/shot.png" "$window"; then
                echo "    the page notes what stays"
                [ "$layout" = held ] || ok=1
            else
                [ "$layout" != held ] || { echo "    the page does not note the held file"; ok=1; }
            fi
            click_completion_button "$window"
        else
            echo "    no completion page"
            ok=1
        fi
    fi
    wait_for_exit "$pid" 60
    status=$?
    echo "    exit status $status"
    [ "$status" -eq 0 ] || ok=1
    [ -z "$holder_pid" ] || stop_windows_program "$holder_pid" holder.exe
    finish_wine
    # Before any other Wine program: its server's start would be a restart.
    echo "    PendingFileRenameOperations:"
    pending_removals | sed 's/^/      /'
    if [ "$layout" = held ]; then
        left=$(cd "$install" 2>/dev/null && find . -mindepth 1 | LC_ALL=C sort | paste -sd' ' -)
        echo "    left of the install folder: $left"
        [ "$left" = "./$name_en.exe ./docs ./docs/file1.dat" ] || ok=1
        [ "$(pending_removals | paste -sd'|' -)" = "$root_win\\docs\\file1.dat|$root_win\\docs|$root_win\\$name_en.exe|$root_win" ] ||
            { echo "    expected that file, its folder, the client and the install folder"; ok=1; }
        product_items=("${product_items[@]:1}")
    else
        only_own_files_pending || ok=1
    fi
    report || ok=1
    if registry_has_entry; then
        echo "    entry $key: still there"
        ok=1
    fi
    restart_and_clear "$install"
    rm -f "$drive_c/holder.exe"
    record_status $ok "uninstaller.exe ($arch) run from inside, $layout: exit 0, entry cleared, only what must wait scheduled"
}

# manifest_run CASE: uninstaller.exe /S with the install manifest beside it
# (made by scripts/make-manifest, one of its lines in capitals and with '\',
# as Windows compares names ignoring case) and the user's save and notes in
# the install folder. "usable": exit 0, only those two stay with their
# folders, the entry goes, the log names both as kept. "refused line": one
# more line leads out of the folder, so the manifest is not trusted: exit
# 1603 (67 to the Unix launcher), nothing of the product goes, the entry
# stays, the log names the line as refused.
manifest_run() {
    local case=$1 status ok=0 log mine left path expected=0 entries
    echo
    echo "== uninstaller.exe /S: with an install manifest, $case"
    stage || { record fail "manifest, $case: staging"; return; }
    mapfile -t mine < <(stage_manifest "$app" "$install")
    [ ${#mine[@]} -eq 2 ] || { record fail "manifest, $case: no manifest staged"; return; }
    sed -i 's|^bin/file1\.dat$|BIN\\FILE1.DAT|' "$app/InstallManifest.txt"
    if [ "$case" = "refused line" ]; then
        printf '..\\Other\\keep.txt\n' >>"$app/InstallManifest.txt"
        expected=$((1603 % 256))
    fi
    registry_entry add
    entries=$(find "$install" | wc -l)
    mkdir -p "$drive_c/logs"
    log="$drive_c/logs/manifest.log"
    rm -f "$log"
    (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "$app/uninstaller.exe" /S "/LOG=C:\\logs\\manifest.log") \
        >"$results/quiet-manifest-${case// /-}.log" 2>&1
    status=$?
    echo "    exit status $status, expected $expected"
    finish_wine
    [ "$status" -eq "$expected" ] || ok=1
    [ -f "$log" ] && sed 's/^/    log: /' "$log" | grep -E 'manifest|kept|exit status'
    for path in "${mine[@]}"; do
        [ -f "$path" ] || { echo "    LOST     $(shown "$path")"; ok=1; }
    done
    if [ "$case" = "refused line" ]; then
        untouched || ok=1
        [ "$(find "$install" | wc -l)" -eq "$entries" ] ||
            { echo "    $(shown "$install") lost entries: $entries before, $(find "$install" | wc -l) after"; ok=1; }
        registry_has_entry || { echo "    the uninstall entry went"; ok=1; }
        grep -q 'line [0-9]* refused: "\.\.\\Other\\keep.txt"' "$log" 2>/dev/null ||
            { echo "    the log does not name the refused line"; ok=1; }
        record_status $ok "uninstaller.exe /S ($arch) with an install manifest holding a refused line: exit 1603, nothing removed, the line logged"
        return
    fi
    for path in "${mine[@]}"; do
        grep -qF "kept in the install folder: $(shown "$path"): not in the install manifest" "$log" ||
            { echo "    the log does not name $(shown "$path") as kept"; ok=1; }
    done
    left=$(cd "$install" && find . -mindepth 1 | sort | paste -sd' ' -)
    echo "    left in $(shown "$install"): $left"
    [ "$left" = "./My notes.txt ./saves ./saves/slot1.sav" ] || ok=1
    product_items=("${product_items[@]:1}")
    report || ok=1
    registry_has_entry && { echo "    the uninstall entry stayed"; ok=1; }
    record_status $ok "uninstaller.exe /S ($arch) with an install manifest: exit 0, the user's files kept and logged, the rest removed"
}

# --- the product as users get it: a real installer ----------------------------------

# The product's installers, which scripts/test-windows made with makensis:
# "top" puts the uninstaller beside the client and records InstallLocation,
# "below" puts it in uninstall\ and records only the UninstallString.
installers=$run/installers

# A value of the entry as `reg query` shows it, or nothing.
entry_value() {
    "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$1 \{1,\}REG_[A-Z_]* \{1,\}//p"
}

# is_shell_link FILE: a real shell link: its header size, then the ShellLink
# class id {00021401-0000-0000-C000-000000000046}.
is_shell_link() {
    [ "$(od -A n -t x1 -N 20 "$1" 2>/dev/null | tr -d ' \n')" = 4c0000000114020000000000c000000000000046 ]
}

# installed_run CASE: the product installed by its installer, quietly, then
# removed as "Apps & features" removes it: start-uninstall.exe starts the
# UninstallString of the entry in the 32-bit view, with /S and
# /LOG=C:\logs\installed-<case>.log appended. The installer must have put
# the client, the uninstaller with its files, the entry and real shell links
# under both names on the all-users desktop and start menu. Then: exit 0, no
# window, the entry gone, the shortcuts gone, the sentinels kept, only the
# uninstaller's own files waiting for the restart.
#   "default": into C:\Program Files (x86)\Ferrovane, the uninstaller at the
#     top, InstallLocation recorded: all of it goes.
#   "uninstall folder": the uninstaller in uninstall\, no InstallLocation:
#     the folder above the uninstaller's goes, all of it.
#   "update in place": as "default", then, two seconds later, the update
#     installer over it (the client, the uninstaller, AppConfig.xml, Qt's
#     libraries and two files of bin\ written anew): all of it goes.
#   "data first": an installer that writes bin\, data\ and the other
#     folders two seconds before the client, the uninstaller and
#     AppConfig.xml: all of it goes.
#   "into Tools": /D=C:\Tools, a folder of the user's that held a game and
#     notes, not named after the product, and no install manifest: the
#     uninstaller cannot tell the product's files from the user's there, so
#     nothing of the folder goes, nor the entry or the shortcuts; exit 1603
#     (67 to the Unix launcher), the user's files byte for byte, and the log
#     names C:\Tools as kept.
installed_run() {
    local case=$1 variant=top folder="$drive_c/Program Files (x86)/$name_en" arguments=(/S)
    local tag uninstaller status ok=0 windows=0 log command expected mine=() sums left name path
    local expected_status=0
    case $case in
    default) tag=default ;;
    "uninstall folder") tag=uninstall-folder variant=below ;;
    "update in place") tag=update ;;
    "data first") tag=data-first variant=datafirst ;;
    "into Tools") tag=tools folder=$drive_c/Tools arguments+=('/D=C:\Tools') expected_status=$((1603 % 256)) ;;
    esac
    uninstaller=$folder/uninstaller.exe
    [ "$variant" != below ] || uninstaller=$folder/uninstall/uninstaller.exe
    echo
    echo "== installed by $name_en-$variant.exe ${arguments[*]}, removed by its UninstallString /S"
    [ -f "$installers/$name_en-$variant.exe" ] || { record fail "installed, $case: no installer"; return; }
    rm -rf "$app" "$install" "$folder" "$desktop" "$public_desktop" "$menu" "$common_menu" \
        "$drive_c/Program Files (x86)/Other"
    registry_entry remove
    clear_pending
    mkdir -p "$desktop" "$public_desktop" "$menu" "$common_menu/Other" "$drive_c/Program Files (x86)/Other"
    printf 'shortcut\n' >"$public_desktop/Other.lnk"
    printf 'shortcut\n' >"$common_menu/Other/Other.lnk"
    printf 'keep\n' >"$drive_c/Program Files (x86)/Other/keep.txt"
    sentinels=("$public_desktop/Other.lnk" "$common_menu/Other/Other.lnk" "$drive_c/Program Files (x86)/Other/keep.txt")
    if [ "$case" = "into Tools" ]; then
        mkdir -p "$folder/Game/saves"
        printf 'a saved game\n' >"$folder/Game/saves/slot1.sav"
        printf 'my notes\n' >"$folder/notes.txt"
        mine=(Game/saves/slot1.sav notes.txt)
        sums=$(cd "$folder" && sha256sum "${mine[@]}")
    fi

    run_installer "$name_en-$variant.exe" "$results/install-$tag.log" "${arguments[@]}"
    status=$?
    echo "    installer exit status $status"
    [ "$status" -eq 0 ] || { record fail "installed, $case: the installer failed"; return; }
    if [ "$case" = "update in place" ]; then
        sleep 2 # what the update writes is newer than the folders it writes into
        run_installer "$name_en-update.exe" "$results/install-$tag-2.log" "${arguments[@]}"
        status=$?
        echo "    update installer $name_en-update.exe exit status $status"
        [ "$status" -eq 0 ] || { record fail "installed, $case: the update installer failed"; return; }
    fi
    [ -d "$folder/data" ] || { echo "    not installed: $(shown "$folder/data")"; ok=1; }
    # What the installer put, before anything is removed.
    for path in "$folder/$name_en.exe" "$uninstaller" "$(dirname "$uninstaller")/AppConfig.xml" \
        "$(dirname "$uninstaller")/Qt5Core.dll" "$(dirname "$uninstaller")/platforms/qwindows.dll" \
        "$(dirname "$uninstaller")/translations" "$(dirname "$uninstaller")/rcc" "$folder/docs/file1.dat"; do
        [ -e "$path" ] || { echo "    not installed: $(shown "$path")"; ok=1; }
    done
    product_items=("$folder")
    for name in "$name_en" "$name_ch"; do
        for path in "$public_desktop/$name.lnk" "$common_menu/$name/$name.lnk" \
            "$common_menu/$name/Uninstall $name.lnk"; do
            is_shell_link "$path" || { echo "    no shell link $(shown "$path")"; ok=1; }
        done
        product_items+=("$public_desktop/$name.lnk" "$common_menu/$name")
    done
    # Nothing of a folder the uninstaller cannot judge goes: the product's
    # items stay there too, with the entry that names them.
    if [ "$case" = "into Tools" ]; then
        for path in "$folder/$name_en.exe" "$uninstaller" "$folder/AppConfig.xml" "$folder/bin/file1.dat" \
            "${product_items[@]:1}" "$folder/Game/saves/slot1.sav" "$folder/notes.txt"; do
            sentinels+=("$path")
        done
        product_items=()
    fi
    expected="\"$(shown "$uninstaller")\""
    command=$(entry_value UninstallString)
    echo "    entry $key: UninstallString $command, InstallLocation $(entry_value InstallLocation)"
    [ "$command" = "$expected" ] || { echo "    expected UninstallString $expected"; ok=1; }
    if [ "$variant" != below ]; then
        [ "$(entry_value InstallLocation)" = "$(shown "$folder")" ] || ok=1
    else
        [ -z "$(entry_value InstallLocation)" ] || ok=1
    fi

    mkdir -p "$drive_c/logs"
    log=$drive_c/logs/installed-$tag.log
    rm -f "$log"
    (cd "$drive_c" && LANG=en_US.UTF-8 exec "$wine" "$run/start-uninstall.exe" "$guid" /S \
        "/LOG=C:\\logs\\installed-$tag.log") >"$results/installed-$tag.log" 2>&1 &
    pid=$!
    wait_counting_windows "$pid"
    status=$?
    tr -d '\r' <"$results/installed-$tag.log" | sed 's/^/    /'
    echo "    exit status $status, expected $expected_status"
    [ "$status" -eq "$expected_status" ] || ok=1
    grep -qF "starting: $expected /S /LOG=C:\\logs\\installed-$tag.log" "$results/installed-$tag.log" ||
        { echo "    not the entry's command"; ok=1; }
    [ "$windows" -eq 0 ] || { echo "    a window was visible ($windows polls)"; ok=1; }
    finish_wine
    # Before any other Wine program: its server's start would be a restart.
    echo "    PendingFileRenameOperations:"
    pending_removals | sed 's/^/      /'
    if [ "$case" = "into Tools" ]; then
        [ -z "$(pending_removals)" ] || { echo "    something waits for the restart"; ok=1; }
    else
        only_own_files_pending || ok=1
    fi
    if [ -f "$log" ]; then
        sed 's/^/    log: /' "$log"
    else
        echo "    no log at $(shown "$log")"
        ok=1
    fi
    grep -q "exit status $((expected_status == 0 ? 0 : 1603))" "$log" 2>/dev/null || ok=1
    report || ok=1
    if [ "$case" = "into Tools" ]; then
        [ "$(cd "$folder" 2>/dev/null && sha256sum "${mine[@]}")" = "$sums" ] ||
            { echo "    the user's files changed"; ok=1; }
        tr -d '\r' <"$log" 2>/dev/null | grep -F 'C:\Tools' | grep -qiE 'kept|stay|left' ||
            { echo "    the log does not say that C:\\Tools stays"; ok=1; }
        registry_has_entry || { echo "    the uninstall entry went"; ok=1; }
        tr -d '\r' <"$log" 2>/dev/null | grep -qF "the folder is not one of the product's own" ||
            { echo "    the log does not say C:\\Tools is not the product's own folder"; ok=1; }
    else
        grep -qF "removed install folder: $(shown "$folder")" "$log" 2>/dev/null ||
            { echo "    the log does not name the install folder as removed"; ok=1; }
        if [ "$variant" = below ]; then
            grep -q '^.*install location as recorded: .*(the folder above this uninstaller' "$log" ||
                { echo "    the log does not tell the folder from the uninstaller's"; ok=1; }
        fi
    fi
    if [ "$case" = "into Tools" ]; then
        restart_and_clear
        rm -rf "$folder" "$public_desktop" "$common_menu"
        registry_entry remove
        record_status $ok "installed by makensis's installer into C:\\Tools, a folder of the user's, without a manifest; the entry's UninstallString /S: exit 1603, nothing of the folder removed, the user's files kept, the log says what stayed"
        return
    fi
    if registry_has_entry; then
        echo "    entry $key: still there"
        ok=1
    fi
    restart_and_clear "$folder"
    record_status $ok "installed by makensis's installer ($case), removed from the entry's UninstallString /S: exit 0, entry and shortcuts gone, the rest kept"
}

if [ -z "$only" ]; then
    refusal "not installed"
    refusal "client running"
    quiet_run "removes"
    quiet_run "removes" /q
    quiet_run "removes" /qn
    quiet_run "client running"
    quiet_run trial
    passive_run
    manifest_run usable
    manifest_run "refused line"
    full_run en_US.UTF-8 en 96
    full_run zh_CN.UTF-8 zh 96
    full_run en_US.UTF-8 en-150 144
fi
if [ -z "$only" ] || [ "$only" = inside ]; then
    inside_run top
    inside_run below
    inside_run held
fi
# The shipped program alone: a 32-bit installer of a 32-bit uninstaller.
if { [ -z "$only" ] || [ "$only" = installed ]; } && [ "$arch" = i686 ]; then
    installed_run default
    installed_run "uninstall folder"
    installed_run "update in place"
    installed_run "data first"
    installed_run "into Tools"
fi

echo
echo "drives at the end: $(drives)"
[ ! -e "$WINEPREFIX/dosdevices/z:" ] || record fail "drive Z: came back"
wineserver -k 2>/dev/null
touch "$results/done"
