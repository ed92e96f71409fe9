"""What flying from Python costs beyond the flight itself: the same flight
(bench/scenarios/one_vessel.toml, 10,000 steps with the hold on) run to a
time with one call, stepped one step at a time from Python, and advanced in
C++ by bench/flight_bench (the flight's own cost). Each side is the fastest
of REPEAT tries of its CPU time (user + system), the sides interleaved.

    /usr/bin/python3 bench/python_step_bench.py BUILD_DIR [REPEAT]

Prints one JSON object: microseconds per step of each side."""

import json
import os
import subprocess
import sys
import time

build, repeat = os.path.abspath(sys.argv[1]), int(sys.argv[2]) if len(sys.argv) > 2 else 5
sys.path.insert(0, os.path.join(build, "python"))
import gyrelle  # noqa: E402  (from the build tree named)

STEPS = 10000  # as bench/flight_bench
SCENARIO = os.path.join(os.path.dirname(os.path.abspath(__file__)), "scenarios", "one_vessel.toml")


cpu = time.process_time  # user + system of this process, nanosecond clock


def python_side(how):
    """CPU seconds of STEPS steps from Python, the flight built and closed untimed."""
    with gyrelle.Flight(SCENARIO) as f:
        if how == "run":
            start = cpu()
            f.run(until=STEPS * f.step_length)
        else:
            step = f.step
            start = cpu()
            for _ in range(STEPS):
                step()
        taken = cpu() - start
        assert abs(f.t - STEPS * f.step_length) < 1e-9
    return taken


def cpp_side():
    """CPU seconds of STEPS steps of bench/flight_bench, the fastest of its tries."""
    out = subprocess.run([os.path.join(build, "bin", "flight_bench"), "--benchmark_format=json",
                          "--benchmark_repetitions=3"], check=True, capture_output=True,
                         text=True, env=dict(os.environ, GYRELLE_BENCH_SCENARIO=SCENARIO)).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("run_type") == "iteration"]
    unit = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}[runs[0]["time_unit"]]
    return min(b["cpu_time"] for b in runs) * unit


best = {"run": float("inf"), "step": float("inf"), "cpp": float("inf")}
for _ in range(repeat):
    best["cpp"] = min(best["cpp"], cpp_side())
    best["run"] = min(best["run"], python_side("run"))
    best["step"] = min(best["step"], python_side("step"))
per_step = {k: v / STEPS * 1e6 for k, v in best.items()}
print(json.dumps({"cpp_us_per_step": per_step["cpp"], "run_us_per_step": per_step["run"],
                  "step_us_per_step": per_step["step"]}))
