#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# One style: every source must stand as clang-format leaves it (.clang-format).
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
# --- script checks: run.sh and install-deps.sh ---
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

# The sanitizers catch memory and undefined-behaviour faults, but they also
# hide some (uninitialised padding, timing): every test runs in an optimised
# build without them too. The benchmarks are built once, optimised.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANT_SANITIZE=ON -DBUILD_TESTING=ON -DMORVANT_BENCH=OFF
cmake --build build/test -j "$JOBS"
(cd build/test && ctest --output-on-failure -j "$JOBS" --timeout 600)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DBUILD_TESTING=ON
cmake --build build/release -j "$JOBS"
(cd build/release && ctest --output-on-failure -j "$JOBS" --timeout 600)
