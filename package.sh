#!/usr/bin/env bash
# Builds the Debian package dist/cubiscope_VERSION_ARCH.deb and checks it.
# The build is a Release build in build-release/ with Debian's build flags;
# CPack's DEB generator packs what the install rules install and lets
# dpkg-shlibdeps find the libraries it depends on. The checks: the desktop
# entry and the AppStream metadata as packaged, the release entries against
# the version, lintian, and an install test: the package installed with apt,
# the program run from where it landed, the package purged again with nothing
# of it left. Where neither root nor sudo without a password is at hand, or
# Cubiscope is installed already (which the test would take away), the
# install test unpacks the package into a scratch folder instead. The last
# line counts the checks: "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
cubiscope_install_packages
cubiscope_install_packaging_tools

# Debian's own build flags, hardening among them; CMake reads no CPPFLAGS.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
echo "=== building in build-release"
cubiscope_build build-release -DCMAKE_BUILD_TYPE=Release -DCUBISCOPE_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCUBISCOPE_MODULE_FROM_BUILD=OFF \
  -DCUBISCOPE_BENCH=OFF -DCUBISCOPE_SCREENSHOT=ON "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "-DCMAKE_MODULE_LINKER_FLAGS=$LDFLAGS"
rm -rf dist
dist=$PWD/dist
(cd build-release && cpack -G DEB -D CPACK_OUTPUT_FILE_PREFIX="$dist")
deb=$(echo dist/cubiscope_*.deb)
version=$(dpkg-deb -f "$deb" Version)
id=io.github.cubiscope.Cubiscope

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
dpkg-deb -x "$deb" "$tree"

passed=0
failed=0
# check NAME FUNCTION: runs one check and counts it. The functions report
# every failure by their status, errexit being off inside a condition.
check() {
  echo "=== $1"
  if "$2"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $1"
    failed=$((failed + 1))
  fi
}

# A hint is advice; an error or a warning fails.
desktop_entry() {
  local out status=0
  out=$(desktop-file-validate "$tree/usr/share/applications/$id.desktop" 2>&1) || status=1
  [ -z "$out" ] || echo "$out"
  [ "$status" -eq 0 ] && ! grep -qE 'error:|warning:' <<<"$out"
}

# The metadata alone, then with the desktop entry and the icon it names.
metadata() {
  appstreamcli validate --no-net "$tree/usr/share/metainfo/$id.metainfo.xml" &&
    appstreamcli validate-tree --no-net "$tree"
}

# A new version needs its entry in the Debian changelog and in the metadata.
release_entries() {
  local changelog metainfo
  changelog=$(dpkg-parsechangelog -l packaging/changelog -S Version) || return 1
  metainfo=$(grep -om1 '<release version="[^"]*"' "app/desktop/$id.metainfo.xml.in" |
    cut -d'"' -f2)
  echo "package $version, packaging/changelog $changelog, metadata $metainfo"
  [ "$changelog" = "$version" ] && [ "$metainfo" = "$version" ]
}

package_lint() {
  lintian --fail-on error "$deb"
}

# installed_program [PREFIX]: the installed program prints its version and
# draws its first picture as the build did, draws a measured raster through
# its raster module, and man sets its page without a warning; PREFIX is where
# the package was unpacked, if not installed.
installed_program() {
  local prefix=${1:-} status=0 printed page=(cubiscope)
  [ -z "$prefix" ] || page=(-l "$prefix/usr/share/man/man1/cubiscope.1.gz")
  printed=$("$prefix/usr/bin/cubiscope" --version) || status=1
  echo "cubiscope --version: $printed"
  [ "$printed" = "cubiscope $version" ] || status=1
  if cubiscope_headless "$prefix/usr/bin/cubiscope" --output "$scratch/first.png"; then
    cmp "$scratch/first.png" "$prefix/usr/share/cubiscope/screenshot.png" || status=1
  else
    status=1
  fi
  printf 'ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 1\n1 2 3\n4 5 -1.5\n' \
    >"$scratch/grid.asc"
  cubiscope_headless "$prefix/usr/bin/cubiscope" --output "$scratch/grid.png" "$scratch/grid.asc" ||
    status=1
  printed=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings "${page[@]}" 2>&1 >/dev/null) || status=1
  [ -z "$printed" ] || {
    echo "$printed"
    status=1
  }
  return "$status"
}

# Installed as a user installs it, so that apt resolves the dependencies.
install_for_real() {
  local status=0 files path
  cubiscope_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "./$deb" ||
    return 1
  files=$(dpkg -L cubiscope)
  installed_program || status=1
  [ "$(man -w cubiscope)" = /usr/share/man/man1/cubiscope.1.gz ] || status=1
  # The application menu and "Open with" read the desktop's file-type cache.
  grep -q "^image/png=.*$id.desktop" /usr/share/applications/mimeinfo.cache || {
    echo "the file-type cache offers no Cubiscope for PNG"
    status=1
  }
  cubiscope_as_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq cubiscope || return 1
  while read -r path; do
    # Folders that other packages share may stay; our files and folders not.
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ "$path" == *cubiscope* ]]; }; then
      echo "left behind: $path"
      status=1
    fi
  done <<<"$files"
  if grep -q "$id" /usr/share/applications/mimeinfo.cache; then
    echo "left behind in the file-type cache"
    status=1
  fi
  return "$status"
}

install_test() {
  if dpkg-query -W -f='${Status}' cubiscope 2>/dev/null | grep -q 'install ok installed'; then
    echo "Cubiscope is installed on this machine: the package is tried unpacked instead"
  elif [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null; then
    install_for_real
    return
  else
    echo "neither root nor sudo without a password: the package is tried unpacked instead"
  fi
  installed_program "$tree"
}

check "desktop entry" desktop_entry
check "AppStream metadata" metadata
check "release entries" release_entries
check "lintian" package_lint
check "install test" install_test

echo "$deb"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
