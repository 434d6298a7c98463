#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping
# what is already there. Runs as root, or through sudo.
set -euo pipefail

packages=(cmake make g++ libgtest-dev libgmock-dev
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 fonts-wine xvfb xauth imagemagick pngquant
          icoutils unzip
          clang libclang-rt-14-dev clang-tidy cppcheck python3
          nlohmann-json3-dev libcli11-dev libmount-dev libblkid-dev ninja-build
          llvm dpkg-dev file lintian mandoc bash-completion zsh fish dosfstools)
# llvm: llvm-dlltool and llvm-readobj for the MSVC import library; dpkg-dev:
# dpkg-shlibdeps for the DEB's dependencies, and file, which CPack asks what
# each packaged file is; lintian judges the DEB; mandoc lints the man page; the
# three shells check the completions; dosfstools makes the FAT images that
# stand in for keys' block devices.

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
fi
# Another install on the same machine holds apt's lock for a while: wait for it.
as_root apt-get -o DPkg::Lock::Timeout=900 update -qq
as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
    --no-install-recommends "${missing[@]}"
