#!/bin/bash
# Every text the program passes through tr() or a form must have a finished
# translation in each translations/*.ts, in its own context; otherwise the
# user sees the bare key.
#   translations_complete.sh SOURCE_DIR
set -u
source=$1
work=${TMPDIR:-/tmp}/translations-check
mkdir -p "$work"
cd "$source" || exit 1
lupdate -silent -no-obsolete -locations none app config registry engine ui uilib \
    -ts "$work/used.ts" || { echo "lupdate failed"; exit 1; }
python3 - "$work/used.ts" translations/*.ts <<'PY'
import sys
import xml.etree.ElementTree as ET

def messages(path, finished_only):
    found = set()
    for context in ET.parse(path).getroot().iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            translation = message.find('translation')
            # A plural text is finished when each of its forms is.
            forms = [] if translation is None else (
                [form.text for form in translation.iter('numerusform')] or [translation.text])
            done = (translation is not None and all((form or '').strip() for form in forms)
                    and translation.get('type') not in ('unfinished', 'obsolete', 'vanished'))
            if not finished_only or done:
                found.add((name, message.findtext('source')))
    return found

used = messages(sys.argv[1], False)
missing = 0
for path in sys.argv[2:]:
    for context, source in sorted(used - messages(path, True)):
        print(f'{path}: no translation of "{source}" in context "{context}"')
        missing += 1
print(f'{len(used)} texts used, {len(sys.argv) - 2} translation files, {missing} missing')
sys.exit(1 if missing or not used else 0)
PY
