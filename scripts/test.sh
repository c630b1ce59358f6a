#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# One style: every source must stand as clang-format leaves it (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
JOBS="$(nproc)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANT_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build/test -j "$JOBS"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" --timeout 600
