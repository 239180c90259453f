#include "case.h"

#include "materials.h"
#include "numbers.h"

namespace brimlow {

const char* const kValvePositionKey = "position_m";
const char* const kValveClosureKey = "closure_time_s";

namespace {

// Indices of the input array of VorlCheckInputs and the codes it gives for a
// value below and above its range.
const std::vector<CaseKey> kKeys = {
    {"name", KeyKind::kText, "", "\"\"", "label of the case, copied to the outputs", nullptr, 0.0,
     CheckSlot::kNone, 0, 0, 0},
    {"material", KeyKind::kMaterial, "", "methane",
     "gas: a material name, its CAS number (\"74-82-8\") or its material number (74828); see `brimlow materials`",
     nullptr, 0.0, CheckSlot::kNone, 0, 0, 0},
    {"molar_mass_kg_per_kmol", KeyKind::kMolarMass, "kg/kmol", "none",
     "instead of a material: an ideal gas of this molar mass", nullptr, 0.0, CheckSlot::kNone, 0, 0, 0},
    {"ambient_temperature_K", KeyKind::kNumber, "K", nullptr, "temperature of the air",
     &Case::ambientTemperature, 288.15, CheckSlot::kInputs, 0, 301, 302},
    {"ambient_pressure_Pa", KeyKind::kNumber, "Pa", nullptr, "pressure of the air", &Case::ambientPressure,
     101325.0, CheckSlot::kInputs, 1, 303, 304},
    {"ambient_humidity", KeyKind::kNumber, "fraction", nullptr, "relative humidity of the air, 0 to 1",
     &Case::ambientHumidity, 0.7, CheckSlot::kInputs, 2, 305, 306},
    {"air_molar_mass_kg_per_kmol", KeyKind::kNumber, "kg/kmol", nullptr, "molar mass of the air",
     &Case::airMolarMass, 28.966, CheckSlot::kInputs, 10, 330, 331},
    {"gas_temperature_K", KeyKind::kNumber, "K", nullptr, "temperature of the gas in the pipe (isothermal flow)",
     &Case::gasTemperature, 288.15, CheckSlot::kInputs, 15, 342, 343},
    {"pipe_length_m", KeyKind::kNumber, "m", nullptr, "length of the pipeline", &Case::pipeLength, 100000.0,
     CheckSlot::kInputs, 3, 307, 308},
    {"pipe_diameter_m", KeyKind::kNumber, "m", nullptr, "bore diameter", &Case::pipeDiameter, 0.5,
     CheckSlot::kInputs, 8, 318, 319},
    {"pipe_roughness_m", KeyKind::kNumber, "m", nullptr, "wall roughness", &Case::pipeRoughness, 5e-5,
     CheckSlot::kInputs, 9, 320, 321},
    {"upstream_pressure_Pa", KeyKind::kNumber, "Pa", nullptr, "pressure at the upstream (supply) end before the breach",
     &Case::upstreamPressure, 7e6, CheckSlot::kInputs, 5, 311, 312},
    {"inflow_kg_per_s", KeyKind::kNumber, "kg/s", nullptr, "mass rate fed by the supply into the upstream end",
     &Case::inflow, 20.0, CheckSlot::kInputs, 4, 309, 310},
    {"breach_location_m", KeyKind::kNumber, "m", nullptr, "distance of the breach from the upstream end",
     &Case::breachLocation, 30000.0, CheckSlot::kInputs, 6, 313, 314},
    {"aperture", KeyKind::kNumber, "fraction", nullptr, "orifice area as a fraction of the bore area (1: full bore rupture)",
     &Case::aperture, 1.0, CheckSlot::kInputs, 7, 315, 316},
    {"valves", KeyKind::kValves, "", "[]",
     "isolation valves: a list of {\"position_m\": m from the upstream end, \"closure_time_s\": s after the breach}",
     nullptr, 0.0, CheckSlot::kValves, 0, 322, 325},
    {"valves_active", KeyKind::kFlag, "", nullptr, "the listed valves shut at their closure times (false: they stay open)",
     &Case::valvesActive, 1.0, CheckSlot::kFlags, 0, 317, 317},
    {"expansion_method", KeyKind::kInteger, "", nullptr,
     "expansion to the atmosphere: 0 mass, momentum and energy; 1 isentropic; 2 momentum at constant temperature",
     &Case::expansionMethod, 0.0, CheckSlot::kFlags, 1, 332, 332},
    {"weber_number", KeyKind::kNumber, "", nullptr, "critical Weber number of drop break-up", &Case::weberNumber, 12.5,
     CheckSlot::kInputs, 11, 333, 334},
    {"max_velocity_m_per_s", KeyKind::kNumber, "m/s", nullptr, "outflow velocity above which the expansion warns",
     &Case::maxVelocity, 1000.0, CheckSlot::kInputs, 12, 335, 336},
    {"min_drop_size_m", KeyKind::kNumber, "m", nullptr, "smallest drop size", &Case::minDropSize, 1e-6,
     CheckSlot::kInputs, 13, 337, 338},
    {"max_drop_size_m", KeyKind::kNumber, "m", nullptr, "largest drop size", &Case::maxDropSize, 0.01,
     CheckSlot::kInputs, 14, 339, 340},
    {"time_division", KeyKind::kInteger, "", nullptr, "number of divisions of the run (finer steps for more)",
     &Case::timeDivision, 100.0, CheckSlot::kTimeDivision, 0, 326, 327},
    {"output_steps", KeyKind::kInteger, "", nullptr, "most output times of the pipe-level table",
     &Case::outputSteps, 200.0, CheckSlot::kMaxSteps, 0, 328, 329},
};

}  // namespace

const std::vector<CaseKey>& caseKeys() { return kKeys; }

const CaseKey* findCaseKey(const std::string& name) {
  for (const CaseKey& key : kKeys) {
    if (name == key.name) return &key;
  }
  return nullptr;
}

const CaseKey* caseKeyForCheckCode(int code) {
  for (const CaseKey& key : kKeys) {
    if (key.belowCode == 0) continue;
    if (code >= key.belowCode && code <= key.aboveCode) return &key;
  }
  return nullptr;
}

std::string defaultText(const CaseKey& key) {
  if (key.field == nullptr) return key.defaultText;
  if (key.kind == KeyKind::kFlag) return key.defaultValue != 0.0 ? "true" : "false";
  return plainText(key.defaultValue);
}

Case defaultCase() {
  Case c;
  for (const CaseKey& key : kKeys) {
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
