#!/bin/bash
# Runs every fuzz target for a bounded time, starting from the seed corpora in
# fuzz/corpus/ (new inputs go to build/fuzz/corpus/, not into the repository). Any
# finding (crash, leak, sanitizer report, time-out) fails the run; its input is left in
# build/fuzz/artifacts/.
#   scripts/run-fuzz.sh SECONDS_PER_TARGET [TARGET...]
set -euo pipefail
seconds=${1:-60}; shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/fuzz/bin"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_param_field fuzz_hex_to_blob fuzz_row_id_text fuzz_record_set fuzz_actions)
mkdir -p "$root/build/fuzz/artifacts"
failed=0
for target in "${targets[@]}"; do
  name=${target#fuzz_}
  work="$root/build/fuzz/corpus/$name"
  mkdir -p "$work"
  log="$root/build/fuzz/$target.log"
  echo "== $target for ${seconds}s"
  if "$bin/$target" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=4096 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$root/build/fuzz/artifacts/$target-" \
       "$work" "$root/fuzz/corpus/$name" > "$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "[       OK ] $target: $runs runs, no finding"
  else
    echo "[  FAILED  ] $target: see $log"; tail -30 "$log"; failed=$((failed + 1))
  fi
done
echo "$(( ${#targets[@]} - failed )) passed, $failed failed"
[ $failed = 0 ]
