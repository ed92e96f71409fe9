#!/usr/bin/env bash
# Builds the bench preset (Release, -O2, no sanitizers), runs the benchmarks of
# bench/ and timed gyrelle-sim runs, and prints one table: each figure beside
# its target. Ratios are taken within this one run, each side the fastest of
# REPEAT tries (CPU time of the process: user + system), the sides interleaved,
# so that a busy machine slows both alike. Peak memory is the program's own
# maximum resident set as GNU time reports it (package `time`). The runs that
# write files write them where nothing is yet, as into a new folder.
#   scripts/bench.sh            # REPEAT=5 by default
#   REPEAT=9 scripts/bench.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset bench >/dev/null 2>&1 || cmake --preset bench
cmake --build --preset bench >/dev/null
exec python3 - "${REPEAT:-5}" <<'PYEOF'
import json, os, resource, shutil, subprocess, sys, tempfile, time

repeat = int(sys.argv[1])
bin_dir = os.path.abspath("build-bench/bin")
sim = os.path.join(bin_dir, "gyrelle-sim")
work = tempfile.mkdtemp(prefix="gyrelle-bench-")
gnu_time = "/usr/bin/time"


def bench(program, filt):
    """Median CPU time [s] and counters of each benchmark matching filt; {} when
    the program is not built."""
    path = os.path.join(bin_dir, program)
    if not os.path.exists(path):
        return {}
    out = subprocess.run(
        [path, "--benchmark_filter=" + filt, "--benchmark_format=json",
         "--benchmark_repetitions=%d" % repeat, "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True).stdout
    result = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[b.get("time_unit", "ns")]
        entry = {"cpu": b["cpu_time"] * unit}
        entry.update({k: v for k, v in b.items() if isinstance(v, (int, float))})
        result[b["run_name"]] = entry
    return result


tries = 0


def fresh_outputs(args):
    """args with each output path made new for this try (NAME becomes NAME-N)."""
    global tries
    tries += 1
    args = list(args)
    for flag in ("--frames", "--gif", "--dump", "--telemetry"):
        if flag in args:
            i = args.index(flag) + 1
            args[i] = "%s-%d" % (args[i], tries)
    return args


def run(args):
    """CPU seconds (user + system) and wall seconds of one gyrelle-sim run, its
    outputs written where nothing is yet."""
    args = fresh_outputs(args)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    p = subprocess.run([sim, "--quiet"] + args, stdout=subprocess.DEVNULL, cwd=work)
    wall = time.perf_counter() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if p.returncode != 0:
        sys.exit("gyrelle-sim %s failed" % " ".join(args))
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime), wall


def fastest(variants):
    """Each variant's fastest CPU and wall time over `repeat` tries, the variants interleaved."""
    cpu = {name: float("inf") for name in variants}
    wall = dict(cpu)
    for _ in range(repeat):
        for name, args in variants.items():
            c, w = run(args)
            cpu[name], wall[name] = min(cpu[name], c), min(wall[name], w)
    return cpu, wall


def peak_kb(args):
    """The largest resident set [KB] of one gyrelle-sim run, as GNU time reports it."""
    report = os.path.join(work, "time.txt")
    subprocess.run([gnu_time, "-f", "%M", "-o", report, sim, "--quiet"] + fresh_outputs(args),
                   stdout=subprocess.DEVNULL, cwd=work, check=True)
    with open(report) as f:
        return int(f.read().split()[-1])


rows = []


def row(figure, value, target, met):
    rows.append((figure, value, target, "-" if met is None else "yes" if met else "NO"))


# The host's step of one vessel.
dyn = bench("dynamics_bench", ".")
row("host RK4 step", "%.0f ns" % (dyn["BM_HostRk4Step"]["cpu"] * 1e9), "(no target)", None)

# What a short flight pays for: start-up against the built-in default flight,
# and the animated screens against the same flight without them.
one_path = os.path.abspath("bench/scenarios/one_vessel.toml")
cpu, wall = fastest({
    "one-step": ["--until", "0.02"],
    "default": [],
    "gif": ["--gif", "gif"],
    "one-vessel-60": [one_path, "--until", "60"],
})
row("one-step run vs the default flight (CPU)", "%.2fx (%.1f / %.1f ms)" %
    (cpu["one-step"] / cpu["default"], cpu["one-step"] * 1e3, cpu["default"] * 1e3), "<= 0.15x",
    cpu["one-step"] / cpu["default"] <= 0.15)
row("--gif vs the default flight without it (CPU)", "%.2fx (%.1f ms)" %
    (cpu["gif"] / cpu["default"], cpu["gif"] * 1e3), "<= 3x", cpu["gif"] / cpu["default"] <= 3)
row("default flight, wall time", "%.1f ms" % (wall["default"] * 1e3), "(no target)", None)
row("60 s one-vessel flight (module, hold on), CPU", "%.1f ms" % (cpu["one-vessel-60"] * 1e3),
    "(no target)", None)

# Outputs against the same run without them: the default scenario, ten times as long.
base = ["--until", "2400"]
cpu, _ = fastest({
    "plain": base,
    "telemetry": base + ["--telemetry", "t.csv"],
    "dump": base + ["--dump", "d.txt"],
})
for name, label in (("telemetry", "--telemetry (default interval) vs without"),
                    ("dump", "--dump (every redraw) vs without")):
    row(label, "%.2fx" % (cpu[name] / cpu["plain"]), "<= 1.15x", cpu[name] / cpu["plain"] <= 1.15)

# Target commands.
tg = bench("target_sort_bench", ".")
if tg:
    for n, limit in ((10000, 0.5e-3), (100000, 5e-3)):
        c = tg["BM_Steady/%d" % n]["cpu"]
        row("target command, steady list, %d objects" % n, "%.3f ms" % (c * 1e3),
            "<= %.1f ms" % (limit * 1e3), c <= limit)
    worst = 0.0
    for name, entry in tg.items():
        if name.startswith("BM_") and "_Literal" not in name:
            lit = tg.get(name.replace("/", "_Literal/", 1))
            if lit:
                worst = max(worst, entry["cpu"] / lit["cpu"])
    row("target command vs literal sort (steady, drifting, scrambled)",
        "at most %.2fx the literal sort's time" % worst, "<= 1x", worst <= 1.0)

# The module's own figures: a step with the attitude hold, page redraws, allocations.
sb = bench("sim_bench", ".")
allocs = 0.0
if sb:
    loop = sb["BM_GenericVesselWithModule"]
    row("a step with the module's attitude hold (host step and post-step)",
        "%.0f ns" % (loop["cpu"] * 1e9), "(no target)", None)
    redraws = [sb["BM_PageRedraw/%d" % m]["cpu"] for m in range(5)]
    row("page redraw on the recording device context", "%.2f-%.2f us" %
        (min(redraws) * 1e6, max(redraws) * 1e6), "<= 2.5 us", max(redraws) <= 2.5e-6)
    allocs = max([loop["allocs_per_step"], loop["allocs_per_redraw"]] +
                 [sb["BM_PageRedraw/%d" % m]["allocs_per_redraw"] for m in range(5)])

# Campaigns: 1,000 runs of a minute's hold (bench/scenarios/hold-60s.campaign.toml) by
# gyrelle-sim campaign, against the same flight in one process.
cb = bench("campaign_runner_bench", ".")
if cb:
    one, two = cb["BM_Campaign/1/iterations:1/manual_time"], cb["BM_Campaign/2/iterations:1/manual_time"]
    flight = cb["BM_FlightInProcess"]["cpu"]
    row("campaign: flights per CPU second (1,000 runs of a 60 s hold, 2 workers)",
        "%.0f" % two["flights_per_cpu_s"], ">= 300", two["flights_per_cpu_s"] >= 300)
    efficiency = one["real_time"] / (2 * two["real_time"])
    row("campaign: parallel efficiency 1 -> 2 workers (wall)", "%.0f %% (%.2f / %.2f s)" %
        (efficiency * 100, one["real_time"] / 1e3, two["real_time"] / 1e3), ">= 85 %",
        efficiency >= 0.85)
    beyond = one["cpu_s"] / 1000 / flight - 1
    row("campaign: a run's cost beyond its flight (1 worker vs in-process, CPU)",
        "%.1f %% (%.3f / %.3f ms)" % (beyond * 100, one["cpu_s"], flight * 1e3), "< 10 %",
        beyond < 0.10)

# Flying from Python (Debian's interpreter, the package of this build): a
# step at a time, and to a time in one call, against the flight's own cost.
if os.path.exists(os.path.join("build-bench", "python", "gyrelle")):
    py = json.loads(subprocess.run(
        ["/usr/bin/python3", "bench/python_step_bench.py", "build-bench", str(repeat)],
        check=True, capture_output=True, text=True).stdout)
    beyond = py["step_us_per_step"] - py["run_us_per_step"]
    row("Python: step() one step at a time, beyond run(until)", "%.2f us a step (%.2f / %.2f us)" %
        (beyond, py["step_us_per_step"], py["run_us_per_step"]), "<= 2 us", beyond <= 2.0)
    ratio = py["run_us_per_step"] / py["cpp_us_per_step"]
    row("Python: run(until) vs the flight advanced in C++ (CPU a step)", "%.3fx (%.2f / %.2f us)" %
        (ratio, py["run_us_per_step"], py["cpp_us_per_step"]), "<= 1.05x", ratio <= 1.05)

# Memory: gyrelle-sim's own peak, not this script's.
short, long_ = peak_kb(["--until", "240"]), peak_kb(["--until", "2400"])
row("memory: peak of a 240 s / 2400 s run; allocations a step and a redraw",
    "%.1f / %.1f MB; %.3g" % (short / 1024, long_ / 1024, allocs), "flat; 0",
    long_ <= short * 1.05 and allocs < 0.01)

width = [max(len(r[i]) for r in rows + [("Figure", "Measured", "Target", "Met")]) for i in range(4)]
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, width)) + " |"
print(line(("Figure", "Measured", "Target", "Met")))
print("|" + "|".join("-" * (w + 2) for w in width) + "|")
for r in rows:
    print(line(r))
shutil.rmtree(work, ignore_errors=True)
PYEOF
