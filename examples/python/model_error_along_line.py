"""The fast model's error along a line: both models at every breach location.

Sweeps the breach along the default 100 km methane line with the fast model
and with the reference solution of the full equations (model "reference"),
and plots the fast model's error against the reference in the mass released
after 10 min and 1 h and in the release rate after 10 min: where along the
line the published model is conservative, and by how much.

    python3 examples/python/model_error_along_line.py --out DIR
"""
import argparse
from pathlib import Path

import matplotlib
import numpy as np

import brimlow

# The reference runs to the last mark the plot reads.
ONE_HOUR = 3600.0
FIGURES = (
    ("mass_released_10min_kg", "mass released after 10 min", "#1f5fa8", "-"),
    ("mass_released_1h_kg", "mass released after 1 h", "#202020", "-"),
    ("release_rate_10min_kg_per_s", "release rate after 10 min", "#d35400", "--"),
)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="folder of the picture (default: here)")
    out = Path(parser.parse_args().out)
    out.mkdir(parents=True, exist_ok=True)
    if matplotlib.get_backend().lower() != "agg":
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    base = brimlow.Case(name="model error along the line", reference_end=ONE_HOUR)
    locations = np.linspace(1e3, 99e3, 25)
    cases = [base.replace(breach_location_m=float(x)) for x in locations]
    fast = brimlow.sweep(cases)
    full = brimlow.sweep([case.replace(model="reference") for case in cases])

    figure, axes = plt.subplots(figsize=(8, 5))
    for field, label, colour, style in FIGURES:
        error = 100.0 * (np.asarray(fast.rows[field]) / np.asarray(full.rows[field]) - 1.0)
        axes.plot(locations / 1e3, error, color=colour, ls=style, lw=2, marker="o", ms=3, label=label)
    axes.axhline(0.0, color="#808080", lw=1)
    axes.set_xlabel("breach location (km from the supply end)")
    axes.set_ylabel("fast model against the reference (%)")
    axes.set_title("Default 100 km methane line at 70 bar: the fast model's error along the line")
    axes.grid(True, color="#e0e0e0")
    # Room below the curves for the legend.
    low, high = axes.get_ylim()
    axes.set_ylim(low - 0.35 * (high - low), high)
    axes.legend(loc="lower center", ncol=2, fontsize="small")
    figure.tight_layout()
    path = out / "model_error_along_line.png"
    figure.savefig(path, dpi=110)
    print(path)


if __name__ == "__main__":
    main()
