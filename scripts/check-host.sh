#!/usr/bin/env bash
# lanternbook-host without a usable DLL beside it. The host links the import
# library, so it is the loader that refuses, before the host runs a line:
# never a hang, and never a result printed.
# - No lanternbook.dll: Windows refuses to start the program with
#   STATUS_DLL_NOT_FOUND (0xC0000135); Wine's loader names the DLL, ends with
#   that status, and the exit code is its low byte, 53.
# - A lanternbook.dll without the two exports: Windows refuses to start it
#   (STATUS_ENTRYPOINT_NOT_FOUND); Wine instead binds a stub that stops the
#   program at its first call, naming the missing function. The exit code
#   then tells nothing: the stub's exception code has a low byte of 0, and
#   Wine's debugger, when it gets there first, ends the program with 1.
# Usage: check-host.sh WIN32_BUILD_DIR
set -uo pipefail
win32_dir=$(cd "${1:?win32 build dir}" && pwd)
source "$(dirname "$0")/wine-env.sh"
ensure_prefix
# Wine's debugger, which the stub starts, would open its crash window on a display.
unset DISPLAY
failed=0
passed=0
# what, expected exit code ("any" for none), text expected on stderr, arguments...
check_refusal() {
    local what=$1 expected_status=$2 expected=$3
    shift 3
    local status
    (cd "$work" && WINEDEBUG=-all,err+module timeout 60 wine ./lanternbook-host.exe "$@" \
        >"$work/out.txt" 2>"$work/err.txt")
    status=$?
    if [ "$status" -eq 124 ] || { [ "$expected_status" != any ] && [ "$status" -ne "$expected_status" ]; } ||
        ! grep -qF "$expected" "$work/err.txt" ||
        grep -q '^[A-Z]:\\' "$work/out.txt"; then
        echo "FAIL: $what: exit $status, stdout: $(head -c 300 "$work/out.txt"), stderr: $(head -c 300 "$work/err.txt")"
        failed=$((failed + 1))
    else
        passed=$((passed + 1))
    fi
}

work=$wine_dir/host-check
rm -rf "$work"
mkdir -p "$work"
cp "$win32_dir/lanternbook-host.exe" "$work/"
for arguments in find 1045 --version; do
    check_refusal "no DLL, $arguments" 53 "Library lanternbook.dll (which is needed by" $arguments
done
cp "$win32_dir/no-exports.dll" "$work/lanternbook.dll"
check_refusal "DLL without exports, find" any "unimplemented function lanternbook.dll.find_device" find
check_refusal "DLL without exports, load" any "unimplemented function lanternbook.dll.load" 1045
rm -rf "$work"
echo "$passed passed, $failed failed"
[ $failed -eq 0 ]
