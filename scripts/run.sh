#!/usr/bin/env bash
# Starts the program on the bundled sample database. Until the records manager has its
# first window, the settings-table editor is started on the sample database's settings table.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
sample="$bin/Sample"
if [ -x "$bin/dossara" ]; then
  exec "$bin/dossara" "/DB:$sample"
elif [ -x "$bin/tarnwell" ]; then
  exec "$bin/tarnwell" "$sample/Registry.DB"
else
  echo "No program has been built yet: nothing to start." >&2
  exit 1
fi
