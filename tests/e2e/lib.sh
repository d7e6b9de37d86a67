# shellcheck shell=bash disable=SC2034  # globals such as E2E_PID are read by the tests
# Shared functions of the end-to-end tests: Xvfb, Wine prefixes, waiting for windows,
# clicks in client coordinates, screenshots, process counts and the PASS/FAIL tally.
#
# Source it from a test script, then:
#   e2e_begin NAME          # folders, Xvfb, the prefix template of this run, cleanup on exit
#   e2e_new_prefix NAME     # a fresh copy of the template; sets WINEPREFIX and DRIVE_C
#   e2e_stage_cd EXE DIR    # the sample CD with EXE as TUNOVAR/runtime/install.exe
#   e2e_start LOG WINDOWS_PATH ARGS...; pid=$E2E_PID   (e2e_start_in DIR LOG ...: from DIR)
#   w=$(e2e_wait_window 'Ovri TUNOVAR Setup' 30 [EXCEPT])
#   e2e_require_window TITLE SECONDS   # a check; sets E2E_WINDOW, or ends the test without it
#   e2e_click "$w" X Y      # X, Y in the window's client area (e2e_double_click likewise)
#   e2e_answer "$box" n     # answer a message box by key (Return: Yes/OK, n: No); a check
#   e2e_client_shot "$w" NAME X Y W H [TEST...]; e2e_pictures_same/differ NAME1 NAME2
#   e2e_map_drive d DIR; e2e_poll SECONDS test-command...; e2e_end_session
#   e2e_group_folder; e2e_group_items DIR; e2e_query_uninstall_entry FILE
#   e2e_expected_defile LANGUAGE 'C:\Apps\TUNOVAR\' cddb|nocddb; e2e_same_file EXPECTED ACTUAL
#   e2e_check "what" test-command...
#   e2e_finish              # the summary; the script's exit status
#
# Two lanes, chosen by the PE machine type of the program under test: the 64-bit build runs
# under Debian's wine64, the 32-bit product under Debian's 32-bit Wine that scripts/wine32
# unpacks below build/ (a win32 prefix). Every Windows program a test starts goes through
# e2e_wine, which refuses one whose machine type is not the lane's: wine64 given a 32-bit
# program prints nothing, exits 0 and does nothing. Wine's output always goes to files: a
# Wine child that outlives its command keeps a pipe open for good.
# Nothing here waits a fixed time for something to have happened: every step polls what it
# can see (a window, a file, a process, a picture that has stopped changing) with a generous
# limit, so that a loaded machine makes a test slower, never wrong.

E2E_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_OUT=$E2E_REPO/build/e2e
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
E2E_LANE=win64
E2E_MACHINE=x86_64
E2E_MINGW=x86_64-w64-mingw32
IM_CONVERT=/usr/bin/convert  # /usr/local/bin/convert may be a stand-in
IM_IMPORT=/usr/bin/import
IM_COMPARE=/usr/bin/compare

export WINEARCH=win64 WINEDEBUG=-all
# Wine's own programs are started by their full path. Given a bare name ("cmd"), Wine starts
# start.exe, whose ShellExecuteEx now and then fails on a loaded machine ("ShellExecuteEx failed:
# Internal error", exit code 1) before the program has run at all.
E2E_CMD='C:\windows\system32\cmd.exe'
E2E_REG='C:\windows\system32\reg.exe'
# No Mono or Gecko dialogs; nothing written to the home folder's menus.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

E2E_PASSED=0
E2E_FAILED=0
E2E_PREFIXES=()
E2E_XVFB_PID=

# The program under test: the first argument of a test, else the 64-bit build. Sets EXE to an
# absolute path and chooses the lane of its machine type (e2e_use_lane), or says FAIL and ends
# the test when there is no program or no Wine for it.
e2e_program() {
  EXE=${1:-$E2E_REPO/build/win64/install.exe}
  case $EXE in /*) ;; *) EXE=$PWD/$EXE ;; esac
  if [ ! -f "$EXE" ]; then
    echo "FAIL  no program at $EXE (build it with: cmake --preset win64 && cmake --build --preset win64)"
    exit 1
  fi
  local machine
  machine=$(e2e_pe_machine "$EXE")
  if ! e2e_use_lane "$machine"; then
    echo "FAIL  no Wine to run $EXE (machine type $machine)"
    exit 1
  fi
}

# Prints the machine type of the PE file FILE: i386, x86_64, or "unknown" (no PE file, or
# another machine).
e2e_pe_machine() {
  local file=$1 offset signature machine
  offset=$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || { echo unknown; return; }
  signature=$(od -An -tx1 -j"$offset" -N4 "$file" 2>/dev/null | tr -d ' ')
  machine=$(od -An -tx1 -j$((offset + 4)) -N2 "$file" 2>/dev/null | tr -d ' ')
  if [ "$signature" != 50450000 ]; then
    echo unknown
  elif [ "$machine" = 4c01 ]; then
    echo i386
  elif [ "$machine" = 6486 ]; then
    echo x86_64
  else
    echo unknown
  fi
}

# Chooses the Wine of the lane of MACHINE (i386 or x86_64): WINE, WINESERVER, WINEARCH, the
# lane's name E2E_LANE (win32, win64), the compiler prefix E2E_MINGW of the lane's test tools,
# and E2E_OUT, build/e2e/LANE. Fails when that Wine cannot be had here.
e2e_use_lane() {
  mkdir -p "$E2E_OUT"
  case $1 in
    x86_64)
      WINE=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
      E2E_LANE=win64 E2E_MINGW=x86_64-w64-mingw32
      export WINEARCH=win64
      ;;
    i386)
      local bin
      bin=$("$E2E_REPO/scripts/wine32" 2>>"$E2E_OUT/wine32.log") || return 1
      WINE=$bin/wine WINESERVER=$bin/wineserver
      E2E_LANE=win32 E2E_MINGW=i686-w64-mingw32
      export WINEARCH=win32
      ;;
    *) return 1 ;;
  esac
  E2E_MACHINE=$1
  E2E_OUT=$E2E_REPO/build/e2e/$E2E_LANE
  mkdir -p "$E2E_OUT"
}

# Prints the host path of the Windows path PATH in the current prefix (a host path as it is),
# each component found ignoring letter case; fails when there is no such file.
e2e_host_path() {
  local path=$1 host rest component entry found
  case $path in
    /*) [ -e "$path" ] && { echo "$path"; return 0; }; return 1 ;;
    [A-Za-z]:\\*) ;;
    *) return 1 ;;
  esac
  host=$WINEPREFIX/dosdevices/$(printf '%s' "${path:0:1}" | tr '[:upper:]' '[:lower:]'):
  rest=${path:3}
  local IFS='\'
  for component in $rest; do
    [ -n "$component" ] || continue
    if [ -e "$host/$component" ]; then
      host=$host/$component
      continue
    fi
    found=
    for entry in "$host"/*; do
      if [ "$(printf '%s' "${entry##*/}" | tr '[:upper:]' '[:lower:]')" = "$(printf '%s' "$component" | tr '[:upper:]' '[:lower:]')" ]; then
        found=$entry
        break
      fi
    done
    [ -n "$found" ] || return 1
    host=$found
  done
  [ -f "$host" ] && echo "$host"
}

# Succeeds when the Windows program PROGRAM (a Windows path in the current prefix, or a host
# path) is of the lane's machine type; otherwise says why on standard error.
e2e_runnable() {
  local program=$1 host machine
  if ! host=$(e2e_host_path "$program"); then
    e2e_log "not started: no program $program in $WINEPREFIX"
    return 1
  fi
  machine=$(e2e_pe_machine "$host")
  if [ "$machine" != "$E2E_MACHINE" ]; then
    e2e_log "not started: $program is a $machine program, and this lane's Wine runs $E2E_MACHINE"
    return 1
  fi
}

# Runs Windows program PROGRAM with ARGS under the lane's Wine in the foreground, once
# e2e_runnable has checked it (status 126 when it refused). e2e_wine_timeout SECONDS PROGRAM
# ARGS...: the same within a time limit.
e2e_wine() {
  e2e_runnable "$1" || return 126
  "$WINE" "$@"
}
e2e_wine_timeout() {
  local seconds=$1; shift
  e2e_runnable "$1" || return 126
  timeout "$seconds" "$WINE" "$@"
}

e2e_log() { printf '%s\n' "$*" >&2; }

# ---- Setting up and tearing down ----------------------------------------------------------

# Makes the folders of this run, starts Xvfb (its screen E2E_SCREEN, default 1024x768x24),
# builds the prefix template and arranges the cleanup. Run folder: build/e2e/run.NAME.PID (deleted at the end); logs and screenshots stay
# in build/e2e/.
e2e_begin() {
  local name=$1
  E2E_NAME=$name
  mkdir -p "$E2E_OUT/logs"
  E2E_RUN=$E2E_OUT/run.$name.$$
  E2E_LOGS=$E2E_OUT/logs/$name
  rm -rf "$E2E_LOGS"
  mkdir -p "$E2E_RUN" "$E2E_LOGS"
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
  e2e_start_xvfb
  e2e_make_template
}

e2e_start_xvfb() {
  local number=$E2E_RUN/display.num
  : >"$number"
  Xvfb -displayfd 3 -screen 0 "${E2E_SCREEN:-1024x768x24}" -nolisten tcp 3>"$number" >"$E2E_LOGS/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  # Xvfb writes its display number once it takes connections.
  if ! e2e_poll 30 e2e_xvfb_started "$number" || [ ! -s "$number" ]; then
    e2e_log "Xvfb did not start (see $E2E_LOGS/xvfb.log)"
    exit 2
  fi
  DISPLAY=:$(tr -d '[:space:]' <"$number")
  export DISPLAY
}

# Succeeds once Xvfb has written its display number to FILE, or has ended without it.
e2e_xvfb_started() { [ -s "$1" ] || ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; }

e2e_stop_xvfb() {
  if [ -n "$E2E_XVFB_PID" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
}

# One prefix per run, made once (about 15 s) and copied for every scenario. When run.sh has
# made one for all test scripts (E2E_SHARED_TEMPLATE), that one is copied instead.
e2e_make_template() {
  if [ -n "${E2E_SHARED_TEMPLATE:-}" ] && [ -d "$E2E_SHARED_TEMPLATE/drive_c/windows" ]; then
    E2E_TEMPLATE=$E2E_SHARED_TEMPLATE
    return 0
  fi
  E2E_TEMPLATE=$E2E_RUN/template
  e2e_boot_template "$E2E_TEMPLATE" "$E2E_LOGS/template.log" || exit 2
}

# Makes the prefix template DIR (Wine's output in LOG); fails when no prefix came of it. Needs
# no display. run.sh calls it once and exports E2E_SHARED_TEMPLATE=DIR for its test scripts.
e2e_boot_template() {
  local template=$1 log=$2
  # Wine makes the prefix folder itself, but not the folders above it.
  mkdir -p "$(dirname "$log")" "$(dirname "$template")"
  (
    export WINEPREFIX=$template
    # No Wine step may hold the run for good: each has a limit far above its usual time.
    # Wine's own name: the prefix holds no programs before this step.
    timeout 180 "$WINE" wineboot -i >"$log" 2>&1
    # Wine draws its own frame and keeps the keyboard where the tests send it.
    e2e_wine_timeout 30 "$E2E_REG" add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$log" 2>&1
    # A fresh prefix has no .txt association; a real Windows has one.
    e2e_wine_timeout 30 "$E2E_REG" add 'HKCR\.txt' /ve /d txtfile /f >>"$log" 2>&1
    timeout 30 "$WINESERVER" -w >>"$log" 2>&1 || "$WINESERVER" -k >>"$log" 2>&1
  )
  if [ ! -d "$template/drive_c/windows" ]; then
    e2e_log "the Wine prefix could not be made (see $log)"
    return 1
  fi
}

# A fresh prefix for one scenario: sets WINEPREFIX and DRIVE_C.
e2e_new_prefix() {
  local name=$1
  export WINEPREFIX=$E2E_RUN/$name
  rm -rf "$WINEPREFIX"
  cp -a "$E2E_TEMPLATE" "$WINEPREFIX"
  DRIVE_C=$WINEPREFIX/drive_c
  E2E_PREFIXES+=("$WINEPREFIX")
}

e2e_stop_wine() {
  local prefix
  for prefix in "${E2E_PREFIXES[@]}" "${E2E_TEMPLATE:-}"; do
    if [ -z "$prefix" ] || [ ! -d "$prefix" ]; then continue; fi
    WINEPREFIX=$prefix timeout 10 "$WINESERVER" -k >/dev/null 2>&1 || true
  done
}

e2e_cleanup() {
  local status=$?
  e2e_stop_wine
  e2e_stop_xvfb
  if [ -z "${E2E_KEEP:-}" ]; then
    rm -rf "$E2E_RUN"
  else
    e2e_log "kept $E2E_RUN (E2E_KEEP is set)"
  fi
  exit "$status"
}

# ---- The program ------------------------------------------------------------------------------

# Stages the sample CD in DIR with EXE as TUNOVAR/runtime/install.exe (and deinstal.exe), by
# scripts/stage-cd, which also makes the large data file. Without that script: a copy of
# samples/cd, when there is one, with EXE put in.
e2e_stage_cd() {
  local exe=$1 dir=$2
  if [ -x "$E2E_REPO/scripts/stage-cd" ]; then
    "$E2E_REPO/scripts/stage-cd" "$exe" "$dir" >>"$E2E_LOGS/stage-cd.log" 2>&1 && return 0
    e2e_log "scripts/stage-cd failed (see $E2E_LOGS/stage-cd.log); copying samples/cd instead"
  fi
  mkdir -p "$dir"
  if [ -d "$E2E_REPO/samples/cd" ]; then
    cp -a "$E2E_REPO/samples/cd/." "$dir/"
  fi
  local runtime
  runtime=$(find "$dir" -maxdepth 2 -ipath "$dir/tunovar/runtime" -type d | head -1)
  [ -n "$runtime" ] || runtime=$dir/TUNOVAR/runtime
  mkdir -p "$runtime"
  cp "$exe" "$runtime/install.exe"
}

# Prints the path of build/e2e/LANE/NAME.exe, the test program tests/e2e/NAME.cpp built for
# the lane's machine (static, with the libraries LIBS... given after NAME) when it is missing or
# older than its source; fails when it cannot be built.
e2e_tool() {
  local name=$1 exe=$E2E_OUT/$1.exe source=$E2E_REPO/tests/e2e/$1.cpp
  shift
  if [ ! -s "$exe" ] || [ "$source" -nt "$exe" ]; then
    "$E2E_MINGW-g++" -std=c++20 -O1 -static -Wall -Wextra -o "$exe" "$source" "$@" \
      >"$E2E_LOGS/$name-build.log" 2>&1 || return 1
  fi
  echo "$exe"
}

# Starts a Windows program in the current prefix in the background; Wine's output goes to
# LOG. Sets E2E_PID, the process id, which is the Windows process itself: e2e_wait_exit
# gives its exit code. (Not in a command substitution: only this shell can wait for it.)
e2e_start() {
  local log=$1; shift
  e2e_wine "$@" >"$log" 2>&1 </dev/null &
  E2E_PID=$!
}

# Succeeds while process PID runs (a zombie has ended).
e2e_alive() {
  local state
  state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f1)
  [ -n "$state" ] && [ "$state" != Z ]
}

# Waits up to SECONDS for PID (started by e2e_start) to end. Sets E2E_EXIT to its exit code,
# or to "running" when it did not end in time (then it fails).
e2e_wait_exit() {
  local pid=$1 seconds=$2
  E2E_EXIT=running
  e2e_poll "$seconds" e2e_ended "$pid" || return 1
  E2E_EXIT=0
  wait "$pid" 2>/dev/null || E2E_EXIT=$?
  return 0
}

e2e_ended() { ! e2e_alive "$1"; }

# How many Wine processes of the current prefix run a program named NAME (e.g. install.exe).
e2e_count_processes() {
  local name=$1 count=0 pid exe
  for pid in $(pgrep -i -f -- "$name" 2>/dev/null); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || continue
    case $exe in */wine*) ;; *) continue ;; esac
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      count=$((count + 1))
    fi
  done
  echo "$count"
}

# Maps drive LETTER of the current prefix to the host folder DIR (as a CD drive would be).
e2e_map_drive() {
  local letter=$1 dir=$2
  ln -sfn "$dir" "$WINEPREFIX/dosdevices/$(printf '%s' "$letter" | tr '[:upper:]' '[:lower:]'):"
}

# Ends every Wine process of the current prefix (the explorer window of a program group, a
# batch still waiting) and its wineserver; the next Wine program starts a fresh session.
# A program started while the old wineserver is still going down connects to it and dies with
# it (exit code 1, nothing shown): the session has ended only when its server process is gone.
e2e_end_session() {
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
  timeout 60 "$WINESERVER" -w >/dev/null 2>&1 || true
  e2e_poll 60 eval '[ "$(e2e_count_processes wineserver)" = 0 ]' ||
    e2e_log "the wineserver of $WINEPREFIX did not end"
}

# Runs the test command every 0.1 s until it succeeds, for up to SECONDS; fails when it never did.
e2e_poll() {
  local seconds=$1 tenths=0; shift
  until "$@"; do
    [ "$tenths" -ge $((seconds * 10)) ] && return 1
    sleep 0.1
    tenths=$((tenths + 1))
  done
}

# Starts Windows program PROGRAM with ARGS as e2e_start does, with the host folder DIR as its
# current folder (a CD's runtime folder, C:\). Sets E2E_PID.
e2e_start_in() {
  local dir=$1 log=$2; shift 2
  pushd "$dir" >/dev/null || return 1
  e2e_start "$log" "$@"
  popd >/dev/null || return 1
}

# ---- What an installation leaves ----------------------------------------------------------

E2E_UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\OvriTUNOVAR'
E2E_START_MENU_PROGRAMS='AppData/Roaming/Microsoft/Windows/Start Menu/Programs'

# Prints the host folder of the Start Menu group "Ovri TUNOVAR" of the current prefix; fails
# when there is none.
e2e_group_folder() {
  local folder
  for folder in "$DRIVE_C"/users/*/"$E2E_START_MENU_PROGRAMS/Ovri TUNOVAR"; do
    [ -d "$folder" ] && { echo "$folder"; return 0; }
  done
  return 1
}

# Prints the items of the group folder GROUP, sorted, each followed by "|"; nothing when GROUP
# is empty.
e2e_group_items() {
  [ -n "$1" ] && (cd "$1" && ls -1 | sort | tr '\n' '|')
}

# Queries the uninstall entry, machine-wide and else the user's, into FILE; fails when neither
# exists.
e2e_query_uninstall_entry() {
  local out=$1
  e2e_wine_timeout 30 "$E2E_REG" query "HKLM\\$E2E_UNINSTALL_KEY" >"$out" 2>&1 && return 0
  e2e_wine_timeout 30 "$E2E_REG" query "HKCU\\$E2E_UNINSTALL_KEY" >"$out" 2>&1
}

# Prints the record defile of an installation into the folder T (its Windows form, ending in
# "\") in LANGUAGE: the language line, tunodoc.gid and burn.lst, every entry placed, last placed
# first (the CDDB files only when CDDB is "cddb"; never runtime\deinst.pif), then the "#" lines
# of the folders. Lines end in CR LF.
e2e_expected_defile() {
  local language=$1 t=$2 cddb=$3 entry
  local entries=('TUNOVAR\tunodoc.gid' 'TUNOVAR\burn.lst')
  [ "$cddb" = cddb ] && entries+=('TUNOVAR\cddb\cddb.dat' 'TUNOVAR\cddb\cddb.idx')
  entries+=('TUNOVAR\pdata\tunovar.dat' 'TUNOVAR\runtime\group' 'TUNOVAR\runtime\insttext'
    'TUNOVAR\runtime\deinstal.exe' 'TUNOVAR\skins\standard.skn' 'TUNOVAR\tunoDoc.hlp'
    'TUNOVAR\texte.txt' 'TUNOVAR\readme.txt' 'TUNOVAR\tunOVAR.exe')
  local folders=('TUNOVAR\cddb\' 'TUNOVAR\skins\' 'TUNOVAR\pdata\' 'TUNOVAR\runtime\' 'TUNOVAR\')
  printf ' %s \r\n' "$language"
  for entry in "${entries[@]}" "${folders[@]}"; do
    printf '%s\r\n' "$t$entry"
  done
  for entry in "${folders[@]}"; do
    printf '#%s\r\n' "$t$entry"
  done
}

# Succeeds when the files EXPECTED and ACTUAL hold the same bytes; otherwise shows how they
# differ (line ends made visible) on standard error.
e2e_same_file() {
  cmp -s "$1" "$2" && return 0
  diff <(cat -A "$1") <(cat -A "$2" 2>&1) >&2
  return 1
}

# ---- Windows on the screen ------------------------------------------------------------------

# The xdotool name pattern that matches the title TITLE exactly.
e2e_title_pattern() {
  printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$()+?{}|]/\\&/g')"
}

# Prints the id of the first visible window whose name matches PATTERN, other than the
# window EXCEPT when given; fails when there is none.
e2e_visible_window() {
  local pattern=$1 except=${2:-} id
  for id in $(xdotool search --onlyvisible --name "$pattern" 2>/dev/null); do
    [ "$id" != "$except" ] && { echo "$id"; return 0; }
  done
  return 1
}

# Prints the id of the visible window titled exactly TITLE (other than the window EXCEPT when
# given), polling every 0.1 s for up to SECONDS; fails when none appears.
e2e_wait_window() {
  e2e_poll "$2" e2e_visible_window "$(e2e_title_pattern "$1")" "${3:-}"
}

# Prints the id of the first visible window of the program PROGRAM (its X class, e.g.
# tunovar.exe) titled exactly TITLE; fails when there is none.
e2e_visible_window_of() {
  local program=$1 title=$2 id
  for id in $(xdotool search --onlyvisible --classname "$(e2e_title_pattern "$program")" 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ] && { echo "$id"; return 0; }
  done
  return 1
}

# Succeeds when the X window A lies above the X window B on the screen.
e2e_stacked_above() {
  local order
  # xwininfo lists the screen's windows from the front to the back.
  order=$(xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/ { print $1 }')
  local a b
  a=$(printf '%s\n' "$order" | grep -n -x "$(printf '0x%x' "$1")" | cut -d: -f1)
  b=$(printf '%s\n' "$order" | grep -n -x "$(printf '0x%x' "$2")" | cut -d: -f1)
  [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ]
}

# Succeeds once no visible window titled exactly TITLE is left, within SECONDS.
e2e_wait_no_window() {
  e2e_poll "$2" e2e_no_visible_window "$(e2e_title_pattern "$1")"
}

e2e_no_visible_window() { ! e2e_visible_window "$1" >/dev/null; }

# Waits up to SECONDS for the window titled TITLE and checks that it appears; sets E2E_WINDOW
# to its id. Without the window a test can go no further: then it prints the tally and ends
# the script.
e2e_require_window() {
  local title=$1 seconds=$2
  E2E_WINDOW=$(e2e_wait_window "$title" "$seconds") || E2E_WINDOW=
  e2e_check "the window \"$title\" appears" test -n "$E2E_WINDOW"
  if [ -z "$E2E_WINDOW" ]; then
    e2e_finish
    exit 1
  fi
}

# Sets E2E_OX and E2E_OY, the offset of the client area inside the X window WINDOW, for a
# client of CLIENT_WIDTH x CLIENT_HEIGHT (default 800 x 600). Wine's own frame is as wide on
# the left, right and bottom; the caption adds the rest at the top.
e2e_frame_offset() {
  local window=$1 client_width=${2:-800} client_height=${3:-600}
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  E2E_OX=$(((WIDTH - client_width) / 2))
  E2E_OY=$((HEIGHT - client_height - E2E_OX))
  E2E_WX=$X
  E2E_WY=$Y
}

# Moves the pointer to client point (X, Y) of WINDOW (800 x 600 client). The click that
# follows reaches Wine after the motion: the X server keeps their order.
e2e_point_at() {
  local window=$1 x=$2 y=$3
  e2e_frame_offset "$window"
  xdotool mousemove --window "$window" $((x + E2E_OX)) $((y + E2E_OY))
}

# Clicks BUTTON (default 1, the left button) at client point (X, Y) of WINDOW.
e2e_click() {
  e2e_point_at "$1" "$2" "$3"
  xdotool click "${4:-1}"
}

# Double-clicks the left button at client point (X, Y) of WINDOW.
e2e_double_click() {
  e2e_point_at "$1" "$2" "$3"
  xdotool click --repeat 2 --delay 80 1
}

# Succeeds while the X window WINDOW is shown.
e2e_window_shown() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
e2e_window_gone() { ! e2e_window_shown "$1"; }

# Succeeds once WINDOW holds the keyboard focus.
e2e_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Answers the message box WINDOW with KEY (Return: Yes or OK; n: No) and succeeds once the box
# is gone. Another window that opened meanwhile (the explorer window of a program group) may
# lie over the box and hold the keyboard: each attempt raises the box, clicks its caption to
# make it the active window, sends the key once the box has the focus and waits for the box to
# close. After five attempts it says why it failed and keeps the screen as
# build/e2e/NAME-unanswered.png (NAME: the test's).
e2e_answer() {
  local window=$1 key=$2 attempt WIDTH HEIGHT X Y SCREEN WINDOW
  for attempt in 1 2 3 4 5; do
    e2e_window_gone "$window" && return 0
    xdotool windowraise "$window" 2>/dev/null
    if eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"; then
      xdotool mousemove --window "$window" $((WIDTH / 2)) 8 click 1 2>/dev/null
    fi
    # A click on the title does not always give the focus to a box of Wine's (no window
    # manager here): it is then given directly.
    e2e_poll 5 e2e_has_focus "$window" || xdotool windowfocus "$window" 2>/dev/null
    if e2e_poll 5 e2e_has_focus "$window"; then
      xdotool key "$key"
      e2e_poll 10 e2e_window_gone "$window" && return 0
    fi
  done
  e2e_screenshot root "$E2E_NAME-unanswered"
  e2e_log "the message box \"$(xdotool getwindowname "$window" 2>/dev/null)\" did not take the key $key" \
    "in $attempt attempts (focus on $(xdotool getwindowfocus 2>&1)); see build/e2e/$E2E_NAME-unanswered.png"
  return 1
}

# Writes build/e2e/NAME.png: the window WINDOW with its frame, or the whole screen when
# WINDOW is "root", once the picture has settled (e2e_settled_shot).
e2e_screenshot() {
  local window=$1 name=$2
  e2e_settled_shot "$E2E_OUT/$name.png" e2e_grab_window "$window"
}

# Writes build/e2e/NAME.png: the rectangle X, Y, WIDTH x HEIGHT of the client area of WINDOW
# (800 x 600 client), without Wine's frame, once it has settled and, when a TEST command
# follows, once TEST succeeds on it as well (a change the test waits to see). Fails when
# neither came about within the limit; the last picture is kept.
e2e_client_shot() {
  local window=$1 name=$2 x=$3 y=$4 width=$5 height=$6
  shift 6
  e2e_frame_offset "$window"
  e2e_settled_shot "$E2E_OUT/$name.png" e2e_grab_client "$window" "$x" "$y" "$width" "$height" -- "$@"
}

# Grabs the window WINDOW (or "root") into the picture file OUT.
e2e_grab_window() {
  "$IM_IMPORT" -window "$1" "$2" >>"$E2E_LOGS/import.log" 2>&1
}

# Grabs the client rectangle X, Y, WIDTH x HEIGHT of WINDOW (frame offset E2E_OX, E2E_OY)
# into the picture file OUT.
e2e_grab_client() {
  local window=$1 x=$2 y=$3 width=$4 height=$5 out=$6
  local whole=$E2E_RUN/whole.${out##*/}
  "$IM_IMPORT" -window "$window" "$whole" >>"$E2E_LOGS/import.log" 2>&1
  "$IM_CONVERT" "$whole" -crop "${width}x${height}+$((x + E2E_OX))+$((y + E2E_OY))" +repage \
    "$out" >>"$E2E_LOGS/import.log" 2>&1
  rm -f "$whole"
}

# Writes the picture file OUT with GRAB... (a grab command, given OUT as its last argument)
# once two grabs some 0.1 s apart are the same picture: Wine draws a change a moment after the
# event that caused it. After "--", a TEST command must succeed on OUT as well. Gives up after
# 50 rounds (5 s of pauses) and keeps the last grab.
e2e_settled_shot() {
  local out=$1 grab=() rounds=0
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do grab+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  local previous=$E2E_RUN/previous.${out##*/}
  "${grab[@]}" "$previous"
  while :; do
    sleep 0.1
    "${grab[@]}" "$out"
    if [ "$(e2e_png_differing "$previous" "$out")" = 0 ] && { [ $# -eq 0 ] || "$@"; }; then
      rm -f "$previous"
      return 0
    fi
    rounds=$((rounds + 1))
    if [ "$rounds" -ge 50 ]; then
      rm -f "$previous"
      e2e_log "$(basename "$out"): no settled picture${1:+ for which $*} in $rounds rounds"
      return 1
    fi
    cp "$out" "$previous"
  done
}

# Prints how many pixels differ between the picture files A and B (ImageMagick's absolute
# error count), or "error" when they cannot be compared.
e2e_png_differing() {
  local count
  count=$("$IM_COMPARE" -metric AE "$1" "$2" null: 2>&1)
  count=${count%% *}
  case $count in '' | *[!0-9.e+]*) echo error ;; *) printf '%.0f\n' "$count" ;; esac
}

# Succeeds when the picture files A and B differ in at least MIN (default 1) pixels.
e2e_png_differ() {
  local count
  count=$(e2e_png_differing "$1" "$2")
  [ "$count" != error ] && [ "$count" -ge "${3:-1}" ]
}

# The same for the pictures build/e2e/A.png and build/e2e/B.png, named A and B.
e2e_pixels_differing() { e2e_png_differing "$E2E_OUT/$1.png" "$E2E_OUT/$2.png"; }
e2e_pictures_differ() { e2e_png_differ "$E2E_OUT/$1.png" "$E2E_OUT/$2.png" "${3:-1}"; }

# Succeeds when build/e2e/A.png and B.png are the same picture.
e2e_pictures_same() {
  [ "$(e2e_pixels_differing "$1" "$2")" = 0 ]
}

# The colour of pixel (X, Y) of a PNG as "r,g,b".
e2e_pixel() {
  local png=$1 x=$2 y=$3
  "$IM_CONVERT" "$png" -crop "1x1+$x+$y" -depth 8 -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info: 2>/dev/null
}

# Succeeds when colour "r,g,b" lies within TOLERANCE (default 24) of "r,g,b" in every channel.
e2e_colour_near() {
  local got=$1 want=$2 tolerance=${3:-24}
  local gr gg gb wr wg wb
  IFS=, read -r gr gg gb <<<"$got"
  IFS=, read -r wr wg wb <<<"$want"
  [ -n "$gr" ] && [ -n "$gb" ] || return 1
  local d
  for d in $((gr - wr)) $((gg - wg)) $((gb - wb)); do
    [ "${d#-}" -le "$tolerance" ] || return 1
  done
}

# ---- Results --------------------------------------------------------------------------------

# Runs the test command and prints PASS or FAIL with DESCRIPTION.
e2e_check() {
  local description=$1; shift
  if "$@"; then
    printf 'PASS  %s\n' "$description"
    E2E_PASSED=$((E2E_PASSED + 1))
  else
    printf 'FAIL  %s\n' "$description"
    E2E_FAILED=$((E2E_FAILED + 1))
  fi
}

# Prints the tally; returns non-zero when a check failed or none ran.
e2e_finish() {
  printf '%s: %d passed, %d failed (logs in %s)\n' "$E2E_NAME" "$E2E_PASSED" "$E2E_FAILED" "$E2E_LOGS"
  [ "$E2E_FAILED" -eq 0 ] && [ "$E2E_PASSED" -gt 0 ]
}
