"""How much gas do faster isolation valves keep in the line?

Valves 10 km either side of a breach at 30 km on the default line shut
after 1 to 30 minutes; for each closure time the mass released after one
hour, and the release rate over time of a few of them.

    python3 examples/python/valve_timing.py --out DIR
"""
import argparse
from pathlib import Path

import matplotlib
import numpy as np

import brimlow


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="folder of the pictures (default: here)")
    out = Path(parser.parse_args().out)
    out.mkdir(parents=True, exist_ok=True)
    if matplotlib.get_backend().lower() != "agg":
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    base = brimlow.Case(name="valve timing")
    closures = np.array([60, 120, 180, 300, 450, 600, 900, 1200, 1800], dtype=float)
    cases = [base.replace(valves=[{"position_m": 20e3, "closure_time_s": t},
                                  {"position_m": 40e3, "closure_time_s": t}]) for t in closures]
    times = np.geomspace(1.0, 3600.0, 200)
    study = brimlow.sweep(cases, times=times)  # the pipe at these times beside each report
    open_line = brimlow.run(base.replace(name="the line without valves"))
    released = study.rows["mass_released_1h_kg"] / 1e3
    trapped = study.pipe["mass_trapped_kg"][:, -1] / 1e3

    figure, (left, right) = plt.subplots(1, 2, figsize=(12, 4.8))
    left.plot(closures / 60, released, "o-", color="#202020", label="released")
    left.plot(closures / 60, trapped, "s--", color="#1f5fa8", label="trapped behind the valves")
    left.axhline(open_line.summary["mass_released_1h_kg"] / 1e3, color="#202020", lw=1, linestyle="--",
                 label="released without valves")
    left.set_xlabel("closure time of both valves (min)")
    left.set_ylabel("mass after 1 h (t)")
    left.set_ylim(bottom=0)
    left.grid(True, color="#e0e0e0")
    left.legend(frameon=False)

    right.plot(times, open_line.pipe(times)["exit_flux_kg_per_s"], color="#202020", lw=1.2, linestyle="--",
               label="no valves")
    for pipe, closure in zip(study.pipe, closures):
        if closure in (60, 300, 900):
            right.plot(times, pipe["exit_flux_kg_per_s"], lw=1.6, label=f"valves shut at {closure / 60:g} min")
    right.set_xscale("log")
    right.set_yscale("log")
    right.set_xlabel("time since the breach (s)")
    right.set_ylabel("release rate (kg/s)")
    right.grid(True, which="both", color="#eeeeee")
    right.legend(frameon=False)
    figure.suptitle("Valves 10 km either side of a breach at 30 km (100 km x 0.5 m methane line, 70 bar)",
                    fontsize=10)
    figure.tight_layout()
    path = out / "valve_timing.png"
    figure.savefig(path, dpi=100)
    open_line.plot(out / "release_without_valves.png")
    print(f"released after 1 h: {released[0]:.0f} t (1 min) to {released[-1]:.0f} t (30 min); {path}")


if __name__ == "__main__":
    main()
