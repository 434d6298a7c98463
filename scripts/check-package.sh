#!/usr/bin/env bash
# The release package of one Windows build: `cpack -G ZIP` makes
# lanternbook-VERSION-ARCH.zip holding exactly the DLL, the host program, the
# command line, the user's README (naming every file), the licence, the
# header and the two import libraries (the programs and libraries as built); lanternbook.lib is made of
# the short import objects MSVC's linker reads, for this architecture's
# undecorated exports; the DLL's version resource and
# `lanternbook-host.exe --version` both carry VERSION.
# Usage: check-package.sh win32|win64 BUILD_DIR VERSION
set -uo pipefail
arch=${1:?usage: check-package.sh win32|win64 BUILD_DIR VERSION}
build_dir=$(cd "${2:?build dir}" && pwd)
version=${3:?version}
failed=0
fail() { echo "FAIL: $*"; failed=1; }

name=lanternbook-$version-$arch
zip=$build_dir/$name.zip
rm -f "$zip"
if ! (cd "$build_dir" && cpack -G ZIP >/dev/null); then
    echo "FAIL: cpack -G ZIP failed in $build_dir"
    exit 1
fi
[ -f "$zip" ] || { echo "FAIL: no $name.zip in $build_dir"; exit 1; }

listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
expected="$name/LICENSE $name/README.txt $name/include/lanternbook.h $name/lanternbook-host.exe \
$name/lanternbook.dll $name/lanternbook.exe $name/lib/lanternbook.lib $name/lib/liblanternbook.dll.a "
[ "$listed" = "$expected" ] || fail "the zip holds '$listed', expected '$expected'"
# The README is the user's: it names every file beside it, in Windows' spelling.
readme=$(unzip -p "$zip" "$name/README.txt")
for file in $listed; do
    shown=${file#"$name/"}
    grep -qF -- "${shown//\//\\}" <<<"$readme" || fail "README.txt does not name $shown"
done
for part in "find_device" "load(" "lanternbook.exe --help"; do
    grep -qF -- "$part" <<<"$readme" || fail "README.txt does not tell about $part"
done
for file in lanternbook.dll lanternbook-host.exe lanternbook.exe lib/lanternbook.lib lib/liblanternbook.dll.a; do
    unzip -p "$zip" "$name/$file" | cmp -s - "$build_dir/$(basename "$file")" ||
        fail "$file in the zip differs from the build's"
done

# One short import object per export, named as a C compiler of this
# architecture names a cdecl function (a leading underscore on i386 only),
# importing the export's own name.
case "$arch" in
    win32) expected_imports="noprefix __imp__find_device _find_device noprefix __imp__load _load " ;;
    win64) expected_imports="name __imp_find_device find_device name __imp_load load " ;;
esac
unzip -p "$zip" "$name/lib/lanternbook.lib" >"$build_dir/lanternbook.lib.check"
imports=$(llvm-readobj "$build_dir/lanternbook.lib.check" | awk '
    /^Format:/ { short = ($2 == "COFF-import-file") }
    short && /^Name type:/ { print $3 }
    short && /^Symbol:/ { print $2 }' | tr '\n' ' ')
rm -f "$build_dir/lanternbook.lib.check"
[ "$imports" = "$expected_imports" ] || fail "lanternbook.lib holds the imports '$imports', expected '$expected_imports'"

# The version resource's texts are UTF-16: FileVersion and ProductVersion.
resource_texts=$(strings -el "$build_dir/lanternbook.dll")
grep -qx "$version.0" <<<"$resource_texts" || fail "the DLL's version resource does not carry $version.0"

export LANTERNBOOK_WINE_ARCH=$arch
source "$(dirname "$0")/wine-env.sh"
ensure_prefix
printed=$(cd "$build_dir" && timeout 60 wine ./lanternbook-host.exe --version 2>/dev/null | tr -d '\r')
[ "$printed" = "lanternbook-host $version" ] || fail "--version printed '$printed', expected 'lanternbook-host $version'"

[ $failed -eq 0 ] && echo "$name.zip: $listed; version $version in the DLL and the host"
exit $failed
