#!/bin/sh
# A throwaway single-node Slurm cluster, for tests and for trying a campaign by
# hand: slurm-cluster.sh start|stop DIR.
#
#   start  writes DIR/slurm.conf, starts a munged of its own (own key, socket,
#          pid and log under DIR; a munged of the system is left alone), then
#          slurmctld and slurmd on free ports of their own, and waits until the
#          node takes jobs. Point clients at it with
#              export SLURM_CONF=DIR/slurm.conf
#   stop   stops the three daemons by the pids in DIR (also half-started ones)
#          and waits for them to end. DIR itself is left to the caller.
#
# Needs root (slurmd runs jobs as their users; munged runs as the munge user),
# and Debian's slurm-wlm, munge and python3 (for two free ports).
set -eu

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$2

# Stops the daemon whose pid file is $1: TERM, then KILL after ~10 s.
stop_pid_file() {
  [ -s "$1" ] || return 0
  pid=$(cat "$1")
  kill -TERM "$pid" 2>/dev/null || return 0
  i=0
  while kill -0 "$pid" 2>/dev/null; do
    i=$((i + 1))
    if [ $i -ge 100 ]; then
      kill -KILL "$pid" 2>/dev/null || true
      break
    fi
    sleep 0.1
  done
}

if [ "$action" = stop ]; then
  [ -d "$dir" ] || exit 0
  stop_pid_file "$dir/slurmd.pid"
  stop_pid_file "$dir/slurmctld.pid"
  if [ -L "$dir/munge" ]; then
    stop_pid_file "$dir/munge/munged.pid"
    rm -rf "$(readlink "$dir/munge")" "$dir/munge"
  fi
  exit 0
fi
[ "$action" = start ] || usage

if [ "$(id -u)" -ne 0 ]; then
  echo "$0: a Slurm cluster needs root (slurmd starts jobs as their users)" >&2
  exit 77
fi
for program in munged mungekey slurmctld slurmd sinfo; do
  command -v $program >/dev/null 2>&1 || PATH=$PATH:/usr/sbin
  command -v $program >/dev/null 2>&1 || {
    echo "$0: $program not found (Debian: slurm-wlm, munge)" >&2
    exit 77
  }
done

mkdir -p "$dir/state" "$dir/spool"
dir=$(cd "$dir" && pwd)
# A start that fails half-way stops what it started.
trap 'status=$?; [ $status -eq 0 ] || "$0" stop "$dir"; exit $status' EXIT
# munged runs as the munge user and refuses a socket or key in a folder that
# others may write to or that clients cannot reach: its files go to a folder
# of its own under /tmp (sticky, reachable by all), whatever DIR's parents
# allow; DIR/munge points to it.
if [ ! -L "$dir/munge" ]; then
  ln -s "$(mktemp -d /tmp/gyrelle-munge.XXXXXX)" "$dir/munge"
fi
munge_dir=$(readlink "$dir/munge")
chown munge:munge "$munge_dir"
chmod 755 "$munge_dir"
if [ ! -s "$munge_dir/munge.key" ]; then
  mungekey --create --keyfile="$munge_dir/munge.key"
  chown munge:munge "$munge_dir/munge.key"
  chmod 600 "$munge_dir/munge.key"
fi
runuser -u munge -- munged \
  --socket="$munge_dir/munge.socket" \
  --key-file="$munge_dir/munge.key" \
  --pid-file="$munge_dir/munged.pid" \
  --log-file="$munge_dir/munged.log" \
  --seed-file="$munge_dir/munged.seed"

# Two ports nobody listens on now (the kernel's pick for port 0).
ports=$(/usr/bin/python3 -c '
import socket
held = [socket.socket() for _ in range(2)]
for s in held:
    s.bind(("127.0.0.1", 0))
print(" ".join(str(s.getsockname()[1]) for s in held))')
set -- $ports
host=$(hostname -s)
cat >"$dir/slurm.conf" <<EOF
# A one-node cluster written by $0.
ClusterName=gyrelle-test
SlurmctldHost=$host
SlurmUser=root
SlurmctldPort=$1
SlurmdPort=$2
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$munge_dir/munge.socket
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/builtin
# A dependency met or a CPU freed is scheduled within a second, not a minute.
SchedulerParameters=sched_interval=1
MpiDefault=none
ReturnToService=2
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
SlurmctldTimeout=30
SlurmdTimeout=30
# Finished jobs leave the controller's memory soon, and nothing waits long.
MinJobAge=30
KillWait=5
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF

# -i: a fresh state, whatever a previous cluster in DIR left.
slurmctld -f "$dir/slurm.conf" -i
slurmd -f "$dir/slurm.conf"

# The node takes jobs once the controller has heard from slurmd ("idle").
export SLURM_CONF="$dir/slurm.conf"
i=0
until sinfo -h -o %t 2>/dev/null | grep -qx idle; do
  i=$((i + 1))
  if [ $i -ge 150 ]; then
    echo "$0: the node did not come up within 15 s; see $dir/*.log" >&2
    exit 1
  fi
  sleep 0.1
done
echo "export SLURM_CONF=$dir/slurm.conf"
