#!/usr/bin/env bash
# Builds Kestro and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$(nproc)" --target kestro kestro-cli
if [ -x build/release/bin/kestro ]; then
  exec build/release/bin/kestro "$@"
fi
exec build/release/bin/kestro-cli import examples/example_messages.csv
