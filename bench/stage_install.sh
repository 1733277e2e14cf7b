#!/bin/bash
# Stages an installation of the product for the start-up benchmark, so that
# the uninstaller passes its gates and its first window is the confirmation:
#   stage_install.sh FOLDER BIN [inside]
# stages the product as the real-window tests do (stage_product: a copy of
# BIN beside an AppConfig.xml in FOLDER/app, the install folder, shortcuts and
# uninstall entry) and prints the staged program's path; with "inside", the
# usual layout of an installer, that copy in the install folder instead.
# HOME and XDG_DATA_HOME must point into a scratch folder (the harness's).
set -euo pipefail
folder=$1
bin=$2
: "${HOME:?}" "${XDG_DATA_HOME:?}"

. "$(dirname "$0")/../tests/e2e/window-lib.sh"
mkdir -p "$folder"
stage_product "$folder" "$bin" >/dev/null
if [ "${3:-}" = inside ]; then
    cp -r "$folder/app/." "$folder/programs/$product_name_en/"
    rm -rf "$folder/app"
    echo "$folder/programs/$product_name_en/uninstaller"
else
    echo "$folder/app/uninstaller"
fi
