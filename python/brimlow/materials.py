"""The materials of the library's property library."""
from . import _library
from ._library import lib


def materials():
    """Every material of the library: number (the CAS number without hyphens),
    name, CAS number and molecular weight (kg/kmol), as a list of dicts."""
    raise NotImplementedError  # the library's material exports


def material_number(value):
    """The number of a material given by name, alias, CAS number or number; 0 for none."""
    raise NotImplementedError  # the library's material lookup
