#!/usr/bin/env bash
# Cross-builds the library, the host and every test as 64-bit Windows programs into build/windows
# and runs the whole test suite under wine. Installs what it needs on Debian 12: the mingw-w64
# compilers, wine, and tinyxml2 (from the distribution's source package) and GoogleTest (from the
# googletest package's sources) built for the target.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
build="$root/build/windows"
deps="$build/_deps"
toolchain="$root/cmake/toolchain-mingw64.cmake"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
scripts/setup.sh --windows

# tinyxml2 for the target, from the Debian source package of the version Linux builds use.
for package in tinyxml2; do
  [ -f "$deps/prefix/lib/cmake/$package/$package-config.cmake" ] && continue
  if ! apt-get source --print-uris "$package" >/dev/null 2>&1; then
    echo "Adding the Debian source archive to apt's sources"
    "${sudo[@]}" tee /etc/apt/sources.list.d/tessella-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${sudo[@]}" apt-get update -qq
  fi
  rm -rf "$deps/src/$package" && mkdir -p "$deps/src/$package"
  (cd "$deps/src/$package" && apt-get source -qq "$package" 2>&1 |
    grep -v '^W: Download is performed unsandboxed' || true)
  source_dir="$(find "$deps/src/$package" -maxdepth 1 -mindepth 1 -type d -name "$package-*" |
    head -n1)"
  [ -n "$source_dir" ] || { echo "$package sources not found" >&2; exit 1; }
  cmake -S "$source_dir" -B "$deps/$package" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -Dtinyxml2_BUILD_TESTING=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" >/dev/null
  cmake --build "$deps/$package" -j2 --target install >/dev/null
done

# GoogleTest for the target.
if [ ! -f "$deps/prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$deps/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF \
    -DCMAKE_INSTALL_PREFIX="$deps/prefix" >/dev/null
  cmake --build "$deps/googletest" -j2 --target install >/dev/null
fi

# A wine prefix of the run's own and one wine server for the whole run: the build runs the test
# programs too, to list their tests.
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -p
trap 'wineserver -k || true' EXIT
wine wineboot --init >/dev/null 2>&1

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSELLA_WERROR=ON -DTESSELLA_WINDOWS_PREFIX="$deps/prefix"
cmake --build "$build" -j2

ctest --test-dir "$build" -j2 --output-on-failure
