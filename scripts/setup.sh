#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only the missing
# ones), then configures and builds in the given build folder. Sourced by
# run.sh, test.sh, fuzz.sh and package.sh; quick when nothing changed.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-image-formats-plugins libgl-dev libglu1-mesa-dev
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

# cubiscope_build BUILD_DIR [cmake options...]
cubiscope_build() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}
