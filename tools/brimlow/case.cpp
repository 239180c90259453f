#include "case.h"

#include <cstdio>
#include <cstdlib>
#include <limits>

#include "materials.h"
#include "numbers.h"
#include "status.h"
#include "vorl.h"

namespace brimlow {

const char* const kValvePositionKey = "position_m";
const char* const kValveClosureKey = "closure_time_s";
const char* const kValvePositionInput = "valve position";
const char* const kValveClosureInput = "valve closure time";

namespace {

// An optional key of the tool's own that was not given.
constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

// The keys in the order of the documentation. A key that sets a library
// input names it; its unit, meaning, range and check come from the library.
const std::vector<CaseKey> kKeys = {
    {"name", KeyKind::kText, nullptr, "", "label of the case, copied to the outputs", "\"\"", nullptr, 0.0},
    {"material", KeyKind::kMaterial, nullptr, "",
     "gas: a material name, its CAS number (\"74-82-8\") or its material number (74828); see `brimlow materials`",
     "methane", nullptr, 0.0},
    {"molar_mass_kg_per_kmol", KeyKind::kMolarMass, nullptr, "kg/kmol",
     "instead of a material: an ideal gas of this molar mass", "none", nullptr, 0.0},
    {"ambient_temperature_K", KeyKind::kNumber, "ambient temperature", "", nullptr, nullptr, &Case::ambientTemperature,
     288.15},
    {"ambient_pressure_Pa", KeyKind::kNumber, "ambient pressure", "", nullptr, nullptr, &Case::ambientPressure,
     101325.0},
    {"ambient_humidity", KeyKind::kNumber, "ambient relative humidity", "", nullptr, nullptr, &Case::ambientHumidity,
     0.7},
    {"air_molar_mass_kg_per_kmol", KeyKind::kNumber, "molecular weight of the air", "", nullptr, nullptr,
     &Case::airMolarMass, 28.966},
    {"gas_temperature_K", KeyKind::kNumber, "gas temperature", "", nullptr, nullptr, &Case::gasTemperature, 288.15},
    {"pipe_length_m", KeyKind::kNumber, "pipe length", "", nullptr, nullptr, &Case::pipeLength, 100000.0},
    {"pipe_diameter_m", KeyKind::kNumber, "pipe diameter", "", nullptr, nullptr, &Case::pipeDiameter, 0.5},
    {"pipe_roughness_m", KeyKind::kNumber, "pipe roughness", "", nullptr, nullptr, &Case::pipeRoughness, 5e-5},
    {"upstream_pressure_Pa", KeyKind::kNumber, "upstream pressure", "", nullptr, nullptr, &Case::upstreamPressure, 7e6},
    {"inflow_kg_per_s", KeyKind::kNumber, "total inflow", "", nullptr, nullptr, &Case::inflow, 20.0},
    {"breach_location_m", KeyKind::kNumber, "breach location", "", nullptr, nullptr, &Case::breachLocation, 30000.0},
    {"aperture", KeyKind::kNumber, "orifice aperture", "", nullptr, nullptr, &Case::aperture, 1.0},
    {"hole_diameter_m", KeyKind::kNumber, nullptr, "m",
     "instead of the aperture: diameter of the hole, above 0 up to the bore; aperture = (d / bore)^2", "none",
     &Case::holeDiameter, kNotGiven},
    {"valves", KeyKind::kValves, nullptr, "",
     "isolation valves: a list of {\"position_m\": m from the upstream end, \"closure_time_s\": s after the breach}",
     "[]", nullptr, 0.0},
    {"valves_active", KeyKind::kFlag, "valves active flag", "",
     "the listed valves shut at their closure times (false: they stay open)", nullptr, &Case::valvesActive, 1.0},
    {"expansion_method", KeyKind::kInteger, "expansion method", "", nullptr, nullptr, &Case::expansionMethod, 0.0},
    {"weber_number", KeyKind::kNumber, "Weber number", "", nullptr, nullptr, &Case::weberNumber, 12.5},
    {"max_velocity_m_per_s", KeyKind::kNumber, "maximum velocity", "", nullptr, nullptr, &Case::maxVelocity, 1000.0},
    {"min_drop_size_m", KeyKind::kNumber, "minimum drop size", "", nullptr, nullptr, &Case::minDropSize, 1e-6},
    {"max_drop_size_m", KeyKind::kNumber, "maximum drop size", "", nullptr, nullptr, &Case::maxDropSize, 0.01},
    {"time_division", KeyKind::kInteger, "time division", "", nullptr, nullptr, &Case::timeDivision, 100.0},
    {"output_steps", KeyKind::kInteger, "output maximum steps", "", nullptr, nullptr, &Case::outputSteps, 200.0},
    {"table_step_s", KeyKind::kNumber, nullptr, "s",
     "brimlow run: also write the pipe-level table every this many seconds (as --table-step)", "none",
     &Case::tableStep, kNotGiven},
};

// A text of the library's input table, copied out.
template <class Copy>
std::string libraryText(Copy copy, int input) {
  const int length = copy(input, nullptr, 0);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  copy(input, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::string inputName(int input) { return libraryText(VorlInputName, input); }

// Every input the library's one-call entry checks is set by a key: a
// library that gained an input the tool does not know must not pass its
// tests. A missing one stops the tool before it reads any case.
void requireEveryCheckedInputHasAKey() {
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (VorlInputCodeBelow(i) == 0) continue;
    const std::string name = inputName(i);
    if (name == kValvePositionInput || name == kValveClosureInput || caseKeyForInput(name) != nullptr) continue;
    std::fprintf(stderr, "brimlow: internal error: the library's input '%s' has no case key\n", name.c_str());
    std::exit(kExitRunFailed);
  }
}

}  // namespace

const std::vector<CaseKey>& caseKeys() {
  static const bool checked = (requireEveryCheckedInputHasAKey(), true);
  (void)checked;
  return kKeys;
}

const CaseKey* findCaseKey(const std::string& name) {
  for (const CaseKey& key : caseKeys()) {
    if (name == key.name) return &key;
  }
  return nullptr;
}

int libraryInput(const char* name) { return name != nullptr ? VorlInputFind(name) : -1; }

const CaseKey* caseKeyForInput(const std::string& input) {
  const bool valve = input == kValvePositionInput || input == kValveClosureInput;
  for (const CaseKey& key : kKeys) {
    if (valve ? key.kind == KeyKind::kValves : key.input != nullptr && input == key.input) return &key;
  }
  return nullptr;
}

std::string inputOfCheckCode(int code) {
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (code != 0 && (code == VorlInputCodeBelow(i) || code == VorlInputCodeAbove(i))) return inputName(i);
  }
  return "";
}

std::string keyUnit(const CaseKey& key) {
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputUnit, input) : key.unit;
}

std::string keyMeaning(const CaseKey& key) {
  if (key.meaning != nullptr) return key.meaning;
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputMeaning, input) : "";
}

std::string keyRange(const CaseKey& key) {
  if (key.kind == KeyKind::kValves) {
    return std::string(kValvePositionKey) + " " + libraryText(VorlInputRangeText, libraryInput(kValvePositionInput)) +
           ", " + kValveClosureKey + " " + libraryText(VorlInputRangeText, libraryInput(kValveClosureInput));
  }
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputRangeText, input) : "";
}

std::string defaultText(const CaseKey& key) {
  if (key.field == nullptr || key.defaultText != nullptr) return key.defaultText;
  if (key.kind == KeyKind::kFlag) return key.defaultValue != 0.0 ? "true" : "false";
  return plainText(key.defaultValue);
}

Case defaultCase() {
  Case c;
  for (const CaseKey& key : caseKeys()) {
    if (key.field != nullptr) c.*key.field = key.defaultValue;
  }
  c.material = findMaterial(findCaseKey("material")->defaultText)->number;
  return c;
}

std::string gasText(const Case& c) {
  if (c.idealGas) return "ideal gas of " + shortText(c.molarMass) + " kg/kmol";
  const Material* material = findMaterialByNumber(c.material);
  if (material == nullptr) return "material " + std::to_string(c.material);
  return std::string(material->name) + " (" + std::to_string(material->number) + ")";
}

}  // namespace brimlow
