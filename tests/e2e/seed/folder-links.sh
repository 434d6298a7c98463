#!/usr/bin/env bash
# Seeds key folder $1's CARD with links off the key, into the key's outside
# folder (E2E_OUTSIDE/LETTER): link.ddd to a file, folder.ddd to a folder
# holding a file and a folder, empty-link to an empty folder, and
# dangling.ddd to nothing.
set -euo pipefail
key=$1
outside=$(dirname "$key")/../outside/$(basename "$key")
mkdir -p "$outside/target-folder/inner" "$outside/empty-target"
outside=$(cd "$outside" && pwd)
printf 'off the key\r\n' > "$outside/target.ddd"
printf 'in the folder off the key\r\n' > "$outside/target-folder/inner.ddd"
ln -s "$outside/target.ddd" "$key/CARD/link.ddd"
ln -s "$outside/target-folder" "$key/CARD/folder.ddd"
ln -s "$outside/empty-target" "$key/CARD/empty-link"
ln -s "$outside/none.ddd" "$key/CARD/dangling.ddd"
