#!/usr/bin/env bash
# Benchmarks the real DLL under Wine against bare floors measured in the same
# run and prints the table. Four ordinary folders are mapped on D: to G: and
# the emulated key on H:, so every search walks past them. Then, as root, the
# native command line against its own floors on tmpfs keys.
# Usage: bench.sh [--runs N] [--files N] [--cycles N]
# BENCH_WIN32_DIR picks the 32-bit build tree (default build/bench-win32),
# BENCH_CLI_DIR the command line's (default build/bench-cli).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
win32_dir=${BENCH_WIN32_DIR:-$root/build/bench-win32}
cli_dir=${BENCH_CLI_DIR:-$root/build/bench-cli}
runs=11
arguments=("$@")
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        *) shift ;;
    esac
done

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
(cd "$win32_dir" && wine ./lanternbook-bench.exe "${arguments[@]}")
stop_wine
stop_display

"$root/scripts/bench-cli.sh" --runs "$runs"
