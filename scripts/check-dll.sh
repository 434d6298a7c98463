#!/usr/bin/env bash
# The DLL as the host needs it: PE32 for i386 (win32) or PE32+ for x86-64
# (win64), exactly the exports find_device and load, no DLL imported beyond
# the system's own, every resource in place with icon 128 the lowest icon,
# and, when given, no more than MAX_BYTES.
# Usage: check-dll.sh win32|win64 lanternbook.dll [MAX_BYTES]
set -euo pipefail
arch=${1:?usage: check-dll.sh win32|win64 lanternbook.dll [MAX_BYTES]}
dll=${2:?usage: check-dll.sh win32|win64 lanternbook.dll [MAX_BYTES]}
max_bytes=${3:-}
case "$arch" in
    win32) objdump=i686-w64-mingw32-objdump; format=pei-i386; magic=010b; kind="PE32 i386" ;;
    win64) objdump=x86_64-w64-mingw32-objdump; format=pei-x86-64; magic=020b; kind="PE32+ x86-64" ;;
    *) echo "check-dll.sh: architecture must be win32 or win64, not $arch" >&2; exit 2 ;;
esac
dump=$($objdump -p "$dll")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

file_format=$($objdump -f "$dll" | sed -n 's/.*file format //p')
[ "$file_format" = "$format" ] || fail "file format is $file_format, not $format"
grep -q "^Magic.*$magic" <<<"$dump" || fail "optional header magic is not $magic ($kind)"

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[[:space:]]*\[/{print $NF; next} on{exit}' <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "find_device load " ] || fail "exports are '$exports', expected 'find_device load '"

system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll ntdll.dll ole32.dll setupapi.dll shell32.dll shlwapi.dll user32.dll "
while read -r imported; do
    lower=$(tr 'A-Z' 'a-z' <<<"$imported")
    case "$system_dlls" in
        *" $lower "*) ;;
        *) fail "imports non-system DLL $imported" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

size=$(stat -c %s "$dll")
if [ -n "$max_bytes" ] && [ "$size" -gt "$max_bytes" ]; then
    fail "$size bytes, over the bound of $max_bytes"
fi

# wrestool lines read: --type=14 --name=128 --language=1033 [type=group_icon ...]
resources=$(wrestool -l "$dll" | sed -n 's/^--type=\([0-9]*\) --name=\([0-9]*\) .*/\1:\2/p' | sort -u)
for wanted in 5:129 14:128 14:203 14:210 2:204 2:214 2:215 16:1; do
    grep -qx "$wanted" <<<"$resources" || fail "resource type:name $wanted missing"
done
lowest_icon=$(sed -n 's/^14://p' <<<"$resources" | sort -n | head -n 1)
[ "$lowest_icon" = 128 ] || fail "the lowest icon group is $lowest_icon, not 128"

[ $failed -eq 0 ] && echo "$(basename "$dll"): $kind, $size bytes, exports: $exports, system imports only, resources in place"
exit $failed
