#!/usr/bin/env bash
# Installs what is missing, builds the 32- and 64-bit DLLs and the native
# tests, and runs every test (native, sanitized, fuzzing, Wine end-to-end,
# DLL files and release packages) through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

scripts/deps.sh
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j"$jobs"
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64 -j"$jobs"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DLANTERNBOOK_WIN32_DIR="$root/build/win32" \
      -DLANTERNBOOK_WIN64_DIR="$root/build/win64" -DLANTERNBOOK_REQUIRE_FUZZER=ON >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure -j"$jobs"
