#!/usr/bin/env bash
# Builds Ondrel and takes the README's pictures of its window into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_TARGETS="ondrel" bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
out=$(pwd)/docs
binary=$(pwd)/build/ondrel
cd tests/e2e
ONDREL_BINARY="$binary" python3 screenshots.py "$out"
