#!/usr/bin/env bash
# Installs what is missing, builds, seeds an emulated key on K: and opens the
# configurator on it through the host program. Usage: run.sh [LOCALE]
# Without a display it runs on a virtual one, saves build/screenshot.png,
# closes the dialog and exits.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
locale=${1:-0}

scripts/deps.sh
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win32 -j"$(nproc)"

source scripts/wine-env.sh
ensure_prefix
stop_wine
unmap_keys
key=$(fresh_key K)
echo "Emulated key on K: is $key"

if [ -n "${DISPLAY:-}" ]; then
    wine build/win32/lanternbook-host.exe "$locale"
    exit 0
fi

start_display
trap 'stop_wine; stop_display' EXIT
wine build/win32/lanternbook-host.exe --close-after 8000 "$locale" &
host=$!
sleep 5
import -window root png:- | convert - -trim +repage build/screenshot.png
echo "No display: screenshot in build/screenshot.png"
wait "$host"
