#!/usr/bin/env bash
# The installer window under Wine: started from a staged CD it shows "Ovri TUNOVAR Setup"
# with its skin, a second start leaves one instance and brings the window in front of another
# program's, and Cancel ends the program (exit code 6).
#
# Usage: tests/e2e/window_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Writes build/e2e/window.png; logs go to build/e2e/logs/window/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

TITLE='Ovri TUNOVAR Setup'
TWIPS_PER_PIXEL=15  # Wine's screen here: 96 pixels per inch

# The centre of a control in client pixels, from its design layout in twips.
centre() {  # left top width height
  echo $((($1 + $3 / 2) / TWIPS_PER_PIXEL)) $((($2 + $4 / 2) / TWIPS_PER_PIXEL))
}

e2e_begin window
e2e_new_prefix window
e2e_stage_cd "$EXE" "$DRIVE_C/cd"
PROGRAM='C:\cd\TUNOVAR\runtime\install.exe'

# ---- The window appears -------------------------------------------------------------------
e2e_start "$E2E_LOGS/first.log" "$PROGRAM"
first=$E2E_PID
e2e_require_window "$TITLE" 60
window=$E2E_WINDOW

# The picture once the first paint has settled.
e2e_screenshot "$window" window
shot=$E2E_OUT/window.png
e2e_check "a screenshot is written to build/e2e/window.png" test -s "$shot"

# The skin sits where the layout says: the frame offset is Wine's, the rest is the client.
e2e_frame_offset "$window"
# Wine's frame is a few pixels wide with a caption on top: anything else means the client
# area is not 800 x 600.
e2e_check "the frame holds an 800 x 600 client (offset $E2E_OX,$E2E_OY)" \
  test "$E2E_OX" -ge 0 -a "$E2E_OX" -le 10 -a "$E2E_OY" -ge $((E2E_OX + 10)) -a "$E2E_OY" -le 40
at() { e2e_pixel "$shot" $(($1 + E2E_OX)) $(($2 + E2E_OY)); }
# Verlauf (495, 8595 twips) is drawn in the window's colour; the Install button of the skin is
# amber next to its centred text; the top of the background is dark.
e2e_check "the progress bar Verlauf is drawn in RGB(253,194,22) (got $(at 40 580))" \
  e2e_colour_near "$(at 40 580)" 253,194,22 8
e2e_check "the skin's Install button lies under Label_Install (got $(at 440 580))" \
  e2e_colour_near "$(at 440 580)" 253,194,22 40
e2e_check "the background is the skin's dark gradient (got $(at 20 20))" \
  e2e_colour_near "$(at 20 20)" 43,48,73 40
# The pictures lie at their twips / 15: the amber left edge of CDDB_a (480, 7935 twips) and of
# Help_P (7995, 5700 twips), with the dark face just inside.
picture_at() {  # edge x y, face x y
  e2e_colour_near "$(at "$1" "$2")" 253,194,22 40 && e2e_colour_near "$(at "$3" "$4")" 44,50,72 24
}
e2e_check "CDDB_a is drawn at (32, 529) (edge $(at 32 535), face $(at 38 536))" picture_at 32 535 38 536
e2e_check "Help_P is drawn at (533, 380) (edge $(at 533 385), face $(at 540 390))" picture_at 533 385 540 390

# ---- A second start leaves one instance and brings the window forward ---------------------
# Another program's window in front of the installer's: the sample product, from the CD.
e2e_start "$E2E_LOGS/product.log" 'C:\cd\TUNOVAR\tunOVAR.exe'
cover=$(e2e_poll 30 e2e_visible_window_of tunovar.exe 'Ovri TUNOVAR') || cover=
e2e_check "the product's window opens in front of the installer's" \
  eval '[ -n "$cover" ] && e2e_poll 30 e2e_stacked_above "$cover" "$window"'
e2e_start "$E2E_LOGS/second.log" "$PROGRAM"
second=$E2E_PID
e2e_wait_exit "$second" 60
e2e_check "a second start ends by itself (exit code $E2E_EXIT, 5 = another instance)" test "$E2E_EXIT" = 5
e2e_check "exactly one install.exe runs afterwards" test "$(e2e_count_processes install.exe)" = 1
window_shown() { e2e_window_shown "$window"; }
e2e_check "the first instance keeps its window" window_shown
e2e_check "the second start has brought it in front of the product's window" \
  eval '[ -n "$cover" ] && e2e_poll 30 e2e_stacked_above "$window" "$cover"'

# ---- Cancel ends the program --------------------------------------------------------------
read -r cx cy <<<"$(centre 9180 8580 2745 285)"  # Label_Cancel
e2e_click "$window" "$cx" "$cy"
e2e_wait_exit "$first" 60
e2e_check "a click on Cancel at ($cx, $cy) ends the program as cancelled (exit code $E2E_EXIT, 6 = cancelled)" test "$E2E_EXIT" = 6
e2e_check "the window is gone" e2e_wait_no_window "$TITLE" 30
e2e_check "no install.exe runs any more" test "$(e2e_count_processes install.exe)" = 0

e2e_finish
