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
# A free display number is the X server's own pick (-displayfd), so that
# workers sharing the machine never race for one; LANTERNBOOK_DISPLAY=N
# forces a number.
start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local number_file number waited
    number_file=$(mktemp)
    if [ -n "${LANTERNBOOK_DISPLAY:-}" ]; then
        Xvfb ":$LANTERNBOOK_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        number=$LANTERNBOOK_DISPLAY
        for waited in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$number" ] && break
            sleep 0.1
        done
    else
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
        xvfb_pid=$!
        number=
        for waited in $(seq 1 50); do
            number=$(tr -dc 0-9 < "$number_file")
            [ -n "$number" ] && break
            sleep 0.1
        done
    fi
    rm -f "$number_file"
    if [ -z "$number" ] || ! kill -0 "$xvfb_pid" 2>/dev/null || [ ! -e "/tmp/.X11-unix/X$number" ]; then
        echo "Xvfb did not start${number:+ on :$number}" >&2
        stop_display
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
