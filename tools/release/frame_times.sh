#!/bin/sh
# Frame times of the real program measured from outside: every buffer swap
# is timed by a preloaded shim (swap_timer.c), in an X server of its own with
# Mesa's software renderer. Prints one line per scene: median and 90th
# percentile frame time in ms, frames measured, and the CPU ms per frame of
# the main thread and of all threads (the renderer's included); and the peak
# resident memory of each run.
#
#   tools/release/frame_times.sh [BUILD_DIR]
set -eu
build=$(cd "${1:-build}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
program= server=
trap 'kill $program $server 2>/dev/null || true; rm -rf "$work"' EXIT

cc -O2 -shared -fPIC "$here/swap_timer.c" -o "$work/swap_timer.so" -ldl
cp -r "$build/issue/data" "$work/data"
"$build/bench/print_button_places" >"$work/buttons"
export SDL_AUDIODRIVER=dummy LIBGL_ALWAYS_SOFTWARE=1

click() { xdotool mousemove $(awk -v pick="$1" '$1 == pick { print $2, $3 }' "$work/buttons") click 1; }
now() { tail -n1 "$work/swaps" | cut -d' ' -f1; }  # the shim's clock, at the latest swap

# CPU time so far, in clock ticks: "main thread, all threads".
ticks() { echo "$(awk '{ print $14 + $15 }' /proc/$program/task/$program/stat) $(awk '{ print $14 + $15 }' /proc/$program/stat)"; }

# Median and 90th percentile of the frames swapped during the next $2
# seconds, and the main thread's CPU time per frame: on a busy machine the
# frame times include waiting for a core, the CPU time does not.
measure() {
    from=$(now) cpu=$(ticks)
    sleep "$2"
    to=$(now) cpu="$cpu $(ticks)"
    awk -v from="$from" -v to="$to" '$1 > from && $1 <= to { print $2 }' "$work/swaps" | sort -n |
        awk -v scene="$1" -v cpu="$cpu" -v hz="$(getconf CLK_TCK)" '{ t[NR] = $1 } END {
            if (NR == 0) { printf "%-34s no frames\n", scene; exit }
            split(cpu, c, " ")
            printf "%-34s %8.2f %8.2f %6d %8.2f %8.2f\n", scene, t[int((NR + 1) / 2)], t[int(NR * 0.9 + 0.5)], NR,
                (c[3] - c[1]) * 1000 / hz / NR, (c[4] - c[2]) * 1000 / hz / NR }'
}

# Starts the program in an X server of the given screen size (1024 x 768
# lets it take game mode; a smaller screen leaves it in its 512 x 512 window)
# and presses the keys given after the size.
start() {
    rm -f "$work/displayfd"
    exec 3>"$work/displayfd"
    Xvfb -displayfd 3 -screen 0 "$1" -noreset -nolisten tcp 2>/dev/null &
    server=$!
    while [ ! -s "$work/displayfd" ]; do sleep 0.2; done
    export DISPLAY=":$(head -n1 "$work/displayfd")"
    (cd "$work" && SWAPSPY_OUT="$work/swaps" LD_PRELOAD="$work/swap_timer.so" exec "$build/tallyboard" >/dev/null) &
    program=$!
    sleep 6
    xdotool mousemove 256 256 key "$2" key space
    sleep 2
}

stop() {
    awk '/VmHWM/ { printf "%-34s %8.0f MiB\n", "peak resident memory", $2 / 1024 }' /proc/$program/status
    kill $program 2>/dev/null || true
    wait $program 2>/dev/null || true
    kill $server 2>/dev/null || true
    wait $server 2>/dev/null || true
    program= server=
}

printf '%-34s %8s %8s %6s %8s %8s\n' scene median p90 frames main_cpu all_cpu
start 1024x768x24 F1
click 1 && sleep 1 && click 15 && xdotool mousemove 1000 700
sleep 20  # the swarm fills at one particle a frame
measure "magazine 1024x768, a chart" 10
click 6 && xdotool mousemove 1000 700
sleep 3
measure "magazine 1024x768, Messages page" 10
stop
start 800x600x24 Left
sleep 20
measure "magazine 512x512 window, welcome" 10
stop
