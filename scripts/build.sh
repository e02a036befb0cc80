#!/usr/bin/env bash
# Configures and builds everything into build/ (the program lands in build/bin).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
[ -f build/CMakeCache.txt ] || cmake --preset default
cmake --build --preset default
