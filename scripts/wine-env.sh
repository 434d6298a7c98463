# Sourced by the scripts: a project-local Wine prefix under build/, emulated
# keys mapped as drive letters, and a virtual display when there is none.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LANTERNBOOK_BUILD:-$root/build}
wine_dir=$build/wine
export WINEPREFIX=$wine_dir/prefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

ensure_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$wine_dir"
        wineboot -i >/dev/null 2>&1
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

xvfb_pid=
start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local number
    for number in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] || break
    done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$number"
    local waited
    for waited in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$number" >&2
    return 1
}

stop_display() {
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=
    fi
}
