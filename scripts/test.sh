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

# --- ThreadSanitizer (begin) ---
# The test executables of the components whose data threads share, built
# alone (their targets only, so the run stays short) with ThreadSanitizer and
# run directly; any report stops that executable with a non-zero exit.
cd "$(git rev-parse --show-toplevel)"
TSAN_TARGETS=(seltrane_os_tests archive_tests)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANT_TSAN=ON -DBUILD_TESTING=ON
cmake --build build/tsan -j "$JOBS" --target "${TSAN_TARGETS[@]}"
for target in "${TSAN_TARGETS[@]}"; do
  exe="$(find build/tsan -type f -name "$target" -perm -u+x | head -n 1)"
  [[ -n "$exe" ]] || { echo "ThreadSanitizer: $target was not built" >&2; exit 1; }
  echo "ThreadSanitizer: $exe"
  QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" "$exe"
done
# --- ThreadSanitizer (end) ---
