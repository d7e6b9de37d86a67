#!/usr/bin/env bash
# scripts/check-layering on a copy of src/: the copy as it is passes, and each back-edge
# planted in it (one at a time) fails the check and is named.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
cp -r "$root/src" "$work/clean"
if ! "$root/scripts/check-layering" "$work/clean" >"$work/clean.out" 2>&1; then
  echo "FAIL  the tree as it is breaks the layers:"; cat "$work/clean.out"
  failures=$((failures + 1))
fi

# file to plant in | the include planted
while IFS='|' read -r file include; do
  [ -n "$file" ] || continue
  rm -rf "$work/planted"
  cp -r "$root/src" "$work/planted"
  printf '#include "%s"\n' "$include" >>"$work/planted/$file"
  if "$root/scripts/check-layering" "$work/planted" >"$work/planted.out" 2>&1; then
    echo "FAIL  $file including \"$include\" passes the check"
    failures=$((failures + 1))
  elif ! grep -q -F "$file" "$work/planted.out"; then
    echo "FAIL  $file including \"$include\" fails the check without naming the file"
    failures=$((failures + 1))
  else
    echo "PASS  $file including \"$include\" is refused"
  fi
done <<'ROWS'
install/copying.cpp|uninstall/removal_batch.h
uninstall/uninstallation.cpp|install/records.h
window/image_buttons.cpp|startup/path_list_text.h
startup/startup.cpp|install/copying.h
installer/installer.h|startup/language.h
installer/installer.cpp|window/browse_dialog.h
formats/removal_list.cpp|installer/installer.h
formats/list_file.cpp|install/records.h
base/ansi_text.cpp|formats/text_file.h
platform/clock.h|installer/installer.h
platform/posix/clock_posix.cpp|installer/installer.h
ROWS

[ "$failures" -eq 0 ] && echo "check-layering refuses every planted back-edge"
exit $((failures != 0))
