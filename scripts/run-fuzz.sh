#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while from its
# seed corpus. Usage: scripts/run-fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "run-fuzz: clang++ fehlt, Fuzzing übersprungen" >&2
  exit 0
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVQ_BUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DVQ_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz --target model_fuzzer rtf_fuzzer -j"$(nproc)" >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work"/
# -timeout: an input that takes longer than 10 s counts as a hang.
build-fuzz/tests/fuzz/model_fuzzer "$work" -max_total_time="$seconds" -timeout=10 \
  -max_len=65536 -print_final_stats=1 2>&1 | tail -n 15
echo "fuzz: model_fuzzer ran ${seconds}s without a crash or hang"

# The RTF reader of the invoice footer.
rtf_work=$(mktemp -d)
trap 'rm -rf "$work" "$rtf_work"' EXIT
cp tests/fuzz/rtf_corpus/* "$rtf_work"/
build-fuzz/tests/fuzz/rtf_fuzzer "$rtf_work" -max_total_time="$seconds" -timeout=10 \
  -max_len=65536 -print_final_stats=1 2>&1 | tail -n 15
echo "fuzz: rtf_fuzzer ran ${seconds}s without a crash or hang"
