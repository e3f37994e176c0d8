#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build/package, without the tests and benchmarks, and
# prints its name; with --install it also installs it (as root, with sudo when needed).
# Optimised as the tested build is (-O2; -O3 draws false warnings from GCC 12's library).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_TESTS=OFF "${launcher[@]}" >/dev/null
cmake --build build/package -j "$(nproc)"
(cd build/package && cpack -G DEB >/dev/null)
version=$(sed -n 's/^project(Kestro VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=$PWD/build/package/kestro_${version}_$(dpkg --print-architecture).deb
echo "$deb"
if [ "${1:-}" = --install ]; then
  as_root=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "Installing the package needs root, and sudo is not installed: run" >&2
      echo "  su -c 'apt-get install -y $deb'" >&2
      echo "once." >&2
      exit 1
    fi
    as_root=(sudo)
  fi
  "${as_root[@]}" apt-get install -y "$deb"
fi
