#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Usage: scripts/setup.sh [--bench] [--windows]
#   --bench adds Google Benchmark for TESSELLA_BENCHMARKS; --windows adds the mingw-w64 cross
#   compilers, wine and the sources that scripts/test-windows.sh builds for the target.
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libtinyxml2-dev uuid-dev)
for option in "$@"; do
  case "$option" in
    --bench) packages+=(libbenchmark-dev) ;;
    --windows)
      packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                 wine64 googletest dpkg-dev xz-utils) ;;
    *) echo "usage: $0 [--bench] [--windows]" >&2; exit 2 ;;
  esac
done
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
fi
