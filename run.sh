#!/usr/bin/env bash
# Installs what the program needs and is missing, builds the program alone in
# build/ (no tests, benchmarks or fuzz targets: ./test.sh builds those) and
# starts the viewer with the arguments given (./run.sh [--colours] [FILE]); a
# relative FILE is taken from the folder run.sh was called in.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
(
  cd "$root"
  source scripts/setup.sh
  cubiscope_install_program_packages
  cubiscope_build_program build
)
exec "$root/build/cubiscope" "$@"
