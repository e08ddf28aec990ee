#!/usr/bin/env bash
# bench/gnuplot_compare.sh [RUNS]: whole processes of `cubiscope --output`
# beside gnuplot drawing the same 1024 x 1024 grid as a pm3d PNG of the same
# size (608 x 446), RUNS rounds (10 unless given) after one to warm up: one
# file per process, and 20 files in one process each (`--output` with a
# pattern; a `do for` loop). The program and the benchmark
# program come from build/, as ./bench.sh leaves them. Prints the medians, the
# ratios and the load average before and after.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
cubiscope_install_bench_packages
runs=${1:-10}
program=$PWD/build/cubiscope
[ -x "$program" ] && [ -x build/bench/cubiscope_bench ] || {
  echo "build/ lacks the program or the benchmarks: run ./bench.sh first" >&2
  exit 1
}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/bench/cubiscope_bench --write-grid-files "$work" 20
cd "$work"
splot="binary array=(1024,1024) format='%float' with pm3d"
cat >one.gp <<GP
set terminal png size 608,446
set output 'gnuplot.png'
splot 'photo01.f32' $splot
GP
cat >twenty.gp <<GP
set terminal png size 608,446
do for [i=1:20] {
  set output sprintf('gnuplot%02d.png', i)
  splot sprintf('photo%02d.f32', i) $splot
}
GP

# Each round runs every command once, in turn, so that all of them meet the
# same load on a shared machine: the ratios of the medians hold better than
# the times.
commands=(
  "nothing|$program --output nothing.png"
  "cubiscope|$program --output one.png --size 608x446 photo01.bmp"
  "gnuplot|gnuplot one.gp"
  "cubiscope20|$program --output {name}.png --size 608x446 $(echo photo??.bmp)"
  "gnuplot20|gnuplot twenty.gp"
)
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for round in $(seq 0 "$runs"); do
  for entry in "${commands[@]}"; do
    name=${entry%%|*}
    start=$(date +%s%N)
    ${entry#*|} >/dev/null 2>&1 || {
      echo "$name failed" >&2
      exit 1
    }
    # Round 0 warms the caches (files, Mesa's shader cache) and is not kept.
    [ "$round" -eq 0 ] || echo "$name $((($(date +%s%N) - start) / 1000))" >>times.txt
  done
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
# The median of each command's runs, in milliseconds.
median() {
  awk -v n="$1" '$1 == n { print $2 / 1000 }' times.txt | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
awk -v nothing="$(median nothing)" -v one="$(median cubiscope)" -v gone="$(median gnuplot)" \
  -v twenty="$(median cubiscope20)" -v gtwenty="$(median gnuplot20)" -v runs="$runs" 'BEGIN {
    printf "medians of %d rounds\n", runs
    printf "cubiscope --output, no file  %6.0f ms\n", nothing
    printf "one file:  cubiscope %6.0f ms, gnuplot %6.0f ms, ratio %.2f\n", one, gone, one / gone
    printf "20 files:  cubiscope %6.0f ms, gnuplot %6.0f ms, ratio %.2f\n", twenty, gtwenty,
      twenty / gtwenty
  }'
