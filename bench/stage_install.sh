#!/bin/bash
# Stages an installation of the product for the start-up benchmark, so that
# the uninstaller passes its gates and its first window is the confirmation:
#   stage_install.sh FOLDER BIN
# copies the program of BIN (with rcc/ and translations/) into FOLDER/app
# beside an AppConfig.xml, makes a small install folder FOLDER/programs/Ferrovane,
# the shortcuts under HOME and XDG_DATA_HOME and the uninstall entry in the
# registry stand-in, and prints the staged program's path. HOME and
# XDG_DATA_HOME must point into a scratch folder (the harness's).
set -euo pipefail
folder=$1
bin=$2
: "${HOME:?}" "${XDG_DATA_HOME:?}"

guid='{5D2A9E47-0C81-4B36-A7F3-91E6D48B2C05}'
names=(Ferrovane 铁风帆)
app=$folder/app
mkdir -p "$app"
cp -r "$bin/uninstaller" "$bin/rcc" "$bin/translations" "$app/"
cat >"$app/AppConfig.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<AppConfig>
    <GUID>$guid</GUID>
    <SoftwareNameEN>${names[0]}</SoftwareNameEN>
    <SoftwareNameCH>${names[1]}</SoftwareNameCH>
    <ProgramName>Ferrovane.exe</ProgramName>
</AppConfig>
XML

install=$folder/programs/Ferrovane
for sub in bin lib/plugins resources; do
    mkdir -p "$install/$sub"
    for i in $(seq 1 20); do
        echo "file $i" >"$install/$sub/file$i.dat"
    done
done

case "$(uname -m)" in
    x86_64 | ia64) base='SOFTWARE/Wow6432Node/Microsoft/Windows/CurrentVersion/Uninstall' ;;
    *) base='SOFTWARE/Microsoft/Windows/CurrentVersion/Uninstall' ;;
esac
windows=$XDG_DATA_HOME/appinstaller/windows
entry=$windows/HKEY_LOCAL_MACHINE/$base/$guid.ini
mkdir -p "$(dirname "$entry")" "$HOME/Desktop" "$windows/C/Users/Public/Desktop"
printf '[General]\nDisplayName=%s\nInstallLocation=%s\n' "${names[0]}" "$install" >"$entry"
for name in "${names[@]}"; do
    echo shortcut >"$HOME/Desktop/$name.lnk"
    echo shortcut >"$windows/C/Users/Public/Desktop/$name.lnk"
    mkdir -p "$XDG_DATA_HOME/applications/$name"
    echo shortcut >"$XDG_DATA_HOME/applications/$name/$name.lnk"
done
echo "$app/uninstaller"
