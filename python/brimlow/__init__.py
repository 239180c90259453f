"""Brimlow: gas release from a breached long high-pressure pipeline, from Python.

    import brimlow
    case = brimlow.Case(breach_location_m=20000)
    result = brimlow.run(case)
    result.branch_a["exit_flux_kg_per_s"]       # numpy arrays, one entry per stored step
    result.pipe([60, 600, 3600])                 # the pipe as a whole at any times
    results = brimlow.sweep([case.replace(aperture=a) for a in (0.2, 0.5, 1.0)])
    table = brimlow.reference(case, times=[0, 60, 600])  # the full equations, beside the fast model

Failures raise BrimlowError (the library's code, its name, tag and message);
the library's warnings are Python warnings of the category BrimlowWarning.
"""
from .errors import BrimlowError, BrimlowWarning
from .case import Case, keys
from .materials import materials, named_gases
from .reference import reference
from .result import Result, Table, run
from .sweep import sweep

__version__ = "1.0.0"
__all__ = ["BrimlowError", "BrimlowWarning", "Case", "Result", "Table", "keys", "materials", "named_gases", "reference", "run", "sweep"]
