#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing
# ones), then configures and builds in the given build folder. Sourced by
# run.sh, test.sh, fuzz.sh and package.sh; quick when nothing changed.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev libglu1-mesa-dev libgdal-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic locales desktop-file-utils appstream groff-base
  clang libclang-rt-14-dev
)

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
  cubiscope_install_missing "${PACKAGES[@]}"
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
# software renderer draws their pictures.
cubiscope_headless() {
  xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
}

# The run-time options of the sanitizer build, for test.sh and soak.sh: every
# report ends the program with an error. Leaks that are the libraries' own
# (Qt's threads, drivers) are listed in tests/lsan.supp.
# intercept_tls_get_addr=0: GCC 12's runtime takes a block of dynamic TLS
# for an old glibc's header whenever it happens to start 16 bytes into a
# page, and the leak check's tracer then crashes at exit after a test has
# passed (about one test program in twenty under load, at random).
cubiscope_sanitizer_options() {
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:intercept_tls_get_addr=0
  export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
}

# cubiscope_build BUILD_DIR [cmake options...]
cubiscope_build() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
