#!/usr/bin/env python3
"""Runs gradients_bench with repetitions and prints each member's best CPU time next to its floor.

The machine is often shared: repetitions of all benchmarks are interleaved at random, so a member
and its floor see the same conditions, and the minimum over repetitions is the figure least
disturbed by other work. Usage: bench/gradients/ratios.py build/grad-bench/bench/gradients/gradients_bench [filter]
"""
import json
import subprocess
import sys

binary = sys.argv[1]
pattern = sys.argv[2] if len(sys.argv) > 2 else "."
out = subprocess.run(
    [binary, f"--benchmark_filter={pattern}", "--benchmark_repetitions=15", "--benchmark_min_time=0.1",
     "--benchmark_enable_random_interleaving=true",
     "--benchmark_format=json"], check=True, capture_output=True, text=True).stdout
best = {}
for run in json.loads(out)["benchmarks"]:
    if run.get("run_type") != "iteration":
        continue
    name = run["run_name"]
    best[name] = min(best.get(name, float("inf")), run["cpu_time"])
order = subprocess.run([binary, f"--benchmark_filter={pattern}", "--benchmark_list_tests"], check=True,
                       capture_output=True, text=True).stdout.split()
print(f"{'member':<16}{'velmo us':>10}{'floor us':>10}{'ratio':>8}")
for name in order:
    if not name.endswith("_velmo"):
        continue
    velmo = best[name]
    member = name[: -len("_velmo")]
    floor = best.get(member + "_floor")
    if floor:
        print(f"{member:<16}{velmo:>10.0f}{floor:>10.0f}{velmo / floor:>8.2f}")
