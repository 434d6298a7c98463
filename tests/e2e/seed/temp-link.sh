#!/usr/bin/env bash
# Seeds a folder off key folder $1 that is a link to the key's root, in the
# key's outside folder (E2E_OUTSIDE/LETTER): a temporary folder there is on the key.
set -euo pipefail
key=$1
outside=$(dirname "$key")/../outside/$(basename "$key")
mkdir -p "$outside"
ln -s "$(cd "$key" && pwd)" "$outside/temp-into-key"
