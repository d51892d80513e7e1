#!/bin/sh
# Draws the links dialog's picture: two interlocked chain links on a sky gradient, 43 x 72
# pixels, saved as a baseline JFIF 1.01 JPEG with three components and the luminance sampled
# 2 x 2 (4:2:0).
# Run from this folder: sh make_picture.sh
set -e
out=${1:-quorvin.jpg}
convert -size 43x72 gradient:'#2a5caa-#cfe3f7' \
  -fill none -strokewidth 4 \
  -stroke '#f0b43c' -draw 'roundrectangle 9,6 33,38 11,11' \
  -stroke '#c0392b' -draw 'roundrectangle 9,32 33,64 11,11' \
  -stroke '#f0b43c' -draw 'line 33,28 33,37' \
  -fill '#1b2a4a' -stroke none -draw 'rectangle 0,68 42,71' \
  -strip -colorspace sRGB -type TrueColor \
  -sampling-factor 2x2,1x1,1x1 -quality 85 -interlace none \
  "jpeg:$out"
