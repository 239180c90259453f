"""The materials of the library's property library."""
import difflib

from . import _library
from ._library import lib


def _text(copy, index):
    return _library.copied_text(copy, index)


def _read_materials():
    return tuple({"number": lib.VorlMaterialNumber(index),
                  "name": _text(lib.VorlMaterialName, index),
                  "cas": _text(lib.VorlMaterialCas, index),
                  "molecular_weight_kg_per_kmol": lib.VorlMaterialMolecularWeight(index),
                  "aliases": [alias for alias in _text(lib.VorlMaterialAliases, index).split("|") if alias]}
                 for index in range(lib.VorlMaterialCount()))


_MATERIALS = _read_materials()  # the library's table is fixed: read once
_NAMES = {material["number"]: material["name"] for material in _MATERIALS}


def materials():
    """Every material of the library, in its order: number (the CAS number
    without hyphens, as a case's material takes it), name, CAS number,
    molecular weight (kg/kmol) and the other names it is found by."""
    return [dict(material, aliases=list(material["aliases"])) for material in _MATERIALS]


def material_number(text):
    """The number of the material a text names (name, alias, CAS number or
    number, as the library finds it); 0 for none."""
    if "\0" in text:
        return 0  # the library reads a C string: no material has a NUL in its name
    return lib.VorlMaterialFind(text.encode("utf-8"))


def material_name(number):
    """The library's name of the material of that number ("" for none)."""
    return _NAMES.get(number, "")


def suggestion(text):
    """"did you mean 'x'? " for a text near a material's name, alias or CAS number, else ""."""
    words = [word for material in _MATERIALS
             for word in (material["name"], material["cas"], *material["aliases"])]
    near = difflib.get_close_matches(text, words, n=1)
    return f"did you mean {near[0]!r}? " if near else ""


def _read_named_gases():
    gases = []
    for index in range(lib.VorlNamedGasCount()):
        model = lib.VorlModelCreateNamedGas(index)
        try:
            components = [(material_name(lib.VorlModelComponentNumber(model, k)),
                           lib.VorlModelComponentFraction(model, k))
                          for k in range(lib.VorlModelComponentCount(model))]
            molar_mass = lib.VorlModelGasProperty(model, 4, 0.0, 0.0)
        finally:
            _library.delete_model(model)
        gases.append({"name": _text(lib.VorlNamedGasName, index),
                      "description": _text(lib.VorlNamedGasDescription, index),
                      "aliases": [alias for alias in _text(lib.VorlNamedGasAliases, index).split("|") if alias],
                      "molecular_weight_kg_per_kmol": molar_mass,
                      "composition": dict(components)})
    return tuple(gases)


_NAMED_GASES = _read_named_gases()


def named_gases():
    """The library's named gases (natural gases, hydrogen blends): name,
    description with its source, aliases, molecular weight (kg/kmol) and
    composition (mole fractions by material name). A case takes one as its
    material."""
    return [dict(gas, aliases=list(gas["aliases"]), composition=dict(gas["composition"])) for gas in _NAMED_GASES]


def named_gas_index(text):
    """The index of the named gas a text names; -1 for none."""
    if "\0" in text:
        return -1
    return lib.VorlNamedGasFind(text.encode("utf-8"))
