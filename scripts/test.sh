#!/usr/bin/env bash
# Builds Kestro and runs every test: the whole suite, then the engine's tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer (the fuzz corpus included), and,
# when clang is installed, builds the libFuzzer programs and replays the corpus through them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRO_WERROR=ON
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRO_WERROR=ON \
      -DKESTRO_SANITIZE=ON -DKESTRO_ENGINE_ONLY=ON -DKESTRO_BENCH=OFF
cmake --build build/sanitize -j "$jobs" --target kestro_engine_tests kestro-cli
(cd build/sanitize && ctest --output-on-failure -j "$jobs")

if command -v clang++ >/dev/null 2>&1; then
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DKESTRO_WERROR=ON -DKESTRO_FUZZ=ON -DKESTRO_ENGINE_ONLY=ON -DKESTRO_BENCH=OFF
  cmake --build build/fuzz -j "$jobs" --target kestro_fuzz_all
  (cd build/fuzz && ctest --output-on-failure -j "$jobs" -R '^FuzzCorpus\.')
fi
