#!/usr/bin/env bash
# Long fuzz campaigns, run by hand: builds the harnesses (build/fuzz, clang 14)
# and runs each for a number of executions or seconds, whichever ends first,
# from its seed corpus, keeping what it finds in build/fuzz/campaign/<harness>.
# Prints per harness the executions, the coverage (edges and features) and the
# crash files; a finding is a file build/fuzz/campaign/<harness>-crash-*.
#
#   scripts/fuzz-campaign.sh [--seeds] [--runs N] [--seconds S] [--parallel P] [harness...]
#
# --seeds rewrites the seed corpora (fuzz/corpus) with make_corpus first.
# Defaults: 10000000 runs, 7200 s, 3 harnesses at a time, every harness.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=10000000 seconds=7200 parallel=3 seeds=0 harnesses=()
while (($#)); do
  case "$1" in
    --seeds) seeds=1 ;;
    --runs) runs="$2"; shift ;;
    --seconds) seconds="$2"; shift ;;
    --parallel) parallel="$2"; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) harnesses+=("$1") ;;
  esac
  shift
done
ALL=(show_load bundle object_stream text_stream archive_extract project_open fixture_file command_line plan_image)
((${#harnesses[@]})) || harnesses=("${ALL[@]}")

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DMORVANT_FUZZ=ON -DBUILD_TESTING=OFF -DMORVANT_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "$parallel" --target fuzzers make_corpus
if ((seeds)); then
  rm -rf fuzz/corpus
  build/fuzz/fuzz/make_corpus fuzz/corpus
fi

out=build/fuzz/campaign
mkdir -p "$out"
run_one() {
  local name="$1"
  mkdir -p "$out/$name"
  rm -f "$out/$name"-*  # findings of an earlier campaign are regression tests by now
  # As under CTest (fuzz/CMakeLists.txt): the plan image's harness allows nothing past its decoding bound.
  local malloc_limit=512
  [ "$name" = plan_image ] && malloc_limit=245
  QT_QPA_PLATFORM=offscreen "build/fuzz/fuzz/${name}_fuzz" -rss_limit_mb=2048 -malloc_limit_mb="$malloc_limit" \
    -timeout=25 -runs="$runs" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/$name-" \
    "$out/$name" "fuzz/corpus/$name" >"$out/$name.log" 2>&1 || true
}
pids=()
for name in "${harnesses[@]}"; do
  while (($(jobs -rp | wc -l) >= parallel)); do sleep 5; done
  run_one "$name" &
  pids+=("$!")
done
wait

printf '%-16s %12s %8s %8s %8s  %s\n' harness executions edges features corpus findings
for name in "${harnesses[@]}"; do
  log="$out/$name.log"
  execs="$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$' || true)"
  last="$(grep -E '^#[0-9]+' "$log" | tail -1)"
  cov="$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)"
  ft="$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)"
  corp="$(grep -o 'corp: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)"
  findings="$(find "$out" -maxdepth 1 -type f -name "$name-*" | wc -l)"
  printf '%-16s %12s %8s %8s %8s  %s\n' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$findings"
done
