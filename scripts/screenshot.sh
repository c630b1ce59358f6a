#!/usr/bin/env bash
# Starts the converter on a virtual X server with a show file on its command
# line, lets it convert the show at once, and saves a screenshot of the screen
# as PNG.
#
#   scripts/screenshot.sh <screenshot.png> [show-file]
#
# Without a show file a small built-in sample show (all sections empty) is
# converted. With SAVE_AS set to a file path, the result is then saved there
# as a user would (the Save button, the path typed into the save dialog,
# Enter; needs xdotool), and the screenshot shows what follows. The program is built like run.sh does (build/release; set
# BUILD_DIR to use another build). Settings and working folders go to a
# temporary home that is removed afterwards.
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "usage: $0 <screenshot.png> [show-file]" >&2
  exit 2
fi
out="$(realpath -m "$1")"
show="${2:-}"
[ -n "$show" ] && show="$(realpath "$show")"
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build/release}"
if [ ! -x "$build/applications/morvant/morvant" ] || [ -z "${BUILD_DIR:-}" ]; then
  bash scripts/install-deps.sh
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)" --target morvant
fi
program="$(realpath "$build/applications/morvant/morvant")"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
if [ -z "$show" ]; then
  show="$scratch/sample.kvq"
  echo 'M/+EhAAAM//GAQMCAc2rWlpaWlpaWlpaWlpaWlpaWgsAAABTYW1wbGUgc2hvd3cAAAAAAAAAAAAAFAEAAAAAAAAAAAAAAAAAAAAAAAAAAAABAAABAP////8AAAAAAAAAACADAABYAgAA////FAAAAAAYAAD/AAAAAP8AAAAAAAAAAAAAAAAAABUBAAECAwQFBgcICQoLDA0ODwAAAAAAAAAAAAAAAAAAAgAAAQABAAIAAAEAAQAAAAAAAAAAAAAAAAAAAAIAAAAlWAIAAAAleAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA=' | base64 -d > "$show"
fi
mkdir -p "$scratch/config" "$scratch/data" "$scratch/runtime"
chmod 700 "$scratch/runtime"

export XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" XDG_RUNTIME_DIR="$scratch/runtime"
export PROGRAM="$program" SHOW="$show" OUT="$out" SAVE_AS="${SAVE_AS:-}"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$PROGRAM" "$SHOW" &
  pid=$!
  # The conversion starts as soon as the window stands; give both time.
  sleep "${SCREENSHOT_DELAY:-4}"
  if [ -n "$SAVE_AS" ]; then
    window="$(xdotool search --sync --name "^Show Converter\$" | head -n 1)"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The Save button sits in the bottom right corner.
    xdotool mousemove --window "$window" $((WIDTH - 60)) $((HEIGHT - 25)) click 1
    dialog="$(xdotool search --sync --name "^Select output file\$" | head -n 1)"
    sleep 1
    xdotool windowfocus --sync "$dialog" key ctrl+a type --delay 10 "$SAVE_AS"
    xdotool key Return
    sleep "${SCREENSHOT_DELAY:-4}"
  fi
  import -window root "$OUT"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
'
echo "Screenshot written to $out"
