#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# One style: every source must stand as clang-format leaves it (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen

# The sanitizers catch memory and undefined-behaviour faults, but they also
# hide some (uninitialised padding, timing): every test runs in an optimised
# build without them too. The benchmarks are built once, optimised.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANT_SANITIZE=ON -DBUILD_TESTING=ON -DMORVANT_BENCH=OFF
cmake --build build/test -j "$JOBS"
(cd build/test && ctest --output-on-failure -j "$JOBS" --timeout 600)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON
cmake --build build/release -j "$JOBS"
(cd build/release && ctest --output-on-failure -j "$JOBS" --timeout 600)
