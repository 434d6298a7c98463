#!/usr/bin/env bash
# Runs one group of end-to-end checks: our driver program loads the real DLL
# under Wine and drives it on freshly seeded emulated keys.
# Usage: e2e.sh WIN32_BUILD_DIR GROUP [--keys LETTERS | --no-key] [--tmpfs MIB] [--label TEXT]
#                [--readonly PATH] [--link-out PATH] [--before COMMAND]
# --readonly makes PATH inside each key (. for the whole key) read-only with a
# read-only bind mount, which holds for root too, where clearing write bits does not.
# --link-out moves the folder PATH of each key out of the key, to
# build/wine/outside/LETTER/PATH (E2E_OUTSIDE), and leaves a link to it in its place.
# LANTERNBOOK_WINE_ARCH=win64 runs a 64-bit build in the 64-bit prefix (see wine-env.sh).
# --before runs COMMAND (split at spaces) with each key's folder as its last
# argument once the key is seeded; the group fails when it fails.
set -euo pipefail
win32_dir=$(cd "${1:?win32 build dir}" && pwd)
group=${2:?group}
shift 2
keys=K
tmpfs_mib=
label=VOLKARIS
readonly_path=
link_out_path=
before_command=
while [ $# -gt 0 ]; do
    case "$1" in
        --keys) keys=$2; shift 2 ;;
        --no-key) keys=; shift ;;
        --tmpfs) tmpfs_mib=$2; shift 2 ;;
        --label) label=$2; shift 2 ;;
        --readonly) readonly_path=$2; shift 2 ;;
        --link-out) link_out_path=$2; shift 2 ;;
        --before) before_command=$2; shift 2 ;;
        *) echo "e2e.sh: unknown option $1" >&2; exit 2 ;;
    esac
done

source "$(dirname "$0")/wine-env.sh"
ensure_prefix
stop_wine
unmap_keys
# Backup folders a failed or killed run left: the next start would offer to put them back.
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/volkaris*
mounted=
readonly_mounts=()
# Mounts left below a key folder by a run that was killed.
unmount_below() {
    local target
    for target in $(awk -v top="$1" '$2 == top || index($2, top "/") == 1 { print $2 }' /proc/self/mounts | sort -r); do
        umount "$target" 2>/dev/null || true
    done
}
cleanup() {
    stop_wine
    local target
    for target in ${readonly_mounts[@]+"${readonly_mounts[@]}"}; do
        umount "$target" 2>/dev/null || true
    done
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    stop_display
}
trap cleanup EXIT

for letter in $(printf '%s' "$keys" | sed 's/./& /g'); do
    dir=$wine_dir/keys/$letter
    unmount_below "$dir"
    umount "$dir" 2>/dev/null || true
    # With what a killed run may have left: the key moved aside by PulledKey, its outside folder.
    rm -rf "$dir" "$dir.pulled" "$wine_dir/outside/$letter"
    mkdir -p "$dir"
    if [ -n "$tmpfs_mib" ]; then
        mount -t tmpfs -o "size=${tmpfs_mib}m" tmpfs "$dir"
        mounted=$dir
    fi
    "$root/scripts/make-key.sh" "$dir" "$label"
    if [ -n "$link_out_path" ]; then
        outside=$wine_dir/outside/$letter/$link_out_path
        mkdir -p "$(dirname "$outside")"
        mv "$dir/$link_out_path" "$outside"
        ln -s "$outside" "$dir/$link_out_path"
    fi
    if [ -n "$before_command" ]; then
        $before_command "$dir" || { echo "FAIL: $before_command $dir"; exit 1; }
    fi
    if [ -n "$readonly_path" ]; then
        target=$dir
        [ "$readonly_path" = . ] || target=$dir/$readonly_path
        chmod a-w "$target"
        mount --bind "$target" "$target"
        readonly_mounts+=("$target")
        mount -o remount,bind,ro "$target"
    fi
    map_key "$letter" "$dir"
done

start_display
# The key folders as the driver sees them through drive Z:.
export E2E_KEYS="Z:$(printf '%s' "$wine_dir/keys" | tr '/' '\\')"
export E2E_OUTSIDE="Z:$(printf '%s' "$wine_dir/outside" | tr '/' '\\')"
cd "$win32_dir"
wine ./lanternbook-e2e.exe "$group"
