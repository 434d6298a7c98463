#!/usr/bin/env bash
# Runs one group of end-to-end checks: our driver program loads the real DLL
# under Wine and drives it on freshly seeded emulated keys.
# Usage: e2e.sh WIN32_BUILD_DIR GROUP [--keys LETTERS | --no-key] [--tmpfs MIB] [--label TEXT]
set -euo pipefail
win32_dir=$(cd "${1:?win32 build dir}" && pwd)
group=${2:?group}
shift 2
keys=K
tmpfs_mib=
label=VOLKARIS
while [ $# -gt 0 ]; do
    case "$1" in
        --keys) keys=$2; shift 2 ;;
        --no-key) keys=; shift ;;
        --tmpfs) tmpfs_mib=$2; shift 2 ;;
        --label) label=$2; shift 2 ;;
        *) echo "e2e.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

source "$(dirname "$0")/wine-env.sh"
ensure_prefix
stop_wine
unmap_keys
mounted=
cleanup() {
    stop_wine
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    stop_display
}
trap cleanup EXIT

for letter in $(printf '%s' "$keys" | sed 's/./& /g'); do
    dir=$wine_dir/keys/$letter
    umount "$dir" 2>/dev/null || true
    rm -rf "$dir"
    mkdir -p "$dir"
    if [ -n "$tmpfs_mib" ]; then
        mount -t tmpfs -o "size=${tmpfs_mib}m" tmpfs "$dir"
        mounted=$dir
    fi
    "$root/scripts/make-key.sh" "$dir" "$label"
    map_key "$letter" "$dir"
done

start_display
# The key folders as the driver sees them through drive Z:.
export E2E_KEYS="Z:$(printf '%s' "$wine_dir/keys" | tr '/' '\\')"
cd "$win32_dir"
wine ./lanternbook-e2e.exe "$group"
