#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing
# ones), then configures and builds in the given build folder. Sourced by
# run.sh, test.sh, fuzz.sh, package.sh, bench.sh and soak.sh; quick when
# nothing changed.
set -euo pipefail

# What the program needs to be built and to run: the compiler and build
# tools, Qt, GL, GDAL and PROJ (whose geodesics it uses itself) for the raster
# module, libwebp for turntables as animated WebP, meshoptimizer, tinygltf and
# lib3mf for exported meshes, and the Japanese font of its texts. run.sh
# installs these alone.
PROGRAM_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev libegl-dev libglu1-mesa-dev libgdal-dev libproj-dev libcurl4-openssl-dev
  libwebp-dev libmeshoptimizer-dev libtinygltf-dev lib3mf-dev libzip-dev
  fonts-ipafont-gothic
)

# What the tests, the benchmarks and the fuzz targets need besides: their
# libraries, the virtual display and a session bus beside it, the German
# locale, the validators of the desktop files, groff for the manual page's
# test, clang for libFuzzer, GNU parallel for the test that spreads --output
# runs as README shows, and the readers that check exported meshes (admesh,
# assimp, unzip).
DEVELOPMENT_PACKAGES=(
  libgtest-dev libbenchmark-dev parallel
  xvfb xauth dbus-daemon locales desktop-file-utils appstream groff-base
  clang libclang-rt-14-dev
  admesh assimp-utils unzip
)

# What ./bench.sh needs besides: gnuplot, the yardstick of the picture-out
# comparison (bench/gnuplot_compare.sh).
BENCH_PACKAGES=(gnuplot-nox)

# What run.sh builds: the program and the raster module that it loads at run
# time (a dependency of the program's, named so that it is never left out).
PROGRAM_TARGETS=(cubiscope cubiscope_gdal)

# What ./package.sh needs besides: Debian's package tools, lintian and man.
PACKAGING_PACKAGES=(dpkg-dev lintian man-db)

# Runs a command as root: directly when we are root, else through sudo.
cubiscope_as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  else
    sudo "$@"
  fi
}

# cubiscope_install_missing PACKAGE...
cubiscope_install_missing() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  cubiscope_as_root apt-get update -qq
  cubiscope_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

cubiscope_install_packages() {
  cubiscope_install_missing "${PROGRAM_PACKAGES[@]}" "${DEVELOPMENT_PACKAGES[@]}"
}

cubiscope_install_program_packages() {
  cubiscope_install_missing "${PROGRAM_PACKAGES[@]}"
}

cubiscope_install_bench_packages() {
  cubiscope_install_missing "${BENCH_PACKAGES[@]}"
}

cubiscope_install_packaging_tools() {
  cubiscope_install_missing "${PACKAGING_PACKAGES[@]}"
}

# Tests check that number text ignores a German process locale; make sure
# one exists to switch to.
cubiscope_german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  cubiscope_as_root localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: no German locale; its test is skipped"
}

# Runs a command on a virtual X display: the GL views need one, and the
# software renderer draws their pictures. A private session bus comes with
# it, as a desktop session has one: the first widget that reports a change of
# value makes Qt's accessibility bridge connect to the session bus from a
# thread of Qt's own, and without a bus libdbus's failed attempt to start one
# leaves a buffer behind (1032 bytes, at every exit), which the sanitizer
# build's leak check would report against every test. With a bus the bridge
# connects, finds no screen reader and idles.
cubiscope_headless() {
  dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
}

# The run-time options of the sanitizer build, for test.sh and soak.sh: every
# report ends the program with an error, and no leak is suppressed.
# intercept_tls_get_addr=0: GCC 12's runtime takes a block of dynamic TLS
# for an old glibc's header whenever it happens to start 16 bytes into a
# page, and the leak check's tracer then crashes at exit after a test has
# passed (about one test program in twenty under load, at random).
cubiscope_sanitizer_options() {
  export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}

# cubiscope_build BUILD_DIR [cmake options...]
cubiscope_build() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

# cubiscope_configure_program BUILD_DIR: configures BUILD_DIR as run.sh does.
# A folder made here has the tests and the benchmarks switched off, so that
# it configures without their packages; one made by ./test.sh keeps them.
cubiscope_configure_program() {
  local dir="$1" options=()
  [ -f "$dir/CMakeCache.txt" ] || options=(-DCUBISCOPE_TESTS=OFF -DCUBISCOPE_BENCH=OFF)
  cmake -S . -B "$dir" -G Ninja "${options[@]}" >/dev/null
}

# cubiscope_build_program BUILD_DIR: configures it as above and builds
# PROGRAM_TARGETS alone.
cubiscope_build_program() {
  cubiscope_configure_program "$1"
  cmake --build "$1" -j"$(nproc)" --target "${PROGRAM_TARGETS[@]}"
}
