#!/usr/bin/env bash
# Builds the Debian packages zelkin and vq-bestell-rechnung into OUT_DIR:
#   bash scripts/build-packages.sh OUT_DIR [BUILD_DIR]
# BUILD_DIR (default build/) is configured when needed; CPack brings its build
# up to date, installs the programs and data under /usr, strips the programs
# and computes the dependencies with dpkg-shlibdeps.
set -euo pipefail

if [ $# -lt 1 ]; then
  echo "Aufruf: bash scripts/build-packages.sh AUSGABEVERZEICHNIS [BUILDVERZEICHNIS]" >&2
  exit 2
fi
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$1"
out_dir="$(cd "$1" && pwd)"
build_dir="${2:-$source_dir/build}"

if [ ! -f "$build_dir/CPackConfig.cmake" ]; then
  cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# CPack's own work folder lies in OUT_DIR; only the packages stay.
cpack --config "$build_dir/CPackConfig.cmake" -B "$out_dir/_cpack"
mv "$out_dir"/_cpack/*.deb "$out_dir"/
rm -rf "$out_dir/_cpack"
ls -1 "$out_dir"/*.deb
