#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a set time each.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]
# The corpus grows in BUILD_DIR/corpus; an input that breaks a target is
# saved in BUILD_DIR/artifacts/TARGET/. A target that finds one does not stop
# the run: every target runs its time, and the findings of all of them are
# listed at the end (the exit status is 1 when there is any). Keep a finding
# as a regression test by copying it into fuzz/regressions/TARGET/.
set -uo pipefail
build=${1:?build dir}
seconds=${2:?seconds}
shift 2
root=$(cd "$(dirname "$0")/.." && pwd)
targets=("$@")
# System libraries keep some memory for the life of the process (fonts).
export LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$build"/fuzz/fuzz_*; do targets+=("$(basename "$f" | sed 's/^fuzz_//')"); done
fi
findings=()
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  mkdir -p "$corpus" "$artifacts"
  extra=()
  [ -f "$root/fuzz/$t.dict" ] && extra+=("-dict=$root/fuzz/$t.dict")
  echo "== fuzz_$t for ${seconds}s"
  before=$(find "$artifacts" -type f | sort)
  "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "${extra[@]}" \
    "$corpus" "$root/fuzz/corpus/$t" "$root/fuzz/regressions/$t" 2>&1 | tail -n 12
  status=${PIPESTATUS[0]}
  after=$(find "$artifacts" -type f | sort)
  new=$(comm -13 <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed '/^$/d')
  if [ "$status" -ne 0 ] || [ -n "$new" ]; then
    findings+=("fuzz_$t (exit $status): ${new:-no input saved}")
  fi
done
echo
if [ ${#findings[@]} -eq 0 ]; then
  echo "fuzz: no findings in ${#targets[@]} targets"
  exit 0
fi
echo "fuzz: ${#findings[@]} of ${#targets[@]} targets found something:"
printf '  %s\n' "${findings[@]}"
exit 1
