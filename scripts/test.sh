#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Kestro and runs every test: the whole suite (engine, windows, install checks and
# the fuzz corpus replays), then the engine's tests, kestro-cli and the corpus replays
# again under AddressSanitizer and UndefinedBehaviorSanitizer, and, when clang and its
# fuzzing runtime are installed, builds the libFuzzer programs and replays the corpus
# through them. Run it as yourself: only missing packages are installed as root (sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

bash scripts/configure.sh
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRO_WERROR=ON \
      -DKESTRO_SANITIZE=ON -DKESTRO_ENGINE_ONLY=ON -DKESTRO_BENCH=OFF
cmake --build build/sanitize -j "$jobs" --target kestro_engine_tests kestro-cli
(cd build/sanitize && ctest --output-on-failure -j "$jobs")

# libFuzzer comes with clang's runtime (Debian: libclang-rt-14-dev), not with clang itself.
fuzzer_links() {
  local dir
  dir=$(mktemp -d)
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' >"$dir/probe.cpp"
  clang++ -fsanitize=fuzzer "$dir/probe.cpp" -o "$dir/probe" >/dev/null 2>&1
  local status=$?
  rm -rf "$dir"
  return $status
}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "clang++ is not installed: skipping the libFuzzer stage."
elif ! fuzzer_links; then
  echo "clang++ cannot link libFuzzer (install libclang-rt-14-dev): skipping the libFuzzer stage."
else
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DKESTRO_WERROR=ON -DKESTRO_FUZZ=ON -DKESTRO_ENGINE_ONLY=ON -DKESTRO_BENCH=OFF
  cmake --build build/fuzz -j "$jobs" --target kestro_fuzz_all
  (cd build/fuzz && ctest --output-on-failure -j "$jobs" -R '^FuzzCorpus\.')
fi
