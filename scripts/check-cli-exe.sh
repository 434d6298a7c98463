#!/usr/bin/env bash
# lanternbook.exe as it must ship: a 32-bit console program that imports no
# DLL beyond the system's own (the C++ runtime linked in).
# Usage: check-cli-exe.sh lanternbook.exe
set -euo pipefail
exe=${1:?usage: check-cli-exe.sh lanternbook.exe}
objdump=i686-w64-mingw32-objdump
dump=$($objdump -p "$exe")
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ "$($objdump -f "$exe" | sed -n 's/.*file format //p')" = pei-i386 ] || fail "not a PE32 i386 file"
grep -q "^Subsystem.*(Windows CUI)" <<<"$dump" || fail "not a console program"
system_dlls=" advapi32.dll bcrypt.dll kernel32.dll msvcrt.dll ntdll.dll setupapi.dll shell32.dll shlwapi.dll user32.dll "
while read -r imported; do
    case "$system_dlls" in
        *" $(tr 'A-Z' 'a-z' <<<"$imported") "*) ;;
        *) fail "imports non-system DLL $imported" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")

[ $failed -eq 0 ] && echo "$(basename "$exe"): PE32 i386 console program, system imports only"
exit $failed
