#!/usr/bin/env bash
# Builds the bench preset (Release, -O2, no sanitizers), runs the benchmarks of
# bench/ and timed gyrelle-sim pairs, and prints one table: each figure beside
# its target. Ratios are taken within this one run, each side the fastest of
# REPEAT tries (CPU time of the process: user + system), so that a busy
# machine slows both sides alike. The runs that write files write them where
# nothing is yet, as into a new folder; one row shows frames written over the
# last run's, whose cost the file system sets.
#   scripts/bench.sh            # REPEAT=3 by default
#   REPEAT=5 scripts/bench.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
cmake --preset bench >/dev/null 2>&1 || cmake --preset bench
cmake --build --preset bench >/dev/null
exec python3 - "${REPEAT:-3}" <<'PYEOF'
import json, os, resource, shutil, subprocess, sys, tempfile

repeat = int(sys.argv[1])
bin_dir = os.path.abspath("build-bench/bin")
sim = os.path.join(bin_dir, "gyrelle-sim")
work = tempfile.mkdtemp(prefix="gyrelle-bench-")


def bench(program, filt):
    """Median CPU time [s] and counters of each benchmark matching filt."""
    out = subprocess.run(
        [os.path.join(bin_dir, program), "--benchmark_filter=" + filt, "--benchmark_format=json",
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
    for flag in ("--frames", "--dump", "--telemetry"):
        if flag in args:
            i = args.index(flag) + 1
            args[i] = "%s-%d" % (args[i], tries)
    return args


def cpu_of(args, fresh=True):
    """CPU seconds (user + system) of one gyrelle-sim run, and its peak memory [KB].
    Fresh: its outputs go where nothing is yet, as into a new folder; otherwise
    they replace the last try's (what that costs depends on the file system)."""
    if fresh:
        args = fresh_outputs(args)
    p = subprocess.Popen([sim, "--quiet"] + args, stdout=subprocess.DEVNULL, cwd=work)
    _, status, usage = os.wait4(p.pid, 0)
    if status != 0:
        sys.exit("gyrelle-sim %s failed" % " ".join(args))
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def fastest(variants, replacing=()):
    """Each variant's fastest CPU time over `repeat` tries, the variants interleaved;
    those named in replacing write over the last try's outputs."""
    best = {name: float("inf") for name in variants}
    for _ in range(repeat):
        for name, args in variants.items():
            best[name] = min(best[name], cpu_of(args, fresh=name not in replacing)[0])
    return best


rows = []


def row(figure, value, target, met):
    rows.append((figure, value, target, "-" if met is None else "yes" if met else "NO"))


# The host's step of one vessel.
dyn = bench("dynamics_bench", ".")
host = dyn["BM_HostRk4Step"]["cpu"]
row("host RK4 step", "%.0f ns" % (host * 1e9), "(no target)", None)

# gyrelle-sim, one vessel with the module and one screen, against the hand loop.
one = "bench/scenarios/one_vessel.toml"
one_path = os.path.abspath(one)
t = fastest({"long": [one_path], "setup": [one_path, "--until", "0"]})
steps = 2000.0 / 0.02
per_step = (t["long"] - t["setup"]) / steps
row("gyrelle-sim, 1 vessel + module + screen, a step", "%.0f ns/step" % (per_step * 1e9),
    "(no target)", None)

# A thousand vessels.
many = os.path.join(work, "thousand.toml")
with open(many, "w") as f:
    f.write('[sim]\nstep = 0.02\nuntil = 20.0\nredraw = 1.0\nfocus = "V0"\n\n'
            '[[body]]\nname = "Earth"\nmu = 3.986e14\nradius = 6371010.0\nposition = [0.0, 0.0, 0.0]\n')
    for i in range(1000):
        f.write('\n[[vessel]]\nname = "V%d"\nclass = "generic"\nbody = "Earth"\n'
                'position = [6671010.0, %.1f, 0.0]\nvelocity = [0.0, 7655.7227, 0.0]\n' % (i, 100.0 * i))
    f.write('\n[[screen]]\nwidth = 256\nheight = 280\nmode = "Gyrelle"\n')
t = fastest({"long": [many], "setup": [many, "--until", "0"]})
rate = 20.0 / (t["long"] - t["setup"])
row("1,000 vessels: simulated s per CPU s", "%.0f" % rate, ">= 200", rate >= 200)

# Outputs against the same run without them: the default scenario, ten times as long.
base = ["--until", "2400"]
t = fastest({
    "plain": base,
    "frames": base + ["--frames", "frames"],
    "telemetry": base + ["--telemetry", "t.csv"],
    "dump": base + ["--dump", "d.txt"],
    "telemetry-step": base + ["--telemetry", "ts.csv", "--telemetry-every", "0.02"],
    "frames-again": base + ["--frames", "frames-again"],
}, replacing=("frames-again",))
pictures = len(os.listdir(os.path.join(work, "frames-again")))
per_png = (t["frames"] - t["plain"]) / pictures
row("--frames (default interval) vs without", "%.2fx (%.2f ms a picture)" %
    (t["frames"] / t["plain"], per_png * 1e3), "<= 2x, <= 1 ms",
    t["frames"] / t["plain"] <= 2 and per_png <= 1e-3)
again = (t["frames-again"] - t["plain"]) / pictures
row("  the same over the last run's frames (each replaced file freed)", "%.2fx (%.2f ms a picture)" %
    (t["frames-again"] / t["plain"], again * 1e3), "(no target)", None)
for name, label in (("telemetry", "--telemetry (default interval) vs without"),
                    ("dump", "--dump (every redraw) vs without")):
    row(label, "%.2fx" % (t[name] / t["plain"]), "<= 1.15x", t[name] / t["plain"] <= 1.15)
row("--telemetry every step vs without", "%.2fx" % (t["telemetry-step"] / t["plain"]), "<= 2.5x",
    t["telemetry-step"] / t["plain"] <= 2.5)

# Target commands.
tg = bench("target_sort_bench", ".")
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

# Page redraws and allocations.
sb = bench("sim_bench", ".")
redraws = [sb["BM_PageRedraw/%d" % m]["cpu"] for m in range(5)]
row("page redraw on the recording device context", "%.2f-%.2f us" %
    (min(redraws) * 1e6, max(redraws) * 1e6), "<= 2.5 us", max(redraws) <= 2.5e-6)
loop = sb["BM_GenericVesselWithModule"]
allocs = max([loop["allocs_per_step"], loop["allocs_per_redraw"]] +
             [sb["BM_PageRedraw/%d" % m]["allocs_per_redraw"] for m in range(5)])
short = cpu_of(["--until", "240"])[1]
long_ = cpu_of(["--until", "2400"])[1]
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
