#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it; an optional
# show file given as argument is converted at start.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
cmake --build build/release -j "$(nproc)" --target morvant
exec build/release/applications/morvant/morvant "$@"
