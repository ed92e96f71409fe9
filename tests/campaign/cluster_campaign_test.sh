#!/bin/bash
# A small campaign (12 runs) flown three ways: by one gyrelle-sim process; as
# 3 shards of a Slurm job array and their merge job (scripts/campaign-slurm on
# a throwaway single-node cluster, slurm-cluster.sh); as 3 shards handed out
# by GNU parallel (scripts/campaign-parallel, this machine as its one login).
# runs.csv and summary.json must be the same bytes all three ways.
#
# Environment (set by ctest): GYRELLE_SIM_PATH, GYRELLE_MODULE_PATH,
# GYRELLE_SOURCE_DIR. Exit 77 (skipped) when not root: slurmd needs it.
set -euo pipefail

sim=$GYRELLE_SIM_PATH
module=$GYRELLE_MODULE_PATH
source_dir=$GYRELLE_SOURCE_DIR
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: a Slurm cluster of one's own needs root (slurmd starts jobs as their users)"
  exit 77
fi

work=$(mktemp -d)
cluster=$work/cluster
# The cluster goes however the test ends.
trap '"$source_dir/tests/campaign/slurm-cluster.sh" stop "$cluster"; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  for log in "$cluster"/*.log "$work"/slurm-results/slurm/*.log; do
    [ -f "$log" ] && { echo "--- $log"; tail -n 20 "$log"; } >&2
  done
  exit 1
}

cp "$source_dir/scenarios/campaigns/hold.toml" "$work/hold.toml"
sed -e 's/^runs = .*/runs = 12/' "$source_dir/scenarios/campaigns/hold.campaign.toml" \
  >"$work/small.campaign.toml"
grep -q '^runs = 12$' "$work/small.campaign.toml" || fail "no runs = line in the shipped campaign"
cd "$work"

"$sim" campaign small.campaign.toml --module "$module" --out one --jobs 2 --quiet ||
  fail "one process: exit status $?"
[ "$(wc -l <one/runs.csv)" -eq 13 ] || fail "one process: not 12 rows in runs.csv"

# --- Slurm: a job array of 3 shards, then the merge ---------------------------
"$source_dir/tests/campaign/slurm-cluster.sh" start "$cluster" >/dev/null || fail "cluster start"
export SLURM_CONF=$cluster/slurm.conf
submitted=$("$source_dir/scripts/campaign-slurm" small.campaign.toml --shards 3 \
  --out slurm-results --sim "$sim" --module "$module" -- --time=2) || fail "campaign-slurm"
echo "$submitted"
merge_job=$(sed -n 's/^merge job \([0-9]*\):.*/\1/p' <<<"$submitted")
[ -n "$merge_job" ] || fail "no merge job id in campaign-slurm's output"
state=""
for _ in $(seq 450); do
  state=$(scontrol show job "$merge_job" -o | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p')
  case "$state" in PENDING | RUNNING | CONFIGURING | COMPLETING | "") sleep 0.1 ;; *) break ;; esac
done
[ "$state" = COMPLETED ] || fail "the merge job ended $state"
for file in runs.csv summary.json; do
  cmp one/$file slurm-results/$file || fail "Slurm's $file differs from one process's"
done
[ "$(ls slurm-results/shard-*-of-3.csv | wc -l)" -eq 3 ] || fail "not 3 shard files from Slurm"

# --- GNU parallel: 3 shards on the logins of a file (":" = this machine) ------
echo : >logins
"$source_dir/scripts/campaign-parallel" small.campaign.toml --shards 3 --sshloginfile logins \
  --out parallel-results --sim "$sim" --module "$module" >/dev/null || fail "campaign-parallel"
for file in runs.csv summary.json; do
  cmp one/$file parallel-results/$file || fail "parallel's $file differs from one process's"
done
echo "runs.csv and summary.json: one process = Slurm's 3 shards = parallel's 3 shards"
