#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# One style: every source must stand as clang-format leaves it (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 -n 64 -P "$(nproc)" clang-format --dry-run --Werror
# The house runs one way: no component includes anything of applications/, and no family of components/lx_objects
# includes the type table's folder project/ above it (the families' tests, which register every type, may).
if git grep -n '#include "applications/' -- components seltrane_components; then
  echo "components/ and seltrane_components/ must not include anything under applications/" >&2 && exit 1
fi
if git grep -n '#include "components/lx_objects/project/' -- components/lx_objects ':!components/lx_objects/project/' \
  ':!components/lx_objects/tests/' ':(glob,exclude)components/lx_objects/*/tests/**'; then
  echo "a family of components/lx_objects must not include project/; shared helpers go to common/" >&2 && exit 1
fi
# --- script checks: run.sh and install-deps.sh ---
# run.sh builds in a folder of its own: one that this script configures too, differently, would be rebuilt whole by
# each of the two after the other.
run_build="$(sed -n 's/^build="${BUILD_DIR:-\(.*\)}"$/\1/p' scripts/run.sh)"
if [ -z "$run_build" ] || grep -qE -- "-B \"?$run_build\"?( |$)" scripts/test.sh; then
  echo "run.sh must build in a folder of its own, not in one of test.sh's (it has \"$run_build\")" >&2 && exit 1
fi
(
  repo="$PWD" scratch="$(mktemp -d)" && trap 'rm -rf "$scratch"' EXIT && cd "$scratch"
  mkdir -p caller bin build/applications/morvant
  # run.sh resolves a relative path against the caller's folder; an absolute path and an option pass as they are.
  printf '#!/bin/sh\nprintf "%%s\\n" "$@"\n' >build/applications/morvant/morvant
  printf '#!/bin/sh\necho 1000\n' >bin/id && printf '#!/bin/sh\nexit 1\n' >bin/dpkg-query && printf '#!/bin/sh\ntouch ran\n' >bin/apt-get
  chmod +x build/applications/morvant/morvant bin/* && ln -s "$(command -v grep)" bin/grep
  got="$(cd caller && BUILD_DIR="$scratch/build" "$repo/scripts/run.sh" -x "my show.kvq" /a/../b.kvq)"
  [ "$got" = "$(printf '%s\n' -x "$scratch/caller/my show.kvq" /a/../b.kvq)" ] || { echo "run.sh passed: $got" >&2; exit 1; }
  # Neither root nor sudo: a failure with one line saying to run it as root, and no apt-get.
  if PATH="$scratch/bin" "$BASH" "$repo/scripts/install-deps.sh" >out 2>&1 || [ "$(wc -l <out)" -ne 1 ] \
    || ! grep -q "as root" out || [ -e ran ]; then
    echo "install-deps.sh without root or sudo:" >&2 && cat out >&2 && exit 1
  fi
)
# --- end of script checks ---
JOBS="$(nproc)"
export QT_QPA_PLATFORM=offscreen

# The ThreadSanitizer build (its tests run last, below) goes on from the start
# in the background at idle priority: it takes only the cycles the other builds
# and tests leave unused (a build's last compiles and links, tests waiting on
# the disk), so little of it is left to wait for at the end. Its own session,
# so that a failed run stops it with everything it started; where the kernel
# shares the processors between sessions first, that session's share is made
# the least too.
TSAN_TARGETS=(seltrane_os_tests archive_tests lx_objects_tests lx_engine_tests)
mkdir -p build
setsid --wait chrt --idle 0 bash -c '{ echo 19 >/proc/self/autogroup; } 2>/dev/null
  cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" -DMORVANT_TSAN=ON -DBUILD_TESTING=ON \
    -DMORVANT_TEST_OPTIONS=-O0 && cmake --build build/tsan -j "$0" --target "${@}"' "$JOBS" "${TSAN_TARGETS[@]}" \
  >build/tsan-build.log 2>&1 &
tsan_build=$!
trap 'kill -- -"$tsan_build" 2>/dev/null || true' EXIT

# One build checks memory and undefined behaviour: the whole tree built by
# clang 14 under AddressSanitizer and UndefinedBehaviorSanitizer, its
# components' libraries instrumented for libFuzzer as well, so that the same
# objects make the test executables and the fuzz harnesses of fuzz/. Every test runs in it; then each harness
# runs a few thousand executions (at most 10 s) from its seed corpus and a
# fixed seed (CTest label "fuzz"): a smoke check of every reader, not a
# campaign (scripts/fuzz-campaign.sh runs those). A crash, a leak, a timeout
# or an allocation past the limits fails the run.
# Unoptimised code inlines nothing, so line tables (-g1) give the sanitizers'
# reports every frame with its line, at less cost than full debug information.
# A sanitized process takes about half a CPU-second to start and to check for
# leaks at its exit, more than most test cases: each test executable runs as
# four shards here, while the optimised build below runs every case in a
# process of its own, so both a shared and a fresh process are tried. The
# tests' own sources carry no line tables (a fifth of their compile time): a
# report names their functions, and every frame of the code under test keeps
# its line. Tests wait on the disk and on the sanitizers' exit checks, so
# CTest runs twice as many as there are cores, here and below.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DMORVANT_SANITIZE=ON -DMORVANT_FUZZ=ON -DMORVANT_FUZZ_RUNS=3000 -DMORVANT_FUZZ_SECONDS=10 \
  -DMORVANT_TEST_SHARDS=4 -DMORVANT_TEST_OPTIONS=-g0 -DBUILD_TESTING=ON -DMORVANT_BENCH=OFF
cmake --build build/test -j "$JOBS"
(cd build/test && ctest --output-on-failure -j "$((2 * JOBS))" --timeout 600)

# The sanitizers hide some faults too (uninitialised padding, timing): every
# test runs again in an optimised GCC build without them, whose warnings fail
# the run as clang's fail the one above. The code under test is optimised, the
# tests' own sources are not (-O0), which costs their run little and the build
# a sixth. The benchmarks are built here, optimised.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
  -DMORVANT_TEST_OPTIONS=-O0 -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DBUILD_TESTING=ON
cmake --build build/release -j "$JOBS"
(cd build/release && ctest --output-on-failure -j "$((2 * JOBS))" --timeout 600)

# --- ThreadSanitizer (begin) ---
# The test executables of the components whose data threads share (each has
# a test that runs threads; of lx_objects, whose code runs on one thread,
# only its tests that start threads), built alone (their targets only, in the
# background from the start, above) with ThreadSanitizer at -O1, which compiles
# a fifth faster than -O2 and runs about as fast, with line tables only (-g1),
# enough for a report's frames and a fifth faster again than full debug
# information; the tests' own sources at -O0, which checks every access they
# make and inlines nothing, so reports show every frame.
# Each runs in one shard per core. Any report stops its shard with a non-zero
# exit and fails the run. The suppressions cover Qt's own threads only
# (scripts/tsan-suppressions.txt says which).
if ! wait "$tsan_build"; then
  echo "ThreadSanitizer: the build failed:" >&2 && cat build/tsan-build.log >&2 && exit 1
fi
tsan_options="halt_on_error=1 exitcode=66 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan-suppressions.txt"
tsan_failed=0
for target in "${TSAN_TARGETS[@]}"; do
  exe="$(find build/tsan -type f -name "$target" -perm -u+x | head -n 1)"
  [[ -n "$exe" ]] || { echo "ThreadSanitizer: $target was not built" >&2; exit 1; }
  pids=()
  for ((shard = 0; shard < JOBS; shard++)); do
    QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="$tsan_options" \
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
