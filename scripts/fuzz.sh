#!/usr/bin/env bash
# Runs each libFuzzer harness of the fuzz build (cmake --preset fuzz &&
# cmake --build --preset fuzz): first every input that once made it fail
# (fuzz/crashes/NAME, which must all pass now), then SECONDS seconds (default
# 60) of fuzzing from its corpus (fuzz/corpus/NAME). New corpus entries go to
# a scratch folder; an input that fails is written to build-fuzz/findings/NAME/
# and fails the script. Copy it to fuzz/crashes/NAME once it is fixed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds=${1:-60}
# Fontconfig's caches live as long as the process (tests/lsan.supp).
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
status=0
for harness in build-fuzz/bin/fuzz_*; do
  name=$(basename "$harness")
  findings="build-fuzz/findings/$name"
  scratch=$(mktemp -d)
  mkdir -p "$findings" "fuzz/corpus/$name"
  log="build-fuzz/findings/$name.log"
  : >"$log"
  regressions=(fuzz/crashes/"$name"/*)
  if [ -e "${regressions[0]}" ] && ! "$harness" "${regressions[@]}" >"$log" 2>&1; then
    echo "$name: an input of fuzz/crashes/$name fails again (see $log)"
    status=1
  fi
  if "$harness" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$findings/" \
      "$scratch" "fuzz/corpus/$name" >>"$log" 2>&1; then
    echo "$name: $(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}') inputs in ${seconds} s, no finding"
  else
    echo "$name: a finding, in $findings/ (see $log)"
    status=1
  fi
  rm -rf "$scratch"
done
exit $status
