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

for lang in en_US zh_CN; do
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

start_program() { # LANG LOG: the uninstaller from its folder; sets pid
    (cd "$app" && LANG=$1 exec "$wine" "$app/uninstaller.exe") >"$2" 2>&1 &
    pid=$!
}

# note_shown SHOT WINDOW: whether the completion page shows its note of what
# could not be removed, grey text in the white strip below the button (left
# of where the button sits when there is no note).
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
        screenshot "$results/shot.png" && crop_window "$results/shot.png" "$dialog" \
            "$results/win-en-refused-${case// /-}.png"
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
    local width=$((744 * dpi / 96)) height=$((504 * dpi / 96))
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
        screenshot "$results/shot.png" && crop_window "$results/shot.png" "$dialog" "$results/win-$tag-1-confirm.png"
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

# quiet_run CASE: uninstaller.exe /S with no window ever visible on the X
# server. "removes": with /LOG=C:\logs\铁风帆.log on an English code page,
# exit 0, the product removed, the sentinels kept, the log naming what went.
# "client running": exit 1618 (82 to the Unix launcher), nothing removed.
quiet_run() {
    local case=$1 status ok=0 client_pid= windows=0 log expected arguments
    echo
    echo "== uninstaller.exe /S: $case"
    stage || { record fail "quiet, $case: staging"; return; }
    registry_entry add
    mkdir -p "$drive_c/logs"
    log="$drive_c/logs/$name_ch.log"
    rm -f "$log"
    arguments=(/S "/LOG=C:\\logs\\$name_ch.log")
    expected=0
    if [ "$case" = "client running" ]; then
        [ -f "$install/$name_en.exe" ] || { record fail "quiet, $case: no client staged"; return; }
        (cd "$install" && exec "$wine" "$install/$name_en.exe" --wait-until-killed) \
            >/dev/null 2>&1 &
        client_pid=$!
        sleep 2
        expected=$((1618 % 256))
    fi
    [ -z "$(visible_windows)" ] || echo "    windows visible before the run: $(visible_windows | paste -sd' ' -)"
    (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "$app/uninstaller.exe" "${arguments[@]}") \
        >"$results/quiet-${case// /-}.log" 2>&1 &
    pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        [ -n "$(visible_windows)" ] && windows=$((windows + 1))
        sleep 0.1
    done
    wait "$pid"
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
    else
        report || ok=1
        registry_has_entry && { echo "    the uninstall entry stayed"; ok=1; }
        grep -qF "removed install folder: C:\\Program Files\\$name_en" "$log" 2>/dev/null ||
            { echo "    the log does not name the install folder as removed"; ok=1; }
        grep -q 'exit status 0: done' "$log" 2>/dev/null || ok=1
    fi
    record_status $ok "uninstaller.exe /S, $case: exit $expected, no window, log C:\\logs\\$name_ch.log"
}

# manifest_run: uninstaller.exe /S with the install manifest beside it (made
# by scripts/make-manifest, one of its lines in capitals and with '\', as
# Windows compares names ignoring case, and a line leading out of the
# folder) and the user's save and notes in the install folder: exit 0, only
# those two stay with their folders, the entry goes, the log names both as
# kept and the line as refused.
manifest_run() {
    local status ok=0 log mine left path
    echo
    echo "== uninstaller.exe /S: with an install manifest"
    stage || { record fail "manifest: staging"; return; }
    mapfile -t mine < <(stage_manifest "$app" "$install")
    [ ${#mine[@]} -eq 2 ] || { record fail "manifest: no manifest staged"; return; }
    sed -i 's|^bin/file1\.dat$|BIN\\FILE1.DAT|' "$app/InstallManifest.txt"
    printf '..\\Other\\keep.txt\n' >>"$app/InstallManifest.txt"
    registry_entry add
    mkdir -p "$drive_c/logs"
    log="$drive_c/logs/manifest.log"
    rm -f "$log"
    (cd "$app" && LANG=en_US.UTF-8 exec "$wine" "$app/uninstaller.exe" /S "/LOG=C:\\logs\\manifest.log") \
        >"$results/quiet-manifest.log" 2>&1
    status=$?
    echo "    exit status $status, expected 0"
    finish_wine
    [ "$status" -eq 0 ] || ok=1
    [ -f "$log" ] && sed 's/^/    log: /' "$log" | grep -E 'manifest|kept|exit status'
    for path in "${mine[@]}"; do
        [ -f "$path" ] || { echo "    LOST     $(shown "$path")"; ok=1; }
        grep -qF "kept in the install folder: $(shown "$path"): not in the install manifest" "$log" ||
            { echo "    the log does not name $(shown "$path") as kept"; ok=1; }
    done
    left=$(cd "$install" && find . -mindepth 1 | sort | paste -sd' ' -)
    echo "    left in $(shown "$install"): $left"
    [ "$left" = "./My notes.txt ./saves ./saves/slot1.sav" ] || ok=1
    product_items=("${product_items[@]:1}")
    report || ok=1
    registry_has_entry && { echo "    the uninstall entry stayed"; ok=1; }
    grep -q 'line [0-9]* refused: "\.\.\\Other\\keep.txt"' "$log" 2>/dev/null ||
        { echo "    the log does not name the refused line"; ok=1; }
    record_status $ok "uninstaller.exe /S ($arch) with an install manifest: exit 0, the user's files kept and logged, the rest removed"
}

refusal "not installed"
refusal "client running"
quiet_run "removes"
quiet_run "client running"
manifest_run
full_run en_US.UTF-8 en 96
full_run zh_CN.UTF-8 zh 96
full_run en_US.UTF-8 en-150 144

echo
echo "drives at the end: $(drives)"
[ ! -e "$WINEPREFIX/dosdevices/z:" ] || record fail "drive Z: came back"
wineserver -k 2>/dev/null
touch "$results/done"
