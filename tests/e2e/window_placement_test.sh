#!/usr/bin/env bash
# The installer window on a screen of 800 x 600, less than the window with its frame: the whole
# 800 x 600 client area, Install and Cancel in its bottom right corner included, lies on the
# screen, a click on Cancel where the layout puts it ends the program, and so does Escape. A
# title too long for Label_Caption's box is cut at the box, not drawn on towards Help.
#
# Usage: tests/e2e/window_placement_test.sh [path/to/install.exe]   (default build/win64/install.exe)
# Writes build/e2e/placement.png (the screen); logs go to build/e2e/logs/placement/.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

e2e_program "$@"

TITLE='Ovri TUNOVAR Setup'
E2E_SCREEN=800x600x24
CANCEL='703 581'  # the centre of Label_Cancel (9180, 8580, 2745 x 285 twips) in client pixels

e2e_begin placement
e2e_new_prefix placement
e2e_stage_cd "$EXE" "$DRIVE_C/cd"
PROGRAM='C:\cd\TUNOVAR\runtime\install.exe'

# ---- Where the window lies ----------------------------------------------------------------
e2e_start "$E2E_LOGS/first.log" "$PROGRAM"
first=$E2E_PID
e2e_require_window "$TITLE" 60
window=$E2E_WINDOW
e2e_frame_offset "$window"
# A frame cut to the screen's height would leave less than a caption above an 800 x 600 client.
e2e_check "the window keeps its frame around the full 800 x 600 client (offset $E2E_OX,$E2E_OY)" \
  test "$E2E_OX" -ge 0 -a "$E2E_OX" -le 10 -a "$E2E_OY" -ge $((E2E_OX + 10)) -a "$E2E_OY" -le 40
left=$((E2E_WX + E2E_OX))
top=$((E2E_WY + E2E_OY))
e2e_check "the client area lies on the 800 x 600 screen, the caption above it (client at $left,$top)" \
  test "$left" -ge 0 -a "$top" -ge 0 -a $((left + 800)) -le 800 -a $((top + 600)) -le 600
e2e_screenshot root placement

# shellcheck disable=SC2086  # two numbers
e2e_click "$window" $CANCEL
e2e_wait_exit "$first" 60
e2e_check "a click on Cancel at ($CANCEL) ends the program as cancelled (exit code $E2E_EXIT, 6 = cancelled)" test "$E2E_EXIT" = 6

# ---- A long title, and Escape --------------------------------------------------------------
# A second CD, only its runtime folder, whose title (slot 1) is far longer than its box.
LONG=$DRIVE_C/longcd
mkdir -p "$LONG/TUNOVAR"
cp -a "$DRIVE_C/cd/TUNOVAR/runtime" "$LONG/TUNOVAR/"
sed -i 's/^Ovri TUNOVAR - Setup\r$/Ovri TUNOVAR - Setup, a title far wider than its box\r/' \
  "$LONG/TUNOVAR/runtime/insttext"
e2e_start "$E2E_LOGS/second.log" 'C:\longcd\TUNOVAR\runtime\install.exe'
second=$E2E_PID
e2e_require_window "$TITLE" 60
# The client area lies at the screen's top left corner (checked above), so a part of the
# screen is that part of the client area. Label_Caption's box: 24, 381, 178 x 19 pixels; right
# of it, up to Help_P, the panel shows nothing.
shot=$E2E_RUN/long-title.png
amber_in() {  # X Y WIDTH HEIGHT: how many pixels of the text's amber the shot holds there
  "$IM_CONVERT" "$shot" -crop "$3x$4+$1+$2" +repage -fuzz 20% -fill white -opaque 'rgb(253,194,22)' \
    -fill black +opaque white -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
title_drawn() {
  "$IM_IMPORT" -window root "$shot" >>"$E2E_LOGS/import.log" 2>&1 && [ "$(amber_in 24 381 178 19)" -gt 200 ]
}
e2e_check "the long title is drawn in its box" e2e_poll 30 title_drawn
e2e_check "and cut there: nothing of it right of the box, before Help (amber pixels: $(amber_in 204 381 326 19))" \
  test "$(amber_in 204 381 326 19)" = 0
e2e_point_at "$E2E_WINDOW" 400 300
xdotool key Escape
e2e_wait_exit "$second" 60
e2e_check "Escape ends the program as Cancel does (exit code $E2E_EXIT, 6 = cancelled)" test "$E2E_EXIT" = 6

e2e_finish
