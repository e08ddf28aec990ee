#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts the viewer with the
# arguments given (./run.sh [--colours] [FILE]); a relative FILE is taken
# from the folder run.sh was called in.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
(
  cd "$root"
  source scripts/setup.sh
  cubiscope_install_packages
  cubiscope_build build
)
exec "$root/build/cubiscope" "$@"
