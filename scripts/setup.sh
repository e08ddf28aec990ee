#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing
# ones), then configures and builds in the given build folder. Sourced by
# run.sh, test.sh and fuzz.sh; quick when nothing changed.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libglu1-mesa-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic locales
  clang libclang-rt-14-dev
)

cubiscope_install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# Tests check that number text ignores a German process locale; make sure
# one exists to switch to.
cubiscope_german_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: no German locale; its test is skipped"
}

# cubiscope_build BUILD_DIR [cmake options...]
cubiscope_build() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
