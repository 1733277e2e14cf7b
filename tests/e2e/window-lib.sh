# The uninstaller's own window in an X server: stage an installation of a
# product, find the pages by their colours, click the completion button.
# Source after tests/harness/x11.sh. Needs xdotool and ImageMagick 6.

# The real ImageMagick: a stand-in may shadow plain "convert".
im_convert() {
    local tool
    tool=$(command -v convert-im6.q16 || command -v convert-im6 || command -v magick) || return 1
    "$tool" "$@"
}

# stage_program_files APP BINDIR INSTALL [FILES]: the uninstaller (a copy of
# BINDIR in APP beside the product's AppConfig.xml) and the install folder
# INSTALL, FILES files (25 by default) in each of its four folders. The
# product's GUID and names are those of product_guid, product_name_en and
# product_name_ch.
product_guid='{8E4B6C1A-3F27-4D95-B0A2-5C71E9D34F86}'
product_name_en=Ferrovane
product_name_ch=铁风帆
stage_program_files() {
    local app=$1 bindir=$2 install=$3 files=${4:-25}
    cp -r "$bindir" "$app" || return 1
    cat >"$app/AppConfig.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<AppConfig>
    <GUID>$product_guid</GUID>
    <SoftwareNameEN>$product_name_en</SoftwareNameEN>
    <SoftwareNameCH>$product_name_ch</SoftwareNameCH>
    <ProgramName>$product_name_en.exe</ProgramName>
</AppConfig>
XML
    stage_product_files "$install" "$files"
}

# stage_product_files INSTALL [FILES]: the product's own files in INSTALL,
# FILES files (25 by default) in each of its four folders.
stage_product_files() {
    local install=$1 files=${2:-25} folder i
    for folder in bin lib/plugins resources/images docs; do
        mkdir -p "$install/$folder" || return 1
        for i in $(seq 1 "$files"); do
            printf 'file %s/%s\n' "$folder" "$i" >"$install/$folder/file$i.dat"
        done
    done
}

# stage_product ROOT BINDIR [MENU_FILES [FILES]]: under ROOT, the program (a
# copy of BINDIR with the product's AppConfig.xml), the install folder (FILES
# files in each of its four folders, 25 by default, and the client program
# Ferrovane.exe at its top, as installers lay it out), its uninstall
# entry in the registry stand-in, shortcuts under both names on both desktops
# and start-menu folders under both names, the English one holding MENU_FILES
# extra files (they make the shortcut step last, for a picture of it).
# HOME and XDG_DATA_HOME must already point into ROOT. Prints the paths that
# the run must remove, one a line.
stage_product() {
    local root=$1 bindir=$2 menu_files=${3:-0} files=${4:-25}
    local guid=$product_guid name_en=$product_name_en name_ch=$product_name_ch
    local install=$root/programs/$name_en base windows entry desktop public menu i name
    stage_program_files "$root/app" "$bindir" "$install" "$files" || return 1
    # The client program: what proves the folder is the product's.
    printf 'client\n' >"$install/Ferrovane.exe" && chmod 755 "$install/Ferrovane.exe" || return 1
    case "$(uname -m)" in
    x86_64 | ia64) base='SOFTWARE/Wow6432Node/Microsoft/Windows/CurrentVersion/Uninstall' ;;
    *) base='SOFTWARE/Microsoft/Windows/CurrentVersion/Uninstall' ;;
    esac
    windows=$XDG_DATA_HOME/appinstaller/windows
    entry=$windows/HKEY_LOCAL_MACHINE/$base/$guid.ini
    mkdir -p "$(dirname "$entry")" || return 1
    printf '[General]\nDisplayName=%s\nInstallLocation=%s\n' "$name_en" "$install" >"$entry"
    desktop=$HOME/Desktop
    public=$windows/C/Users/Public/Desktop
    menu=$XDG_DATA_HOME/applications
    mkdir -p "$desktop" "$public" || return 1
    for name in "$name_en" "$name_ch"; do
        printf 'shortcut\n' >"$desktop/$name.lnk"
        printf 'shortcut\n' >"$public/$name.lnk"
        mkdir -p "$menu/$name"
        printf 'shortcut\n' >"$menu/$name/$name.lnk"
    done
    if [ "$menu_files" -gt 0 ]; then
        (cd "$menu/$name_en" && seq -f 'd%g' 0 $((menu_files / 1000)) | xargs mkdir -p &&
            for i in $(seq 0 $((menu_files / 1000))); do
                (cd "d$i" && seq -f 'f%g.lnk' 1 1000 | xargs touch)
            done) || return 1
    fi
    printf '%s\n' "$install" "$entry" "$desktop/$name_en.lnk" "$desktop/$name_ch.lnk" \
        "$public/$name_en.lnk" "$public/$name_ch.lnk" "$menu/$name_en" "$menu/$name_ch"
}

# stage_shared_folder ROOT INSTALL: another registered product, "Other Game",
# installed inside the product's install folder INSTALL (as when both were put
# straight into one games folder), with its own uninstall entry and a saved
# game. Neither may be removed. Prints the other product's folder and entry.
stage_shared_folder() {
    local root=$1 install=$2 other entry base
    other="$install/Other Game"
    mkdir -p "$other/saves" || return 1
    printf 'client\n' >"$other/OtherGame.exe"
    printf 'a saved game\n' >"$other/saves/slot1.sav"
    case "$(uname -m)" in
    x86_64 | ia64) base='SOFTWARE/Wow6432Node/Microsoft/Windows/CurrentVersion/Uninstall' ;;
    *) base='SOFTWARE/Microsoft/Windows/CurrentVersion/Uninstall' ;;
    esac
    entry=$XDG_DATA_HOME/appinstaller/windows/HKEY_LOCAL_MACHINE/$base/{0C5D7E21-9B44-4F3A-8E61-2A7F5C0D9B13}.ini
    printf '[General]\nDisplayName=Other Game\nInstallLocation=%s\n' "$other" >"$entry" || return 1
    printf '%s\n' "$other/saves/slot1.sav" "$entry"
}

# stage_manifest APP INSTALL: the install manifest of the staged product, as
# its packaging writes it with scripts/make-manifest (logs/ owned whole), in
# APP beside the uninstaller; then what comes after the install: files the
# product writes into logs/, and the user's own, a save in saves/ and notes at
# the top. Prints the user's files, which must stay, one a line.
stage_manifest() {
    local app=$1 install=$2 lib
    lib=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    "$lib/scripts/make-manifest" --guid "$product_guid" --owned logs \
        --output "$app/InstallManifest.txt" "$install" 2>/dev/null || return 1
    mkdir -p "$install/logs/crash" "$install/saves" || return 1
    printf 'a log\n' >"$install/logs/run.log"
    printf 'a dump\n' >"$install/logs/crash/dump.dmp"
    printf 'a saved game\n' >"$install/saves/slot1.sav"
    printf 'my notes\n' >"$install/My notes.txt"
    printf '%s\n' "$install/My notes.txt" "$install/saves/slot1.sav"
}

# window_box WINDOW: prints "X Y SCALE", the place on the screen of the
# designed 744 x 504 window and its scale (2 with QT_SCALE_FACTOR=2). Where
# nothing composes the window (no compositing manager, Wine) it is the 720 x
# 480 card alone, 12 designed pixels in from that place.
window_box() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" || return 1
    [ -n "${WIDTH:-}" ] || return 1
    if [ $((WIDTH * 2)) -eq $((HEIGHT * 3)) ]; then
        awk -v x="$X" -v y="$Y" -v w="$WIDTH" \
            'BEGIN { s = w / 720; printf "%d %d %s\n", x - 12 * s, y - 12 * s, s }'
    else
        echo "$X $Y $(awk -v w="$WIDTH" 'BEGIN { print w / 744 }')"
    fi
}

# count_colour SHOT WINDOW X Y W H COLOUR: how many pixels of the designed
# rectangle X,Y,W,H of the window have exactly COLOUR in the screenshot SHOT.
count_colour() {
    local shot=$1 window=$2 box left top scale geometry
    box=$(window_box "$window") || return 1
    read -r left top scale <<<"$box"
    geometry=$(awk -v s="$scale" -v l="$left" -v t="$top" -v x="$3" -v y="$4" -v w="$5" -v h="$6" \
        'BEGIN { printf "%dx%d+%d+%d", w * s, h * s, l + x * s, t + y * s }')
    im_convert "$shot" -crop "$geometry" +repage -fill black +opaque "$7" -fill white -opaque "$7" \
        -format '%[fx:round(mean*w*h)]' info:
}

# The lower white area of the card, where the pages differ.
lower_area_has() { # SHOT WINDOW COLOUR MIN
    local count
    count=$(count_colour "$1" "$2" 12 332 720 160 "$3") || return 1
    [ "$count" -ge "$4" ]
}

# wait_for_completion WINDOW COMPLETED_SHOT [PROGRESS_SHOT] [SECONDS]: takes
# screenshots until the completion page shows (its green icon and text) and
# keeps that one as COMPLETED_SHOT; the first one on the way that shows the
# progress page's red chunk is kept as PROGRESS_SHOT.
wait_for_completion() {
    local window=$1 completed=$2 progress=${3:-} deadline=$((SECONDS + ${4:-60}))
    local shot=$completed.tmp.png
    while ((SECONDS < deadline)); do
        screenshot "$shot" 2>/dev/null || return 1
        # The green tick and headline, or the orange warning of an
        # incomplete uninstall.
        if lower_area_has "$shot" "$window" '#02BF0F' 50 || lower_area_has "$shot" "$window" '#FF952C' 50
        then
            mv "$shot" "$completed"
            return 0
        fi
        if [ -n "$progress" ] && [ ! -e "$progress" ] && lower_area_has "$shot" "$window" '#FF0000' 20
        then
            cp "$shot" "$progress"
        fi
        sleep 0.02
    done
    rm -f "$shot"
    return 1
}

# click_completion_button WINDOW: a left click inside the button at the card's
# bottom right (it is right-aligned, 32 high, at least 88 wide).
# With a note of what was left below it the button sits higher: it is found
# by its red in a screenshot, at its usual place when that fails.
click_completion_button() {
    local box left top scale x y shot found bx by bw bh
    box=$(window_box "$1") || return 1
    read -r left top scale <<<"$box"
    x=$(awk -v s="$scale" 'BEGIN { printf "%d", 676 * s }')
    y=$(awk -v s="$scale" 'BEGIN { printf "%d", 452 * s }')
    shot=$(mktemp "${TMPDIR:-/tmp}/button.XXXXXX.png")
    if screenshot "$shot" 2>/dev/null &&
        found=$(im_convert "$shot" -crop "$(awk -v s="$scale" -v l="$left" -v t="$top" \
            'BEGIN { printf "%dx%d+%d+%d", 720 * s, 160 * s, l + 12 * s, t + 332 * s }')" +repage \
            -fill black +opaque '#F23239' -fill white -opaque '#F23239' -trim \
            -format '%X %Y %w %h' info: 2>/dev/null); then
        read -r bx by bw bh <<<"${found//+/}"
        if [ "${bw:-0}" -gt 20 ] && [ "${bh:-0}" -gt 10 ]; then
            x=$(awk -v s="$scale" -v o="$bx" -v w="$bw" 'BEGIN { printf "%d", 12 * s + o + w / 2 }')
            y=$(awk -v s="$scale" -v o="$by" -v h="$bh" 'BEGIN { printf "%d", 332 * s + o + h / 2 }')
        fi
    fi
    rm -f "$shot"
    xdotool mousemove "$(awk -v l="$left" -v x="$x" 'BEGIN { printf "%d", l + x }')" \
        "$(awk -v t="$top" -v y="$y" 'BEGIN { printf "%d", t + y }')" click 1
}

# click_designed WINDOW X Y: a left click at the designed point X,Y of the
# 744 x 504 window, wherever its margin is.
click_designed() {
    local left top scale
    read -r left top scale <<<"$(window_box "$1")" || return 1
    xdotool mousemove "$(awk -v s="$scale" -v l="$left" -v x="$2" 'BEGIN { printf "%d", l + x * s }')" \
        "$(awk -v s="$scale" -v t="$top" -v y="$3" 'BEGIN { printf "%d", t + y * s }')" click 1
}

# main_window PID DIALOG [SECONDS]: the first visible window of PID other
# than DIALOG.
main_window() {
    local pid=$1 dialog=$2 deadline=$((SECONDS + ${3:-30})) id
    while ((SECONDS < deadline)) && kill -0 "$pid" 2>/dev/null; do
        id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$dialog" | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.02
    done
    return 1
}

# accept_confirmation PID DIALOG: presses Return on the confirmation until the
# main window shows and prints its id (tries again if a key went nowhere).
accept_confirmation() {
    local pid=$1 dialog=$2 try window
    for try in 1 2 3 4 5; do
        press_return "$dialog"
        if window=$(main_window "$pid" "$dialog" 3); then
            [ "$try" -eq 1 ] || echo "process $pid: Return pressed $try times" >&2
            echo "$window"
            return 0
        fi
        kill -0 "$pid" 2>/dev/null || return 1
    done
    return 1
}
