#!/usr/bin/env bash
# Sets up, builds and runs the command-line host on the bundled sample database: first a check,
# then the list of its records.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release
cmake --build --preset release
tessella=build/release/bin/tessella
if [ ! -x "$tessella" ]; then
  echo "The command-line host was not built: the library does not export its whole interface yet." >&2
  exit 1
fi
"$tessella" check
"$tessella" list
