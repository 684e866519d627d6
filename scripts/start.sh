#!/usr/bin/env bash
# Installs what is missing, builds Ondrel and starts it. Arguments go to the
# program, for example: scripts/start.sh --config-dir ~/ondrel-test
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
mkdir -p build
BUILD_TARGETS="ondrel" bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec ./build/ondrel "$@"
