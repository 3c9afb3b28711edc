#!/usr/bin/env bash
# Sets up, builds and runs every test. Usage: scripts/test.sh [preset] (default: ci).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-ci}"
scripts/setup.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
