#!/usr/bin/env bash
# Seeds key folder $1 with a CONFIG that is a named pipe no one writes to.
set -euo pipefail
rm -f "$1/CONFIG"
mkfifo "$1/CONFIG"
