#!/usr/bin/env bash
# lanternbook-host without a usable DLL beside it: one line of error and a
# non-zero exit code, never a crash or a hang. Usage: check-host.sh WIN32_BUILD_DIR
set -uo pipefail
win32_dir=$(cd "${1:?win32 build dir}" && pwd)
source "$(dirname "$0")/wine-env.sh"
ensure_prefix
failed=0
check_refusal() {  # what, expected text, arguments...
    local what=$1 expected=$2
    shift 2
    local output status
    output=$(cd "$work" && timeout 60 wine ./lanternbook-host.exe "$@" 2>&1)
    status=$?
    output=$(grep -v '^wine: ' <<<"$output")
    if [ "$status" -eq 0 ] || [ "$(printf '%s\n' "$output" | grep -c .)" -ne 1 ] || ! grep -q "$expected" <<<"$output"; then
        echo "FAIL: $what: exit $status, output: $output"
        failed=1
    fi
}

work=$wine_dir/host-check
rm -rf "$work"
mkdir -p "$work"
cp "$win32_dir/lanternbook-host.exe" "$work/"
check_refusal "no DLL, find" "cannot load" find
check_refusal "no DLL, load" "cannot load" 1045
cp "$win32_dir/no-exports.dll" "$work/lanternbook.dll"
check_refusal "DLL without exports, find" "no export find_device" find
check_refusal "DLL without exports, load" "no export load" 1045
rm -rf "$work"
[ $failed -eq 0 ] && echo "4 passed, 0 failed"
exit $failed
