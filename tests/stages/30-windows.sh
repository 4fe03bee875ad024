#!/usr/bin/env bash
# The Windows program: zone2las.exe cross-built with MinGW-w64 and run under
# Wine by the end-to-end tests of a native test build, which must see the same
# messages, exit statuses and file bytes as from the Linux program; then the
# .zip that carries it, with the README, the licence and the manual page as
# text.
set -euo pipefail
source tests/stages/common.bash

# Wine without its recommends is enough for a console program and a fraction
# of the download.
$SUDO apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends \
  cmake g++ make libgtest-dev libgmock-dev googletest \
  g++-mingw-w64-x86-64 wine wine64 groff-base unzip >/dev/null

root=build-windows
cmake -S . -B "$root/exe" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DZONE2LAS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/exe" -j2
cmake -S . -B "$root/host" -DCMAKE_BUILD_TYPE=Release \
  -DZONE2LAS_BUILD_TESTS=ON >/dev/null
cmake --build "$root/host" -j2 --target zone2las_tests
# The platform layer's file tests as a Windows program, with GoogleTest built
# from its sources by the compilers that have std::mutex.
cmake -S . -B "$root/platform-tests" --no-warn-unused-cli \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DZONE2LAS_MINGW_SUFFIX=-posix -DZONE2LAS_BUILD_TESTS=OFF \
  -DZONE2LAS_BUILD_PLATFORM_TESTS=ON >/dev/null
cmake --build "$root/platform-tests" -j2 --target zone2las_platform_tests

exe=$PWD/$root/exe/zone2las.exe
# The program's imports: nothing but system DLLs, no runtime to ship with it.
only_system_dlls() {
  ! x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name:' |
    grep -viE 'DLL Name: (kernel32|msvcrt|user32)\.dll$'
}
check "zone2las.exe needs no DLL that Windows does not have" only_system_dlls

# Depths are doubles in SSE2 registers: no x87 instruction in the program's
# own code, where extended precision would change the last bit.
x87=$(find "$root/exe/CMakeFiles" -name '*.obj' -exec \
  x86_64-w64-mingw32-objdump -d {} + |
  grep -cE '\s(fld|fst|fild|fist|fadd|fsub|fmul|fdiv)[a-z]*\s' || true)
check "zone2las.exe computes without the x87 unit ($x87 instructions)" \
  test "$x87" = 0

export WINEPREFIX=$PWD/$root/wineprefix
export WINEDEBUG=-all
# Wine takes the code page of file names from the locale: without one (a
# minimal container sets none) a name beyond ASCII cannot be created.
export LC_ALL=C.UTF-8
# No Mono or Gecko installers when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
# A console program needs no display. Wine's server and the processes that
# wineboot starts outlive the commands that start them: with their output on
# /dev/null they cannot hold this script's output open, and the server is
# stopped on the way out, whatever happens.
mkdir -p "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 60 wineserver -p >/dev/null 2>&1 </dev/null
timeout 300 wineboot -i >/dev/null 2>&1 </dev/null

run_gtest timeout 300 wine "$root/platform-tests/zone2las_platform_tests.exe" \
  --gtest_brief=1 </dev/null

# DiskFile's 64-bit offsets, where the C library's long is 32 bits.
large_offsets() { (cd "$root" && timeout 120 wine "exe/large_offsets.exe" . </dev/null); }
check "file offsets beyond 4 GiB in the Windows program" large_offsets

export ZONE2LAS_TARGET=windows
export ZONE2LAS_COMMAND="wine $(printf '%q' "$exe")"
run_gtest timeout 600 "$root/host/zone2las_tests" --gtest_filter='EndToEnd*:Standard*:LineOrder*:RealExports*' \
  --gtest_brief=1 </dev/null

# The bundled example at a step, converted by the Linux program and by the
# Windows program EXE: every file byte for byte the same.
same_example() {
  local step=$1 exe=$2
  rm -rf "$root/example-linux" "$root/example-windows" &&
    mkdir -p "$root/example-linux" "$root/example-windows" &&
    (cd "$root/example-linux" &&
      ../host/zone2las ../../examples/zones.txt "$step") &&
    (cd "$root/example-windows" &&
      timeout 60 wine "$exe" ../../examples/zones.txt "$step" </dev/null) &&
    diff -r "$root/example-linux" "$root/example-windows" &&
    echo "$(ls "$root/example-windows" | wc -l) files, identical"
}
for step in 0.1 0.25 0.3; do
  check "examples/zones.txt at step $step as on Linux" same_example "$step" "$exe"
done

# The .zip: the program with its notes beside it, in one folder.
rm -rf "$root/package" "$root/unzipped"
cpack --config "$root/exe/CPackConfig.cmake" -B "$root/package" >/dev/null
zip=$(echo "$root"/package/zone2las-*-win64.zip)
unzip -q "$zip" -d "$root/unzipped"
folder=$(basename "$zip" .zip)
unzipped_files() { (cd "$root/unzipped/$folder" && ls | tr '\n' ' '); }
check "$zip holds zone2las.exe, README.md, LICENSE.txt and zone2las.txt" \
  test "$(unzipped_files)" = "LICENSE.txt README.md zone2las.exe zone2las.txt "
check "the manual page in the .zip is plain text" \
  grep -qx 'EXIT STATUS' "$root/unzipped/$folder/zone2las.txt"
check "the program from the .zip converts the example as on Linux" \
  same_example 0.1 "$PWD/$root/unzipped/$folder/zone2las.exe"
end_stage
