#!/usr/bin/env bash
# bench/gnuplot_compare.sh [RUNS]: whole processes of `cubiscope --output`
# beside gnuplot drawing the same 1024 x 1024 grid as a pm3d PNG of the same
# size (608 x 446), timed by hyperfine (RUNS runs each, 10 unless given, after
# two to warm up): one file per process, and 20 files in one process each
# (`--output` with a pattern; a `do for` loop). The program and the benchmark
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

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
hyperfine -N --style basic -w 2 -r "$runs" --export-csv times.csv \
  -n nothing "$program --output nothing.png" \
  -n cubiscope "$program --output one.png --size 608x446 photo01.bmp" \
  -n gnuplot "gnuplot one.gp" \
  -n cubiscope20 "$program --output {name}.png --size 608x446 $(echo photo??.bmp)" \
  -n gnuplot20 "gnuplot twenty.gp" >/dev/null
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
# Medians in milliseconds, by name.
awk -F, 'NR > 1 { ms[$1] = $4 * 1000 }
  END {
    printf "cubiscope --output, no file   %7.0f ms\n", ms["nothing"]
    printf "one file:  cubiscope %7.0f ms, gnuplot %7.0f ms, ratio %.2f\n",
      ms["cubiscope"], ms["gnuplot"], ms["cubiscope"] / ms["gnuplot"]
    printf "20 files:  cubiscope %7.0f ms, gnuplot %7.0f ms, ratio %.2f\n",
      ms["cubiscope20"], ms["gnuplot20"], ms["cubiscope20"] / ms["gnuplot20"]
  }' times.csv
