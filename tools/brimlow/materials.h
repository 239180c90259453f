// The materials of the library's property data, by name. The library takes a
// material by its number (the CAS registry number without hyphens) and has no
// export that lists them, so the tool keeps their names and numbers; every
// property it shows is read through the library.
#ifndef BRIMLOW_MATERIALS_H
#define BRIMLOW_MATERIALS_H

#include <string>
#include <vector>

namespace brimlow {

struct Material {
  int number;
  const char* name;
  const char* aliases;  // other accepted names, separated by '|'
};

const std::vector<Material>& materials();

// By name or alias (case, blanks and hyphens ignored), by CAS number with
// hyphens ("74-82-8") or by number ("74828"); null when unknown.
const Material* findMaterial(const std::string& text);
const Material* findMaterialByNumber(int number);

// A suggestion for a misspelt material: the nearest name, alias or CAS number
// quoted, with the material's name when that is not what matched
// ("'methane'", "'74-82-8' (methane)"); "" when none is near.
std::string materialSuggestion(const std::string& text);

// The CAS registry form of a material number: 74828 -> "74-82-8".
std::string casText(int number);

// `brimlow materials`: prints the table; returns the exit status.
int materialsCommand(const std::vector<std::string>& arguments);

}  // namespace brimlow

#endif
