#!/usr/bin/env bash
# The installer window at work under Wine: Up, Down and the CDDB option change what the window
# shows (and Up then Down, off then on, bring the same picture back), a double click selects the
# whole path, a typed path survives a change of language, and Enter in the path box installs
# the sample CD into the typed folder in the language chosen. The closing question stays in
# front of the program group's folder window, owned by the installer window; answered Yes, it
# starts the product, whose window the silent uninstall then closes before it removes a file,
# so that it deletes the product program itself and leaves to its batch only its own files.
#
# Usage: tests/e2e/window_interaction_test.sh [path/to/install.exe]
# Writes build/e2e/interaction-*.png (regions of the window) and interaction.png (the window
# before Install); logs go to build/e2e/logs/interaction/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

TITLE='Ovri TUNOVAR Setup'

e2e_begin interaction
CD=$E2E_RUN/cd
e2e_stage_cd "$EXE" "$CD"
e2e_new_prefix interaction
e2e_map_drive d "$CD"

# Client pixels of the controls (their layout in twips / 15).
UP='600 390'            # Up_P
DOWN='576 390'          # Down_P
CDDB='39 536'           # CDDB_a and CDDB_p
PATH_END='370 492'      # the right part of Text_InstPath
PATH_SECOND_WORD='290 492'  # "Apps" of the typed path C:\My Apps
# Regions compared (x y width height): the caption row with the language's name and the
# first line of the information text; the required megabytes on its second line (the free
# space left of it changes with the disk and is left out); the CDDB option; the path box.
R_LANGUAGE='20 376 770 50'
R_REQUIRED='300 432 480 22'
R_CDDB='25 522 280 28'
R_PATH='228 484 296 17'

# Shoots REGION as interaction-NAME.png once it has settled and, when a TEST follows, once
# TEST succeeds on it (the change a click makes appears a moment later).
shot() {  # NAME REGION [TEST...]
  local name=$1 region=$2
  shift 2
  # shellcheck disable=SC2086  # the region is four numbers
  e2e_client_shot "$window" "interaction-$name" $region "$@"
}
differ() { e2e_pictures_differ "interaction-$1" "interaction-$2" "$3"; }
same() { e2e_pictures_same "interaction-$1" "interaction-$2"; }
click() {  # X Y
  # shellcheck disable=SC2086
  e2e_click "$window" $1
}

# The product notes in this file, outside the installation, which files were there when it was
# asked to close (the installer hands its surroundings on to the product).
NOTE=$DRIVE_C/product-note.txt
export TUNOVAR_PRODUCT_NOTE='C:\product-note.txt'
e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install.log" 'D:\TUNOVAR\runtime\install.exe' || exit 1
program=$E2E_PID
e2e_require_window "$TITLE" 60
window=$E2E_WINDOW

# ---- Up and Down --------------------------------------------------------------------------
shot language-1 "$R_LANGUAGE"
shot required-65 "$R_REQUIRED"
shot cddb-on "$R_CDDB"
shot path-default "$R_PATH"
click "$UP"
shot language-2 "$R_LANGUAGE" differ language-1 language-2 500
e2e_check "Up shows the next language (pixels changed: $(e2e_pixels_differing interaction-language-1 interaction-language-2))" \
  differ language-1 language-2 500
click "$DOWN"
shot language-1-again "$R_LANGUAGE" same language-1 language-1-again
e2e_check "Down after Up brings back the same picture (pixels changed: $(e2e_pixels_differing interaction-language-1 interaction-language-1-again))" \
  same language-1 language-1-again

# ---- The CDDB option ----------------------------------------------------------------------
click "$CDDB"
shot cddb-off "$R_CDDB" differ cddb-on cddb-off 20
shot required-60 "$R_REQUIRED" differ required-65 required-60 10
e2e_check "a click on the CDDB option clears it (pixels changed: $(e2e_pixels_differing interaction-cddb-on interaction-cddb-off))" \
  differ cddb-on cddb-off 20
e2e_check "and lowers the space required (pixels changed: $(e2e_pixels_differing interaction-required-65 interaction-required-60))" \
  differ required-65 required-60 10
click "$CDDB"
shot cddb-on-again "$R_CDDB" same cddb-on cddb-on-again
shot required-65-again "$R_REQUIRED" same required-65 required-65-again
e2e_check "a second click sets it again: the same picture as at the start" same cddb-on cddb-on-again
e2e_check "and the same space required as at the start" same required-65 required-65-again
click "$CDDB"  # off for the installation below
shot cddb-off-again "$R_CDDB" same cddb-off cddb-off-again
e2e_check "a third click clears it again" same cddb-off cddb-off-again

# ---- The path box -------------------------------------------------------------------------
# shellcheck disable=SC2086
e2e_double_click "$window" $PATH_END
shot path-selected "$R_PATH" differ path-default path-selected 200
e2e_check "a double click on the path marks it (pixels changed: $(e2e_pixels_differing interaction-path-default interaction-path-selected))" \
  differ path-default path-selected 200
# Typing replaces the marked text. The new path has two words: a double click on the second
# marks the whole text, where the edit box alone would mark only the word under the pointer.
xdotool type --delay 30 'C:\My Apps'
shot path-typed "$R_PATH" differ path-selected path-typed 100
e2e_check "the typed path is shown" differ path-selected path-typed 100
# The first word, "C:\My", at the left end of the box.
left_typed=$E2E_RUN/left-typed.png
left_selected=$E2E_RUN/left-selected.png
first_word() {  # NAME OUT
  "$IM_CONVERT" "$E2E_OUT/interaction-$1.png" -crop 30x13+3+2 +repage "$2"
}
first_word_marked() {
  first_word path-typed-selected "$left_selected" && e2e_png_differ "$left_typed" "$left_selected" 100
}
first_word path-typed "$left_typed"
# shellcheck disable=SC2086
e2e_double_click "$window" $PATH_SECOND_WORD
shot path-typed-selected "$R_PATH" first_word_marked
e2e_check "a double click on \"Apps\" marks the first word \"C:\\My\" too (pixels changed there: $(e2e_png_differing "$left_typed" "$left_selected"))" \
  e2e_png_differ "$left_typed" "$left_selected" 100
# Typed over the whole marking, the text is the new path alone (the installation below shows it).
xdotool type --delay 30 'C:\My Apps'
click "$UP"  # English to French
shot language-3 "$R_LANGUAGE" differ language-1 language-3 500
shot path-after-up "$R_PATH"
e2e_check "Up switches to the third language" differ language-1 language-3 500
e2e_screenshot "$window" interaction

# ---- Enter: Install, then Yes ---------------------------------------------------------------
# The path box has the keyboard since the typing.
xdotool key Return
question=$(e2e_wait_window 'Installation TUNOVAR' 120) || question=
e2e_check "Enter in the path box installs, and the closing question comes in French (\"Installation TUNOVAR\")" \
  test -n "$question"
# The group's folder window opens in a process of the shell's; once it is there and has been
# clicked (made the active window), the question must still lie in front of it. The order is
# the system's own: without a window manager Wine stacks a window shown later above on the
# screen whatever the system's order says, so the screenshot is no proof.
group_window() { e2e_visible_window_of explorer.exe 'Ovri TUNOVAR'; }
folder=$(e2e_poll 30 group_window) || folder=
e2e_check "the program group's folder window opens" test -n "$folder"
# On its caption, which the question (in the middle of the screen) leaves free.
[ -n "$folder" ] && xdotool mousemove --window "$folder" 200 8 click 1
windows=$E2E_RUN/windows.txt
lister=$(e2e_tool window_list) || lister=
# The system's windows, front first: "front|topmost|class|owner|title" (CR LF from Wine).
list_windows() {
  [ -n "$lister" ] && e2e_wine_timeout 30 "$lister" >"$windows.crlf" 2>>"$E2E_LOGS/window_list.log" &&
    tr -d '\r' <"$windows.crlf" >"$windows"
}
question_in_front() {
  list_windows && awk -F'|' '$5 == "Installation TUNOVAR" { q = NR } $3 == "ExplorerWClass" && !f { f = NR }
                             END { exit !(q && f && q < f) }' "$windows"
}
# The question has the keyboard again once a click on it has made it the foreground window.
question_has_keyboard() {
  list_windows && awk -F'|' '$5 == "Installation TUNOVAR" && $1 == 1 { found = 1 } END { exit !found }' "$windows"
}
e2e_check "after a click on the folder window the question still lies in front of it" \
  eval '[ -n "$lister" ] && e2e_poll 30 question_in_front'
e2e_check "the question is kept in front of every window and owned by the installer window" \
  awk -F'|' -v owner="$TITLE" '$5 == "Installation TUNOVAR" && $2 == 1 && $4 == owner { found = 1 }
                                END { exit !found }' "$windows"
e2e_screenshot root interaction-question
if [ -n "$question" ]; then
  xdotool mousemove --window "$question" 100 8 click 1
  e2e_poll 30 question_has_keyboard
  e2e_check "the question takes the answer Yes" e2e_answer "$question" Return
fi
e2e_wait_exit "$program" 60
e2e_check "answered Yes, the installer ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
product=$(e2e_poll 30 e2e_visible_window_of tunovar.exe 'Ovri TUNOVAR') || product=
e2e_check "and starts the product: its window \"Ovri TUNOVAR\" of tunOVAR.exe shows" test -n "$product"

# The typed path, kept through the change of language, with its blank made "_" and the
# product's folder added: C:\My_Apps\TUNOVAR\.
PRODUCT=$DRIVE_C/My_Apps/TUNOVAR/TUNOVAR
T='C:\My_Apps\TUNOVAR\'
e2e_check "the product lies below the typed path: C:\\My_Apps\\TUNOVAR\\TUNOVAR\\" \
  test -f "$PRODUCT/tunOVAR.exe" -a -f "$PRODUCT/runtime/deinstal.exe"
e2e_check "the guide and the help file are the French ones (2_texte.txt, 2_tunodoc.hlp)" \
  eval 'cmp -s "$PRODUCT/texte.txt" "$CD/TUNOVAR/2_texte.txt" && cmp -s "$PRODUCT/tunoDoc.hlp" "$CD/TUNOVAR/2_tunodoc.hlp"'
e2e_check "the data file is complete" cmp -s "$PRODUCT/pdata/tunovar.dat" "$CD/TUNOVAR/pdata/tunovar.dat"
e2e_check "with the CDDB option off no CDDB file is copied (the folder is made)" \
  eval 'test -d "$PRODUCT/cddb" -a -z "$(ls -A "$PRODUCT/cddb")"'
printf '"%stunovar\\"\r\n' "$T" >"$E2E_RUN/ovrituno.expected"
e2e_check "ovrituno.inf names the product folder under the typed path" \
  cmp -s "$E2E_RUN/ovrituno.expected" "$DRIVE_C/windows/ovrituno.inf"
e2e_expected_defile 2 "$T" nocddb >"$E2E_RUN/defile.expected"
e2e_check "defile records language 2 and no CDDB file, byte for byte" \
  e2e_same_file "$E2E_RUN/defile.expected" "$PRODUCT/runtime/defile"

group=$(e2e_group_folder) || group=
items=$(e2e_group_items "$group")
e2e_check "the Start Menu group holds the French items TUNOVAR, Lisez-moi and Introduction - CD (got: $items)" \
  test "$items" = 'Introduction - CD.lnk|Lisez-moi.lnk|TUNOVAR.lnk|'
e2e_check "the item Lisez-moi opens the installed readme.txt" \
  grep -a -q -i -F "${T}TUNOVAR\\readme.txt" "$group/Lisez-moi.lnk"
reg_out=$E2E_LOGS/uninstall-entry.txt
e2e_query_uninstall_entry "$reg_out"
e2e_check "the uninstall entry starts C:\\My_Apps\\TUNOVAR\\tunovar\\runtime\\deinstal.exe" \
  grep -q -i -F '"C:\My_Apps\TUNOVAR\tunovar\runtime\deinstal.exe"' "$reg_out"

# ---- The uninstall closes the product first ------------------------------------------------
# Every file placed, as the product would list them: one relative path a line.
(cd "$PRODUCT" && find . -type f | sed 's|^\./||; s|/|\\|g' | sort) >"$E2E_RUN/installed-files"
e2e_start_in "$DRIVE_C" "$E2E_LOGS/uninstall.log" "${T}tunovar\\runtime\\deinstal.exe" /S || exit 1
e2e_wait_exit "$E2E_PID" 60
e2e_check "the silent uninstall ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0
product_window_gone() { ! e2e_visible_window_of tunovar.exe 'Ovri TUNOVAR' >/dev/null; }
e2e_check "the product's window is gone" e2e_poll 30 product_window_gone
e2e_check "the product has ended" e2e_poll 30 eval '[ "$(e2e_count_processes tunOVAR.exe)" = 0 ]'
noted_files() { tr -d '\r' <"$NOTE" | sed '1{/^closing$/d}; ${/^end$/d}' | sort; }
e2e_check "it was asked to close once, with every installed file still there" \
  eval '[ "$(grep -c closing "$NOTE")" = 1 ] && cmp -s "$E2E_RUN/installed-files" <(noted_files)'
# A program that runs cannot be deleted: had the product not ended in time, tunOVAR.exe would
# be left beside what the uninstaller leaves to its batch (its own program, the removal list it
# holds open, the batch and its PIF), which the batch may have removed by now as well.
not_left_to_batch() {
  (cd "$PRODUCT" 2>/dev/null && find . -type f | sed 's|^\./||' |
    grep -v -x -E 'runtime/(deinstal\.exe|defile|deinst\.bat|deinst\.pif)' | tr '\n' ' ')
}
e2e_check "the uninstaller itself removed the product's files, tunOVAR.exe among them (other files left: $(not_left_to_batch))" \
  test -z "$(not_left_to_batch)"
no_files_left() { [ -z "$(find "$DRIVE_C/My_Apps" -type f 2>/dev/null)" ]; }
e2e_check "the product's files are gone once the removal batch has run" e2e_poll 30 no_files_left

e2e_end_session
e2e_finish
