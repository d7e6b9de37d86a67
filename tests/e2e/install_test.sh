#!/usr/bin/env bash
# A silent install of the sample CD under Wine: the files, both records, the Start Menu group,
# the uninstall entry and the log; a CD that needs more space than the drive has, which ends
# with exit code 2 and installs nothing; and a target below a file (C:\windows\win.ini), which
# ends with exit code 4 before anything is recorded.
#
# Usage: tests/e2e/install_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Writes build/e2e/install.png (the screen after the install: the group's explorer window);
# logs go to build/e2e/logs/install/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

DATA_BYTES=54074153

e2e_begin install
CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"
e2e_check "the sample CD is staged with its ${DATA_BYTES}-byte data file" \
  test "$(stat -c %s "$CD/TUNOVAR/pdata/tunovar.dat" 2>/dev/null)" = "$DATA_BYTES"

# A second CD, only its runtime folder, whose texts ask for more megabytes than any drive has.
BIG=$E2E_RUN/bigcd
mkdir -p "$BIG/TUNOVAR"
cp -a "$CD/TUNOVAR/runtime" "$BIG/TUNOVAR/"
# Slot 13, the megabytes required, is the line "60" of every language.
sed -i 's/^60\r$/99999999\r/' "$BIG/TUNOVAR/runtime/insttext"
e2e_check "the second CD's texts require 99999999 MB in each of the three languages" \
  test "$(grep -c $'^99999999\r$' "$BIG/TUNOVAR/runtime/insttext")" = 3

e2e_new_prefix install
e2e_map_drive d "$CD"
e2e_map_drive e "$BIG"
APPS=$DRIVE_C/Apps
PRODUCT=$APPS/TUNOVAR/TUNOVAR

# Runs a silent install from the runtime folder of CD (a host folder) as Windows program PROGRAM
# with ARGS; sets E2E_EXIT.
silent_install() {
  local log=$1 cd=$2 program=$3; shift 3
  e2e_start_in "$cd/TUNOVAR/runtime" "$log" "$program" "$@" || return 1
  e2e_wait_exit "$E2E_PID" 120
}

# ---- Not enough space: exit code 2, nothing installed ------------------------------------
silent_install "$E2E_LOGS/nospace.log" "$BIG" 'E:\TUNOVAR\runtime\install.exe' \
  /S '/LOG=C:\nospace.log' '/D=C:\Apps'
e2e_check "a silent install that needs 99999999 MB ends with exit code 2 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 2
e2e_check "it says there is not enough free space" \
  grep -q 'There is not enough free space on the target drive' "$E2E_LOGS/nospace.log"
e2e_check "it creates no target folder" test ! -e "$APPS"
e2e_check "it writes no ovrituno.inf" test ! -e "$DRIVE_C/windows/ovrituno.inf"
e2e_check "it creates no Start Menu group" eval '! e2e_group_folder >/dev/null'
e2e_check "it writes no uninstall entry" eval '! e2e_query_uninstall_entry "$E2E_LOGS/nospace-reg.txt"'

# ---- A target folder that cannot be created: exit code 4, nothing recorded ---------------
e2e_check "the prefix has the file C:\\windows\\win.ini" test -f "$DRIVE_C/windows/win.ini"
silent_install "$E2E_LOGS/targetfile.log" "$CD" 'D:\TUNOVAR\runtime\install.exe' \
  /S '/LOG=C:\targetfile.log' '/D=C:\windows\win.ini'
e2e_check "a silent install into C:\\windows\\win.ini ends with exit code 4 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 4
e2e_check "it says the target folder could not be created" \
  grep -q -F 'Error: The target folder C:\windows\win.ini\TUNOVAR\ could not be created.' "$E2E_LOGS/targetfile.log"
e2e_check "it does not say the installation succeeded" \
  eval '! grep -q "installed successfully" "$E2E_LOGS/targetfile.log"'
e2e_check "it writes no ovrituno.inf" test ! -e "$DRIVE_C/windows/ovrituno.inf"
e2e_check "it creates no Start Menu group" eval '! e2e_group_folder >/dev/null'
e2e_check "it writes no uninstall entry" eval '! e2e_query_uninstall_entry "$E2E_LOGS/targetfile-reg.txt"'
e2e_check "C:\\windows\\win.ini is left as it was" test -f "$DRIVE_C/windows/win.ini"

# ---- A target too long for Windows' paths: exit code 2, nothing created or recorded ------
LONG_TARGET="C:\\$(printf 'L%.0s' $(seq 1 200))\\$(printf 'M%.0s' $(seq 1 36))"  # 240 characters
silent_install "$E2E_LOGS/longtarget.log" "$CD" 'D:\TUNOVAR\runtime\install.exe' /S "/D=$LONG_TARGET"
e2e_check "a silent install into a folder of 240 characters ends with exit code 2 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 2
e2e_check "it says which path Windows could not handle" grep -q 'would need .* characters, and Windows can handle at most' "$E2E_LOGS/longtarget.log"
e2e_check "it creates no folder of the target" test ! -e "$DRIVE_C/$(printf 'L%.0s' $(seq 1 200))"
e2e_check "it writes no ovrituno.inf, group or uninstall entry" \
  eval 'test ! -e "$DRIVE_C/windows/ovrituno.inf" && ! e2e_group_folder >/dev/null && ! e2e_query_uninstall_entry "$E2E_LOGS/longtarget-reg.txt"'

# ---- A target the code page cannot hold: a usage error, nothing installed ----------------
silent_install "$E2E_LOGS/cyrillic.log" "$CD" 'D:\TUNOVAR\runtime\install.exe' /S '/D=C:\Музыка'
e2e_check "a silent install into C:\\Музыка ends as a usage error, exit code 64 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 64
e2e_check "it says Windows-1252 cannot hold the folder" grep -q 'Windows-1252' "$E2E_LOGS/cyrillic.log"
e2e_check "it creates no TUNOVAR folder anywhere on C:" eval '[ -z "$(find "$DRIVE_C" -maxdepth 2 -iname tunovar)" ]'

# ---- The sample CD installs silently -----------------------------------------------------
# /D= takes the rest of the command line, so it comes last.
start=$(date +%s%N)
silent_install "$E2E_LOGS/silent.log" "$CD" 'D:\TUNOVAR\runtime\install.exe' \
  /S '/LOG=C:\install.log' '/D=C:\Apps'
ms=$((($(date +%s%N) - start) / 1000000))
e2e_check "the silent install ends with exit code 0 (got $E2E_EXIT, $ms ms)" \
  test "$E2E_EXIT" = 0
e2e_check "it writes its log C:\\install.log" test -s "$DRIVE_C/install.log"

# The files: the language-neutral ones, the English guide and help file under their installed
# names, the CDDB files (the option is on unless /NOCDDB), and the record beside the uninstaller.
declare -A SOURCE_OF=(
  [TUNOVAR/tunOVAR.exe]=TUNOVAR/tunOVAR.exe
  [TUNOVAR/readme.txt]=TUNOVAR/readme.txt
  [TUNOVAR/texte.txt]=TUNOVAR/1_texte.txt
  [TUNOVAR/tunoDoc.hlp]=TUNOVAR/1_tunodoc.hlp
  [TUNOVAR/skins/standard.skn]=TUNOVAR/skins/standard.skn
  [TUNOVAR/runtime/deinstal.exe]=TUNOVAR/runtime/deinstal.exe
  [TUNOVAR/runtime/insttext]=TUNOVAR/runtime/insttext
  [TUNOVAR/runtime/group]=TUNOVAR/runtime/group
  [TUNOVAR/runtime/deinst.pif]=TUNOVAR/runtime/deinst.pif
  [TUNOVAR/pdata/tunovar.dat]=TUNOVAR/pdata/tunovar.dat
  [TUNOVAR/cddb/cddb.idx]=TUNOVAR/cddb/cddb.idx
  [TUNOVAR/cddb/cddb.dat]=TUNOVAR/cddb/cddb.dat
)
expected_tree=$E2E_RUN/expected-tree
{
  printf '%s\n' TUNOVAR TUNOVAR/runtime TUNOVAR/pdata TUNOVAR/skins TUNOVAR/cddb \
    TUNOVAR/runtime/defile "${!SOURCE_OF[@]}"
} | sort >"$expected_tree"
(cd "$APPS/TUNOVAR" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | sort) >"$E2E_RUN/tree"
e2e_check "C:\\Apps\\TUNOVAR\\ holds exactly the listed folders and files of language 1" \
  e2e_same_file "$expected_tree" "$E2E_RUN/tree"

same_as_source() {
  local installed=$1
  cmp -s "$APPS/TUNOVAR/$installed" "$CD/${SOURCE_OF[$installed]}"
}
wrong=()
for installed in "${!SOURCE_OF[@]}"; do
  [ "$installed" = TUNOVAR/pdata/tunovar.dat ] && continue
  same_as_source "$installed" || wrong+=("$installed")
done
e2e_check "every placed file holds its source's bytes (texte.txt from 1_texte.txt, tunoDoc.hlp from 1_tunodoc.hlp)${wrong:+; differ: ${wrong[*]}}" \
  test "${#wrong[@]}" = 0
e2e_check "the data file holds the source's first $DATA_BYTES bytes" \
  cmp -s -n "$DATA_BYTES" "$PRODUCT/pdata/tunovar.dat" "$CD/TUNOVAR/pdata/tunovar.dat"
e2e_check "the data file is $DATA_BYTES bytes long" \
  test "$(stat -c %s "$PRODUCT/pdata/tunovar.dat" 2>/dev/null)" = "$DATA_BYTES"

# ---- The records ------------------------------------------------------------------------
printf '"C:\\Apps\\TUNOVAR\\tunovar\\"\r\n' >"$E2E_RUN/ovrituno.expected"
e2e_check "C:\\WINDOWS\\ovrituno.inf is the one quoted line \"C:\\Apps\\TUNOVAR\\tunovar\\\" with CR LF" \
  cmp -s "$E2E_RUN/ovrituno.expected" "$DRIVE_C/windows/ovrituno.inf"

e2e_expected_defile 1 'C:\Apps\TUNOVAR\' cddb >"$E2E_RUN/defile.expected"
e2e_check "defile is byte for byte the language line, tunodoc.gid, burn.lst, the entries last first and the \"#\" folders" \
  e2e_same_file "$E2E_RUN/defile.expected" "$PRODUCT/runtime/defile"

# ---- The Start Menu group and the uninstall entry ----------------------------------------
group=$(e2e_group_folder) || group=
e2e_check "the Start Menu group \"Ovri TUNOVAR\" exists" test -n "$group"
items=$(e2e_group_items "$group")
e2e_check "it holds the English items TUNOVAR, Read me and Introduction - CD (got: $items)" \
  test "$items" = 'Introduction - CD.lnk|Read me.lnk|TUNOVAR.lnk|'
# A shortcut keeps its target's full path in ANSI.
lnk_names() { grep -a -q -i -F "$2" "$1" 2>/dev/null; }
e2e_check "the item TUNOVAR starts C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe" \
  lnk_names "$group/TUNOVAR.lnk" 'C:\Apps\TUNOVAR\TUNOVAR\tunOVAR.exe'
e2e_check "the item Read me opens C:\\Apps\\TUNOVAR\\TUNOVAR\\readme.txt" \
  lnk_names "$group/Read me.lnk" 'C:\Apps\TUNOVAR\TUNOVAR\readme.txt'
# The CD item is sent with the CD's root in front of its path, not the install folder.
e2e_check "the item Introduction - CD is sent as D:\\TUNOVAR\\intro.txt on the CD" \
  grep -q -F 'DDE [AddItem(D:\TUNOVAR\intro.txt, Introduction - CD,,,)]' "$DRIVE_C/install.log"

reg_out=$E2E_LOGS/uninstall-entry.txt
e2e_query_uninstall_entry "$reg_out"
e2e_check "the uninstall entry OvriTUNOVAR is registered" grep -q 'OvriTUNOVAR' "$reg_out"
e2e_check "its display name is \"Ovri TUNOVAR - Deinstallation\"" \
  grep -q 'DisplayName.*Ovri TUNOVAR - Deinstallation' "$reg_out"
e2e_check "its uninstall command starts the installed deinstal.exe" \
  grep -q -i -F '"C:\Apps\TUNOVAR\tunovar\runtime\deinstal.exe"' "$reg_out"
# NAME TYPE VALUE, as reg query prints a value (VALUE an extended regular expression).
reg_value_is() { tr -d '\r' <"$reg_out" | grep -q -E "^[[:space:]]*$1[[:space:]]+$2[[:space:]]+$3\$"; }
e2e_check "its DisplayVersion is the REG_SZ 1.0.0.0" reg_value_is DisplayVersion REG_SZ '1\.0\.0\.0'
# The installed size: the placed files as they lie, in KB rounded up, as reg shows a DWORD.
placed_bytes=0
for installed in "${!SOURCE_OF[@]}"; do
  placed_bytes=$((placed_bytes + $(stat -c %s "$APPS/TUNOVAR/$installed" 2>/dev/null || echo 0)))
done
size_kb=$(printf '0x%x' $(((placed_bytes + 1023) / 1024)))
e2e_check "its EstimatedSize is the REG_DWORD $size_kb, the $placed_bytes bytes placed in KB" \
  reg_value_is EstimatedSize REG_DWORD "$size_kb"

e2e_screenshot root install
e2e_check "a screenshot is written to build/e2e/install.png" test -s "$E2E_OUT/install.png"
# The group's explorer window stays open: end the session.
e2e_end_session

e2e_finish
