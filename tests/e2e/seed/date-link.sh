#!/usr/bin/env bash
# Seeds key folder $1 with a DATE that is a link to a two-byte file off the
# key, in the key's outside folder (E2E_OUTSIDE/LETTER).
set -euo pipefail
key=$1
outside=$(dirname "$key")/../outside/$(basename "$key")
mkdir -p "$outside"
printf '12' > "$outside/DATE"
rm -f "$key/DATE"
ln -s "$(cd "$outside" && pwd)/DATE" "$key/DATE"
