#!/usr/bin/env bash
# Sets up, builds and runs the command-line host on the bundled sample database: first a check,
# then the list of its records.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release
cmake --build --preset release
build/release/bin/tessella check
build/release/bin/tessella list
