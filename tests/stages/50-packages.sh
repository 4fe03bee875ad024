#!/usr/bin/env bash
# The .deb: built with Debian's hardening flags, checked by lintian, then
# installed (apt as root, or unpacked into a scratch root otherwise), and the
# installed program and manual page tried as a user would. The .zip for
# Windows is built and checked in the Windows stage.
set -euo pipefail
source tests/stages/common.bash
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends \
  cmake g++ make dpkg-dev file lintian man-db >/dev/null

build=build-package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZONE2LAS_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$build"/zone2las_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "$deb: $(dpkg-deb -f "$deb" Depends)"

check "$deb depends on the C and C++ runtimes" \
  grep -q 'libc6.*libstdc++6' <(dpkg-deb -f "$deb" Depends)
# Errors fail the stage; warnings and notes are shown.
check "lintian finds no error in $deb" \
  lintian --fail-on error --display-info "$deb"

top=$PWD
scratch=$(mktemp -d)
# A package that this stage installs is removed again on the way out.
installed_before=$(dpkg-query -W -f '${Status}' zone2las 2>/dev/null || true)
cleanup() {
  rm -rf "$scratch"
  if [ "$(id -u)" = 0 ] && [ "$installed_before" != "install ok installed" ]; then
    apt-get purge -y -qq -o DPkg::Lock::Timeout=600 zone2las >/dev/null || true
  fi
}
trap cleanup EXIT
if [ "$(id -u)" = 0 ]; then
  check "$deb installs" \
    apt-get install -y -qq -o DPkg::Lock::Timeout=600 "./$deb"
  prefix=/usr
  man_page=zone2las
  check "man finds the manual page of the package" \
    grep -qx /usr/share/man/man1/zone2las.1.gz <(man -aw zone2las)
else
  check "$deb unpacks" dpkg -x "$deb" "$scratch/root"
  prefix=$scratch/root/usr
  man_page=$prefix/share/man/man1/zone2las.1.gz
fi

check "the installed program shows its version" \
  test "$("$prefix/bin/zone2las" --version)" = "zone2las $version"
check "the installed manual page renders" \
  grep -q '^EXIT STATUS' <(MANWIDTH=80 man "$man_page" 2>&1 | col -b)

# The installed program converts the example as the build does.
mkdir "$scratch/installed" "$scratch/built"
same_example() {
  (cd "$scratch/installed" && "$prefix/bin/zone2las" "$top/examples/zones.txt") &&
    (cd "$scratch/built" && "$top/$build/zone2las" "$top/examples/zones.txt") &&
    diff -r "$scratch/installed" "$scratch/built" &&
    echo "$(ls "$scratch/installed" | wc -l) files, identical"
}
check "the installed program converts the example" same_example
end_stage
