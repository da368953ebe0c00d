#!/bin/sh
# Soak run: 30 minutes of the magazine in an X server of its own, with the
# songs cycling and the pointer wandering and clicking. Prints the program's
# resident memory once a minute; it must not grow after the first minutes.
#
#   tools/release/soak.sh [BUILD_DIR] [MINUTES]
set -eu
build=$(cd "${1:-build}" && pwd)
cmake --build "$build" --target print_button_places >/dev/null
minutes=${2:-30}
work=$(mktemp -d)
program= server=
trap 'kill $program $server 2>/dev/null; rm -rf "$work"' EXIT

cp -r "$build/issue/data" "$work/data"
exec 3>"$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -noreset -nolisten tcp 2>/dev/null &
server=$!
sleep 1
export DISPLAY=":$(head -n1 "$work/displayfd")"
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1
(cd "$work" && exec "$build/tallyboard" >"$work/stdout.txt") &
program=$!

sleep 5
xdotool mousemove 256 256 key F1 key space
sleep 2

# Buttons by pick name (sections 0-7, songs 8-11, next page 88),
# placed where the menu's own table puts them.
"$build/bench/print_button_places" >"$work/buttons"
click() { xdotool mousemove $(awk -v pick="$1" '$1 == pick { print $2, $3 }' "$work/buttons") click 1; }

echo "minute rss_kib"
minute=0
while [ "$minute" -le "$minutes" ]; do
    echo "$minute $(awk '/VmRSS/ { print $2 }' /proc/$program/status)"
    [ "$minute" -eq "$minutes" ] && break
    end=$(( $(date +%s) + 60 ))
    while [ "$(date +%s)" -lt "$end" ]; do
        click $(( $(date +%s) % 8 ))
        sleep 2
        click 88
        sleep 1
        xdotool mousemove $(( $(date +%s) * 37 % 1024 )) $(( $(date +%s) * 53 % 768 ))
        sleep 1
        click $(( 8 + $(date +%s) % 4 ))
        sleep 4
    done
    minute=$((minute + 1))
done
kill -0 "$program" || { echo "soak: the program ended early"; exit 1; }
