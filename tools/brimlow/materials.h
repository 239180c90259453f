// The materials of the library's property data: their numbers, names, CAS
// numbers and aliases as the library lists them, the library's lookup of a
// material by any of these, and the tool's suggestion for a misspelt one.
#ifndef BRIMLOW_MATERIALS_H
#define BRIMLOW_MATERIALS_H

#include <string>
#include <vector>

namespace brimlow {

struct Material {
  int number;           // the CAS registry number without hyphens
  std::string name;
  std::string cas;      // with hyphens: "74-82-8"
  std::string aliases;  // other accepted names, separated by '|'
};

const std::vector<Material>& materials();

// By name or alias (case, blanks and hyphens ignored), by CAS number with
// hyphens ("74-82-8") or by number ("74828"), as the library resolves it;
// null when unknown.
const Material* findMaterial(const std::string& text);
const Material* findMaterialByNumber(int number);

// A suggestion for a misspelt material: the nearest name, alias or CAS number
// quoted, with the material's name when that is not what matched
// ("'methane'", "'74-82-8' (methane)"); "" when none is near.
std::string materialSuggestion(const std::string& text);

}  // namespace brimlow

#endif
