#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for SECONDS (default 60) on a
# scratch copy of the seed corpus.  Longer runs: fuzz/run.sh 3600
# Crashing inputs are left in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)"
mkdir -p build/fuzz/artifacts
for target in list_input_fuzzer run_fuzzer deck_json_fuzzer; do
  corpus=$(mktemp -d)
  seeds=fuzz/corpus/${target%_fuzzer}
  cp "$seeds"/* "$corpus"/
  echo "== $target for ${seconds}s"
  log=build/fuzz/$target.log
  status=0
  build/fuzz/fuzz/$target -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -timeout_exitcode=0 -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 "$corpus" \
    >"$log" 2>&1 || status=$?
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)|==[0-9]+==ERROR|^SUMMARY:|Test unit written' "$log" || true
  rm -rf "$corpus"
  # A deck may ask for millions of iterations: slow, but bounded by the deck
  # and not a fault, so a slow unit is reported without failing the run.
  if grep -q 'ALARM: working on the last Unit' "$log"; then
    echo "note: $target stopped at a unit slower than 20 s; it is kept in build/fuzz/artifacts/"
  fi
  if [ "$status" -ne 0 ]; then
    echo "$target failed (exit $status); see build/fuzz/artifacts/"
    exit 1
  fi
done
