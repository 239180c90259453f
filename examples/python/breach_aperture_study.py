"""A study of one line: breach location x aperture, its report table and its picture.

Sweeps the breach along the default 100 km methane line (fed with 20 kg/s)
at five hole sizes, 200 cases in one call of the library per chunk on every
core. Writes the report table of the study (the swept inputs beside the key
figures of each case) as CSV, and the picture: the release rate one minute
after the breach and the time to release half the line's gas, against the
breach location, a line per aperture.

    python3 examples/python/breach_aperture_study.py --out DIR
"""
import argparse
import csv
from pathlib import Path

import matplotlib
import numpy as np

import brimlow

APERTURES = (0.2, 0.4, 0.6, 0.8, 1.0)
FIGURES = ("release_rate_10s_kg_per_s", "release_rate_1min_kg_per_s", "mass_released_1h_kg", "time_to_release_half_s")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=".", help="folder of the table and the picture (default: here)")
    out = Path(parser.parse_args().out)
    out.mkdir(parents=True, exist_ok=True)
    if matplotlib.get_backend().lower() != "agg":
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    base = brimlow.Case(name="breach x aperture")
    locations = np.linspace(2.5e3, 97.5e3, 40)
    study = brimlow.sweep(base.replace(breach_location_m=float(x), aperture=a) for a in APERTURES for x in locations)
    rows = study.rows

    table = out / "breach_aperture_study.csv"
    with table.open("w", newline="") as stream:
        writer = csv.writer(stream)
        writer.writerow(["breach_location_m", "aperture", "status", *FIGURES])
        for row in rows:
            writer.writerow([f"{row['breach_location_m']:g}", f"{row['aperture']:g}", row["status"],
                             *(f"{row[name]:.6g}" for name in FIGURES)])

    figure, (left, right) = plt.subplots(1, 2, figsize=(12, 4.8))
    study.plot(x="breach_location_m", y="release_rate_1min_kg_per_s", ax=left)
    study.plot(x="breach_location_m", y="time_to_release_half_s", ax=right)
    from matplotlib.ticker import FuncFormatter
    for axes in (left, right):
        axes.set_xlabel("breach location (km from the supply end)")
        axes.xaxis.set_major_formatter(FuncFormatter(lambda metres, _position: f"{metres / 1e3:g}"))
        axes.set_xlim(0, 100e3)
        axes.set_ylim(bottom=0)
        axes.set_title("")
    left.set_ylabel("release rate 1 min after the breach (kg/s)")
    right.set_ylabel("time to release half the line's gas (s)")
    right.get_legend().remove()
    figure.suptitle(f"100 km x 0.5 m methane line at 70 bar fed with 20 kg/s: {len(study)} cases", fontsize=11)
    figure.tight_layout()
    picture = out / "breach_aperture_study.png"
    figure.savefig(picture, dpi=100)

    print(f"{len(study)} cases, {len(study.failed)} failed; {table}, {picture}")
    print(f"{'breach m':>9} {'aperture':>8} {'rate 1 min kg/s':>16} {'half released s':>16}")
    for row in rows[::41]:
        print(f"{row['breach_location_m']:9.0f} {row['aperture']:8.2f} {row['release_rate_1min_kg_per_s']:16.1f} "
              f"{row['time_to_release_half_s']:16.0f}")


if __name__ == "__main__":
    main()
