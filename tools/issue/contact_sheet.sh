#!/bin/sh
# Contact sheet of every generated picture: each at its own size (the large
# ones reduced), labelled with its file name, on a grey ground so that black
# and transparent parts show.
set -eu
art="$1"
out="$2"
cd "$art"
montage -label '%f\n%wx%h' $(ls *.png | sort) \
    -geometry '256x192>+6+6' -tile 8x -background '#2a2a2a' -fill '#dddddd' -pointsize 10 \
    -filter point "$out"
