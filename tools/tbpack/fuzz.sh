#!/bin/sh
# Builds one of the libFuzzer targets with address and undefined-behaviour
# sanitizers (clang) into build-fuzz/ and runs it on its committed corpus:
#   tools/tbpack/fuzz.sh pack|png [SECONDS] [extra libFuzzer flags...]
# pack is the pack reader (tests/pack/fuzz), png the picture layer
# (tests/foundation/fuzz); SECONDS 0 only builds. New inputs collect in
# build-fuzz/corpus-TARGET. To fold them, minimised, into the committed
# corpus (which the test suite replays):
#   build-fuzz/fuzz_TARGET -merge=1 tests/.../fuzz/corpus build-fuzz/corpus-TARGET
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build-fuzz"
target=${1:?pack or png}
seconds=${2:-60}
[ $# -gt 1 ] && shift 2 || shift
case "$target" in
pack) sources="pack/crypt.cpp pack/unpack.cpp pack/audio_predictor.cpp pack/reader.cpp platform/paths.cpp tests/pack/fuzz/fuzz_pack.cpp"
      libraries="-lz" corpus="$root/tests/pack/fuzz/corpus" maxLength=16384 ;;
png)  sources="platform/png.cpp platform/paths.cpp tests/foundation/fuzz/fuzz_png.cpp"
      libraries="-lpng -lz -lGL" corpus="$root/tests/foundation/fuzz/corpus" maxLength=8192 ;;
*)    echo "fuzz.sh: unknown target $target (pack or png)" >&2; exit 2 ;;
esac
mkdir -p "$out/corpus-$target"
# shellcheck disable=SC2086  # the source list is meant to split
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root" $(cd "$root" && printf "$root/%s " $sources) $libraries -o "$out/fuzz_$target"
[ "$seconds" -eq 0 ] && exit 0
cd "$out"
"./fuzz_$target" -max_total_time="$seconds" -max_len=$maxLength -timeout=10 -rss_limit_mb=2048 "$@" \
    "corpus-$target" "$corpus"
