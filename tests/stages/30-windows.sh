#!/usr/bin/env bash
# The Windows program: zone2las.exe cross-built with MinGW-w64 and run under
# Wine by the end-to-end tests of a native test build, which must see the same
# messages, exit statuses and file bytes as from the Linux program.
set -euo pipefail
SUDO=${SUDO-}
export DEBIAN_FRONTEND=noninteractive

# Wine without its recommends is enough for a console program and a fraction
# of the download.
$SUDO apt-get install -y -qq --no-install-recommends \
  cmake g++ make libgtest-dev libgmock-dev \
  g++-mingw-w64-x86-64 wine wine64 >/dev/null

root=build-windows
cmake -S . -B "$root/exe" --no-warn-unused-cli -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DZONE2LAS_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/exe" -j2
cmake -S . -B "$root/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/host" -j2 --target zone2las_tests

exe=$PWD/$root/exe/zone2las.exe
# The program's imports: nothing but system DLLs, no runtime to ship with it.
if x86_64-w64-mingw32-objdump -p "$exe" | grep 'DLL Name:' |
    grep -viE 'DLL Name: (kernel32|msvcrt|user32)\.dll$'; then
  echo "zone2las.exe needs a DLL that Windows does not have" >&2
  exit 1
fi

# Depths are doubles in SSE2 registers: no x87 instruction in the program's
# own code, where extended precision would change the last bit.
x87=$(find "$root/exe/CMakeFiles" -name '*.obj' -exec \
  x86_64-w64-mingw32-objdump -d {} + |
  grep -cE '\s(fld|fst|fild|fist|fadd|fsub|fmul|fdiv)[a-z]*\s' || true)
if [ "$x87" != 0 ]; then
  echo "zone2las.exe computes with the x87 unit ($x87 instructions)" >&2
  exit 1
fi

export WINEPREFIX=$PWD/$root/wineprefix
export WINEDEBUG=-all
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

export ZONE2LAS_TARGET=windows
export ZONE2LAS_COMMAND="wine $(printf '%q' "$exe")"
timeout 600 "$root/host/zone2las_tests" --gtest_filter='EndToEnd*' \
  --gtest_brief=1 </dev/null

# DiskFile's 64-bit offsets, where the C library's long is 32 bits.
(cd "$root" && timeout 120 wine "exe/large_offsets.exe" . </dev/null)

# The bundled example at a few steps: every file byte for byte as on Linux.
for step in 0.1 0.25 0.3; do
  for system in linux windows; do
    rm -rf "$root/example-$system"
    mkdir -p "$root/example-$system"
  done
  (cd "$root/example-linux" && ../host/zone2las ../../examples/zones.txt "$step")
  (cd "$root/example-windows" &&
    timeout 60 wine "$exe" ../../examples/zones.txt "$step" </dev/null)
  diff -r "$root/example-linux" "$root/example-windows"
  echo "examples/zones.txt at step $step: $(ls "$root/example-windows" | wc -l)" \
    "files, identical"
done
