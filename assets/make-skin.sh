#!/usr/bin/env bash
# Draws the installer's skin: the 800 x 600 background, the ten button bitmaps, the window
# icon and the custom pointer. The generated files are kept in the repository, so a build
# never needs ImageMagick; run this only to change the skin.
#
# Sizes follow the window's inventory: Up, Down and Help 23 x 21, Browse 30 x 19, the CDDB
# option 14 x 14 (chosen, a tick) and 16 x 16 (not chosen, an empty box). The buttons are
# 24-bit BMPs; the background is an 8-bit BMP with a palette of its own 256 colours and RLE8
# compression (about 40 KB instead of 1.4 MB), a form that GDI reads itself (LoadImage of a
# bitmap resource); the pointer is a 32 x 32 cursor with its hot spot at (6, 0).
set -euo pipefail
cd "$(dirname "$0")"

IM=/usr/bin/convert   # /usr/local/bin/convert may be a stand-in on build machines
FONT_BOLD=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

AMBER='#FDC216'       # the window's own colour (red 253, green 194, blue 22)
INK='#141724'         # dark text on amber
PANEL='#1F2333'       # the panel behind the controls; button bitmaps sit on it
FACE='#2C3248'        # face of a button in its normal state
LIGHT='#C8CAD4'

# Writes a 24-bit BMP (no alpha, no colour table) from the drawing given as arguments.
write_bmp() {
  local out=$1; shift
  "$IM" "$@" -alpha off -type TrueColor -compress None "BMP3:$out"
}

# Writes an 8-bit BMP with RLE8 compression: the drawing's colours reduced to 256 without
# dithering, so that rows of one colour stay runs (a dither would break them up; the largest
# change of a pixel is under 8 percent, at the edges of the smoothed letters).
write_rle8_bmp() {
  local out=$1; shift
  "$IM" "$@" -alpha off -dither None -colors 256 -type Palette -compress RLE "BMP3:$out"
}

# ---- Background ---------------------------------------------------------------------------
# An equaliser of faint amber bars behind the product name, then the panel that carries the
# controls (y 366 to 596), the rule under the caption row, the frames of the progress bar and
# the two text buttons Install and Cancel.
bars=$(awk 'BEGIN {
  for (i = 0; i < 52; i++) {
    x = 14 + i * 15;
    h = 30 + 150 * (0.5 + 0.5 * sin(i * 0.41)) * (0.55 + 0.45 * cos(i * 0.13 + 1.1));
    printf "rectangle %d,%d %d,%d ", x, 340 - h, x + 9, 340;
  }
}')
write_rle8_bmp background.bmp \
  -size 800x600 gradient:'#2B3049-#08090E' \
  -fill 'rgba(253,194,22,0.13)' -draw "$bars" \
  -fill 'rgba(253,194,22,0.35)' -draw 'rectangle 0,341 799,342' \
  -font "$FONT" -pointsize 26 -fill "$LIGHT" -gravity north -annotate +0+78 'Ovri' \
  -font "$FONT_BOLD" -pointsize 124 -fill 'rgba(0,0,0,0.55)' -annotate +4+118 'TUNOVAR' \
  -fill "$AMBER" -annotate +0+114 'TUNOVAR' \
  -font "$FONT" -pointsize 20 -fill "$LIGHT" -annotate +0+268 'S  E  T  U  P' \
  -gravity northwest \
  -fill "$PANEL" -stroke "$AMBER" -strokewidth 1 -draw 'roundrectangle 4,366 795,596 10,10' \
  -stroke 'rgba(253,194,22,0.45)' -draw 'line 22,404 777,404' \
  -stroke "$AMBER" -fill "$AMBER" \
  -draw 'roundrectangle 428,570 602,591 5,5' -draw 'roundrectangle 616,570 790,591 5,5' \
  -stroke '#5A6078' -fill none -draw 'rectangle 32,572 233,588'

# ---- Buttons --------------------------------------------------------------------------------
# Normal: an amber symbol on a dark face. Active (pressed): the face turns amber, the symbol
# dark, shifted down by one pixel.
button() {  # name width height state draw-commands...
  local out=$1 w=$2 h=$3 state=$4; shift 4
  local face=$FACE glyph=$AMBER
  if [ "$state" = active ]; then face=$AMBER glyph=$INK; fi
  write_bmp "$out" -size "${w}x${h}" "xc:$PANEL" \
    -fill "$face" -stroke "$AMBER" -strokewidth 1 \
    -draw "roundrectangle 0,0 $((w - 1)),$((h - 1)) 3,3" \
    -stroke none -fill "$glyph" "$@"
}
for state in normal active; do
  d=0; [ "$state" = active ] && d=1
  button "up_$state.bmp" 23 21 "$state" -draw "polygon 11,$((5 + d)) 17,$((14 + d)) 5,$((14 + d))"
  button "down_$state.bmp" 23 21 "$state" -draw "polygon 5,$((6 + d)) 17,$((6 + d)) 11,$((15 + d))"
  button "help_$state.bmp" 23 21 "$state" \
    -font "$FONT_BOLD" -pointsize 14 -gravity center -annotate "+0+$d" '?'
  button "browse_$state.bmp" 30 19 "$state" \
    -draw "circle 9,$((9 + d)) 10.6,$((9 + d))" -draw "circle 15,$((9 + d)) 16.6,$((9 + d))" \
    -draw "circle 21,$((9 + d)) 22.6,$((9 + d))"
done

# The CDDB option: a tick in a box while chosen, an empty box while not.
write_bmp cddb_chosen.bmp -size 14x14 "xc:$PANEL" \
  -fill "$FACE" -stroke "$AMBER" -strokewidth 1 -draw 'rectangle 0,0 13,13' \
  -fill none -stroke "$AMBER" -strokewidth 2 -draw 'polyline 3,7 6,10 11,3'
write_bmp cddb_not_chosen.bmp -size 16x16 "xc:$PANEL" \
  -fill "$FACE" -stroke "$LIGHT" -strokewidth 1 -draw 'rectangle 0,0 15,15'

# ---- Window icon ----------------------------------------------------------------------------
"$IM" -size 256x256 xc:none -fill "$AMBER" -draw 'roundrectangle 8,8 247,247 44,44' \
  -fill "$INK" -draw 'rectangle 46,44 209,84' -draw 'rectangle 108,44 148,214' \
  -fill "$INK" -draw 'rectangle 60,150 84,214' -draw 'rectangle 172,120 196,214' \
  -define icon:auto-resize=48,32,16 tunovar.ico

# ---- Custom pointer -------------------------------------------------------------------------
# An amber arrow with a dark rim whose tip is the hot spot (6, 0). ImageMagick cannot write a
# hot spot, so the cursor file is written byte by byte.
python3 - <<'PY'
import struct

W = H = 32
HOT = (6, 0)
# The arrow's outline in pixel coordinates; the tip lies on the hot spot.
poly = [(6, 0), (6, 22), (11, 17.5), (14.5, 25), (18, 23.5), (14.5, 16), (21, 16)]

def inside(px, py):
    result = False
    j = len(poly) - 1
    for i in range(len(poly)):
        (xi, yi), (xj, yj) = poly[i], poly[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result

def near_edge(px, py, limit=0.5):
    for i in range(len(poly)):
        (x1, y1), (x2, y2) = poly[i - 1], poly[i]
        dx, dy = x2 - x1, y2 - y1
        t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / (dx * dx + dy * dy)))
        if ((x1 + t * dx - px) ** 2 + (y1 + t * dy - py) ** 2) ** 0.5 <= limit:
            return True
    return False

shape = [[inside(x + 0.5, y + 0.5) or near_edge(x + 0.5, y + 0.5) for x in range(W)] for y in range(H)]
assert shape[HOT[1]][HOT[0]], "the hot spot must lie on the arrow"

def rim(x, y):
    for dy in (-1, 0, 1):
        for dx in (-1, 0, 1):
            nx, ny = x + dx, y + dy
            if not (0 <= nx < W and 0 <= ny < H) or not shape[ny][nx]:
                return True
    return False

xor = bytearray()
mask = bytearray()
for y in reversed(range(H)):  # bottom-up rows
    bits = 0
    for x in range(W):
        if shape[y][x]:
            b, g, r = (0x24, 0x17, 0x14) if rim(x, y) else (0x16, 0xC2, 0xFD)
            xor += bytes((b, g, r, 0xFF))
        else:
            xor += bytes((0, 0, 0, 0))
            bits |= 1 << (31 - x)
    mask += struct.pack('>I', bits)

header = struct.pack('<IiiHHIIiiII', 40, W, H * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
image = header + xor + mask
with open('cursor.cur', 'wb') as f:
    f.write(struct.pack('<HHH', 0, 2, 1))
    f.write(struct.pack('<BBBBHHII', W, H, 0, 0, HOT[0], HOT[1], len(image), 6 + 16))
    f.write(image)
PY

echo "skin written to $(pwd)"
