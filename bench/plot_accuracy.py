#!/usr/bin/python3
"""Draws the pictures of docs/accuracy.md from the output of vorl_accuracy_study.

    /usr/bin/python3 bench/plot_accuracy.py STUDY_DIR IMAGE_DIR

STUDY_DIR holds ratios.tsv and series.tsv; IMAGE_DIR receives
accuracy-ratios.png (fast model / reference for every case at four times),
accuracy-time.png (the same ratios against time for a few cases) and
accuracy-long-line.png (the 1,000 km line over a day).
Needs numpy and matplotlib (Debian: python3-matplotlib).
"""
import csv
import math
import sys
from pathlib import Path

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.colors import LogNorm  # noqa: E402
from matplotlib.ticker import NullFormatter  # noqa: E402

RATIO_COLUMNS = ["rate_10s", "rate_1min", "rate_10min", "rate_1h",
                 "mass_10s", "mass_1min", "mass_10min", "mass_1h"]
COLUMN_TITLES = ["10 s", "1 min", "10 min", "1 h"] * 2
# Colours span fast / reference from 1/2 to 2 on a logarithmic scale.
RATIO_SPAN = 2.0
# Cases drawn against time, with their legend labels: (id, reference gas, label).
TIME_CASES = [
    ("default", "ideal", "default case"),
    ("default", "pr", "default case, against the Peng-Robinson reference"),
    ("a0.2", "ideal", "aperture 0.2"),
    ("a0.05", "ideal", "aperture 0.05"),
    ("L400", "ideal", "400 km"),
    ("Q0", "ideal", "no inflow"),
    ("x100", "ideal", "breach at the downstream end"),
    ("short-mid", "ideal", "20 km, 0.3 m, 100 bar, no inflow, breach mid-line"),
]


def read_tsv(path):
    with open(path, newline="") as f:
        return list(csv.DictReader(f, delimiter="\t"))


def as_float(text):
    value = float(text)
    return value if math.isfinite(value) else math.nan


def draw_ratio_map(rows, out):
    if not rows:
        return
    ratios = np.array([[as_float(r[c]) for c in RATIO_COLUMNS] for r in rows])
    labels = [r["label"] for r in rows]
    fig, ax = plt.subplots(figsize=(10.5, 0.34 * len(rows) + 1.9))
    norm = LogNorm(vmin=1.0 / RATIO_SPAN, vmax=RATIO_SPAN)
    image = ax.imshow(np.ma.masked_invalid(ratios), cmap="RdBu_r", norm=norm, aspect="auto")
    for i in range(ratios.shape[0]):
        for j in range(ratios.shape[1]):
            value = ratios[i, j]
            text = "-" if math.isnan(value) else f"{value:.2f}"
            strong = not math.isnan(value) and abs(math.log(value)) > 0.45 * math.log(RATIO_SPAN)
            ax.text(j, i, text, ha="center", va="center", fontsize=8, color="white" if strong else "black")
    ax.set_xticks(range(len(COLUMN_TITLES)), COLUMN_TITLES)
    ax.xaxis.tick_top()
    ax.set_yticks(range(len(labels)), labels, fontsize=8.5)
    ax.axvline(3.5, color="black", lw=1.5)
    # Lines between the groups of cases (one input varied per group).
    for i in range(1, len(rows)):
        if rows[i]["group"] != rows[i - 1]["group"]:
            ax.axhline(i - 0.5, color="0.3", lw=0.8)
    ax.text(1.5, -1.35, "release rate", ha="center", fontsize=10, fontweight="bold")
    ax.text(5.5, -1.35, "mass released so far", ha="center", fontsize=10, fontweight="bold")
    bar = fig.colorbar(image, ax=ax, fraction=0.04, pad=0.02, extend="both",
                       ticks=[0.5, 0.67, 0.8, 0.9, 1.0, 1.1, 1.25, 1.5, 2.0])
    bar.ax.set_yticklabels(["0.5", "0.67", "0.8", "0.9", "1", "1.1", "1.25", "1.5", "2"])
    bar.ax.yaxis.set_minor_formatter(NullFormatter())
    bar.ax.minorticks_off()
    bar.set_label("fast model / reference (red: the fast model releases more)")
    fig.suptitle("Fast model against the reference solution, ideal gas (- : the release has ended)",
                 fontsize=11, y=0.995)
    fig.tight_layout()
    fig.savefig(out, dpi=110)
    plt.close(fig)


def draw_ratio_against_time(series, out):
    fig, (rate_ax, mass_ax) = plt.subplots(1, 2, figsize=(12, 5.8), sharex=True)
    colours = {}
    for case_id, gas, label in TIME_CASES:
        rows = [r for r in series if r["id"] == case_id and r["gas"] == gas and float(r["refinement"]) == 1.0]
        if not rows:
            continue
        t = np.array([float(r["time_s"]) for r in rows])
        fast_rate = np.array([float(r["fast_rate"]) for r in rows])
        ref_rate = np.array([float(r["reference_rate"]) for r in rows])
        fast_mass = np.array([float(r["fast_mass"]) for r in rows])
        ref_mass = np.array([float(r["reference_mass"]) for r in rows])
        # A rate ratio means nothing once the reference's release has ended.
        live = ref_rate > 1e-3 * ref_rate[0]
        style = dict(lw=1.6, label=label, ls="--" if gas == "pr" else "-")
        if case_id in colours:
            style["color"] = colours[case_id]
        line, = rate_ax.plot(t[live], fast_rate[live] / ref_rate[live], **style)
        colours[case_id] = line.get_color()
        style["color"] = line.get_color()
        mass_ax.plot(t, fast_mass / ref_mass, **style)
    for ax, title in ((rate_ax, "release rate, fast model / reference"),
                      (mass_ax, "mass released so far, fast model / reference")):
        ax.set_xscale("log")
        ax.axhline(1.0, color="black", lw=0.8)
        ax.grid(True, which="both", alpha=0.3)
        ax.set_xlabel("time after the breach (s)")
        ax.set_title(title, fontsize=11)
        for seconds, name in ((60, "1 min"), (600, "10 min"), (3600, "1 h"), (36000, "10 h")):
            ax.axvline(seconds, color="0.6", lw=0.6, ls=":")
            ax.text(seconds * 1.08, 0.01, name, transform=ax.get_xaxis_transform(), fontsize=8, ha="left",
                    va="bottom", color="0.4")
    rate_ax.set_ylim(0.0, 1.8)
    mass_ax.set_yscale("log")
    mass_ax.set_ylim(0.75, 3.5)
    ticks = [0.8, 0.9, 1.0, 1.2, 1.5, 2.0, 2.5, 3.0]
    mass_ax.set_yticks(ticks, [f"{v:g}" for v in ticks])
    mass_ax.yaxis.set_minor_formatter(NullFormatter())
    handles, labels = rate_ax.get_legend_handles_labels()
    fig.legend(handles, labels, loc="lower center", ncol=3, fontsize=9, frameon=False)
    fig.suptitle("Fast model / reference against time (ideal gas; dashed: the Peng-Robinson reference)", fontsize=12)
    fig.tight_layout(rect=(0, 0.11, 1, 1))
    fig.savefig(out, dpi=110)
    plt.close(fig)


def columns(series, case_id, gas, names):
    rows = [r for r in series if r["id"] == case_id and r["gas"] == gas and float(r["refinement"]) == 1.0]
    return [np.array([float(r[n]) for r in rows]) for n in names]


def draw_long_line(series, out):
    names = ["time_s", "fast_rate", "reference_rate", "fast_far_end_pressure", "reference_far_end_pressure"]
    t, fast_rate, ideal_rate, fast_p, ideal_p = columns(series, "long-end", "ideal", names)
    t_pr, _, pr_rate, _, pr_p = columns(series, "long-end", "pr", names)
    if t.size == 0 or t_pr.size == 0:
        return
    fig, (p_ax, rate_ax) = plt.subplots(1, 2, figsize=(12, 4.8))
    hours, hours_pr = t / 3600.0, t_pr / 3600.0
    curves = (("fast model", "C3", hours, fast_p, fast_rate),
              ("reference, ideal gas", "C0", hours, ideal_p, ideal_rate),
              ("reference, Peng-Robinson gas", "C2", hours_pr, pr_p, pr_rate))
    for label, colour, h, p, rate in curves:
        p_ax.plot(h, p / 1e5, color=colour, lw=1.8, label=label)
        rate_ax.plot(h * 3600.0, rate, color=colour, lw=1.8, label=label)
    p_ax.set_xlim(0, 24)
    p_ax.set_xticks(range(0, 25, 3))
    p_ax.set_xlabel("time after the rupture (h)")
    p_ax.set_ylabel("pressure at the closed end (bar)")
    p_ax.set_title("closed-end pressure", fontsize=11)
    for label, colour, h, p, _ in curves:
        p_ax.annotate(f"{p[-1] / 1e5:.1f}", (h[-1], p[-1] / 1e5), xytext=(4, 0), textcoords="offset points",
                      va="center", fontsize=9, color=colour)
    rate_ax.set_xscale("log")
    rate_ax.set_yscale("log")
    rate_ax.set_xlabel("time after the rupture (s)")
    rate_ax.set_ylabel("release rate (kg/s)")
    rate_ax.set_title("release rate", fontsize=11)
    for ax in (p_ax, rate_ax):
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize=9)
    fig.suptitle("1,000 km line of 1.15 m bore at 165 bar and 282 K, closed, ruptured at full bore at one end "
                 "into 8.6 bar", fontsize=11.5)
    fig.tight_layout()
    fig.savefig(out, dpi=110)
    plt.close(fig)


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    study, images = Path(argv[1]), Path(argv[2])
    images.mkdir(parents=True, exist_ok=True)
    draw_ratio_map(read_tsv(study / "ratios.tsv"), images / "accuracy-ratios.png")
    series = read_tsv(study / "series.tsv")
    draw_ratio_against_time(series, images / "accuracy-time.png")
    draw_long_line(series, images / "accuracy-long-line.png")


if __name__ == "__main__":
    main(sys.argv)
