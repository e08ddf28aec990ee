#!/usr/bin/env bash
# Installs what is missing, builds in build/ with optimisation and runs the
# benchmarks, headless under Xvfb when there is no display. Without arguments
# every benchmark runs five times and the table shows the median and the
# coefficient of variation of each; arguments replace that and go to the
# benchmark program as they are (for example --benchmark_filter=Frame).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cubiscope_install_packages
cubiscope_install_bench_packages

# Timings of an unoptimised build mean nothing: keep a Release-like build type,
# otherwise ask for the project's default.
options=()
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' build/CMakeCache.txt 2>/dev/null || true)
case "$type" in
  Release | RelWithDebInfo) ;;
  *) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
esac
cubiscope_build build "${options[@]}" -DCUBISCOPE_BENCH=ON

if [ $# -eq 0 ]; then
  set -- --benchmark_repetitions=5 --benchmark_display_aggregates_only=true
  filter() { grep -v -E '_(mean|stddev) '; }
else
  filter() { cat; }
fi

run=(./build/bench/cubiscope_bench "$@")
# The frames need an X display.
if [ -z "${DISPLAY:-}" ]; then
  run=(cubiscope_headless "${run[@]}")
fi
"${run[@]}" | filter
