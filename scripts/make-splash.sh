#!/bin/bash
# Draws the splash picture res/splash.bmp (run by hand when the picture changes; the
# build takes the committed file). Needs ImageMagick and the DejaVu fonts.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
convert -size 150x420 gradient:'#000000'-'#5a5a5a' -rotate -90 \
  -fill '#3c8c3c' -draw 'rectangle 24,30 30,120' \
  -font DejaVu-Sans-Bold -pointsize 13 -fill '#c0c0c0' -annotate +44+48 'Velmoria' \
  -font DejaVu-Sans-Bold -pointsize 30 -fill white -annotate +42+86 'Quitaway 2000' \
  -font DejaVu-Sans -pointsize 12 -fill '#c0c0c0' \
  -annotate +44+112 'Installationen aufzeichnen und rückgängig machen' \
  -font DejaVu-Sans -pointsize 11 -fill '#c0c0c0' -annotate +336+138 'Version 2.0' \
  -type TrueColor BMP3:"$QW_ROOT/res/splash.bmp"
echo "$QW_ROOT/res/splash.bmp"
