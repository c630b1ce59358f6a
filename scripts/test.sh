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
# alone (their targets only) with ThreadSanitizer at -O1, which compiles a
# fifth faster than -O2 and runs about as fast; each runs in one shard per
# core. Any report stops its shard with a non-zero exit and fails the run.
cd "$(git rev-parse --show-toplevel)"
TSAN_TARGETS=(seltrane_os_tests archive_tests)
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g -DNDEBUG" \
  -DMORVANT_TSAN=ON -DBUILD_TESTING=ON
cmake --build build/tsan -j "$JOBS" --target "${TSAN_TARGETS[@]}"
tsan_failed=0
for target in "${TSAN_TARGETS[@]}"; do
  exe="$(find build/tsan -type f -name "$target" -perm -u+x | head -n 1)"
  [[ -n "$exe" ]] || { echo "ThreadSanitizer: $target was not built" >&2; exit 1; }
  pids=()
  for ((shard = 0; shard < JOBS; shard++)); do
    QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1" \
      GTEST_TOTAL_SHARDS="$JOBS" GTEST_SHARD_INDEX="$shard" "$exe" >"build/tsan/$target.$shard.log" 2>&1 &
    pids+=("$!")
  done
  for ((shard = 0; shard < JOBS; shard++)); do
    if wait "${pids[shard]}"; then
      echo "ThreadSanitizer: $exe shard $shard/$JOBS: $(grep -E '^\[  PASSED  \]' "build/tsan/$target.$shard.log")"
    else
      echo "ThreadSanitizer: $exe shard $shard/$JOBS failed:" >&2
      cat "build/tsan/$target.$shard.log" >&2
      tsan_failed=1
    fi
  done
done
((tsan_failed == 0))
# --- ThreadSanitizer (end) ---
