#!/bin/bash
# The built program run quietly (/S) with no display at all, as a deployment
# tool starts it on a server, on a staged installation:
#   full    removes everything, exit 0, the log names every item, appended
#           to an earlier log of the program; a second run finds nothing
#           installed (1605) and appends to the same log
#   client  the client program runs: 1618, nothing touched; without /LOG the
#           log goes to the temporary folder and ends with its own path
#   shared  another product lives in the install folder: 1603, the folder and
#           the entry stay, the log names the other product by its DisplayName
#           and its entry, and says to remove it first; an entry of this
#           product's name under another GUID: its key to delete by hand, and
#           once it is gone the run finishes (0)
#   badlog  a log in a read-only folder, inside the install folder (as written,
#           by "..", through a bind mount), a link, past a link (a folder that
#           leads into another product's, one further up), another program's
#           file, another user's file: 1622 each; a bad switch: 1639; nothing
#           touched; /? prints the usage
#   manifest  an install manifest beside the uninstaller and the user's files
#           in the install folder: 0, only what it lists goes, the rest is logged
#   hostile a manifest with lines that lead outside and a link in place of a
#           listed folder, and one of 50 MB: it cannot be trusted, so nothing
#           of the product goes, 1603, every refused line in the log
#   recorded where the entry records the product: an entry of Windows
#           Installer's is refused (1603, nothing touched); a copy of the
#           uninstaller run among the user's files beside a file named like
#           the client, the entry without InstallLocation (1603, nothing
#           touched); the uninstaller in uninstall/ that the entry names, no
#           InstallLocation: 0, all of the product gone
#   json    /LOGFORMAT=json: every line parses as JSON, with the run's id, its
#           time and a stable event code, from "start" to "exit"; a JSON log
#           is never appended to a text one, nor a text log to a JSON one
#   config  AppConfig.xml missing, not XML, without the client program, with an
#           unusable GUID: 1610 each, nothing touched, the log names the file
#           and the fault (never 1605: a broken package is no "already gone")
#   whatif  /WHATIF: a trial run logs what would go, every line marked and
#           worded as what would be, and touches nothing (the tree, the entry,
#           the registry); its status is the real run's: 0, then 1603 with
#           another product inside
#   switches the switches of Windows Installer (/q, /qn, /qn+, /qb, /qr,
#           /qb-), Inno Setup (bare /LOG, /NORESTARTAPPLICATIONS, /NOCANCEL,
#           /RESTARTEXITCODE=N) and NSIS (_?=DIR) with no display: none waits
#           or aborts, each names its log; an unknown one is 1639, a clicked
#           run with nothing to ask on removes nothing; /q removes
#   courtesy no /LOG and a temporary folder that cannot be written: the run
#           removes all the same and warns on standard error
#   names   file names that hold a line break and a line in the log's own
#           format, an escape character and U+202E: escaped in the text log,
#           every line of the JSON log parses
# On Linux the parent sees the status modulo 256: 0, 69, 82, 67, 103, 86, 74.
#   quiet_run.sh CASE BINDIR     (inside run-test.sh --sandbox)
set -u
here=$(dirname "$0")
. "$here/window-lib.sh"
case_name=$1
bindir=$2
[ -n "${UNINSTALLER_TEST_SANDBOX:-}" ] || { echo "refusing to remove anything outside the sandbox"; exit 1; }
# No display and no platform plugin asked for: the quiet run needs neither.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export LANG=en_US.UTF-8

fail() {
    echo "$case_name: $*"
    for log in "$TMPDIR"/logs/*.log "$TMPDIR"/uninstaller-*.log; do
        [ -f "$log" ] && sed "s|^|$(basename "$log"): |" "$log" | tail -n 30
    done
    exit 1
}

root=$TMPDIR/run
mkdir -p "$root" "$TMPDIR/logs"
mapfile -t product < <(stage_product "$root" "$bindir")
[ ${#product[@]} -eq 8 ] && [ -d "${product[0]}" ] || fail "staging failed"
install=${product[0]}
entry=${product[1]}
program=$root/app/uninstaller

# Every file with its size and time, the whole sandbox but the logs.
snapshot() {
    find "$UNINSTALLER_TEST_SANDBOX" -path "$TMPDIR/logs" -prune -o -name 'uninstaller-*.log' -prune \
        -o \( -type d -printf 'd %p\n' \) -o -printf '%y %p %s %T@\n' | sort
}
untouched() { [ "$before" = "$(snapshot)" ] || fail "$1: touched: $(diff <(echo "$before") <(snapshot) | head -5)"; }
# run EXPECTED ARGS...: the program in the background, as a tool waits for it.
run() {
    local expected=$1 status
    shift
    timeout 120 "$program" "$@" >"$TMPDIR/logs/out" 2>&1
    status=$?
    [ "$status" -eq "$expected" ] || fail "$* ended with $status, expected $expected: $(cat "$TMPDIR/logs/out")"
}
# The first line of every log the program writes.
header='# uninstaller log: UTF-8, each line below begins with its time (UTC)'
# A log begins with that line, once, and each line after it begins with its time.
timed() {
    [ "$(head -n 1 "$1")" = "$header" ] || fail "$1 does not begin with the log's first line"
    [ "$(grep -cxF "$header" "$1")" -eq 1 ] || fail "the first line of $1 is there more than once"
    ! grep -vxF -e 'kept from before' -e "$header" "$1" |
        grep -vqE '^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+Z  ' || fail "a line of $1 has no time"
}

case "$case_name" in
full)
    log=$TMPDIR/logs/uninstall.log
    # An earlier log of the program's: appended to.
    printf '%s\nkept from before\n' "$header" >"$log"
    run 0 /S "/LOG=$log"
    for path in "${product[@]}"; do
        { [ -d "$path" ] || [ -s "$path" ]; } && fail "still there: $path"
    done
    grep -qx 'kept from before' "$log" || fail "the log was overwritten"
    for path in "${product[@]}"; do
        [ "$path" = "$entry" ] && continue
        grep '  removed ' "$log" | grep -qF ": $path" || fail "the log does not name $path as removed"
    done
    grep -q 'removed uninstall entry: HKEY_LOCAL_MACHINE' "$log" || fail "the log does not say the entry went"
    grep -q 'ownership of the install folder: remove' "$log" || fail "no ownership verdict"
    grep -q "install location as recorded: \"$install\"" "$log" || fail "no recorded location"
    grep -q 'client program found: .*Ferrovane.exe' "$log" || fail "no proof of ownership"
    grep -qF '"/S"' "$log" || fail "no command line"
    grep -qE "  host $(hostname), user [^,]+, .*, process [0-9]+\$" "$log" || fail "no host, user and process"
    grep -qE '  program .* for [a-z0-9_]+, built with Qt 5\.' "$log" || fail "no program and architecture"
    # One run, one id on each of its lines.
    [ "$(grep -vxF -e 'kept from before' -e "$header" "$log" | awk '{print $2}' | sort -u | wc -l)" -eq 1 ] ||
        fail "the lines of one run carry more than one run id"
    grep -q '^log: ' "$TMPDIR/logs/out" || fail "the log's path is not on standard error"
    tail -n 1 "$log" | grep -q 'exit status 0: done' || fail "the exit status is not the last line"
    # A second run: nothing is installed any more; "/LOG file" and '-'.
    before=$(snapshot)
    run 69 -QUIET /LOG "$log"
    untouched "second run"
    [ "$(grep -c 'started, quiet run' "$log")" -eq 2 ] || fail "the second run did not append"
    [ "$(grep -vxF -e 'kept from before' -e "$header" "$log" | awk '{print $2}' | sort -u | wc -l)" -eq 2 ] ||
        fail "two runs in one log are not told apart by their ids"
    tail -n 2 "$log" | grep -q 'gate installed: no uninstall entry' || fail "the log does not name the gate"
    tail -n 1 "$log" | grep -q 'exit status 1605' || fail "no exit status 1605"
    timed "$log"
    echo "full: removed, exit 0, every item logged; second run 1605 appended to the same log"
    ;;
client)
    client=$install/bin/Ferrovane.exe
    cp "$(command -v sleep)" "$client"
    "$client" 600 &
    client_pid=$!
    trap 'kill $client_pid 2>/dev/null' EXIT
    # Running as the client once the shell's child has become it.
    for _ in $(seq 100); do
        [[ "$(readlink "/proc/$client_pid/exe" 2>/dev/null)" == */Ferrovane.exe ]] && break
        sleep 0.05
    done
    [[ "$(readlink "/proc/$client_pid/exe")" == */Ferrovane.exe ]] || fail "the client did not start"
    before=$(snapshot)
    run 82 /VERYSILENT
    untouched "client running"
    logs=("$TMPDIR"/uninstaller-*.log)
    [ ${#logs[@]} -eq 1 ] && [ -f "${logs[0]}" ] || fail "no log in the temporary folder"
    grep -q 'gate client program: Ferrovane.exe is running: refused' "${logs[0]}" || fail "the log does not name the gate"
    grep -qE "is running: refused \(process $client_pid, user [^)]+\); close it" "${logs[0]}" ||
        fail "the log does not name the process, its user and what to do"
    tail -n 1 "${logs[0]}" | grep -qF "log: ${logs[0]}" || fail "the log's last line is not its path"
    timed "${logs[0]}"
    echo "client: 1618, nothing touched, the log in the temporary folder names the gate and itself"
    ;;
shared)
    mapfile -t other < <(stage_shared_folder "$root" "$install")
    log=$TMPDIR/logs/shared.log
    run 67 /s "/log=$log"
    [ -d "$install" ] && [ -f "${other[0]}" ] || fail "the shared folder or the other product's file went"
    grep -q InstallLocation "$entry" || fail "the entry was cleared"
    grep -q 'ownership of the install folder: refused: another product' "$log" || fail "no verdict"
    grep -qF "shared with 'Other Game' (its uninstall entry {0C5D7E21-9B44-4F3A-8E61-2A7F5C0D9B13}; InstallLocation: ${other[0]%/saves/*})" "$log" ||
        fail "the log does not name the other product and its entry"
    grep -q 'kept uninstall entry' "$log" || fail "the log does not say the entry stays"
    grep -qF "what to do: remove 'Other Game' first (its uninstall entry {0C5D7E21-9B44-4F3A-8E61-2A7F5C0D9B13}), then run the uninstaller again" "$log" ||
        fail "the log does not say what to do"
    tail -n 1 "$log" | grep -q 'exit status 1603' || fail "no exit status 1603"
    # The other product gone, an entry an earlier installation of this one
    # left under another GUID records the folder: never "remove Ferrovane
    # first" (this program); its key, to delete by hand.
    rm -f "${other[1]}"
    orphan="$(dirname "$entry")/{5B1F0E44-2C8A-4D17-9E3B-7A60D2C4F915}.ini"
    printf '[General]\nDisplayName=%s 1.0\nInstallLocation=%s\n' "$product_name_en" "$install" >"$orphan"
    key="HKEY_LOCAL_MACHINE\\${orphan#*/HKEY_LOCAL_MACHINE/}"
    key=${key%.ini}
    key=${key//\//\\}
    log=$TMPDIR/logs/orphan.log
    run 67 /S "/LOG=$log"
    [ -d "$install" ] && grep -q InstallLocation "$entry" || fail "the folder or the entry went"
    grep -qF "what to do: the uninstall entry $key carries this product's own name ('$product_name_en 1.0')" "$log" ||
        fail "the log does not name the earlier entry's key"
    grep -qF "delete that registry key by hand, then run the uninstaller again" "$log" || fail "the log does not say to delete the key"
    ! grep -qF "remove '$product_name_en" "$log" || fail "the log sends the user to this program"
    rm -f "$orphan"
    run 0 /S "/LOG=$log"
    [ ! -d "$install" ] && ! grep -q InstallLocation "$entry" || fail "the run did not finish once the key was gone"
    echo "shared: 1603, folder and entry kept, the log names the other product and its entry; an earlier installation's entry named by its key, and the run finishes once it is deleted"
    ;;
badlog)
    ro=$TMPDIR/readonly
    mkdir -p "$ro"
    if [ "$(id -u)" = 0 ]; then
        mount --bind "$ro" "$ro" && mount -o remount,bind,ro "$ro" || fail "no read-only folder"
    else
        chmod 555 "$ro"
    fi
    ln -s "$TMPDIR/logs/target.log" "$TMPDIR/logs/link.log"
    # Another product's folder, reached through a link to it and through one
    # further up; a file of another program's named as the log.
    neighbour="$root/other/Other Product"
    mkdir -p "$neighbour" "$root/elsewhere/deeper"
    printf '[Display]\nwidth=1280\nheight=720\n' >"$neighbour/settings.ini"
    ln -s "$neighbour" "$TMPDIR/logs/to-other"
    ln -s "$root/elsewhere" "$TMPDIR/logs/up"
    printf 'notes of the user\n' >"$TMPDIR/notes.txt"
    cp "$neighbour/settings.ini" "$TMPDIR/logs/settings.ini.before"
    cp "$TMPDIR/notes.txt" "$TMPDIR/logs/notes.txt.before"
    # An earlier log, as another user left it where anyone may write.
    printf '%s\nanother user\n' "$header" >"$TMPDIR/logs/others.log" && chown 65534:65534 "$TMPDIR/logs/others.log" ||
        fail "no file of another user's"
    # The install folder under a second path, where mounting is allowed.
    bound=
    mkdir -p "$TMPDIR/bound"
    if mount --bind "$install" "$TMPDIR/bound" 2>/dev/null; then
        bound="$TMPDIR/bound/bin/run.log|inside the install folder"
    else
        echo "badlog: the bind mount row skipped: mounting is not allowed here"
    fi
    before=$(snapshot)
    while IFS='|' read -r log reason; do
        run 86 /S "/LOG=$log"
        untouched "/LOG=$log"
        grep -q "$reason" "$TMPDIR/logs/out" || fail "/LOG=$log: not '$reason': $(cat "$TMPDIR/logs/out")"
    done <<ROWS
$ro/run.log|cannot be written
$install/run.log|inside the install folder
$install/../Ferrovane/bin/run.log|inside the install folder
$TMPDIR/logs/link.log|is a link
$TMPDIR/logs/to-other/settings.ini|lies past the link $TMPDIR/logs/to-other
$TMPDIR/logs/to-other/run.log|lies past the link $TMPDIR/logs/to-other
$TMPDIR/logs/up/deeper/run.log|lies past the link $TMPDIR/logs/up
$TMPDIR/notes.txt|is not a log of this uninstaller
$TMPDIR/logs/others.log|is a file of another user
$TMPDIR/logs|is not a file
${bound:-$TMPDIR/logs|is not a file}
ROWS
    for arguments in "/S /bogus" "/qb /qx" "/S /LOG= " "/S /LOG=a.log /LOG=b.log" "/S /RESTARTEXITCODE=x"; do
        # shellcheck disable=SC2086
        run 103 $arguments
        untouched "$arguments"
        # Refused before anything, and still logged where every run's log goes.
        default=$(sed -n 's/^log: //p' "$TMPDIR/logs/out" | tail -n 1)
        [ -f "$default" ] && grep -q 'exit status 1639' "$default" ||
            fail "$arguments: no log named on standard error, or no status in it"
    done
    [ ! -e "$TMPDIR/logs/target.log" ] || fail "written through a link"
    cmp -s "$neighbour/settings.ini" "$TMPDIR/logs/settings.ini.before" || fail "the other product's settings.ini changed"
    cmp -s "$TMPDIR/notes.txt" "$TMPDIR/logs/notes.txt.before" || fail "the other program's file changed"
    { [ -e "$neighbour/run.log" ] || [ -e "$root/elsewhere/deeper/run.log" ]; } && fail "a log made past a link"
    run 0 /?
    grep -q '/LOG=file' "$TMPDIR/logs/out" && grep -q '/LOGFORMAT=json' "$TMPDIR/logs/out" &&
        grep -q '/RESTARTEXITCODE=N' "$TMPDIR/logs/out" || fail "/? shows no usage, or not every switch"
    untouched "/?"
    [ "$(stat -c %u "$TMPDIR/logs/others.log")" = 65534 ] || fail "another user's log changed hands"
    echo "badlog: read-only, inside the install folder${bound:+ (also through a bind mount)}, a link, past a link, another program's file, another user's, a folder: 1622 each; bad switches: 1639; nothing touched; /? usage"
    ;;
manifest)
    mapfile -t mine < <(stage_manifest "$root/app" "$install")
    [ ${#mine[@]} -eq 2 ] || fail "no manifest staged"
    log=$TMPDIR/logs/manifest.log
    run 0 /S "/LOG=$log"
    for path in "${mine[@]}"; do
        [ -f "$path" ] || fail "the user's file went: $path"
        grep -qF "kept in the install folder: $path: not in the install manifest" "$log" ||
            fail "the log does not name $path as kept"
    done
    for path in "${product[@]:1}"; do
        { [ -d "$path" ] || [ -s "$path" ]; } && fail "still there: $path"
    done
    left=$(cd "$install" && find . -mindepth 1 | sort | tr '\n' ' ')
    [ "$left" = "./My notes.txt ./saves ./saves/slot1.sav " ] || fail "left in the install folder: $left"
    grep -q 'install manifest .*InstallManifest.txt: used' "$log" || fail "the log does not say the manifest was used"
    grep -q 'removed uninstall entry' "$log" || fail "the entry was kept"
    tail -n 1 "$log" | grep -q 'exit status 0: done' || fail "not done"
    timed "$log"
    echo "manifest: exit 0, the listed files and logs/ gone, the user's two files and their folders kept and logged, the entry cleared"
    ;;
hostile)
    # Lines that lead out of the folder or name what no file may hold, and a
    # link the user put where the manifest lists a folder.
    mapfile -t mine < <(stage_manifest "$root/app" "$install")
    mkdir -p "$root/outside/cache" && printf 'keep\n' >"$root/outside/keep.txt" &&
        printf 'keep\n' >"$root/outside/cache/keep.txt" && ln -s "$root/outside/cache" "$install/cache" ||
        fail "no sentinels"
    hostile=('../outside/keep.txt' "$root/outside/keep.txt" 'bin/../../outside/keep.txt'
        'C:\Windows\win.ini' '\\server\share\x' 'bin/*.dat' 'CON' 'a:b')
    printf '%s\n' 'cache/' "${hostile[@]}" >>"$root/app/InstallManifest.txt"
    log=$TMPDIR/logs/hostile.log
    run 67 /S "/LOG=$log"
    [ -f "$root/outside/keep.txt" ] && [ -f "$root/outside/cache/keep.txt" ] || fail "removed outside the install folder"
    [ -L "$install/cache" ] || fail "the link went"
    for path in "${mine[@]}"; do [ -f "$path" ] || fail "the user's file went: $path"; done
    # Used whole or not at all: nothing of the product goes, nor its shortcuts.
    for path in "${product[@]}"; do [ -e "$path" ] || fail "removed with an untrusted manifest: $path"; done
    [ "$(grep -c 'install manifest .*: line [0-9]* refused' "$log")" -eq ${#hostile[@]} ] ||
        fail "not every hostile line is in the log"
    grep -q 'kept uninstall entry' "$log" || fail "the entry went"
    tail -n 1 "$log" | grep -q 'exit status 1603' || fail "not incomplete"
    # Too large to read: it cannot be trusted either.
    root=$TMPDIR/run2
    mkdir -p "$root"
    mapfile -t product < <(stage_product "$root" "$bindir")
    install=${product[0]}
    program=$root/app/uninstaller
    stage_manifest "$root/app" "$install" >/dev/null || fail "no manifest staged"
    truncate -s 50M "$root/app/InstallManifest.txt"
    log=$TMPDIR/logs/large.log
    run 67 /S "/LOG=$log"
    for path in "${product[@]}"; do [ -e "$path" ] || fail "removed with a 50 MB manifest: $path"; done
    grep -q 'install manifest .*: cannot be trusted: larger than' "$log" || fail "the log does not say the manifest cannot be trusted"
    echo "hostile: ${#hostile[@]} lines refused and logged, nothing of the product or outside touched, 1603; a 50 MB manifest the same"
    ;;
json)
    log=$TMPDIR/logs/run.json
    run 0 /S "/LOG=$log" /LOGFORMAT=json
    python3 - "$log" "$install" <<'PY' || fail "the JSON log is not what it should be: $(head -c 2000 "$log")"
import json, sys
lines = open(sys.argv[1], encoding="utf-8").read().splitlines()
events = [json.loads(line) for line in lines]
assert events[0] == {"log": "uninstaller", "format": "json-lines", "version": 1}, events[0]
body = events[1:]
assert all({"time", "run", "event"} <= set(e) for e in body)
assert len({e["run"] for e in body}) == 1
codes = [e["event"] for e in body]
assert codes[0] == "start" and codes[-1] == "exit", codes
start = body[0]
assert start["host"] and start["process"] > 0 and "/S" in start["commandLine"], start
gates = {e["gate"]: e["result"] for e in body if e["event"] == "gate"}
assert gates["configuration"] == "passed" and gates["client-program"] == "passed", gates
verdict = next(e for e in body if e["event"] == "verdict")
assert verdict["verdict"] == "remove" and any("at the top" in g for g in verdict["grounds"]), verdict
assert any(e["event"] == "removed" and e["item"] == "install-folder" and e["path"] == sys.argv[2]
           for e in body), codes
assert body[-1]["status"] == 0, body[-1]
PY
    # One format to a file: neither is appended to the other.
    printf '%s\n' "$header" >"$TMPDIR/logs/text.log"
    before=$(snapshot)
    run 86 /S "/LOG=$TMPDIR/logs/text.log" /LOGFORMAT=json
    untouched "a JSON log onto a text one"
    run 86 /S "/LOG=$log"
    untouched "a text log onto a JSON one"
    run 103 /S /LOGFORMAT=xml
    echo "json: every line JSON, from start to exit, one run id; the formats never mixed in one file"
    ;;
config)
    config=$root/app/AppConfig.xml
    good=$(cat "$config")
    for fault in "missing|missing" "not XML|not XML" "no client program|no client program" \
        "a GUID that names|a GUID that is not in braces (\"../x\"" \
        "no braces|a GUID that is not in braces (\"8E4B" "two GUIDs|more than one GUID (2 <GUID>" \
        "a component's GUID only|no GUID (no <GUID> directly under the root"; do
        name=${fault%%|*}
        case $name in
        missing) rm -f "$config" ;;
        "not XML") printf 'GUID=broken\n' >"$config" ;;
        "no client program") printf '%s\n' "$good" | sed 's|<ProgramName>.*</ProgramName>||' >"$config" ;;
        "no braces") printf '%s\n' "$good" | sed 's|<GUID>{\([^}<]*\)}</GUID>|<GUID>\1</GUID>|' >"$config" ;;
        "two GUIDs") printf '%s\n' "$good" | sed 's|\(<GUID>[^<]*</GUID>\)|\1\1|' >"$config" ;;
        "a component's GUID only") printf '%s\n' "$good" |
            sed 's|\(<GUID>[^<]*</GUID>\)|<Components><Component>\1</Component></Components>|' >"$config" ;;
        *) printf '%s\n' "$good" | sed 's|<GUID>[^<]*</GUID>|<GUID>../x</GUID>|' >"$config" ;;
        esac
        before=$(snapshot)
        log=$TMPDIR/logs/config.log
        rm -f "$log"
        run 74 /S "/LOG=$log"
        untouched "configuration $name"
        grep -qF "gate configuration: $config: ${fault#*|}" "$log" || fail "the log does not name the fault: $name"
        tail -n 1 "$log" | grep -q 'exit status 1610' || fail "no exit status 1610: $name"
        printf '%s\n' "$good" >"$config"
    done
    # The GUID in lower case among no-break spaces and line breaks: the
    # product's own, found as Windows finds its entry; the trial run passes.
    printf '%s\n' "$good" | sed 's|<GUID>\([^<]*\)</GUID>|<GUID>\xc2\xa0\n\L\1\E\xc2\xa0</GUID>|' >"$config"
    grep -q '{[0-9a-f-]*[a-f][0-9a-f-]*}' "$config" || fail "the GUID was not rewritten"
    before=$(snapshot)
    run 0 /S /WHATIF "/LOG=$TMPDIR/logs/lower.log"
    untouched "a trial run"
    grep -qF 'gate installed: uninstall entry found: passed' "$TMPDIR/logs/lower.log" || fail "the entry was not found by a GUID in lower case"
    printf '%s\n' "$good" >"$config"
    echo "config: missing, not XML, no client program, an unusable GUID (no braces, two, a component's only): 1610 each, nothing touched, the fault logged; one in lower case among blanks is the product's"
    ;;
recorded)
    guid=$(sed -n 's|.*<GUID>\(.*\)</GUID>.*|\1|p' "$root/app/AppConfig.xml")
    cp "$entry" "$TMPDIR/entry.ini"
    printf 'WindowsInstaller=1\nUninstallString=MsiExec.exe /X%s\n' "$guid" >>"$entry"
    before=$(snapshot)
    run 67 /S "/LOG=$TMPDIR/logs/msi.log"
    untouched "Windows Installer's entry"
    grep -qF "remove it with msiexec /x $guid" "$TMPDIR/logs/msi.log" || fail "the log does not say how to remove it"
    # Nothing was tried: the log ends with the refusal, not a removal's failure.
    tail -n 1 "$TMPDIR/logs/msi.log" | grep -qF "exit status 1603: refused: the product is Windows Installer's" ||
        fail "the log does not end with the refusal: $(tail -n 1 "$TMPDIR/logs/msi.log")"
    # No InstallLocation; a copy of the uninstaller among the user's files,
    # beside a file named like the client. The entry names the one in app/.
    support=$root/home/Downloads/ferrovane-support
    mkdir -p "$support" && cp -r "$root/app/." "$support/" && printf 'photo\n' >"$support/photo.jpg" &&
        printf 'x\n' >"$support/Ferrovane.exe" || fail "no copy staged"
    printf '[General]\nDisplayName=Ferrovane\nUninstallString="\\"%s\\" /S"\n' "$root/app/uninstaller" >"$entry"
    program=$support/uninstaller
    before=$(snapshot)
    run 67 /S "/LOG=$TMPDIR/logs/copy.log"
    untouched "a copy among the user's files"
    grep -q 'looks like the product' "$TMPDIR/logs/copy.log" || fail "the folder that looks like the product's is not named"
    # The uninstaller in the product's uninstall/ folder, named by the entry.
    mkdir -p "$install/uninstall" && cp -r "$root/app/." "$install/uninstall/" || fail "no uninstaller staged"
    printf '[General]\nDisplayName=Ferrovane\nUninstallString="\\"%s\\" /S"\n' "$install/uninstall/uninstaller" >"$entry"
    program=$install/uninstall/uninstaller
    run 0 /S "/LOG=$TMPDIR/logs/layout.log"
    for path in "${product[@]}"; do
        { [ -d "$path" ] || [ -s "$path" ]; } && fail "still there: $path"
    done
    grep -q 'the folder above this uninstaller' "$TMPDIR/logs/layout.log" || fail "the log does not say where the folder came from"
    [ -f "$support/photo.jpg" ] && [ -f "$support/Ferrovane.exe" ] || fail "the user's files went"
    echo "recorded: Windows Installer's entry refused; a copy among the user's files removed nothing; the uninstall/ layout removed whole"
    ;;
whatif)
    log=$TMPDIR/logs/whatif.log
    before=$(snapshot)
    run 0 /S /WHATIF "/LOG=$log"
    untouched "a trial run"
    for path in "${product[@]}"; do
        [ "$path" = "$entry" ] && continue
        grep '  trial: would remove ' "$log" | grep -qF ": $path" || fail "the trial run does not name $path"
    done
    grep -q '  trial: would remove uninstall entry: HKEY_LOCAL_MACHINE' "$log" || fail "the entry is not named"
    # Never in the past tense: a search for what runs removed finds no trial.
    grep -qE '  trial: (removed|kept|scheduled) ' "$log" && fail "a trial line says it was done"
    grep -q 'started, quiet trial run' "$log" || fail "the log does not say it is a trial run"
    grep -vxF "$header" "$log" | grep -qv '  trial: ' && fail "a line of the trial run's log does not say so"
    grep -q '^trial run: nothing was removed' "$TMPDIR/logs/out" || fail "nothing on standard error says it"
    # JSON: each event marked.
    run 0 /S /WHATIF "/LOG=$TMPDIR/logs/whatif.json" /LOGFORMAT=json
    untouched "a trial run, a JSON log"
    python3 - "$TMPDIR/logs/whatif.json" <<'PY' || fail "the JSON trial log does not mark its events"
import json, sys
events = [e for e in map(json.loads, open(sys.argv[1], encoding="utf-8")) if "event" in e]
assert all(event.get("trial") is True for event in events), events
assert any(event["event"] == "removed" for event in events)
assert events[-1]["event"] == "exit" and events[-1]["status"] == 0
PY
    # Another product inside: the trial's status is the real run's, 1603.
    mapfile -t other < <(stage_shared_folder "$root" "$install")
    before=$(snapshot)
    run 67 /S /WHATIF "/LOG=$TMPDIR/logs/whatif-shared.log"
    untouched "a trial run, another product inside"
    grep -q '  trial: would keep uninstall entry' "$TMPDIR/logs/whatif-shared.log" || fail "the trial does not keep the entry"
    grep -q 'removed uninstall entry\|kept uninstall entry' "$TMPDIR/logs/whatif-shared.log" &&
        fail "a search for what runs did finds the trial run"
    run 67 /S "/LOG=$TMPDIR/logs/shared.log"
    echo "whatif: a trial run named what would go, touched nothing, and gave the real run's status (0, 1603)"
    ;;
switches)
    # Each a trial: what it would do, and that it names its log.
    while IFS='|' read -r arguments status words; do
        before=$(snapshot)
        # shellcheck disable=SC2086
        run "$status" $arguments
        untouched "$arguments"
        default=$(sed -n 's/^log: //p' "$TMPDIR/logs/out")
        [ -f "$default" ] || fail "$arguments: no log named on standard error: $(cat "$TMPDIR/logs/out")"
        grep -qF "$words" "$default" || fail "$arguments: the log does not say '$words'"
        grep -qxF "$(grep -o 'exit status .*' "$default")" "$TMPDIR/logs/out" ||
            fail "$arguments: the status is not on standard error: $(cat "$TMPDIR/logs/out")"
    done <<'ROWS'
/q /WHATIF|0|started, quiet trial run
/QN+ /WHATIF|0|started, quiet trial run
-qb /WHATIF|0|no display: the passive run goes on as a quiet one
/qr /WHATIF /NOCANCEL|0|started, passive trial run
/qb- /WHATIF /NORESTARTAPPLICATIONS /RESTARTEXITCODE=7|0|exit status 0: done
/VERYSILENT /WHATIF /LOG|0|started, quiet trial run
/S /WHATIF _?=C:\Program Files\Ferrovane|0|_?=C:\Program Files\Ferrovane: not used
/qb /bogus|103|command line refused: Unknown argument: /bogus
/bogus|103|command line refused: Unknown argument: /bogus
|255|no display: the question cannot be asked
ROWS
    # A clicked run that cannot ask still says what stops it.
    config=$root/app/AppConfig.xml
    good=$(cat "$config")
    printf 'GUID=broken\n' >"$config"
    before=$(snapshot)
    run 255
    untouched "a clicked run, AppConfig.xml broken"
    grep -qF "$config is not an XML file" "$TMPDIR/logs/out" || fail "the fault is not on standard error: $(cat "$TMPDIR/logs/out")"
    printf '%s\n' "$good" >"$config"
    log=$TMPDIR/logs/q.log
    run 0 /q "/LOG=$log"
    for path in "${product[@]}"; do
        { [ -d "$path" ] || [ -s "$path" ]; } && fail "still there: $path"
    done
    tail -n 1 "$log" | grep -q 'exit status 0: done' || fail "/q did not end done"
    echo "switches: Windows Installer's, Inno Setup's and NSIS's switches with no display, each logged; unknown ones 1639; /q removed everything"
    ;;
courtesy)
    # Not there at all, then there and read-only: no log can be made.
    for temp in "$TMPDIR/gone" /var/tmp; do
        before=$(snapshot)
        TMPDIR=$temp timeout 120 "$program" /S /WHATIF >"$TMPDIR/logs/out" 2>&1 ||
            fail "a trial with the temporary folder $temp ended with $?: $(cat "$TMPDIR/logs/out")"
        untouched "a trial with the temporary folder $temp"
        grep -qE 'The log (/|in the temporary folder).* cannot be written: no log can be made there' "$TMPDIR/logs/out" ||
            fail "no warning on standard error: $(cat "$TMPDIR/logs/out")"
        grep -q '^log: ' "$TMPDIR/logs/out" && fail "a log named that is not there"
    done
    TMPDIR=/var/tmp timeout 120 "$program" /S >"$TMPDIR/logs/out" 2>&1 || fail "/S ended with $?: $(cat "$TMPDIR/logs/out")"
    for path in "${product[@]}"; do
        { [ -d "$path" ] || [ -s "$path" ]; } && fail "still there: $path"
    done
    echo "courtesy: no log can be written: a warning on standard error, and the product removed all the same"
    ;;
names)
    mapfile -t mine < <(stage_manifest "$root/app" "$install")
    forged="2026-01-01T00:00:00.000Z  run-00000000  exit status 0: done"
    for name in $'notes\n'"$forged" $'colour \e[31mred' $'photo \u202egpj.exe' $'tab\there'; do
        printf 'mine\n' >"$install/$name" || fail "no file named $name"
    done
    before=$(snapshot)
    run 0 /S /WHATIF "/LOG=$TMPDIR/logs/names.json" /LOGFORMAT=json
    untouched "a trial run"
    python3 - "$TMPDIR/logs/names.json" <<'PY' || fail "the JSON log does not parse or lost a name: $(head -c 2000 "$TMPDIR/logs/names.json")"
import json, sys
raw = open(sys.argv[1], "rb").read()
events = [json.loads(line) for line in raw.decode("utf-8", "strict").split("\n") if line]
paths = [e.get("path", "") for e in events]
for part in ("exit status 0: done", "\x1b[31m", "\u202egpj", "tab\there"):
    assert any(part in p for p in paths), part
PY
    log=$TMPDIR/logs/names.log
    run 0 /S "/LOG=$log"
    timed "$log"
    [ "$(grep -cE '^\S+  run-\S+  exit status' "$log")" -eq 1 ] || fail "a name wrote a line of its own"
    grep -qF 'notes\n2026-01-01T00:00:00.000Z  run-00000000  exit status 0: done' "$log" || fail "the line break is not escaped"
    grep -qF 'colour \x1b[31mred' "$log" || fail "the escape character is not escaped"
    grep -qF 'photo \u202egpj.exe' "$log" || fail "U+202E is not escaped"
    grep -qF 'tab\there' "$log" || fail "the tab is not escaped"
    LC_ALL=C grep -q $'\e' "$log" && fail "a raw escape character in the log"
    grep -q $'\u202e' "$log" && fail "a raw U+202E in the log"
    echo "names: line breaks, escape characters and U+202E in names escaped in the text log; the JSON log parses and keeps them"
    ;;
*) fail "unknown case" ;;
esac
