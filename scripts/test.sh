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
  scratch="$(mktemp -d)"
  trap 'rm -rf "$scratch"' EXIT
  repo="$PWD"
  # run.sh hands the program a relative path resolved against the caller's
  # folder, and an absolute path and an option as they are.
  mkdir -p "$scratch/build/applications/morvant" "$scratch/caller"
  printf '#!/bin/sh\nprintf "%%s\\n" "$@"\n' >"$scratch/build/applications/morvant/morvant"
  chmod +x "$scratch/build/applications/morvant/morvant"
  got="$(cd "$scratch/caller" && BUILD_DIR="$scratch/build" "$repo/scripts/run.sh" --x=1 "my show.kvq" /a/../b.kvq)"
  want="$(printf '%s\n' --x=1 "$scratch/caller/my show.kvq" /a/../b.kvq)"
  [ "$got" = "$want" ] || { echo "run.sh passed the program: $got" >&2; exit 1; }
  # Not root and no sudo: one line saying to run it as root, a failure, and no apt-get.
  mkdir "$scratch/bin"
  printf '#!/bin/sh\necho 1000\n' >"$scratch/bin/id"
  printf '#!/bin/sh\nexit 1\n' >"$scratch/bin/dpkg-query"
  printf '#!/bin/sh\ntouch "%s/apt-get-ran"\n' "$scratch" >"$scratch/bin/apt-get"
  chmod +x "$scratch/bin/"*
  ln -s "$(command -v grep)" "$scratch/bin/grep"
  if PATH="$scratch/bin" "$BASH" scripts/install-deps.sh >"$scratch/out" 2>&1 \
    || [ "$(wc -l <"$scratch/out")" -ne 1 ] || ! grep -q "as root" "$scratch/out" || [ -e "$scratch/apt-get-ran" ]; then
    echo "install-deps.sh without root or sudo did not stop with one line:" >&2
    cat "$scratch/out" >&2
    exit 1
  fi
)
# --- end of script checks ---
JOBS="$(nproc)"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANT_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build/test -j "$JOBS"
cd build/test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" --timeout 600
