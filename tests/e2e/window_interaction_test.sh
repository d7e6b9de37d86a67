#!/usr/bin/env bash
# The installer window at work under Wine: Up, Down and the CDDB option change what the window
# shows (and Up then Down, off then on, bring the same picture back), a double click selects the
# whole path, a typed path survives a change of language, and Install with the answer No
# installs the sample CD into the typed folder in the language chosen.
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
INSTALL='515 581'       # Label_Install
# Regions compared (x y width height): the caption row with the language's name and the
# first line of the information text; the required megabytes on its second line (the free
# space left of it changes with the disk and is left out); the CDDB option; the path box.
R_LANGUAGE='20 376 770 50'
R_REQUIRED='300 432 480 22'
R_CDDB='25 522 280 28'
R_PATH='228 484 296 17'

shot() {  # NAME REGION
  # shellcheck disable=SC2086  # the region is four numbers
  e2e_client_shot "$window" "interaction-$1" $2
}
click() {  # X Y
  # shellcheck disable=SC2086
  e2e_click "$window" $1
}

e2e_start_in "$CD/TUNOVAR/runtime" "$E2E_LOGS/install.log" 'D:\TUNOVAR\runtime\install.exe' || exit 1
program=$E2E_PID
e2e_require_window "$TITLE" 60
window=$E2E_WINDOW
sleep 1

# ---- Up and Down --------------------------------------------------------------------------
shot language-1 "$R_LANGUAGE"
shot required-65 "$R_REQUIRED"
shot cddb-on "$R_CDDB"
shot path-default "$R_PATH"
click "$UP"
sleep 0.6
shot language-2 "$R_LANGUAGE"
e2e_check "Up shows the next language (pixels changed: $(e2e_pixels_differing interaction-language-1 interaction-language-2))" \
  e2e_pictures_differ interaction-language-1 interaction-language-2 500
click "$DOWN"
sleep 0.6
shot language-1-again "$R_LANGUAGE"
e2e_check "Down after Up brings back the same picture (pixels changed: $(e2e_pixels_differing interaction-language-1 interaction-language-1-again))" \
  e2e_pictures_same interaction-language-1 interaction-language-1-again

# ---- The CDDB option ----------------------------------------------------------------------
click "$CDDB"
sleep 0.4
shot cddb-off "$R_CDDB"
shot required-60 "$R_REQUIRED"
e2e_check "a click on the CDDB option clears it (pixels changed: $(e2e_pixels_differing interaction-cddb-on interaction-cddb-off))" \
  e2e_pictures_differ interaction-cddb-on interaction-cddb-off 20
e2e_check "and lowers the space required (pixels changed: $(e2e_pixels_differing interaction-required-65 interaction-required-60))" \
  e2e_pictures_differ interaction-required-65 interaction-required-60 10
click "$CDDB"
sleep 0.4
shot cddb-on-again "$R_CDDB"
shot required-65-again "$R_REQUIRED"
e2e_check "a second click sets it again: the same picture as at the start" \
  e2e_pictures_same interaction-cddb-on interaction-cddb-on-again
e2e_check "and the same space required as at the start" \
  e2e_pictures_same interaction-required-65 interaction-required-65-again
click "$CDDB"  # off for the installation below
sleep 0.4

# ---- The path box -------------------------------------------------------------------------
# shellcheck disable=SC2086
e2e_double_click "$window" $PATH_END
sleep 0.4
shot path-selected "$R_PATH"
e2e_check "a double click on the path marks it (pixels changed: $(e2e_pixels_differing interaction-path-default interaction-path-selected))" \
  e2e_pictures_differ interaction-path-default interaction-path-selected 200
# Typing replaces the marked text. The new path has two words: a double click on the second
# marks the whole text, where the edit box alone would mark only the word under the pointer.
xdotool type --delay 30 'C:\My Apps'
sleep 0.3
shot path-typed "$R_PATH"
e2e_check "the typed path is shown" e2e_pictures_differ interaction-path-selected interaction-path-typed 100
# shellcheck disable=SC2086
e2e_double_click "$window" $PATH_SECOND_WORD
sleep 0.4
shot path-typed-selected "$R_PATH"
# The first word, "C:\My", at the left end of the box.
left_typed=$E2E_RUN/left-typed.png
left_selected=$E2E_RUN/left-selected.png
"$IM_CONVERT" "$E2E_OUT/interaction-path-typed.png" -crop 30x13+3+2 +repage "$left_typed"
"$IM_CONVERT" "$E2E_OUT/interaction-path-typed-selected.png" -crop 30x13+3+2 +repage "$left_selected"
e2e_check "a double click on \"Apps\" marks the first word \"C:\\My\" too (pixels changed there: $(e2e_png_differing "$left_typed" "$left_selected"))" \
  e2e_png_differ "$left_typed" "$left_selected" 100
# Typed over the whole marking, the text is the new path alone (the installation below shows it).
xdotool type --delay 30 'C:\My Apps'
sleep 0.3
click "$UP"  # English to French
sleep 0.6
shot path-after-up "$R_PATH"
shot language-3 "$R_LANGUAGE"
e2e_check "Up switches to the third language" e2e_pictures_differ interaction-language-1 interaction-language-3 500
e2e_screenshot "$window" interaction

# ---- Install, then No ---------------------------------------------------------------------
click "$INSTALL"
question=$(e2e_wait_window 'Installation TUNOVAR' 120) || question=
e2e_check "Install runs and asks in French (\"Installation TUNOVAR\")" test -n "$question"
if [ -n "$question" ]; then
  sleep 0.3
  e2e_screenshot root interaction-question
  e2e_answer "$question" n
fi
e2e_wait_exit "$program" 20
e2e_check "answered No, the installer ends with exit code 0 (got $E2E_EXIT)" test "$E2E_EXIT" = 0

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

e2e_end_session
e2e_finish
