#!/usr/bin/env bash
# The program group where Program Manager does not answer. Wine's explorer is the desktop of
# every session and serves "ProgMan" (disabled, no program can make a window; stopped, every
# program that starts waits on it), so a Program Manager of the test's own, stalled_progman.exe,
# takes up the conversations in its place and never answers a command. A silent install then
# sends one command, and after its time limit none more, and makes the group as shell links in
# a Start Menu Programs folder with the items' targets; the uninstall, with the same Program
# Manager, removes them and the folder. A second install's links are removed by an uninstall
# that Wine's Program Manager answers, and a file of the user's in the group's folder stays
# with its folder.
#
# Usage: tests/e2e/link_group_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Builds build/e2e/LANE/stalled_progman.exe; logs go to build/e2e/LANE/logs/link_group/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

e2e_begin link_group
STALLED=$(e2e_tool stalled_progman) || STALLED=
e2e_check "the stalled Program Manager stalled_progman.exe is built" test -s "$STALLED"
CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"
e2e_new_prefix link_group
e2e_map_drive d "$CD"
cp "$STALLED" "$DRIVE_C/stalled_progman.exe" 2>/dev/null

# Starts the stalled Program Manager in the session; it writes the commands it gets to
# C:\commands.txt. Fails when it does not come up.
start_stalled() {
  rm -f "$DRIVE_C/stalled.ready" "$DRIVE_C/commands.txt"
  e2e_start_in "$DRIVE_C" "$E2E_LOGS/stalled.out" 'C:\stalled_progman.exe' 'C:\stalled.ready' 'C:\commands.txt'
  e2e_poll 60 test -e "$DRIVE_C/stalled.ready"
}

# The commands the stalled Program Manager got, one a line.
commands_got() { tr -d '\r' <"$DRIVE_C/commands.txt" 2>/dev/null; }

# Installs the sample CD silently into DIR, logging to the Windows file LOG; sets E2E_EXIT.
silent_install() {
  local out=$1 dir=$2 log=$3
  e2e_start_in "$CD/TUNOVAR/runtime" "$out" 'D:\TUNOVAR\runtime\install.exe' /S "/LOG=$log" "/D=$dir" || return 1
  e2e_wait_exit "$E2E_PID" 120
}

# Uninstalls silently with the installed deinstal.exe of DIR, logging to LOG; sets E2E_EXIT.
silent_uninstall() {
  local out=$1 dir=$2 log=$3
  e2e_start_in "$DRIVE_C" "$out" "$dir\\TUNOVAR\\TUNOVAR\\runtime\\deinstal.exe" /S "/LOG=$log" || return 1
  e2e_wait_exit "$E2E_PID" 120
}

# The host folder of a Windows folder on drive C: ("C:\A\B\" -> $DRIVE_C/A/B).
host_folder() {
  local path=${1#[Cc]:\\}
  path=${path%\\}
  printf '%s/%s\n' "$DRIVE_C" "${path//\\//}"
}

# The Windows folder the install log LOG names for the links; nothing when it names none.
links_folder_of() {
  sed -n 's/^.*The program group is made as shell links in \(.*\)\r\{0,1\}$/\1/p' "$1" | tr -d '\r' | head -1
}

# The Programs folders of the prefix, the machine's and the user's.
PROGRAMS_MACHINE=$DRIVE_C/ProgramData/Microsoft/Windows/Start\ Menu/Programs
is_programs_folder() {
  local parent=${1%/*} user
  [ "$parent" = "$PROGRAMS_MACHINE" ] && return 0
  for user in "$DRIVE_C"/users/*/"$E2E_START_MENU_PROGRAMS"; do
    [ "$parent" = "$user" ] && return 0
  done
  return 1
}

# A shortcut keeps its target's full path in ANSI.
lnk_names() { grep -a -q -i -F "$2" "$1" 2>/dev/null; }
group_items() { e2e_group_items "$1" 2>/dev/null; }

# ---- Installed while Program Manager does not answer --------------------------------------
e2e_check "the stalled Program Manager comes up" start_stalled
silent_install "$E2E_LOGS/install.out" 'C:\Apps' 'C:\install.log'
e2e_check "the silent install ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
cp "$DRIVE_C/install.log" "$E2E_LOGS/install.log" 2>/dev/null
e2e_check "CreateGroup reaches it and is not answered in time" \
  grep -q -F 'DDE [CreateGroup(Ovri TUNOVAR,C:\WINDOWS\TUNOVAR.GRP)]: timed out' "$DRIVE_C/install.log"
e2e_check "no command is sent after it: it got CreateGroup alone (got: $(commands_got | tr '\n' ' '))" \
  test "$(commands_got)" = '[CreateGroup(Ovri TUNOVAR,C:\WINDOWS\TUNOVAR.GRP)]'
e2e_check "ShowGroup is noted as not sent" \
  grep -q -F 'DDE [ShowGroup(Ovri TUNOVAR,1)]: not sent, Program Manager does not answer' "$DRIVE_C/install.log"
folder_win=$(links_folder_of "$DRIVE_C/install.log")
e2e_check "the log names the links' folder (${folder_win:-none})" test -n "$folder_win"
folder=$(host_folder "$folder_win")
e2e_check "it is the group \"Ovri TUNOVAR\" in a Start Menu Programs folder" \
  eval 'test "${folder##*/}" = "Ovri TUNOVAR" && is_programs_folder "$folder"'
items=$(group_items "$folder")
e2e_check "it holds the English items as links (got: $items)" \
  test "$items" = 'Introduction - CD.lnk|Read me.lnk|TUNOVAR.lnk|'
e2e_check "the link TUNOVAR starts C:\\Apps\\TUNOVAR\\TUNOVAR\\tunOVAR.exe" \
  lnk_names "$folder/TUNOVAR.lnk" 'C:\Apps\TUNOVAR\TUNOVAR\tunOVAR.exe'
e2e_check "the link Read me opens C:\\Apps\\TUNOVAR\\TUNOVAR\\readme.txt" \
  lnk_names "$folder/Read me.lnk" 'C:\Apps\TUNOVAR\TUNOVAR\readme.txt'
e2e_check "the link Introduction - CD opens D:\\TUNOVAR\\intro.txt on the CD" \
  lnk_names "$folder/Introduction - CD.lnk" 'D:\TUNOVAR\intro.txt'
others=0
for group in "$PROGRAMS_MACHINE/Ovri TUNOVAR" "$DRIVE_C"/users/*/"$E2E_START_MENU_PROGRAMS/Ovri TUNOVAR"; do
  [ -d "$group" ] && [ "$group" != "$folder" ] && others=$((others + 1))
done
e2e_check "no other Programs folder holds the group (Wine's Program Manager made none)" test "$others" = 0

# ---- Uninstalled while Program Manager does not answer ------------------------------------
rm -f "$DRIVE_C/commands.txt"
silent_uninstall "$E2E_LOGS/uninstall.out" 'C:\Apps' 'C:\uninstall.log'
e2e_check "deinstal.exe /S ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
cp "$DRIVE_C/uninstall.log" "$E2E_LOGS/uninstall.log" 2>/dev/null
e2e_check "DeleteGroup reaches the stalled Program Manager and is not answered" \
  eval 'grep -q -F "DDE [DeleteGroup(Ovri TUNOVAR)]: timed out" "$DRIVE_C/uninstall.log" && test "$(commands_got)" = "[DeleteGroup(Ovri TUNOVAR)]"'
e2e_check "the three links are removed (left: $(group_items "$folder"))" \
  eval '[ ! -e "$folder/TUNOVAR.lnk" ] && [ ! -e "$folder/Read me.lnk" ] && [ ! -e "$folder/Introduction - CD.lnk" ]'
e2e_check "and the group's folder, left empty" test ! -e "$folder"
e2e_check "the Programs folder itself stays" test -d "${folder%/*}"

# ---- Installed without, uninstalled with an answering Program Manager ----------------------
silent_install "$E2E_LOGS/install2.out" 'C:\Second' 'C:\install2.log'
e2e_check "a second install while Program Manager does not answer (exit code $E2E_EXIT)" test "$E2E_EXIT" = 0
folder2=$(host_folder "$(links_folder_of "$DRIVE_C/install2.log")")
e2e_check "it makes the group's links again" test -f "$folder2/TUNOVAR.lnk"
printf 'mine\r\n' >"$folder2/Notes.txt"
# A new session without the stalled Program Manager: Wine's answers.
e2e_end_session
silent_uninstall "$E2E_LOGS/uninstall2.out" 'C:\Second' 'C:\uninstall2.log'
e2e_check "with Wine's Program Manager deinstal.exe /S ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
cp "$DRIVE_C/uninstall2.log" "$E2E_LOGS/uninstall2.log" 2>/dev/null
e2e_check "Program Manager answers DeleteGroup" \
  grep -q -E 'DDE \[DeleteGroup\(Ovri TUNOVAR\)\]: (done|not processed)' "$DRIVE_C/uninstall2.log"
if [ "${folder2%/*}" = "$PROGRAMS_MACHINE" ]; then
  e2e_check "the group's links are removed from the machine's Programs folder all the same (left: $(group_items "$folder2"))" \
    test "$(group_items "$folder2")" = 'Notes.txt|'
  e2e_check "the user's file stays, and the folder with it" test -f "$folder2/Notes.txt"
else
  # Program Manager's own group is the user's folder: its DeleteGroup removes it whole.
  e2e_check "Program Manager removes the user's group folder whole" test ! -e "$folder2"
fi
e2e_end_session

e2e_finish
