#!/usr/bin/env bash
# Installs what is missing, builds in build/ and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cubiscope_install_packages
cubiscope_build build
exec ./build/cubiscope "$@"
