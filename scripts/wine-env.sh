# Sourced by the scripts: a project-local Wine prefix under build/, emulated
# keys mapped as drive letters, and a virtual display when there is none.
# LANTERNBOOK_WINE_ARCH=win64 picks a 64-bit prefix of its own (build/wine64),
# so 32- and 64-bit runs never share a prefix or a key folder.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LANTERNBOOK_BUILD:-$root/build}
export WINEARCH=${LANTERNBOOK_WINE_ARCH:-win32}
case "$WINEARCH" in
    win32) wine_dir=$build/wine ;;
    win64) wine_dir=$build/wine64 ;;
    *) echo "wine-env.sh: LANTERNBOOK_WINE_ARCH must be win32 or win64, not $WINEARCH" >&2; return 2 ;;
esac
export WINEPREFIX=$wine_dir/prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

# Debian's wine command prefers the 32-bit loader; a 64-bit prefix needs the
# 64-bit one, which is not on PATH there.
if [ "$WINEARCH" = win64 ]; then
    wine_loader=$(command -v wine64 || true)
    for candidate in /usr/lib/wine/wine64 /usr/lib64/wine/wine64; do
        [ -n "$wine_loader" ] && break
        [ -x "$candidate" ] && wine_loader=$candidate
    done
    if [ -z "$wine_loader" ]; then
        echo "wine-env.sh: no 64-bit Wine loader (scripts/deps.sh installs wine64)" >&2
        return 2
    fi
    wine() { "$wine_loader" "$@"; }
fi

ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$wine_dir"
        wine wineboot -i >/dev/null 2>&1
        # Wine draws the window frames itself: a virtual display has no window manager.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
}

# Wine only notices new drive letters and labels in a fresh wineserver.
stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

unmap_keys() {
    local link
    for link in "$WINEPREFIX"/dosdevices/?:; do
        case "$(basename "$link")" in c:|z:) ;; *) rm -f "$link" ;; esac
    done
}

# map_key LETTER DIR: the folder becomes drive LETTER.
map_key() {
    local letter
    letter=$(printf '%s' "$1" | tr 'A-Z' 'a-z')
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$letter:"
}

# fresh_key LETTER [LABEL]: a newly seeded key folder mapped as LETTER.
fresh_key() {
    local dir=$wine_dir/keys/$1
    umount "$dir" 2>/dev/null || true
    rm -rf "$dir"
    mkdir -p "$dir"
    "$root/scripts/make-key.sh" "$dir" "${2:-VOLKARIS}"
    map_key "$1" "$dir"
    echo "$dir"
}

# Xvfb picks the display number itself (-displayfd) and takes its lock
# atomically, so trees and tests running side by side never share a display.
xvfb_pid=
start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local number_file number= waited
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for waited in $(seq 1 100); do
        number=$(head -n 1 "$number_file")
        [ -n "$number" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$number" ]; then
        echo "Xvfb did not start" >&2
        return 1
    fi
    export DISPLAY=":$number"
}

stop_display() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
