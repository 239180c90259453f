"""The release figure of `brimlow run --plot`, drawn with matplotlib (optional).

Two panels on one logarithmic time axis labelled as people say times: the
release rate (kg/s, logarithmic) and the mass released (t); the total (wide,
black: the pipe table at the output times), branch A (blue) and branch B
(orange) from their records, the events of each branch marked on its curves.
"""
import math

import numpy as np

_COLOUR_A = "#1f5fa8"
_COLOUR_B = "#d35400"
_COLOUR_TOTAL = "#202020"
_TOTAL_WIDTH = 3.5 * 0.8
_BRANCH_WIDTH = 1.8 * 0.8

# A logarithmic rate axis spans at most four decades below its highest rate:
# lower rates, zero too, are drawn on its floor. Where the time axis starts
# and ends, and the curves themselves, are the library's.
_RATE_SPAN = 1e4
_KG_PER_TONNE = 1000.0
# Series of the library's release curve.
_TOTAL, _BRANCH_A, _BRANCH_B = 0, 1, 2

_TICS = ((0.001, "1 ms"), (0.01, "0.01 s"), (0.1, "0.1 s"), (1.0, "1 s"), (10.0, "10 s"), (60.0, "1 min"),
         (600.0, "10 min"), (3600.0, "1 h"), (36000.0, "10 h"), (360000.0, "100 h"))

# Marker and words of each kind of event. Events at one time sit on each
# other: open symbols around smaller filled ones keep each in sight.
_EVENT_STYLE = {
    "valve_closure": (dict(marker="s", markersize=11, fillstyle="none"), None),
    "whole_branch_disturbed": (dict(marker="^", markersize=9, fillstyle="none"), "whole branch disturbed"),
    "flow_reversal": (dict(marker="D", markersize=6), "flow reversed at the far end"),
    "dechoke": (dict(marker="o", markersize=7), "dechoked"),
    "depressurised": (dict(marker="v", markersize=8), "depressurised"),
}


def time_text(seconds):
    """A time as people say it: seconds, minutes or hours."""
    if seconds < 120.0:
        return f"{seconds:.3g} s"
    if seconds < 7200.0:
        return f"{seconds / 60.0:.1f} min"
    return f"{seconds / 3600.0:.2f} h"


class _History:
    """One series of the library's release curve: the instant of the breach
    (time 0) drawn at the start of the logarithmic axis, masses in tonnes."""

    def __init__(self, curve, series, carried_from=math.inf):
        points = curve["points"]
        rows = points[points[:, 0] == series]
        self.t = np.maximum(rows[:, 1], curve["start_s"]).tolist()
        self.rate = rows[:, 2].tolist()
        self.mass = (rows[:, 3] / _KG_PER_TONNE).tolist()
        self.carried_from = carried_from

    def value_at(self, values, t):
        return float(np.interp(t, self.t, values)) if self.t else 0.0


def _title(result):
    case = result.case
    from . import materials as _materials
    if case.molar_mass_kg_per_kmol is not None:
        gas = f"ideal gas of {case.molar_mass_kg_per_kmol:g} kg/kmol"
    else:
        number = case._material_number
        names = {m["number"]: m["name"] for m in _materials()}
        gas = f"{names.get(number, 'material')} ({number})"
    title = f"{case.name}: {gas}" if case.name else gas
    breach = result.summary.get("breach_location_m", case.breach_location_m)
    hole = f" (hole {case.hole_diameter_m:g} m)" if case.hole_diameter_m is not None else ""
    return (f"{title}, {case.pipe_length_m / 1000:g} km x {case.pipe_diameter_m:g} m at "
            f"{case.upstream_pressure_Pa / 1e5:g} bar, breach at {breach / 1000:g} km, "
            f"aperture {case.aperture:.4g}{hole}")


def release_figure(result, path=None):
    """The figure of a Result; saved to path when given."""
    import matplotlib
    if path is not None and matplotlib.get_backend().lower() not in ("agg", "svg", "pdf", "cairo"):
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    # The library lays the curve out; the figure only draws it.
    curve = result.release_curve
    start, end = curve["start_s"], curve["end_s"]
    branches = []
    # A branch the breach makes (the reference's answer has no branch records).
    has_a = result.layout in ("double branch", "single branch A")
    has_b = result.layout in ("double branch", "single branch B")
    if has_a:
        branches.append(("A", _History(curve, _BRANCH_A, curve["a_carried_from_s"]), "branch A (upstream)", _COLOUR_A))
    if has_b:
        branches.append(("B", _History(curve, _BRANCH_B, curve["b_carried_from_s"]), "branch B (downstream)",
                         _COLOUR_B))
    total = _History(curve, _TOTAL)

    figure = plt.figure(figsize=(12.4, 8.2))
    rates = figure.add_axes((0.09, 0.54, 0.57, 0.38))
    masses = figure.add_axes((0.09, 0.08, 0.57, 0.38), sharex=rates)
    figure.suptitle(_title(result), fontsize=11)

    # The floor of the rate axis: zero cannot be drawn on a logarithmic axis.
    all_rates = np.array(total.rate + [r for _, h, _, _ in branches for r in h.rate]
                         + [result.summary.get("initial_release_rate_kg_per_s", 0.0)])
    all_rates = all_rates[np.isfinite(all_rates)]
    highest = all_rates.max() if len(all_rates) and all_rates.max() > 0 else 1.0
    positive = all_rates[all_rates > 0]
    lowest = positive.min() if len(positive) else highest
    floor = 10.0 ** math.floor(math.log10(max(lowest, highest / _RATE_SPAN)))
    lifted = bool(np.any(all_rates < floor))

    rates.plot(total.t, np.maximum(total.rate, floor), color=_COLOUR_TOTAL, lw=_TOTAL_WIDTH, label="total")
    masses.plot(total.t, total.mass, color=_COLOUR_TOTAL, lw=_TOTAL_WIDTH, label="total")
    for _, history, label, colour in branches:
        rates.plot(history.t, np.maximum(history.rate, floor), color=colour, lw=_BRANCH_WIDTH, label=label)
        masses.plot(history.t, history.mass, color=colour, lw=_BRANCH_WIDTH, label=label)
    initial = result.summary.get("initial_release_rate_kg_per_s", math.nan)
    if math.isfinite(initial) and initial > 0.0:
        rates.plot([start], [initial], linestyle="none", marker="o", markersize=9, fillstyle="none",
                   markeredgewidth=1.6, color=_COLOUR_TOTAL, clip_on=False,
                   label=f"total at the instant of the breach, {round(initial):g} kg/s")

    for letter, history, _, colour in branches:
        for event in result.events[result.events["branch"] == letter]:
            t = float(event["time_s"])
            if not start <= t <= end:
                continue
            style, words = _EVENT_STYLE.get(str(event["kind"]), (dict(marker="x"), str(event["kind"])))
            if words is None:
                words = f"valve at {event['position_m'] / 1000:g} km shut"
            label = f"{letter}: {words}, {time_text(t)}"
            for axes, values, clip in ((rates, history.rate, floor), (masses, history.mass, -math.inf)):
                axes.plot([t], [max(history.value_at(values, t), clip)], linestyle="none", color=colour,
                          markeredgewidth=1.6, clip_on=False, label=label, **style)

    ticks = [(s, name) for s, name in _TICS if start * (1 - 1e-9) <= s <= end * (1 + 1e-9)]
    for axes in (rates, masses):
        axes.set_xscale("log")
        axes.set_xlim(start, end)
        axes.set_xticks([s for s, _ in ticks], [name for _, name in ticks])
        axes.minorticks_off()
        axes.grid(True, color="#e0e0e0", linewidth=0.6)
    rates.set_yscale("log")
    rates.set_ylim(bottom=floor)
    # Plain numbers on the rate axis (1000, not 10^3), as the tool writes them.
    from matplotlib.ticker import FuncFormatter
    rates.yaxis.set_major_formatter(FuncFormatter(lambda value, _position: f"{value:g}"))
    rates.set_ylabel("release rate (kg/s)")
    rates.grid(True, which="minor", axis="y", color="#f0f0f0", linewidth=0.4)
    masses.set_ylim(bottom=0.0)
    masses.set_ylabel("mass released (t)")
    masses.set_xlabel("time since the breach")
    rates.tick_params(labelbottom=True)
    rates.legend(loc="upper left", bbox_to_anchor=(1.03, 1.0), frameon=False, fontsize=9.5)

    notes = []
    if lifted:
        notes.append(f"Rates below {floor:g} kg/s (zero too) lie on the axis.")
    for letter, history, _, _ in branches:
        if history.carried_from < end:
            notes.append(f"Branch {letter}, fed by the supply, holds its last rate")
            notes.append(f"from its last record on ({time_text(history.carried_from)}).")
    notes.append(f"The reference solution's answer; it ends at {time_text(end)}." if result.case.model == "reference"
                 else f"The plot ends with the finite history ({time_text(end)}).")
    for i, note in enumerate(notes):
        figure.text(0.68, 0.40 - 0.03 * i, note, fontsize=9.5, color="#505050")

    if path is not None:
        figure.savefig(path, dpi=100)
    return figure


# ---- a study: a key figure against a swept input ----

_STUDY_COLOURS = ("#202020", "#1f5fa8", "#d35400", "#2e8b57", "#8e44ad", "#b8860b", "#c0392b", "#16a085")
# A study's lines are grouped by another input when it takes at most this many values.
_MOST_GROUPS = len(_STUDY_COLOURS)


def _axis_label(study, name):
    unit = study.units.get(name, "")
    words = name
    if unit and words.endswith("_" + unit.replace("/", "_per_").replace(" ", "_")):
        words = words[:-len(unit) - 1]
    words = words.replace("_kg_per_s", "").replace("_", " ")
    for suffix in (" m", " kg", " s", " K", " Pa"):
        if unit and words.endswith(suffix):
            words = words[:-len(suffix)]
    return f"{words} ({unit})" if unit else words


def _varying_inputs(study, x):
    from .case import KEYS
    rows = study.rows
    varying = []
    for key in KEYS:
        if key.name == x or key.kind in ("valves", "text"):
            continue
        column = rows[key.name]
        if len(column) and (column != column[0]).any() and not (
                column.dtype.kind == "f" and np.isnan(column).all()):
            varying.append(key.name)
    return varying


def study_figure(study, x, y, by=None, path=None, ax=None):
    """y against x over the cases that finished, one line per value of by
    (default: the one other input that varies, when it takes few values)."""
    import matplotlib
    if path is not None and ax is None and matplotlib.get_backend().lower() not in ("agg", "svg", "pdf", "cairo"):
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    rows = study.rows
    for name in (x, y) + ((by,) if by else ()):
        if name not in rows.dtype.names:
            raise ValueError(f"{name!r} is not a column of the study's report")
    if by is None:
        others = _varying_inputs(study, x)
        if len(others) == 1 and len(np.unique(rows[others[0]])) <= _MOST_GROUPS:
            by = others[0]
    done = rows[rows["status"] == "ok"]
    groups = [(None, done)] if by is None else [(value, done[done[by] == value]) for value in np.unique(done[by])]
    if ax is None:
        figure, ax = plt.subplots(figsize=(8, 5))
    else:
        figure = ax.figure
    for k, (value, group) in enumerate(groups):
        order = np.argsort(group[x], kind="stable")
        label = None if by is None else f"{_axis_label(study, by).split(' (')[0]} {value:g}"
        ax.plot(group[x][order], group[y][order], color=_STUDY_COLOURS[k % len(_STUDY_COLOURS)],
                lw=2.2 if k == 0 else 1.6, marker="o" if len(group) <= 30 else None, markersize=3.5, label=label)
    ax.set_xlabel(_axis_label(study, x))
    ax.set_ylabel(_axis_label(study, y))
    ax.set_title(f"{len(done)} of {len(rows)} cases", fontsize=10)
    ax.grid(True, color="#e0e0e0")
    if by is not None:
        ax.legend(frameon=False)
    figure.tight_layout()
    if path is not None:
        figure.savefig(path, dpi=100)
    return figure
