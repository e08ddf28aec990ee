#!/usr/bin/env bash
# tests/program_build_check.sh DIR: configures DIR the way ./run.sh makes
# build/ on a fresh clone and checks, without compiling anything, that the
# folder holds no program but the viewer, its raster module and the manual
# page's generator: no test, benchmark or fuzz program that a build could
# spend its time on. A CTest test (program_build_alone).
set -euo pipefail
dir=$1
cd "$(dirname "$0")/.."
source scripts/setup.sh
rm -rf "$dir"
cubiscope_configure_program "$dir"
# CMake's Ninja rules name the linker of every program and module.
programs=$(ninja -C "$dir" -t targets all |
  sed -nE 's/^([^:]+): CXX_(EXECUTABLE|MODULE_LIBRARY)_LINKER.*/\1/p' | sort | tr '\n' ' ')
rm -rf "$dir"
echo "programs: $programs"
[ "$programs" = "cubiscope formats/gdal/cubiscope-gdal.so packaging/cubiscope_manualpage " ]
