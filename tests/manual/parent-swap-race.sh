#!/bin/bash
# Not part of the suite (a race: it hits in about one run of 30-60).
#   tests/harness/run-test.sh --sandbox -- bash "$PWD/tests/manual/parent-swap-race.sh" "$PWD/build" 60
# The parent of the install location flips between the product's folder and
# another folder with a same-named child: the check judges one, the walk
# empties the other. Counts the runs in which the other one lost files.
set -u
B=$1
S=$UNINSTALLER_TEST_SANDBOX/stage
case "$S" in /*/uninstaller-test.*/stage) ;; *) echo "not in sandbox"; exit 9;; esac
GUID='{2B7E4C19-6A3D-4F80-91C5-D8E06B3A7F24}'
export XDG_DATA_HOME=$S/data HOME=$S/home
ENTRYDIR=$S/data/appinstaller/windows/HKEY_LOCAL_MACHINE/SOFTWARE/Wow6432Node/Microsoft/Windows/CurrentVersion/Uninstall
hits=0
for i in $(seq 1 ${2:-40}); do
  rm -rf --one-file-system "$S"; mkdir -p "$S/app" "$S/home" "$ENTRYDIR"
  cp "$B/tests/uninstallrun" "$S/app/"
  echo "<c><GUID>$GUID</GUID><SoftwareNameEN>Ferrovane</SoftwareNameEN><SoftwareNameCH>X</SoftwareNameCH><ProgramName>Ferrovane.exe</ProgramName></c>" > "$S/app/AppConfig.xml"
  printf '[General]\nInstallLocation=%s\n' "$S/apps/Ferrovane" > "$ENTRYDIR/$GUID.ini"
  mkdir -p "$S/real/Ferrovane" "$S/victim/Ferrovane"
  echo x > "$S/real/Ferrovane/Ferrovane.exe"; echo x > "$S/real/Ferrovane/data.dat"
  for f in $(seq 1 20); do echo precious > "$S/victim/Ferrovane/precious$f"; done
  ln -s real "$S/apps"
  ( cd "$S"; while :; do ln -sfn victim apps.t; mv -T apps.t apps; ln -sfn real apps.t; mv -T apps.t apps; done ) &
  racer=$!
  out=$("$S/app/uninstallrun" 2>&1)
  kill $racer; wait $racer 2>/dev/null
  n=$(ls "$S/victim/Ferrovane" 2>/dev/null | wc -l)
  if [ "$n" -lt 20 ]; then hits=$((hits+1)); echo "run $i: victim lost $((20-n)) files; entry now: [$(cat $ENTRYDIR/*.ini 2>/dev/null | tr "\n" " ")]; product client still there: $([ -e $S/real/Ferrovane/Ferrovane.exe ] && echo yes || echo no); record: $(echo "$out" | grep '^left' | tr '\n' ';')"; fi
done
echo "hits=$hits"
