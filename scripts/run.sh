#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it; an optional
# show file given as argument is converted at start. With BUILD_DIR set to a
# folder that holds a built program, that one is started as it is.
# The build folder is its own (build/run): scripts/test.sh configures its
# folders otherwise, and sharing one would make each rebuild everything the
# other built.
set -euo pipefail
# Paths are the caller's: resolved before anything changes folder.
args=()
for arg in "$@"; do
  if [[ -n "$arg" && "$arg" != -* && "$arg" != /* ]]; then
    arg="$(realpath -m -- "$arg")"
  fi
  args+=("$arg")
done
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/run}"
if [ ! -x "$build/applications/morvant/morvant" ] || [ -z "${BUILD_DIR:-}" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF
  cmake --build "$build" -j "$(nproc)" --target morvant
fi
exec "$build/applications/morvant/morvant" "${args[@]}"
