#!/bin/sh
# Contact sheet of every generated picture, each scaled to fit its cell
# (small pixel lettering enlarged texel for texel) and labelled with its file
# name and real size, on a grey ground so that black and transparent parts
# show.
set -eu
art="$1"
out="$2"
cd "$art"
montage -label '%f\n%wx%h' $(ls *.png | sort) \
    -geometry '256x192+6+6' -tile 8x -background '#2a2a2a' -fill '#dddddd' -pointsize 10 \
    -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
    -filter point "$out"
