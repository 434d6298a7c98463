#!/usr/bin/env bash
# Seeds key folder $1 with a CONFIG.NEW that is a link to a file off the key,
# in the key's outside folder (E2E_OUTSIDE/LETTER).
set -euo pipefail
key=$1
outside=$(dirname "$key")/../outside/$(basename "$key")
mkdir -p "$outside"
printf 'off the key' > "$outside/CONFIG.NEW"
ln -s "$(cd "$outside" && pwd)/CONFIG.NEW" "$key/CONFIG.NEW"
