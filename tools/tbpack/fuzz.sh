#!/bin/sh
# Builds the pack reader's libFuzzer target with address and undefined-
# behaviour sanitizers (clang) into build-fuzz/, then runs it on the corpus.
#   tools/tbpack/fuzz.sh [SECONDS] [extra libFuzzer flags...]
# SECONDS 0 only builds. New inputs go to build-fuzz/corpus; to fold the ones
# that reach new code into the committed corpus, merge with the built target:
#   build-fuzz/fuzz_pack -merge=1 tests/pack/fuzz/corpus build-fuzz/corpus
# The suite replays the committed corpus (FuzzCorpus in tests/pack).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build-fuzz"
seconds=${1:-60}
[ $# -gt 0 ] && shift
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" \
    "$root"/pack/crypt.cpp "$root"/pack/unpack.cpp "$root"/pack/reader.cpp \
    "$root"/platform/paths.cpp \
    "$root"/tests/pack/fuzz/fuzz_pack.cpp -lz -o "$out/fuzz_pack"
[ "$seconds" -eq 0 ] && exit 0
cd "$out"
./fuzz_pack -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 "$@" \
    corpus "$root/tests/pack/fuzz/corpus"
