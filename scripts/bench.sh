#!/usr/bin/env bash
# Benchmarks the native command line, then the real DLL under Wine against
# bare floors measured in the same run, and prints the tables.
# The native part (Linux, as root): `lanternbook watch` on tmpfs keys mounted
# one after another in a mount namespace of its own, each timed from its mount
# to its CONFIG saved; median and worst over 50 keys.
# The Wine part: four ordinary folders are mapped on D: to G: and the emulated
# key on H:, so every search walks past them.
# Usage: bench.sh [--native-only] [--runs N] [--files N] [--cycles N]
# BENCH_WIN32_DIR picks the 32-bit build tree (default build/bench-win32),
# BENCH_NATIVE_DIR the native one (default build/bench-native, Release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win32_dir=${BENCH_WIN32_DIR:-$root/build/bench-win32}
native_dir=${BENCH_NATIVE_DIR:-$root/build/bench-native}

native_only=
if [ "${1:-}" = --native-only ]; then
    native_only=1
    shift
fi

if [ ! -f "$native_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$native_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$native_dir" -j2 --target lanternbook-cli lanternbook-watch-bench >/dev/null
"$native_dir/lanternbook-watch-bench" "$native_dir/lanternbook" --keys 50
[ -n "$native_only" ] && exit 0

if [ ! -f "$win32_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$win32_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$win32_dir" -j2 --target lanternbook lanternbook-bench >/dev/null

source "$root/scripts/wine-env.sh"
ensure_prefix
stop_wine
unmap_keys
trap 'stop_wine; stop_display' EXIT

ordinary_labels=(ARCHIVE BACKUP PHOTOS SCRATCH)
letters=(D E F G)
for i in "${!letters[@]}"; do
    dir=$wine_dir/keys/${letters[$i]}
    rm -rf "$dir"
    mkdir -p "$dir"
    printf '%s\n' "${ordinary_labels[$i]}" > "$dir/.windows-label"
    map_key "${letters[$i]}" "$dir"
done
key=$(fresh_key H)
echo "Emulated key on H: is $key"

start_display
cd "$win32_dir"
wine ./lanternbook-bench.exe "$@"
