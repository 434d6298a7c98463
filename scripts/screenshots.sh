#!/usr/bin/env bash
# Screenshots of the dialog in each of its nineteen languages on a virtual
# display, for the README and docs/languages.md: docs/dialog-<code>.png as
# 8-bit palette PNGs. Usage: screenshots.sh [CODE...] (default: all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export LANTERNBOOK_BUILD=${LANTERNBOOK_BUILD:-$root/build/screenshots}

# code locale language, in the order of docs/languages.md
languages=(
    "en 1033 English" "pl 1045 Polish" "de 1031 German" "cs 1029 Czech" "sk 1051 Slovak"
    "et 1061 Estonian" "lt 1063 Lithuanian" "lv 1062 Latvian" "ro 1048 Romanian"
    "hu 1038 Hungarian" "ru 1049 Russian" "es 1034 Spanish" "fr 1036 French"
    "it 1040 Italian" "pt 1046 Portuguese" "sl 1060 Slovenian" "hr 1050 Croatian"
    "sr 2074 Serbian" "bg 1026 Bulgarian"
)
wanted=" $* "

source scripts/wine-env.sh
ensure_prefix
stop_wine
unmap_keys
fresh_key K >/dev/null
unset DISPLAY
start_display
trap 'stop_wine; stop_display' EXIT
mkdir -p docs
for language in "${languages[@]}"; do
    read -r code locale name <<<"$language"
    if [ $# -gt 0 ] && [[ "$wanted" != *" $code "* ]]; then
        continue
    fi
    shot=docs/dialog-$code.png
    wine build/win32/lanternbook-host.exe --close-after 6000 "$locale" &
    host=$!
    sleep 4
    import -window root png:- | convert - -trim +repage "$shot"
    wait "$host"
    # The dialog has few colours: a palette PNG holds it exactly and small.
    pngquant --force --strip --speed 1 --quality 90-100 --output "$shot" -- "$shot"
    echo "$shot ($name)"
done
