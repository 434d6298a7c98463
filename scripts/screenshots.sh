#!/usr/bin/env bash
# Screenshots of the dialog for the README, on a virtual display:
# docs/dialog-en.png (English) and docs/dialog-pl.png (Polish).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export LANTERNBOOK_BUILD=${LANTERNBOOK_BUILD:-$root/build/screenshots}
source scripts/wine-env.sh
ensure_prefix
stop_wine
unmap_keys
fresh_key K >/dev/null
unset DISPLAY
start_display
trap 'stop_wine; stop_display' EXIT
mkdir -p docs
for shot in "1033 en" "1045 pl"; do
    set -- $shot
    wine build/win32/lanternbook-host.exe --close-after 6000 "$1" &
    host=$!
    sleep 4
    import -window root png:- | convert - -trim +repage "docs/dialog-$2.png"
    wait "$host"
    echo "docs/dialog-$2.png"
done
