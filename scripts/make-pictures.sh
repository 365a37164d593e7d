#!/bin/bash
# Draws the program's pictures into res/ (run by hand when a picture changes; the
# build takes the committed files): the splash screen, the welcome dialog's picture
# and the six pictures of the wizard's start page. Needs ImageMagick and the DejaVu
# fonts.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
res=$QW_ROOT/res

convert -size 150x420 gradient:'#000000'-'#5a5a5a' -rotate -90 \
  -fill '#3c8c3c' -draw 'rectangle 24,30 30,120' \
  -font DejaVu-Sans-Bold -pointsize 13 -fill '#c0c0c0' -annotate +44+48 'Velmoria' \
  -font DejaVu-Sans-Bold -pointsize 30 -fill white -annotate +42+86 'Quitaway 2000' \
  -font DejaVu-Sans -pointsize 12 -fill '#c0c0c0' \
  -annotate +44+112 'Installationen aufzeichnen und rückgängig machen' \
  -font DejaVu-Sans -pointsize 11 -fill '#c0c0c0' -annotate +336+138 'Version 2.0' \
  -type TrueColor BMP3:"$res/splash.bmp"

# The welcome picture: a narrow band down the left side of the dialog.
convert -size 120x300 gradient:'#5a5a5a'-'#000000' \
  -fill '#3c8c3c' -draw 'rectangle 14,20 18,110' \
  -font DejaVu-Sans-Bold -pointsize 12 -fill '#c0c0c0' -annotate +26+36 'Velmoria' \
  -font DejaVu-Sans-Bold -pointsize 17 -fill white -annotate +24+64 'Quitaway' \
  -font DejaVu-Sans-Bold -pointsize 17 -fill white -annotate +24+88 '2000' \
  -type TrueColor BMP3:"$res/welcome.bmp"

# The wizard's start page: 48 x 48 pictures on the window face.
wiz() {  # number, drawing arguments
  local n=$1; shift
  convert -size 48x48 xc:'#f0f0f0' -stroke '#3c3c3c' -strokewidth 2 "$@" -type TrueColor BMP3:"$res/wiz$n.bmp"
}
wiz 1 -fill '#e8c860' -draw 'rectangle 8,18 40,42' -fill '#3c8c3c' -stroke '#3c8c3c' -strokewidth 5 \
  -draw 'line 24,4 24,22' -draw 'line 15,13 33,13'
wiz 2 -fill white -draw 'rectangle 10,4 38,44' -stroke '#a0a0a0' -draw 'line 15,14 33,14' -draw 'line 15,22 33,22' \
  -stroke '#c83c3c' -strokewidth 5 -draw 'line 16,34 32,34'
wiz 3 -fill '#e8c860' -draw 'rectangle 8,18 40,42' -stroke '#c83c3c' -strokewidth 5 \
  -draw 'line 14,4 32,22' -draw 'line 32,4 14,22'
wiz 4 -fill white -draw 'rectangle 6,6 30,36' -draw 'rectangle 18,12 42,42' -stroke '#a0a0a0' \
  -draw 'line 22,22 38,22' -draw 'line 22,30 38,30'
wiz 5 -fill '#b4d2f0' -draw 'circle 24,24 24,4' -fill none -draw 'ellipse 24,24 9,20 0,360' \
  -draw 'line 4,24 44,24' -draw 'line 8,14 40,14' -draw 'line 8,34 40,34'
wiz 6 -fill white -draw 'rectangle 6,6 42,42' -stroke none -fill '#3c3c3c' \
  -font DejaVu-Serif-Bold -pointsize 30 -annotate +12+36 'A' -stroke '#c83c3c' -strokewidth 3 -draw 'line 8,40 40,8'
ls "$res"/*.bmp
