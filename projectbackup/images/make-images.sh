#!/bin/sh
# Draws the backup dialog's picture (38x56, 24-bit BMP) and its window icon (32x32, 16 colours)
# with ImageMagick. Rerun after changing a drawing; the outputs are committed beside this script.
set -eu
cd "$(dirname "$0")"

# The picture: a floppy disk above a green arrow pointing into it, on a pale panel.
convert -size 38x56 gradient:'#e8eef6'-'#b8c8dc' \
  -fill '#1f3f7a' -stroke '#0b1d3d' -draw 'roundrectangle 4,3 33,32 2,2' \
  -fill '#c9ced6' -stroke '#6b7480' -draw 'rectangle 11,3 26,12' \
  -fill '#1f3f7a' -stroke none -draw 'rectangle 21,5 24,10' \
  -fill '#fbfbf4' -stroke '#9aa3ad' -draw 'rectangle 8,19 29,31' \
  -stroke '#c33b3b' -draw 'line 10,23 27,23' -stroke '#7d8894' -draw 'line 10,27 24,27' \
  -fill '#2e9b3a' -stroke '#145c1c' -draw 'polygon 15,54 15,43 9,43 19,34 29,43 23,43 23,54' \
  -type TrueColor BMP3:picture.bmp

# The icon: the same disk with a green tick, reduced to 16 colours.
convert -size 32x32 xc:none \
  -fill '#1f3f7a' -stroke '#0b1d3d' -draw 'roundrectangle 2,2 29,29 2,2' \
  -fill '#c9ced6' -stroke '#6b7480' -draw 'rectangle 8,2 22,11' \
  -fill '#1f3f7a' -stroke none -draw 'rectangle 17,4 20,9' \
  -fill '#fbfbf4' -stroke '#9aa3ad' -draw 'rectangle 6,16 25,29' \
  -fill none -stroke '#2e9b3a' -strokewidth 3 -draw 'stroke-linejoin round stroke-linecap round polyline 9,22 14,26 23,17' \
  -colors 16 PNG8:icon.png
