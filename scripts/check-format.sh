#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format
# makes of it with the repository's .clang-format; names each such file.
# Run "git ls-files '*.cpp' '*.h' | xargs clang-format -i" to format them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
unformatted=()
for file in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
    unformatted+=("$file")
  fi
done
if [ "${#unformatted[@]}" -gt 0 ]; then
  echo "Not formatted by .clang-format (clang-format -i fixes it):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files checked, all as .clang-format wants."
