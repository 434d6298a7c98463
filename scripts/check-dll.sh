#!/usr/bin/env bash
# The DLL as the host needs it: PE32 for i386, exactly the exports find_device
# and load, and no DLL imported beyond the system's own.
set -euo pipefail
dll=${1:?usage: check-dll.sh lanternbook.dll}
dump=$(i686-w64-mingw32-objdump -p "$dll")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

file_format=$(i686-w64-mingw32-objdump -f "$dll" | sed -n 's/.*file format //p')
[ "$file_format" = "pei-i386" ] || fail "file format is $file_format, not pei-i386"
grep -q "^Magic.*010b" <<<"$dump" || fail "optional header is not PE32"

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*\[/{print $NF; next} on{exit}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "find_device load " ] || fail "exports are '$exports', expected 'find_device load '"

system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll ole32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll "
while read -r imported; do
    lower=$(tr 'A-Z' 'a-z' <<<"$imported")
    case "$system_dlls" in
        *" $lower "*) ;;
        *) fail "imports non-system DLL $imported" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

[ $failed -eq 0 ] && echo "lanternbook.dll: PE32 i386, exports: $exports, system imports only"
exit $failed
