#!/usr/bin/env bash
# The system's code page under Wine: with LC_ALL=ja_JP.UTF-8 Wine's ANSI code page is 932, whose
# "ソ" is the bytes 0x83 0x5C; a silent install into a folder named with it and a silent
# uninstall leave nothing of the product behind, and the folders beside it (one named with the
# same character twice, a file in the folder above) stay as they were. With ru_RU.UTF-8 (1251)
# the same for a folder of Cyrillic letters that Windows-1252 would fold wrongly ("Ё", "Ч",
# "Я"), installed with the folder's name typed in lower case and uninstalled from its spelling on
# the disk: the record and the uninstaller's folder are one folder only when the letters fold as
# Cyrillic.
#
# Each locale is made below build/e2e/locales with localedef when the system lacks it (Debian's
# "locales" package holds the definitions); the test says SKIP loudly for a locale it cannot
# have.
#
# Usage: tests/e2e/code_page_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Logs go to build/e2e/logs/code_page/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

e2e_begin code_page

CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"

# What the batch leaves under Wine below the folder it was installed into (see
# uninstall_test.sh: Wine's cmd keeps the running batch file until it ends, so its "rd" lines
# fail).
WINE_LEAVES='TUNOVAR TUNOVAR/TUNOVAR TUNOVAR/TUNOVAR/runtime '

# Prints a LOCPATH under which the locale NAME (ja_JP.UTF-8) can be had, "" for the system's
# own; fails when it cannot be had at all.
locale_path_for() {
  local name=$1 dir=$E2E_OUT/locales
  if locale -a 2>/dev/null | grep -qix "$(printf '%s' "$name" | sed 's/UTF-8/utf8/')"; then
    echo ""
    return 0
  fi
  if [ ! -d "$dir/$name" ]; then
    mkdir -p "$dir"
    localedef -i "${name%%.*}" -f UTF-8 "$dir/$name" >>"$E2E_LOGS/localedef.log" 2>&1 || return 1
  fi
  [ -d "$dir/$name" ] && echo "$dir"
}

# Lists what is below the host folder ROOT with sizes and times, one entry a line.
state_below() { (cd "$1" 2>/dev/null && find . -printf '%p %s %T@\n' | sort); }

# Lists what is left below the host folder ROOT, one relative path a line.
left_below() { (cd "$1" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | sort | tr '\n' ' '); }

group_exists() { e2e_group_folder >/dev/null; }
uninstall_entry_exists() { e2e_query_uninstall_entry "$E2E_LOGS/reg-query-$LANE_NAME.txt"; }

# One locale: LOCALE, the folder to install into as typed (TYPED, a Windows path), the host
# folder the installation lands in (HOST, below drive_c), and the Windows path the uninstaller
# is started from (UNINSTALLER).
run_locale() {
  local locale=$1 typed=$2 host=$3 uninstaller=$4 path
  LANE_NAME=${locale%%.*}
  if ! path=$(locale_path_for "$locale"); then
    echo "SKIP  ******** the locale $locale cannot be had here (no localedef, or no definition of it:"
    echo "SKIP  ******** install Debian's \"locales\" package); the $locale part of this test did not run"
    return 0
  fi
  # Every Wine process of this part, its wineserver too, runs in the locale.
  if [ -n "$path" ]; then export LOCPATH=$path; else unset LOCPATH; fi
  # (bash itself may not find a locale made here and says so: that is no fault of the test)
  { export LC_ALL=$locale; } 2>/dev/null
  e2e_new_prefix "code-page-$LANE_NAME"
  e2e_map_drive d "$CD"
  local root=$DRIVE_C/Apps
  mkdir -p "$root/$host" "$(dirname "$root/$host")/keep-beside" "$root/$host$host"
  printf 'not the product\r\n' >"$root/keep.txt"
  printf 'not the product\r\n' >"$root/$host$host/keep.txt"
  state_below "$root" | grep -v "^\./$host[ /]" >"$E2E_RUN/outside-before-$LANE_NAME"

  e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install-$LANE_NAME.log" 'D:\TUNOVAR\runtime\install.exe' \
    /S "/LOG=C:\\install-$LANE_NAME.log" "/D=$typed"
  e2e_wait_exit "$E2E_PID" 120
  e2e_check "$locale: the silent install into $typed ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
  cp "$DRIVE_C/install-$LANE_NAME.log" "$E2E_LOGS/" 2>/dev/null
  e2e_check "$locale: the product lies in Apps/$host/TUNOVAR/TUNOVAR, with its uninstaller and records" \
    eval 'test -f "$root/$host/TUNOVAR/TUNOVAR/runtime/deinstal.exe" -a -f "$root/$host/TUNOVAR/TUNOVAR/runtime/defile" -a -f "$DRIVE_C/windows/ovrituno.inf"'
  e2e_check "$locale: nothing was placed beside it (only $host and the folders made before it below Apps)" \
    eval '[ "$(cd "$root" && ls -1 | sort | tr "\n" " ")" = "$(printf "%s\n" keep-beside keep.txt "$host" "$host$host" | sort | tr "\n" " ")" ]'
  e2e_check "$locale: the group and the uninstall entry are made" eval 'group_exists && uninstall_entry_exists'
  e2e_end_session

  e2e_start_in "$DRIVE_C" "$E2E_LOGS/uninstall-$LANE_NAME.log" "$uninstaller" /S "/LOG=C:\\uninstall-$LANE_NAME.log"
  e2e_wait_exit "$E2E_PID" 120
  cp "$DRIVE_C/uninstall-$LANE_NAME.log" "$E2E_LOGS/" 2>/dev/null
  e2e_check "$locale: the silent uninstall ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
  e2e_poll 60 test ! -e "$root/$host/TUNOVAR/TUNOVAR/runtime/deinst.pif"
  e2e_poll 60 eval '[ "$(e2e_count_processes cmd.exe)" = 0 ]'
  e2e_check "$locale: nothing of the product is left below Apps/$host (Wine's cmd leaves: $WINE_LEAVES; got: $(left_below "$root/$host"))" \
    eval '[ "$(left_below "$root/$host")" = "$WINE_LEAVES" ]'
  e2e_check "$locale: ovrituno.inf, the group and the uninstall entry are gone" \
    eval 'test ! -e "$DRIVE_C/windows/ovrituno.inf" && ! group_exists && ! uninstall_entry_exists'
  state_below "$root" | grep -v "^\./$host[ /]" >"$E2E_RUN/outside-after-$LANE_NAME"
  e2e_check "$locale: what lies beside the installation is as it was" \
    e2e_same_file "$E2E_RUN/outside-before-$LANE_NAME" "$E2E_RUN/outside-after-$LANE_NAME"
  e2e_end_session
  { unset LOCPATH LC_ALL; } 2>/dev/null
}

# 932: "ソ" ends the folder's name in the byte of "\".
run_locale ja_JP.UTF-8 'C:\Apps\ソ' 'ソ' 'C:\Apps\ソ\TUNOVAR\TUNOVAR\runtime\deinstal.exe'
# 1251: typed in lower case into the folder that exists in upper case; uninstalled from there.
run_locale ru_RU.UTF-8 'C:\Apps\ёчя' 'ЁЧЯ' 'C:\Apps\ЁЧЯ\TUNOVAR\TUNOVAR\runtime\deinstal.exe'

e2e_finish
