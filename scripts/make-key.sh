#!/usr/bin/env bash
# Fills a folder with what a key holds: its label, CONFIG, DATE, program files
# and a few downloads. Usage: make-key.sh DIR [LABEL [SERIAL]]
# SERIAL is the volume serial number in hex; by default one derived from the
# folder's path, so that keys sharing a file system are told apart as real
# keys are (without it Wine gives every folder of a file system one serial).
set -euo pipefail
key=${1:?usage: make-key.sh DIR [LABEL [SERIAL]]}
label=${2:-VOLKARIS}
serial=${3:-}

mkdir -p "$key/CARD" "$key/TACHO"
printf '%s\n' "$label" > "$key/.windows-label"
if [ -z "$serial" ]; then
    serial=$(printf '%08X' "$(cd "$key" && pwd -P | cksum | cut -d' ' -f1)")
fi
printf '%s\n' "$serial" > "$key/.windows-serial"
# Activities, events, speed, technical data on, no card via tachograph,
# everything, 14 days; From 2026-11-02, Till 2026-11-30; serial 5/4660, version 1.2.3.
printf '\061\061\061\061\061\060\064\016\000\152\347\322\200\153\014\274\200\176\013\002\001\176\013\036\001\005\022\064\001\002\003\000' > "$key/CONFIG"
printf '111111' > "$key/DATE"
printf '[autorun]\r\nopen=ostrevan.exe\r\nlabel=VOLKARIS\r\n' > "$key/autorun.inf"
printf 'stand-in for the configurator module\r\n' > "$key/lanternbook.dll"
printf 'stand-in for the key program\r\n' > "$key/ostrevan.exe"
printf 'driver card 1\r\n' > "$key/CARD/C_20261102_0712_DRIVER1.DDD"
printf 'driver card 2\r\n' > "$key/CARD/C_20261103_0650_DRIVER2.ddd"
printf 'tachograph\r\n' > "$key/TACHO/M_20261102_0715_VEHICLE1.ddd"
printf 'tachograph esm\r\n' > "$key/TACHO/M_20261102_0715_VEHICLE1.esm"
printf 'not a download\r\n' > "$key/CARD/readme.txt"
