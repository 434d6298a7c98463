#!/usr/bin/env bash
# Benchmarks the native command line against bare floors measured in the
# same run, on keys that are tmpfs mounts (so root only): `erase --yes
# --no-journal` of 100,000 downloads against `find CARD TACHO -type f
# -delete`, the journaled `erase --yes` against `sha256sum` of each and the
# same delete, and
# `show --all --json` of 20 keys against one `cat` of their 20 CONFIG files.
# The 20 keys are found through a mount table and udev links faked below
# LANTERNBOOK_SYSTEM_ROOT from the real mounts. Medians in ms. Then `watch`:
# 50 tmpfs keys mounted one after another, each timed from its mount to its
# CONFIG saved (bench/native/watch_latency.cpp).
# Usage: bench-cli.sh [--runs N] [--files N]
# BENCH_CLI_DIR picks the command line's build tree (default build/bench-cli).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli_dir=${BENCH_CLI_DIR:-$root/build/bench-cli}
runs=11
files=100000
keys=20
# Calls timed together for one sample of `show --all`, whose one call is short.
calls=20
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --files) files=$2; shift 2 ;;
        *) echo "bench-cli.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
if [ "$(id -u)" != 0 ]; then
    echo "command line: not measured (its tmpfs keys need root)"
    exit 0
fi

if [ ! -f "$cli_dir/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$cli_dir" -DLANTERNBOOK_CLI_ONLY=ON >/dev/null
fi
cmake --build "$cli_dir" -j2 --target lanternbook-cli lanternbook-watch-bench >/dev/null
program=$cli_dir/lanternbook

work=$(mktemp -d /tmp/lanternbook-bench.XXXXXX)
mounts=()
cleanup() {
    local mount
    for mount in ${mounts[@]+"${mounts[@]}"}; do
        umount "$mount" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# The journal of changes the runs write stays with the benchmark, never in the user's own state.
export XDG_STATE_HOME=$work/state
mkdir -p "$XDG_STATE_HOME"
faults=0
fault() {
    echo "FAULT: $*"
    faults=$((faults + 1))
}

now_ns() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Milliseconds of ns nanoseconds shared by n calls.
ms() { awk -v ns="$1" -v n="${2:-1}" 'BEGIN { printf "%.3f", ns / n / 1e6 }'; }
# Nanoseconds `count` runs of a command take.
timed() {
    local count=$1 started i
    shift
    started=$(now_ns)
    for ((i = 0; i < count; i++)); do
        "$@" >/dev/null 2>&1 || true
    done
    echo $(($(now_ns) - started))
}

# ---- erase: 100,000 downloads on a tmpfs key ----
key=$work/erase-key
mkdir -p "$key"
mount -t tmpfs -o size=512m tmpfs "$key"
mounts+=("$key")
"$root/scripts/make-key.sh" "$key" >/dev/null
# A quarter of the downloads under each of the four extensions, CARD and TACHO two each.
seed_downloads() {
    rm -rf "$key/CARD" "$key/TACHO"
    mkdir -p "$key/CARD" "$key/TACHO"
    local quarter=$((files / 4))
    (cd "$key/CARD" && seq -f 'C_%06g.ddd' 1 "$quarter" | xargs touch && seq -f 'C_%06g.dtc' 1 "$quarter" | xargs touch)
    (cd "$key/TACHO" && seq -f 'M_%06g.esm' 1 "$quarter" | xargs touch && seq -f 'M_%06g.dtg' 1 "$quarter" | xargs touch)
    sync
}
left_downloads() { find "$key/CARD" "$key/TACHO" -type f | wc -l; }
# The erase the goal names, without the journal, against the bare delete.
erase_ours() {
    seed_downloads
    timed 1 "$program" erase --yes --no-journal --key "$key"
    [ "$(left_downloads)" = 0 ] || fault "our erase left downloads"
}
erase_floor() {
    seed_downloads
    timed 1 find "$key/CARD" "$key/TACHO" -type f -delete
    [ "$(left_downloads)" = 0 ] || fault "the bare erase left downloads"
}
# With the journal each download is read for its SHA-256 first: its floor hashes them too.
erase_journaled() {
    seed_downloads
    timed 1 "$program" erase --yes --key "$key"
    [ "$(left_downloads)" = 0 ] || fault "our journaled erase left downloads"
}
erase_hashed_floor() {
    seed_downloads
    timed 1 sh -c 'find "$1/CARD" "$1/TACHO" -type f -exec sha256sum {} + >/dev/null &&
                   find "$1/CARD" "$1/TACHO" -type f -delete' sh "$key"
    [ "$(left_downloads)" = 0 ] || fault "the bare hashed erase left downloads"
}
erase_listing() {
    seed_downloads
    timed 1 "$program" erase --dry-run --key "$key"
}
ours=()
floor=()
journaled=()
hashed=()
listing=()
for ((run = 0; run < runs; run++)); do
    # Alternately first, so that drift in the machine's load hits both alike.
    if ((run % 2 == 0)); then
        ours+=("$(erase_ours)")
        floor+=("$(erase_floor)")
        journaled+=("$(erase_journaled)")
        hashed+=("$(erase_hashed_floor)")
    else
        floor+=("$(erase_floor)")
        ours+=("$(erase_ours)")
        hashed+=("$(erase_hashed_floor)")
        journaled+=("$(erase_journaled)")
    fi
    listing+=("$(erase_listing)")
done
erase_ours_ns=$(printf '%s\n' "${ours[@]}" | median)
erase_floor_ns=$(printf '%s\n' "${floor[@]}" | median)
erase_journaled_ns=$(printf '%s\n' "${journaled[@]}" | median)
erase_hashed_ns=$(printf '%s\n' "${hashed[@]}" | median)
erase_listing_ns=$(printf '%s\n' "${listing[@]}" | median)
table_reads=
if command -v strace >/dev/null; then
    seed_downloads
    # Every start opens the table once for watch's wait and never reads it: that open is not counted.
    table_opens() {
        strace -f -e trace=openat,open -o "$work/trace" "$program" "$@" >/dev/null 2>&1
        grep -c 'mountinfo' "$work/trace"
    }
    started=$(table_opens --version || true)
    table_reads=$(($(table_opens erase --yes --key "$key" || true) - started))
fi

# ---- show --all: 20 keys, each a tmpfs mount labelled through faked udev links ----
system=$work/system
mkdir -p "$system/proc/self" "$system/dev/disk/by-label" "$system/dev/disk/by-uuid" "$work/keys"
configs=()
for ((i = 1; i <= keys; i++)); do
    number=$(printf '%02d' "$i")
    folder=$work/keys/k$number
    mkdir -p "$folder"
    mount -t tmpfs -o size=1m tmpfs "$folder"
    mounts+=("$folder")
    "$root/scripts/make-key.sh" "$folder" >/dev/null
    configs+=("$folder/CONFIG")
    touch "$system/dev/lbk$number"
    ln -s "../../lbk$number" "$system/dev/disk/by-label/VOLKARIS\\x20$number"
    ln -s "../../lbk$number" "$system/dev/disk/by-uuid/1A2B-00$number"
    # The real mount, its file system told as the key's own.
    awk -v point="$folder" -v device="/dev/lbk$number" '$5 == point {
        sub(/ - .*/, " - vfat " device " rw"); print }' /proc/self/mountinfo >>"$system/proc/self/mountinfo"
done
show() { LANTERNBOOK_SYSTEM_ROOT=$system "$program" "$@"; }
shown=$(show show --all --json | grep -o '"serial_number"' | wc -l)
[ "$shown" = "$keys" ] || fault "show --all showed $shown keys, not $keys"
ours=()
floor=()
search=()
start=()
for ((run = 0; run < runs; run++)); do
    if ((run % 2 == 0)); then
        ours+=("$(timed "$calls" show show --all --json)")
        floor+=("$(timed "$calls" cat "${configs[@]}")")
    else
        floor+=("$(timed "$calls" cat "${configs[@]}")")
        ours+=("$(timed "$calls" show show --all --json)")
    fi
    search+=("$(timed "$calls" show find --json)")
    start+=("$(timed "$calls" "$program" --version)")
done
show_ours_ns=$(printf '%s\n' "${ours[@]}" | median)
show_floor_ns=$(printf '%s\n' "${floor[@]}" | median)
search_ns=$(printf '%s\n' "${search[@]}" | median)
start_ns=$(printf '%s\n' "${start[@]}" | median)

ratio() { awk -v ours="$1" -v floor="$2" 'BEGIN { printf "%.2f", ours / floor }'; }
printf '\nCommand line, native (%d runs per case; medians in ms; ratio = ours / floor)\n' "$runs"
printf '%-60s %12s %12s %11s\n' case ours floor ours/floor
printf '%-60s %12s %12s %11s\n' "erase --yes --no-journal of $files downloads vs. find -delete" \
    "$(ms "$erase_ours_ns")" "$(ms "$erase_floor_ns")" "$(ratio "$erase_ours_ns" "$erase_floor_ns")"
printf '%-60s %12s %12s %11s\n' "erase --yes, journaled, vs. sha256sum of each, find -delete" \
    "$(ms "$erase_journaled_ns")" "$(ms "$erase_hashed_ns")" "$(ratio "$erase_journaled_ns" "$erase_hashed_ns")"
printf '%-60s %12s %12s %11s\n' "show --all --json of $keys keys vs. cat of their CONFIG" \
    "$(ms "$show_ours_ns" "$calls")" "$(ms "$show_floor_ns" "$calls")" "$(ratio "$show_ours_ns" "$show_floor_ns")"
printf '\nWhere the time goes (medians, ms)\n'
printf '  lanternbook --version (the process alone)                %10s\n' "$(ms "$start_ns" "$calls")"
printf '  erase --dry-run (the same listing and checks, no delete)   %10s\n' "$(ms "$erase_listing_ns")"
printf '  find --json of the %d keys (the search alone)             %10s\n' "$keys" "$(ms "$search_ns" "$calls")"
if [ -n "$table_reads" ]; then
    printf '  mount table reads in one erase (strace)                    %10s\n' "$table_reads"
fi
printf '\n'
"$cli_dir/lanternbook-watch-bench" "$program" --keys 50 || fault "watch did not save every key"
if [ "$faults" -gt 0 ]; then
    echo "$faults faults: the figures above are not to be trusted"
    exit 1
fi
