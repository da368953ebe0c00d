#!/bin/sh
# Soak run: 30 minutes of the magazine in an X server of its own, with the
# songs cycling and the pointer wandering and clicking. Prints the program's
# resident memory once a minute; it must not grow after the first minutes.
#
#   tools/release/soak.sh [BUILD_DIR] [MINUTES]
set -eu
build=$(cd "${1:-build}" && pwd)
minutes=${2:-30}
work=$(mktemp -d)
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

# Scene units to pixels at 1024 x 768: the plane at depth 46 under an
# 80-degree vertical field of view.
px() { awk -v x="$1" 'BEGIN { printf "%d", 512 + x * 384 / (46 * 0.8390996) }'; }
py() { awk -v y="$1" 'BEGIN { printf "%d", 384 - y * 384 / (46 * 0.8390996) }'; }
click() { xdotool mousemove "$(px "$1")" "$(py "$2")" click 1; }

echo "minute rss_kib"
minute=0
while [ "$minute" -le "$minutes" ]; do
    echo "$minute $(awk '/VmRSS/ { print $2 }' /proc/$program/status)"
    [ "$minute" -eq "$minutes" ] && break
    end=$(( $(date +%s) + 60 ))
    while [ "$(date +%s)" -lt "$end" ]; do
        section=$(( $(date +%s) % 8 ))
        click "$(awk -v s=$section 'BEGIN { split("-30 -20 -11 -2.5 6.5 15.5 23.5 31.5", x, " "); print x[s + 1] }')" -25
        sleep 2
        click 19 -30.5
        sleep 1
        xdotool mousemove $(( $(date +%s) * 37 % 1024 )) $(( $(date +%s) * 53 % 768 ))
        sleep 1
        song=$(( $(date +%s) % 4 ))
        click "$(awk -v s=$song 'BEGIN { split("-39.6 -36.8 -34.0 -31.0", x, " "); print x[s + 1] }')" 23.5
        sleep 4
    done
    minute=$((minute + 1))
done
kill -0 "$program" || { echo "soak: the program ended early"; exit 1; }
