#!/usr/bin/env bash
# Sets up, builds and runs the library's main job. Until the command-line host lands this is the
# library's own test suite in an optimised build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
