#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every test: the whole suite, the
# unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the fuzz targets for a short while.
# Environment: VQ_FUZZ_SECONDS (default 60), VQ_SKIP_SANITIZE=1 to skip that build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

bash scripts/install-deps.sh

# Formatting first: it takes seconds and says at once what a review would.
bash scripts/check-format.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"

if [ "${VQ_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVQ_SANITIZE=ON -DVQ_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -L unit -j"$jobs"
fi

bash scripts/run-fuzz.sh "${VQ_FUZZ_SECONDS:-60}"

# The whole suite last, so its summary closes the output.
ctest --test-dir build --output-on-failure -j"$jobs"
