#!/usr/bin/env bash
# Fuzzes one parser: ./fuzz.sh TARGET SECONDS, TARGET one of bmpdecode,
# commatext, contours, imagedecode, numbertext, pointgrid, raster, webaddress. Builds
# the targets in build-fuzz/ with clang (libFuzzer with AddressSanitizer,
# UndefinedBehaviorSanitizer and leak detection), starts from the seeds in fuzz/corpus/TARGET and from what earlier
# runs kept in build-fuzz/corpus/TARGET, and stops at the first crash, hang,
# leak or sanitizer report, which leaves its input in build-fuzz/artifacts/.
# ./fuzz.sh seeds rewrites fuzz/corpus with the seeds fuzz/make_seeds.cpp makes;
# ./fuzz.sh list prints the targets, one a line; ./fuzz.sh build builds them
# all, after which ./fuzz.sh TARGET SECONDS --built runs one without building,
# so that several can run at once.
set -euo pipefail
cd "$(dirname "$0")"

targets=(bmpdecode commatext contours imagedecode numbertext pointgrid raster webaddress)
usage() {
  echo "usage: $0 TARGET SECONDS [--built]   (TARGET: ${targets[*]})" >&2
  echo "       $0 seeds | list | build" >&2
  exit 2
}

if [ "${1:-}" = list ]; then
  printf '%s\n' "${targets[@]}"
  exit 0
fi

source scripts/setup.sh
cubiscope_install_packages

build_fuzz() {
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCUBISCOPE_FUZZ=ON -DCUBISCOPE_TESTS=OFF \
    -DCUBISCOPE_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j"$(nproc)" --target "$@"
}

if [ "${1:-}" = seeds ]; then
  build_fuzz fuzz_seeds
  rm -rf fuzz/corpus
  ./build-fuzz/fuzz/fuzz_seeds fuzz/corpus
  echo "seeds written to fuzz/corpus"
  exit 0
fi

if [ "${1:-}" = build ]; then
  build_fuzz "${targets[@]/#/fuzz_}"
  exit 0
fi

[ $# -eq 2 ] || { [ $# -eq 3 ] && [ "$3" = --built ]; } || usage
target=$1
seconds=$2
[[ " ${targets[*]} " == *" $target "* ]] || usage
[[ "$seconds" =~ ^[0-9]+$ ]] || usage

[ $# -eq 3 ] || build_fuzz "fuzz_$target"

corpus=build-fuzz/corpus/$target
artifacts=build-fuzz/artifacts/$target
mkdir -p "$corpus" "$artifacts"
# Pictures need room for colour tables, RLE streams and compressed data;
# texts are interesting in their first few lines.
max_len=4096
case "$target" in
  bmpdecode | imagedecode) max_len=16384 ;;
  raster) max_len=65536 ;;
esac

export ASAN_OPTIONS=detect_leaks=1:symbolize=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# New inputs go into the first folder; the seeds in the repository stay as
# they are. A single input that runs 10 seconds is a hang.
exec "./build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$artifacts/" \
  "$corpus" "fuzz/corpus/$target"
