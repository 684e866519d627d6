#!/usr/bin/env bash
# Configures and builds one build tree: build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
mkdir -p "$dir"
cmake -S . -B "$dir" -G Ninja "$@" > "$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
targets=()
for t in ${BUILD_TARGETS:-}; do targets+=(--target "$t"); done
cmake --build "$dir" "${targets[@]}"
