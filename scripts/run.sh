#!/usr/bin/env bash
# Starts the records manager on the bundled sample database.
set -euo pipefail
build=${1:-build}
bin="$build/bin"
sample="$(cd "$bin" && pwd)/Sample"
if [ ! -x "$bin/dossara" ]; then
  echo "The records manager has not been built yet: nothing to start." >&2
  exit 1
fi
exec "$bin/dossara" "/DB:$sample"
