#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its seed corpus;
# the seconds are split between them. Usage: scripts/run-fuzz.sh [SECONDS]
# (default 60 in all)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! command -v clang++ >/dev/null 2>&1; then
  echo "run-fuzz: clang++ fehlt, Fuzzing übersprungen" >&2
  exit 0
fi
# target and seed folder
targets=(
  "model_fuzzer tests/fuzz/corpus"
  "order_document_fuzzer tests/fuzz/order_corpus"
  "mail_message_fuzzer tests/fixtures/invoice"
  "rtf_fuzzer tests/fuzz/rtf_corpus"
)
each=$(( seconds / ${#targets[@]} ))
(( each > 0 )) || each=1
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DVQ_BUILD_FUZZERS=ON -DBUILD_TESTING=OFF -DVQ_BUILD_BENCHMARKS=OFF >/dev/null
names=()
for entry in "${targets[@]}"; do names+=("${entry%% *}"); done
cmake --build build-fuzz --target "${names[@]}" -j"$(nproc)" >/dev/null
for entry in "${targets[@]}"; do
  target=${entry%% *}
  seeds=${entry#* }
  work=$(mktemp -d)
  cp "$seeds"/* "$work"/
  # -timeout: an input that takes longer than 10 s counts as a hang.
  # -rss_limit_mb: an input that makes the reader hold more than 2 GB is a fault.
  if ! "build-fuzz/tests/fuzz/$target" "$work" -max_total_time="$each" -timeout=10 \
    -rss_limit_mb=2048 -max_len=1048576 -print_final_stats=1 >"$work.log" 2>&1; then
    tail -n 60 "$work.log"
    rm -rf "$work" "$work.log"
    echo "fuzz: $target found a fault" >&2
    exit 1
  fi
  tail -n 8 "$work.log"
  rm -rf "$work" "$work.log"
  echo "fuzz: $target ran ${each}s without a crash or hang"
done
