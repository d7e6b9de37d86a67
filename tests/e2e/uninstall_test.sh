#!/usr/bin/env bash
# The uninstall road under Wine: after a silent install of the sample CD, "deinstal.exe"
# answered No changes nothing; answered Yes, with one product file held open by another
# program, it removes the product, its group, its records and its uninstall entry, and its
# batch removes the rest once the file is let go. A silent uninstall of a second install ends
# the same way. An install cancelled in its window while it copies the data file leaves what it
# placed, recorded, with its uninstaller registered; a silent uninstall then removes all of it.
#
# Usage: tests/e2e/uninstall_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Writes build/e2e/uninstall.png (the closing message) and build/e2e/hold_file.exe (built
# here); logs go to build/e2e/logs/uninstall/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

TITLE='Ovri TUNOVAR Deinstallation'

e2e_begin uninstall

# The program that holds a product file open.
HOLDER=$(e2e_tool hold_file) || HOLDER=
e2e_check "the file holder hold_file.exe is built" test -s "$HOLDER"

CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"
e2e_new_prefix uninstall
e2e_map_drive d "$CD"
cp "$HOLDER" "$DRIVE_C/hold_file.exe"
# Something of somebody else's on the same drive, which the uninstall must not touch.
mkdir -p "$DRIVE_C/Other"
printf 'not the product\r\n' >"$DRIVE_C/Other/keep.txt"

# ---- Helpers ------------------------------------------------------------------------------

# Installs the sample CD silently into DIR (a Windows folder, e.g. C:\Apps); sets E2E_EXIT.
silent_install() {
  local log=$1 dir=$2
  e2e_start_in "$CD/TUNOVAR/runtime" "$log" 'D:\TUNOVAR\runtime\install.exe' /S "/D=$dir" || return 1
  e2e_wait_exit "$E2E_PID" 120
}

# Starts Windows program PROGRAM with ARGS from C:\, as the system's uninstall list would.
start_from_c() { e2e_start_in "$DRIVE_C" "$@"; }

group_exists() { e2e_group_folder >/dev/null; }

# The visible windows, "id title" a line, sorted.
visible_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    printf '%s %s\n' "$id" "$(xdotool getwindowname "$id" 2>/dev/null)"
  done | sort
}

uninstall_entry_exists() { e2e_query_uninstall_entry "$E2E_LOGS/reg-query.txt"; }

# Everything of the installation that the uninstaller could change, as one listing: the files
# below the host folder ROOT with their sizes, the Windows-folder record, the group, the entry.
installation_state() {
  local root=$1
  (cd "$root" && find . -printf '%p %s\n' | sort)
  cat "$DRIVE_C/windows/ovrituno.inf" 2>&1
  group_exists && echo group || echo "no group"
  uninstall_entry_exists && echo entry || echo "no entry"
}

# Lists what is left below the host folder ROOT, one relative path a line.
left_below() { (cd "$1" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' '); }

# What the batch leaves under Wine below the folder it was installed into. Wine's cmd opens the
# batch file with delete sharing: "del deinst.bat" only marks it, the file stays until cmd lets go
# of it at its end, and so "rd runtime" meets a folder that is not empty yet ("Sharing violation")
# and every "rd" above it fails as well. The file goes when cmd ends; the folders stay.
WINE_LEAVES='TUNOVAR TUNOVAR/TUNOVAR TUNOVAR/TUNOVAR/runtime '

# Waits for the batch of the runtime folder RUNTIME to have run its last line (it deletes
# deinst.pif there first) and to have ended.
wait_batch() {
  local runtime=$1
  e2e_poll 60 test ! -e "$runtime/deinst.pif" || return 1
  e2e_poll 30 eval '[ "$(e2e_count_processes cmd.exe)" = 0 ]'
}

# ---- Install ------------------------------------------------------------------------------
silent_install "$E2E_LOGS/install.log" 'C:\Apps'
e2e_check "the sample CD installs silently into C:\\Apps (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
PRODUCT=$DRIVE_C/Apps/TUNOVAR/TUNOVAR
RUNTIME=$PRODUCT/runtime
UNINSTALLER='C:\Apps\TUNOVAR\TUNOVAR\runtime\deinstal.exe'
e2e_check "the installed uninstaller, its records, the group and the entry are in place" \
  eval 'test -f "$RUNTIME/deinstal.exe" -a -f "$RUNTIME/defile" -a -f "$DRIVE_C/windows/ovrituno.inf" && group_exists && uninstall_entry_exists'
# A new session, as after a restart: the group's explorer window closes.
e2e_end_session

# ---- No: nothing changes ------------------------------------------------------------------
installation_state "$DRIVE_C/Apps" >"$E2E_RUN/state-before"
start_from_c "$E2E_LOGS/no.log" "$UNINSTALLER"
no_run=$E2E_PID
question=$(e2e_wait_window "$TITLE" 60) || question=
e2e_check "deinstal.exe asks \"$TITLE\"" test -n "$question"
[ -n "$question" ] && e2e_check "the question takes the answer No" e2e_answer "$question" n
e2e_wait_exit "$no_run" 60
e2e_check "answered No, it ends with exit code 1 (got $E2E_EXIT)" test "$E2E_EXIT" = 1
installation_state "$DRIVE_C/Apps" >"$E2E_RUN/state-after"
e2e_check "answered No, the files, ovrituno.inf, the group and the entry stay as they were" \
  cmp -s "$E2E_RUN/state-before" "$E2E_RUN/state-after"
e2e_check "answered No, no batch is written" test ! -e "$RUNTIME/deinst.bat"

# ---- Yes, with a product file held open ---------------------------------------------------
HELD_WIN='C:\Apps\TUNOVAR\TUNOVAR\readme.txt'
HELD=$PRODUCT/readme.txt
rm -f "$DRIVE_C/release.flag" "$DRIVE_C/held.txt"
start_from_c "$E2E_LOGS/holder.log" 'C:\hold_file.exe' "$HELD_WIN" 'C:\release.flag' 'C:\held.txt'
holder=$E2E_PID
e2e_check "hold_file.exe holds readme.txt open without sharing" e2e_poll 60 test -s "$DRIVE_C/held.txt"
held_short=$(tr -d '\r\n' <"$DRIVE_C/held.txt" 2>/dev/null)

# Starts the uninstaller with a window (LOG and ARGS as start_from_c takes them), answers its
# question Yes and waits for its closing message: sets run (its pid) and closing (the box).
answer_yes() {
  start_from_c "$@"
  run=$E2E_PID
  local question
  question=$(e2e_wait_window "$TITLE" 60) || question=
  e2e_check "deinstal.exe asks" test -n "$question"
  [ -n "$question" ] && e2e_check "the question takes the answer Yes" e2e_answer "$question" Return
  closing=$(e2e_wait_window "$TITLE" 60 "${question:-none}") || closing=
  e2e_check "answered Yes, it shows its closing message" test -n "$closing"
}

answer_yes "$E2E_LOGS/yes.log" "$UNINSTALLER" '/LOG=C:\held-uninstall.log'
yes_run=$run
e2e_screenshot root uninstall
e2e_check "a screenshot is written to build/e2e/uninstall.png" test -s "$E2E_OUT/uninstall.png"

# The held file stays, and with it what a later uninstall needs.
HELD_LOG=$DRIVE_C/held-uninstall.log
e2e_check "the held readme.txt is still there" test -f "$HELD"
e2e_check "the closing message names the held readme.txt as staying (the log: \"Stays: $HELD_WIN\")" \
  grep -q -i -F "Stays: $HELD_WIN" "$HELD_LOG"
e2e_check "no batch line is written for the held file ($held_short)" \
  eval '! grep "^Batch: " "$HELD_LOG" | grep -q -i "readme"'
e2e_check "the removal list, the Windows-folder record and the entry are said to stay" \
  grep -q -F 'The removal list, the Windows-folder record and the uninstall entry stay for what stays' "$HELD_LOG"
e2e_check "the product's other files are gone" \
  test ! -e "$PRODUCT/tunOVAR.exe" -a ! -e "$PRODUCT/pdata/tunovar.dat" -a ! -e "$PRODUCT/cddb/cddb.dat"
[ -n "$closing" ] && e2e_check "the closing message takes OK" e2e_answer "$closing" Return
e2e_wait_exit "$yes_run" 60
e2e_check "with a held file, deinstal.exe ends with exit code 4 (got $E2E_EXIT)" test "$E2E_EXIT" = 4
e2e_check "the batch runs to its last line" wait_batch "$RUNTIME"
e2e_check "what a later uninstall needs stays: deinstal.exe, defile, insttext, ovrituno.inf and the entry" \
  eval 'test -f "$RUNTIME/deinstal.exe" -a -f "$RUNTIME/defile" -a -f "$RUNTIME/insttext" -a -f "$DRIVE_C/windows/ovrituno.inf" && uninstall_entry_exists'
e2e_check "the held readme.txt is still there after the batch" test -f "$HELD"

touch "$DRIVE_C/release.flag"
e2e_wait_exit "$holder" 60
e2e_check "the holder lets go of readme.txt (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
e2e_end_session

# ---- Run again once the file is let go ----------------------------------------------------
answer_yes "$E2E_LOGS/again.log" "$UNINSTALLER"
again_run=$run

# While the closing message is shown the batch is complete and has not run.
BAT=$RUNTIME/deinst.bat
e2e_check "the once held readme.txt is gone" test ! -e "$HELD"
e2e_check "deinst.bat starts with the seven waiting blocks (28 lines, the first \"echo off\")" \
  test "$(head -n 28 "$BAT" 2>/dev/null | grep -c $'^echo off\r$')" = 7
e2e_check "deinst.bat waits for defile again (block e)" \
  eval 'sed -n 7p "$BAT" | grep -q -i "defile"'
# Wine is of the NT family: the commands are joined by " & ", which runs them in order there.
LAST='del deinst.pif & del deinst.bat & cd .. & rd runtime & cd.. & rd TUNOVAR & cd.. & rd TUNOVAR & cd.. & rd Apps'
ends_with_last_line() { cmp -s <(tail -c $((${#LAST} + 2)) "$BAT" 2>/dev/null) <(printf '\r\n%s' "$LAST"); }
e2e_check "deinst.bat ends with the last line, without line end: $LAST" ends_with_last_line
tail -c "${#LAST}" "$BAT" >"$E2E_RUN/last-line" 2>/dev/null
[ -n "$closing" ] && e2e_check "the closing message takes OK" e2e_answer "$closing" Return
e2e_wait_exit "$again_run" 60
e2e_check "after the closing message deinstal.exe ends with exit code 0 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 0
e2e_check "the batch runs to its last line" \
  eval 'e2e_poll 60 test ! -e "$RUNTIME/deinstal.exe" && e2e_poll 30 eval "[ \"\$(e2e_count_processes cmd.exe)\" = 0 ]"'

left=$(left_below "$DRIVE_C/Apps")
e2e_check "deinstal.exe, defile and deinst.pif are gone" \
  test ! -e "$RUNTIME/deinstal.exe" -a ! -e "$RUNTIME/defile" -a ! -e "$RUNTIME/deinst.pif"
e2e_check "the folders that became empty are gone (pdata, skins, cddb)" \
  test ! -e "$PRODUCT/pdata" -a ! -e "$PRODUCT/skins" -a ! -e "$PRODUCT/cddb"
e2e_check "only the runtime folder and the folders above it are left, empty (left: $left)" \
  test "$left" = "$WINE_LEAVES"
echo "NOTE  under Wine the batch cannot remove its own folder: cmd keeps deinst.bat until its end, so runtime, TUNOVAR, TUNOVAR and Apps stay (empty); deinst.bat goes when cmd ends"

# The last line once more, run by a batch in another folder, which cmd does not hold: its
# commands run in order, from the runtime folder up, and every folder that is empty goes.
printf 'cd /d C:\\Apps\\TUNOVAR\\TUNOVAR\\runtime\r\n' >"$DRIVE_C/chain.bat"
cat "$E2E_RUN/last-line" >>"$DRIVE_C/chain.bat"
start_from_c "$E2E_LOGS/chain.log" "$E2E_CMD" /c 'C:\chain.bat'
e2e_wait_exit "$E2E_PID" 60
e2e_check "the last line, run where no batch holds the runtime folder, removes runtime, TUNOVAR, TUNOVAR and Apps (left: $(left_below "$DRIVE_C/Apps"))" \
  test ! -e "$DRIVE_C/Apps"
e2e_check "C:\\WINDOWS\\ovrituno.inf is gone" test ! -e "$DRIVE_C/windows/ovrituno.inf"
e2e_check "the Start Menu group \"Ovri TUNOVAR\" is gone" eval '! group_exists'
e2e_check "the uninstall entry is gone" eval '! uninstall_entry_exists'
e2e_check "C:\\Other\\keep.txt and the CD are untouched" \
  test -f "$DRIVE_C/Other/keep.txt" -a -f "$CD/TUNOVAR/runtime/install.exe" -a -f "$CD/TUNOVAR/readme.txt"

# ---- A silent uninstall of a second installation ------------------------------------------
e2e_end_session
silent_install "$E2E_LOGS/install2.log" 'C:\Second'
e2e_check "a second install into C:\\Second (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
SECOND=$DRIVE_C/Second/TUNOVAR/TUNOVAR
# A new session, as after a restart: the explorer windows of the group, which Program Manager
# opens some time after its commands were answered, are not taken for the uninstaller's.
e2e_end_session
visible_windows >"$E2E_RUN/windows-before"
start_from_c "$E2E_LOGS/silent.log" 'C:\Second\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S
e2e_wait_exit "$E2E_PID" 60
e2e_check "deinstal.exe /S ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
# The question and the closing message are in the language the installation recorded
# (English here), not in the text file's first section (German).
printf '%s\n' "$TITLE: Do you want to remove TUNOVAR and all of its components from your computer?" \
  "$TITLE: TUNOVAR has been removed from your computer." >"$E2E_RUN/silent.expected"
e2e_check "silently it answers the English question Yes and closes in English (standard error)" \
  cmp -s "$E2E_RUN/silent.expected" <(tr -d '\r' <"$E2E_LOGS/silent.log")
e2e_check "its batch runs to its last line" wait_batch "$SECOND/runtime"
# Nothing asks anything of a silent run: no box of the system (a DOS machine's about a PIF) either.
shown=$(comm -13 "$E2E_RUN/windows-before" <(visible_windows))
e2e_check "it leaves no window on the screen (new: ${shown:-none})" test -z "$shown"
left=$(left_below "$DRIVE_C/Second")
e2e_check "only the runtime folder and the folders above it are left, empty (left: $left)" \
  test "$left" = "$WINE_LEAVES"
e2e_check "ovrituno.inf, the group and the entry are gone" \
  eval 'test ! -e "$DRIVE_C/windows/ovrituno.inf" && ! group_exists && ! uninstall_entry_exists'
e2e_end_session

# ---- A link inside the installation: nothing is deleted through it ------------------------
# A link to somebody else's folder and a tampered removal list that names a file behind it:
# Wine shows a host symbolic link as a plain folder, and the uninstaller finds where it leads.
silent_install "$E2E_LOGS/install-linked.log" 'C:\Linked'
e2e_check "an install into C:\\Linked (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
LINKED=$DRIVE_C/Linked/TUNOVAR/TUNOVAR
ln -s "$DRIVE_C/Other" "$LINKED/link"
# Links as the last name too: to a file and to a folder of somebody else's. Wine's DeleteFileA
# and RemoveDirectoryA act on what such a link leads to.
mkdir -p "$DRIVE_C/Victim/dir"
printf 'victim\r\n' >"$DRIVE_C/Victim/v.ini"
ln -s "$DRIVE_C/Victim/v.ini" "$LINKED/lnkfile"
ln -s "$DRIVE_C/Victim/dir" "$LINKED/lnkdir"
printf 'C:\\Linked\\TUNOVAR\\TUNOVAR\\link\\keep.txt\r\nC:\\Linked\\TUNOVAR\\TUNOVAR\\lnkfile\r\n#C:\\Linked\\TUNOVAR\\TUNOVAR\\lnkdir\\\r\n' \
  >>"$LINKED/runtime/defile"
start_from_c "$E2E_LOGS/linked.log" 'C:\Linked\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S
e2e_wait_exit "$E2E_PID" 60
e2e_check "deinstal.exe /S passes over the entries behind and at the links: exit code 4 (got $E2E_EXIT)" test "$E2E_EXIT" = 4
e2e_check "C:\\Other\\keep.txt, reached through the link, is untouched" test -f "$DRIVE_C/Other/keep.txt"
e2e_check "C:\\Victim\\v.ini and C:\\Victim\\dir, named by links as the last name, are untouched" \
  test -f "$DRIVE_C/Victim/v.ini" -a -d "$DRIVE_C/Victim/dir"
e2e_check "its batch runs to its last line" wait_batch "$LINKED/runtime"
e2e_check "its removal list and uninstall entry stay for what the links lead to" \
  eval 'test -f "$LINKED/runtime/defile" -a -f "$LINKED/runtime/deinstal.exe" && uninstall_entry_exists'
rm -f "$LINKED/link" "$LINKED/lnkfile" "$LINKED/lnkdir"
e2e_end_session
start_from_c "$E2E_LOGS/linked-again.log" 'C:\Linked\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S
e2e_wait_exit "$E2E_PID" 60
e2e_check "once the links are gone, deinstal.exe /S run again ends with exit code 0 (got $E2E_EXIT)" \
  test "$E2E_EXIT" = 0
e2e_check "and nothing of the product is left" \
  eval 'e2e_poll 60 test ! -e "$LINKED/runtime/deinstal.exe" && e2e_poll 30 eval "[ \"\$(e2e_count_processes cmd.exe)\" = 0 ]" && [ "$(left_below "$DRIVE_C/Linked")" = "$WINE_LEAVES" ]'
e2e_end_session

# ---- A target whose name holds "%PATH%": the batch still starts ---------------------------
silent_install "$E2E_LOGS/install3.log" 'C:\Pct%PATH%'
e2e_check "an install into C:\\Pct%PATH% (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
start_from_c "$E2E_LOGS/percent.log" 'C:\Pct%PATH%\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S
e2e_wait_exit "$E2E_PID" 60
e2e_check "its deinstal.exe /S ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
e2e_check "its batch starts in a folder named with %PATH% and runs to its last line" \
  wait_batch "$DRIVE_C/Pct%PATH%/TUNOVAR/TUNOVAR/runtime"
e2e_end_session

# ---- Reported as Windows 98 (a compatibility mode): still the NT family's way --------------
# GetVersion then reports a DOS-based Windows; the batch must still start without a DOS machine
# and join its last line for an interpreter that runs each side of a pipe at the same time.
silent_install "$E2E_LOGS/install4.log" 'C:\Compat'
e2e_check "an install into C:\\Compat (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
e2e_wine_timeout 30 "$E2E_REG" add 'HKCU\Software\Wine\AppDefaults\deinstal.exe' /v Version /t REG_SZ /d win98 /f \
  >"$E2E_LOGS/compat-reg.log" 2>&1
e2e_end_session
visible_windows >"$E2E_RUN/windows-before"
start_from_c "$E2E_LOGS/compat.log" 'C:\Compat\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S '/LOG=C:\compat-uninstall.log'
e2e_wait_exit "$E2E_PID" 60
e2e_check "reported as Windows 98, deinstal.exe /S ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
e2e_check "it starts deinst.bat itself, not through the PIF" \
  eval 'grep -q "Started deinst.bat" "$DRIVE_C/compat-uninstall.log" && ! grep -q "deinst.pif (" "$DRIVE_C/compat-uninstall.log"'
e2e_check "its last line joins the commands with \" & \"" \
  grep -q -F 'Batch: del deinst.pif & del deinst.bat & cd .. & rd runtime' "$DRIVE_C/compat-uninstall.log"
e2e_check "its batch runs to its last line" wait_batch "$DRIVE_C/Compat/TUNOVAR/TUNOVAR/runtime"
shown=$(comm -13 "$E2E_RUN/windows-before" <(visible_windows))
e2e_check "it leaves no window on the screen (new: ${shown:-none})" test -z "$shown"
e2e_end_session

# ---- Cancel while the files are copied, then a silent uninstall ---------------------------
# The window installs into C:\Cancelled; Cancel comes once the journal names the data file,
# which the installer copies in blocks, letting the window's events run between them.
CANCELLED=$DRIVE_C/Cancelled/TUNOVAR/TUNOVAR
JOURNAL=$CANCELLED/runtime/defile.jnl
# The data file made 1 GiB long (zeros after its own bytes, kept sparse on the CD): its copy
# lasts seconds, not the moment 54 MB take, so that Cancel comes while it is copied.
DATA=$CD/TUNOVAR/pdata/tunovar.dat
data_size=$(stat -c %s "$DATA")
truncate -s 1G "$DATA"
e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/cancelled.log" 'D:\TUNOVAR\runtime\install.exe' '/D=C:\Cancelled' || exit 1
cancelled_run=$E2E_PID
e2e_require_window 'Ovri TUNOVAR Setup' 60
setup=$E2E_WINDOW
e2e_click "$setup" 515 581  # Label_Install (6360, 8580, 2745 x 285 twips)
copying_data() { grep -a -q -i -F 'pdata\tunovar.dat' "$JOURNAL" 2>/dev/null; }
e2e_check "the journal names the data file before it is copied" e2e_poll 120 copying_data
e2e_click "$setup" 703 581  # Label_Cancel
e2e_wait_exit "$cancelled_run" 60
truncate -s "$data_size" "$DATA"
e2e_check "Cancel while the data file is copied ends the installer as cancelled (exit code $E2E_EXIT, 6 = cancelled)" \
  test "$E2E_EXIT" = 6
e2e_check "what was placed stays, recorded in the journal alone: no defile, no ovrituno.inf, no temporary file" \
  eval 'test -f "$CANCELLED/runtime/deinstal.exe" -a -f "$JOURNAL" -a ! -e "$CANCELLED/runtime/defile" -a ! -e "$DRIVE_C/windows/ovrituno.inf" && [ -z "$(find "$CANCELLED" -iname "~tv*.tmp")" ]'
e2e_query_uninstall_entry "$E2E_LOGS/cancelled-entry.txt"
e2e_check "the uninstall entry names the uninstaller it placed" \
  grep -q -i -F '"C:\Cancelled\TUNOVAR\tunovar\runtime\deinstal.exe"' "$E2E_LOGS/cancelled-entry.txt"
e2e_end_session
start_from_c "$E2E_LOGS/cancelled-uninstall.log" 'C:\Cancelled\TUNOVAR\TUNOVAR\runtime\deinstal.exe' /S
e2e_wait_exit "$E2E_PID" 60
e2e_check "its deinstal.exe /S ends with exit code 0 (got $E2E_EXIT) and says TUNOVAR is removed" \
  eval '[ "$E2E_EXIT" = 0 ] && grep -q "has been removed" "$E2E_LOGS/cancelled-uninstall.log"'
e2e_check "its batch runs to its last line" wait_batch "$CANCELLED/runtime"
left=$(left_below "$DRIVE_C/Cancelled")
e2e_check "nothing of the product is left: only the runtime folder and the folders above it, empty (left: $left)" \
  test "$left" = "$WINE_LEAVES"
e2e_check "the uninstall entry is gone" eval '! uninstall_entry_exists'
e2e_end_session

e2e_finish
