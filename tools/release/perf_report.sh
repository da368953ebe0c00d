#!/bin/sh
# Rewrites docs/performance.md from the benchmarks: start-up, resource
# initialisation, frame times, decode throughput against zlib, the audio
# thread's CPU share and peak memory. Anyone can rerun it:
#
#   make perf            (or: tools/release/perf_report.sh [BUILD_DIR])
#
# Figures depend on the machine and its load; the report records both.
set -eu
build=$(cd "${1:-build}" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
report="$root/docs/performance.md"
export TB_BINARY_DIR="$build" TB_ISSUE_DIR="$build/issue" TB_SOURCE_DIR="$root"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy

cmake --build "$build" --target tallyboard print_button_places bench_startup_to_intro bench_frames bench_pack bench_audio >/dev/null

on_display() { xvfb-run -a -s "-screen 0 1280x1024x24" "$@"; }
# The report names the build and source trees, not where they lie here.
unplaced() { sed -e "s|$build|<build>|g" -e "s|$root|<source>|g"; }
section() { printf '\n## %s\n\n%s\n\n```\n' "$1" "$2"; }
fence() { printf '```\n'; }

# Start-up varies from run to run with what the kernel has to do for new
# pages: five runs, the one with the median initialisation printed whole,
# and the range of all five.
startup_median() {
    runs=$(mktemp -d)
    for run in 1 2 3 4 5; do on_display "$build/bench/bench_startup_to_intro" >"$runs/$run" 2>&1; done
    for run in 1 2 3 4 5; do echo "$(awk '/^resource initialisation/ { print $3 }' "$runs/$run") $run"; done |
        sort -n >"$runs/order"
    cat "$runs/$(sed -n 3p "$runs/order" | cut -d' ' -f2)"
    printf 'resource initialisation, 5 runs: %s to %s ms\n' "$(head -n1 "$runs/order" | cut -d' ' -f1)" \
        "$(tail -n1 "$runs/order" | cut -d' ' -f1)"
    rm -rf "$runs"
}

{
    printf '# Performance\n\n'
    printf 'Made by `tools/release/perf_report.sh` on %s.\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
    printf 'Machine: %s, %s cores; load average at the start: %s. Graphics: Mesa software rendering under Xvfb.\n' \
        "$(sed -n 's/^model name\t: //p' /proc/cpuinfo | head -n1)" "$(nproc)" "$(cut -d' ' -f1-3 /proc/loadavg)"

    section "Start-up" "From the process start to the first intro frame on the generated issue, the one-time resource initialisation (unpacking the pack, 84 textures, audio set-up) inside it, and the peak resident memory after loading: the median run of five."
    startup_median
    fence

    section "Frame times" "Median frame time of the busiest intro frame and of the full magazine scene (swarm full, panel resting, a chart shown), with the CPU time of our own code apart from the driver's."
    on_display "$build/bench/bench_frames" 2>&1
    fence

    section "Frame times from outside" "Every buffer swap of the real program timed by a preloaded shim (tools/release/swap_timer.c): median and 90th percentile frame time, CPU time per frame of the main thread and of all threads (on a busy machine the frame times include waiting for a core, the CPU times do not), and the peak resident memory; at 1024 x 768 in game mode on a chart and on a Messages page, and in the 512 x 512 window."
    "$root/tools/release/frame_times.sh" "$build" 2>&1
    fence

    section "Pack decoding against zlib" "Decode throughput of the RAR 2.0 decoder and of zlib's inflate on the same inputs, compression ratio against gzip -9, and start-up extraction of a 40-member solid pack."
    "$build/bench/bench_pack" --benchmark_min_time=0.2 2>&1
    fence

    section "Audio" "CPU share of the sound engine's output thread while a module or the intro stream plays, and the cost of one spectrum read."
    "$build/bench/bench_audio" "$build/issue/data/02-Zanthe.mo3" --benchmark_min_time=0.5 2>&1
    fence
} >"$report.new"
unplaced <"$report.new" >"$report"
rm "$report.new"
echo "perf_report: wrote $report"
