#!/usr/bin/env bash
# Installs what is missing, builds in build/ and runs the whole test suite
# headless under Xvfb. With --sanitize the same suite runs from build-asan/,
# built with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cubiscope_install_packages
cubiscope_german_locale

dir=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan
  options=(-DCUBISCOPE_SANITIZE=ON -DCUBISCOPE_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cubiscope_build "$dir" "${options[@]}"

cd "$dir"
# The GL tests need an X display; the software renderer draws the pictures.
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --output-on-failure --timeout 300
