#!/usr/bin/env bash
# The installer window with the keyboard alone under Wine: Tab reaches the CDDB option, whose
# focus mark shows under its picture without touching it, Space clears the option, Tab moves
# on to Install, whose mark frames the caption on the button without touching the text, and
# Enter installs without the CDDB files. On the way, the window's children are read as an
# accessibility client reads them: a named push button for each picture button and for
# Install and Cancel, a check box with its state for the option, static texts, the path box.
# Last, with the system's setting to hide focus marks until the keyboard is used, the window
# starts with them hidden and shows them from the first Tab on; at 120 pixels per inch the
# marks are the same pictures as at 96.
#
# Usage: tests/e2e/keyboard_test.sh [path/to/install.exe]
# Writes build/e2e/keyboard-*.png (regions of the window) and build/e2e/keyboard-readers-*.txt
# (the children as the client read them); logs go to build/e2e/logs/keyboard/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

TITLE='Ovri TUNOVAR Setup'

e2e_begin keyboard
CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"
e2e_new_prefix keyboard
e2e_map_drive d "$CD"

# Regions (x y width height, client pixels): the CDDB row with the room under the option's
# picture; the Install button of the skin. Within them: the option's picture (16 x 16 at
# 31,528) and the point of its mark under it; Install's caption inside its face and the point
# of the mark's left side.
R_CDDB='25 522 280 28'
CDDB_PICTURE='16x16+6+6'
CDDB_MARK='14 23'
R_INSTALL='420 566 190 30'
INSTALL_CAPTION='160x15+11+7'
INSTALL_MARK='9 14'
AMBER='253,194,22'
INK='20,23,36'

shot() {  # NAME REGION [TEST...]
  local name=$1 region=$2
  shift 2
  # shellcheck disable=SC2086  # the region is four numbers
  e2e_client_shot "$window" "keyboard-$name" $region "$@"
}
png() { echo "$E2E_OUT/keyboard-$1.png"; }
differ() { e2e_pictures_differ "keyboard-$1" "keyboard-$2" "${3:-1}"; }
# Succeeds when the part CROP of two shots is the same picture.
same_part() {  # CROP NAME1 NAME2
  "$IM_CONVERT" "$(png "$2")" -crop "$1" +repage "$E2E_RUN/part-a.png" &&
    "$IM_CONVERT" "$(png "$3")" -crop "$1" +repage "$E2E_RUN/part-b.png" &&
    [ "$(e2e_png_differing "$E2E_RUN/part-a.png" "$E2E_RUN/part-b.png")" = 0 ]
}
colour_at() {  # NAME "X Y"
  # shellcheck disable=SC2086
  e2e_pixel "$(png "$1")" $2
}
key() {
  xdotool key --delay 60 "$@"
}

readers=$(e2e_tool reader_windows -loleacc -lole32 -loleaut32 -luuid -lgdi32) || readers=
e2e_check "the accessibility client is built" test -n "$readers"
# The children as the client reads them, into build/e2e/keyboard-readers-NAME.txt.
read_children() {  # NAME
  local out=$E2E_OUT/keyboard-readers-$1.txt
  [ -n "$readers" ] && e2e_wine_timeout 30 "$readers" "$TITLE" >"$out.crlf" 2>>"$E2E_LOGS/readers.log" &&
    tr -d '\r' <"$out.crlf" >"$out" && rm -f "$out.crlf"
}
# Succeeds when the child with the text TEXT is of the kind KIND with the check CHECK (0 or 1)
# as read into NAME, and the client gives it that text as its name.
child_is() {  # NAME TEXT KIND CHECK
  awk -F'|' -v t="$2" -v k="$3" -v c="$4" \
    '$2 == t && $6 == t && $3 == k && $4 == c { found = 1 } END { exit !found }' \
    "$E2E_OUT/keyboard-readers-$1.txt"
}
focused_child() {  # NAME: the text of the child the client reads as focused
  awk -F'|' '$7 ~ /focused/ { print $2 }' "$E2E_OUT/keyboard-readers-$1.txt"
}
# Succeeds once the window's path box has the keyboard as read into NAME: keys sent from then on
# reach the window.
path_box_has_keyboard() {  # NAME
  read_children "$1" && awk -F'|' '$3 == "edit" && $7 ~ /focused/ { f = 1 } END { exit !f }' \
    "$E2E_OUT/keyboard-readers-$1.txt"
}

e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install.log" 'D:\TUNOVAR\runtime\install.exe' || exit 1
program=$E2E_PID
e2e_require_window "$TITLE" 60
window=$E2E_WINDOW
# The keyboard goes to the window the X server gives it to; no pointer is used.
xdotool windowfocus "$window" 2>/dev/null
e2e_poll 10 e2e_has_focus "$window"
e2e_poll 30 path_box_has_keyboard start

shot cddb-start "$R_CDDB"
shot install-start "$R_INSTALL"
e2e_check "an accessibility client finds Up as the push button \"Next language\"" \
  child_is start 'Next language' 'push button' 0
e2e_check "Down as \"Previous language\", Help and Browse as push buttons" \
  eval "child_is start 'Previous language' 'push button' 0 && child_is start Help 'push button' 0 &&
        child_is start Browse 'push button' 0"
e2e_check "the CDDB option as a check box, checked, named by its caption" \
  child_is start 'Install the CDDB database' 'check box' 1
e2e_check "Install and Cancel as push buttons with their captions" \
  eval "child_is start Install 'push button' 0 && child_is start Cancel 'push button' 0"
e2e_check "the title, the language and the path box's caption as static texts" \
  eval "child_is start 'Ovri TUNOVAR - Setup' static 0 && child_is start English static 0 &&
        child_is start 'Target folder:' static 0"
e2e_check "the information text as a static text" \
  eval "awk -F'|' '\$3 == \"static\" && \$2 ~ /^This program installs TUNOVAR/ { f = 1 } END { exit !f }' \"\$E2E_OUT/keyboard-readers-start.txt\""
e2e_check "the path box is named by its caption, and has the keyboard at the start" \
  eval "awk -F'|' '\$3 == \"edit\" && \$6 == \"Target folder:\" && \$7 ~ /focused/ { f = 1 } END { exit !f }' \"\$E2E_OUT/keyboard-readers-start.txt\""

# The window's focus marks: hidden at the start where the system hides them until the keyboard
# is used (UISF_HIDEFOCUS, 1, in its answer to WM_QUERYUISTATE), shown once Tab was pressed.
ui_state() { awk -F'|' '$1 == "#uistate" { print $2 }' "$E2E_OUT/keyboard-readers-$1.txt"; }
cues=$(awk -F'|' '$1 == "#uistate" { print $4 }' "$E2E_OUT/keyboard-readers-start.txt")
e2e_check "the focus marks start as the system's setting says (cues $cues, window's state $(ui_state start))" \
  eval '{ [ "$cues" = 0 ] && [ $(( $(ui_state start) & 1 )) = 1 ]; } || { [ "$cues" != 0 ] && [ $(( $(ui_state start) & 1 )) = 0 ]; }'

# ---- Tab to the option: its mark ----------------------------------------------------------
key Tab Tab
cddb_marked() { e2e_colour_near "$(colour_at cddb-marked "$CDDB_MARK")" "$AMBER"; }
shot cddb-marked "$R_CDDB" cddb_marked
e2e_check "two Tabs mark the CDDB option: an amber bar under it (colour $(colour_at cddb-marked "$CDDB_MARK"), pixels changed: $(e2e_pixels_differing keyboard-cddb-start keyboard-cddb-marked))" \
  eval 'cddb_marked && differ cddb-start cddb-marked 10'
e2e_check "the mark leaves the option's picture as it was" same_part "$CDDB_PICTURE" cddb-start cddb-marked
read_children cddb
e2e_check "the client reads the option as focused (focused: $(focused_child cddb))" \
  eval '[ "$(focused_child cddb)" = "Install the CDDB database" ]'
e2e_check "after Tab the window's focus marks show (window's state $(ui_state cddb))" \
  eval '[ $(( $(ui_state cddb) & 1 )) = 0 ]'

# ---- Space clears it ------------------------------------------------------------------------
key space
cleared() { differ cddb-marked cddb-cleared-marked 20 && cddb_marked_again; }
cddb_marked_again() { e2e_colour_near "$(colour_at cddb-cleared-marked "$CDDB_MARK")" "$AMBER"; }
shot cddb-cleared-marked "$R_CDDB" cleared
e2e_check "Space clears the option, which keeps its mark (pixels changed: $(e2e_pixels_differing keyboard-cddb-marked keyboard-cddb-cleared-marked))" cleared
read_children cleared
e2e_check "the client reads the option as not checked" \
  child_is cleared 'Install the CDDB database' 'check box' 0

# ---- Shift+Tab and Tab, then Tab to Install -------------------------------------------------
key shift+Tab
read_children back
e2e_check "Shift+Tab goes back to Browse (focused: $(focused_child back))" eval '[ "$(focused_child back)" = Browse ]'
key Tab Tab
install_marked() { e2e_colour_near "$(colour_at install-marked "$INSTALL_MARK")" "$INK"; }
shot install-marked "$R_INSTALL" install_marked
e2e_check "Tab on to Install frames it in the skin's ink (colour $(colour_at install-marked "$INSTALL_MARK"), pixels changed: $(e2e_pixels_differing keyboard-install-start keyboard-install-marked))" \
  eval 'install_marked && differ install-start install-marked 20'
e2e_check "the frame leaves Install's caption as it was" same_part "$INSTALL_CAPTION" install-start install-marked
unmarked() { ! e2e_colour_near "$(colour_at cddb-cleared "$CDDB_MARK")" "$AMBER"; }
shot cddb-cleared "$R_CDDB" unmarked
e2e_check "the option's mark is gone" eval 'unmarked && same_part "$CDDB_PICTURE" cddb-cleared-marked cddb-cleared'
read_children install
e2e_check "the client reads Install as focused (focused: $(focused_child install))" \
  eval '[ "$(focused_child install)" = Install ]'

# ---- Enter installs ------------------------------------------------------------------------
key Return
question=$(e2e_wait_window 'Ovri TUNOVAR - Setup' 120) || question=
e2e_check "Enter on Install installs: the closing question comes" test -n "$question"
[ -n "$question" ] && e2e_check "the question takes the answer No" e2e_answer "$question" n
e2e_wait_exit "$program" 60
e2e_check "answered No, the installer ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
PRODUCT=$DRIVE_C/Programs/TUNOVAR/TUNOVAR
e2e_check "the product lies below the default path C:\\Programs\\TUNOVAR\\" test -f "$PRODUCT/tunOVAR.exe"
e2e_check "with the option cleared by Space no CDDB file is copied" \
  eval 'test -d "$PRODUCT/cddb" -a -z "$(ls -A "$PRODUCT/cddb")"'
e2e_expected_defile 1 'C:\Programs\TUNOVAR\' nocddb >"$E2E_RUN/defile.expected"
e2e_check "defile records language 1 and no CDDB file, byte for byte" \
  e2e_same_file "$E2E_RUN/defile.expected" "$PRODUCT/runtime/defile"

# ---- Focus marks hidden until the keyboard is used ------------------------------------------
# With the system's setting to hide them, the window starts with its marks hidden and shows
# them from the first Tab on; Escape then cancels.
e2e_check "the system's setting is changed to hide focus marks" \
  eval '[ -n "$readers" ] && e2e_wine_timeout 30 "$readers" --cues 0 >>"$E2E_LOGS/readers.log" 2>&1'
e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install-hidden.log" 'D:\TUNOVAR\runtime\install.exe' || exit 1
program=$E2E_PID
window=$(e2e_wait_window "$TITLE" 60) || window=
e2e_check "the window comes again" test -n "$window"
if [ -n "$window" ]; then
  xdotool windowfocus "$window" 2>/dev/null
  e2e_poll 10 e2e_has_focus "$window"
  e2e_poll 30 path_box_has_keyboard hidden-start
  e2e_check "the window starts with its focus marks hidden (window's state $(ui_state hidden-start))" \
    eval '[ $(( $(ui_state hidden-start) & 1 )) = 1 ]'
  key Tab
  shown_after_tab() { read_children hidden-tab && [ $(( $(ui_state hidden-tab) & 1 )) = 0 ]; }
  e2e_poll 10 shown_after_tab
  e2e_check "Tab shows them (window's state $(ui_state hidden-tab), on: $(focused_child hidden-tab))" \
    eval '[ $(( $(ui_state hidden-tab) & 1 )) = 0 ] && [ "$(focused_child hidden-tab)" = Browse ]'
  key Escape
  e2e_wait_exit "$program" 60
  e2e_check "Escape cancels: exit code 6 (got $E2E_EXIT)" test "$E2E_EXIT" = 6
fi

# ---- At 120 pixels per inch ------------------------------------------------------------------
# The window keeps the skin's pixel size at every resolution: the option's mark after two Tabs
# and Install's after a third are the same pictures as at 96 pixels per inch.
e2e_end_session
e2e_wine_timeout 30 "$readers" --cues 1 >>"$E2E_LOGS/readers.log" 2>&1
e2e_wine_timeout 30 "$E2E_REG" add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f \
  >>"$E2E_LOGS/dpi.log" 2>&1
e2e_wine_timeout 30 "$E2E_REG" add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
  /v LogPixels /t REG_DWORD /d 120 /f >>"$E2E_LOGS/dpi.log" 2>&1
e2e_end_session
e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install-120.log" 'D:\TUNOVAR\runtime\install.exe' || exit 1
program=$E2E_PID
window=$(e2e_wait_window "$TITLE" 60) || window=
e2e_check "the window comes at 120 pixels per inch" test -n "$window"
if [ -n "$window" ]; then
  xdotool windowfocus "$window" 2>/dev/null
  e2e_poll 10 e2e_has_focus "$window"
  e2e_poll 30 path_box_has_keyboard dpi
  dpi=$(awk -F'|' '$1 == "#uistate" { print $6 }' "$E2E_OUT/keyboard-readers-dpi.txt")
  e2e_check "the screen has 120 pixels per inch now (got $dpi)" test "$dpi" = 120
  key Tab Tab
  marked_120() { e2e_colour_near "$(colour_at cddb-marked-120 "$CDDB_MARK")" "$AMBER"; }
  shot cddb-marked-120 "$R_CDDB" marked_120
  e2e_check "the option's mark is the same picture at 120 pixels per inch (pixels changed: $(e2e_pixels_differing keyboard-cddb-marked keyboard-cddb-marked-120))" \
    eval 'marked_120 && e2e_pictures_same keyboard-cddb-marked keyboard-cddb-marked-120'
  key Tab
  install_120() { e2e_colour_near "$(colour_at install-marked-120 "$INSTALL_MARK")" "$INK"; }
  shot install-marked-120 "$R_INSTALL" install_120
  e2e_check "and so is Install's (pixels changed: $(e2e_pixels_differing keyboard-install-marked keyboard-install-marked-120))" \
    eval 'install_120 && e2e_pictures_same keyboard-install-marked keyboard-install-marked-120'
  key Escape
  e2e_wait_exit "$program" 60
fi

e2e_end_session
e2e_finish
