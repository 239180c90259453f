"""How does a long subsea line empty through a full-bore rupture under the sea?

The line of examples/cases/subsea_line.json (1,000 km of 1.15 m bore at
165 bar, its upstream end shut, ruptured at its far end under 75 m of sea)
run by the fast model and by the reference solution of the full equations
with the Peng-Robinson gas of its natural gas: the pressure at the closed end
over two days, against the sea's pressure at the breach that the gas leaves
against. The reference with the ideal gas beside them tells the real gas's
share of the difference (it holds a third more gas at 165 bar) from the fast
model's.

    python3 examples/python/subsea_line.py --out DIR
"""
import argparse
from pathlib import Path

import matplotlib
import numpy as np

import brimlow

CASE = Path(__file__).resolve().parent.parent / "cases" / "subsea_line.json"
GRAVITY = 9.80665  # m/s2


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="folder of the picture (default: here)")
    parser.add_argument("--hours", type=float, default=48.0, help="hours drawn (default: two days)")
    arguments = parser.parse_args()
    out = Path(arguments.out)
    end = arguments.hours * 3600.0
    out.mkdir(parents=True, exist_ok=True)
    if matplotlib.get_backend().lower() != "agg":
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    case = brimlow.Case.from_json(CASE)
    sea = case.ambient_pressure_Pa + case.seawater_density_kg_per_m3 * GRAVITY * case.water_depth_m

    # The fast model takes the ideal gas: the case's real gas is the reference's.
    fast = brimlow.run(case.replace(real_gas=False))
    records = fast.branch_a
    finite = np.isfinite(records["time_s"]) & (records["time_s"] <= end)
    fast_time, fast_pressure = records["time_s"][finite], records["upstream_pressure_Pa"][finite]

    times = np.linspace(0.0, end, max(5, int(end / 900.0) + 1))  # every 15 min
    solved = brimlow.reference(case, times=times, progress=True)
    ideal = brimlow.reference(case, real_gas=False, times=times)

    figure, axis = plt.subplots(figsize=(9, 5))
    axis.plot(solved["time_s"] / 3600, solved["a_far_end_pressure_Pa"] / 1e5, color="#202020", lw=2.2,
              label="reference solution, Peng-Robinson gas")
    axis.plot(ideal["time_s"] / 3600, ideal["a_far_end_pressure_Pa"] / 1e5, color="#808080", lw=1.6,
              label="reference solution, ideal gas")
    axis.plot(fast_time / 3600, fast_pressure / 1e5, color="#1f5fa8", lw=1.6, linestyle="--",
              label="fast model, ideal gas")
    axis.axhline(sea / 1e5, color="#c04020", lw=1.2, linestyle=":",
                 label=f"back pressure at the breach: {sea / 1e5:.2f} bar (75 m of sea)")
    axis.set_xlim(0, end / 3600)
    if end >= 12 * 3600.0:
        axis.set_xticks(np.arange(0, end / 3600 + 1, 6))
    axis.set_ylim(0, None)
    axis.set_xlabel("time since the rupture (h)")
    axis.set_ylabel("pressure at the closed end (bar)")
    axis.grid(True, color="#e6e6e6")
    axis.legend(frameon=False)
    axis.set_title("1,000 km x 1.15 m subsea line at 165 bar and 282 K (Ekofisk gas), "
                   "full-bore rupture at its far end", fontsize=10)
    figure.tight_layout()
    path = out / "subsea_line.png"
    figure.savefig(path, dpi=100)
    print(f"closed end after {arguments.hours:g} h: reference {solved['a_far_end_pressure_Pa'][-1] / 1e5:.1f} bar, "
          f"fast model {np.interp(end, fast_time, fast_pressure) / 1e5:.1f} bar; {path}")


if __name__ == "__main__":
    main()
