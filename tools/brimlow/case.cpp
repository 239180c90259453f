#include "case.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "library_text.h"
#include "materials.h"
#include "numbers.h"
#include "status.h"
#include "vorl.h"

namespace brimlow {

const char* const kValvePositionInput = "valve position";
const char* const kValveClosureInput = "valve closure time";

namespace {

// An optional key of the tool's own that was not given.
constexpr double kNotGiven = std::numeric_limits<double>::quiet_NaN();

std::string inputName(int input) { return libraryText(VorlInputName, input); }

// The tool and the library disagree about an input: a library that renamed or
// dropped one the tool knows must not pass its tests. It stops the tool before
// it reads any case.
[[noreturn]] void mismatch(const std::string& problem) {
  std::fprintf(stderr, "brimlow: internal error: %s\n", problem.c_str());
  std::exit(kExitRunFailed);
}

// The case-file key of a library input, by the input's name.
std::string caseKeyOf(const char* input) {
  const int index = libraryInput(input);
  const std::string key = index >= 0 ? libraryText(VorlInputCaseKey, index) : "";
  if (key.empty()) mismatch(std::string("the library's input '") + input + "' has no case key");
  return key;
}

// A key of the tool's own; an optional number it holds is not given until read.
CaseKey ownKey(const char* name, KeyKind kind, const char* unit, const std::string& meaning, const char* defaultText,
               double Case::*field = nullptr) {
  return {name, kind, nullptr, unit, meaning, defaultText, field, field ? kNotGiven : 0.0};
}

// The name of the gas of a case that gives none, as the library has it.
const char* defaultMaterialName() {
  static const std::string name = [] {
    const Material* material = findMaterialByNumber(VorlCaseDefaultMaterial());
    if (material == nullptr) mismatch("the library's default gas is not among its materials");
    return material->name;
  }();
  return name.c_str();
}

// A flag of the tool's own, false unless given.
CaseKey ownFlag(const char* name, const std::string& meaning, double Case::*field) {
  return {name, KeyKind::kFlag, nullptr, "", meaning, nullptr, field, 0.0};
}

// A key that sets a library input: its name and default are the library's.
CaseKey inputKey(const char* input, KeyKind kind, double Case::*field, const char* meaning = "") {
  return {caseKeyOf(input), kind, input, "", meaning, nullptr, field, VorlInputCaseDefault(libraryInput(input))};
}

// The keys in the order of the documentation.
std::vector<CaseKey> keyTable() {
  return {
      ownKey("name", KeyKind::kText, "", "label of the case, copied to the outputs", "\"\""),
      ownKey("material", KeyKind::kMaterial, "",
             "gas: a material name, its CAS number (\"74-82-8\"), its material number (74828) or a named gas; see `brimlow "
             "materials`",
             defaultMaterialName()),
      ownKey("molar_mass_kg_per_kmol", KeyKind::kMolarMass, "kg/kmol",
             "instead of a material: an ideal gas of this molar mass (2 to 1000 kg/kmol)", "none"),
      ownKey("composition", KeyKind::kComposition, "",
             "instead of a material: mole fractions of materials, {\"methane\": 0.93, \"ethane\": 0.07} (in a "
             "batch CSV cell methane:0.93;ethane:0.07), summing to 1 within 1e-6",
             "none"),
      inputKey("ambient temperature", KeyKind::kNumber, &Case::ambientTemperature),
      inputKey("ambient pressure", KeyKind::kNumber, &Case::ambientPressure),
      inputKey("ambient relative humidity", KeyKind::kNumber, &Case::ambientHumidity),
      inputKey("molecular weight of the air", KeyKind::kNumber, &Case::airMolarMass),
      inputKey("gas temperature", KeyKind::kNumber, &Case::gasTemperature),
      inputKey("pipe length", KeyKind::kNumber, &Case::pipeLength),
      inputKey("pipe diameter", KeyKind::kNumber, &Case::pipeDiameter),
      inputKey("pipe roughness", KeyKind::kNumber, &Case::pipeRoughness),
      inputKey("upstream pressure", KeyKind::kNumber, &Case::upstreamPressure),
      inputKey("total inflow", KeyKind::kNumber, &Case::inflow),
      {caseKeyOf("supply mode"), KeyKind::kSupply, "supply mode", "",
       "the supply after the breach: \"constant inflow\", or \"holding pressure\" (a compressor station holding "
       "the upstream pressure; the reference solution only)",
       "\"constant inflow\"", &Case::supplyMode, 0.0},
      inputKey("supply trip time", KeyKind::kNumber, &Case::supplyTripTime),
      inputKey("breach location", KeyKind::kNumber, &Case::breachLocation),
      inputKey("orifice aperture", KeyKind::kNumber, &Case::aperture),
      ownKey("hole_diameter_m", KeyKind::kNumber, "m",
             "instead of the aperture: diameter of the hole, above 0 up to the bore; aperture = (d / bore)^2", "none",
             &Case::holeDiameter),
      ownKey("valves", KeyKind::kValves, "",
             "isolation valves: a list of {\"" + kValvePositionKey + "\": m from the upstream end, \"" +
                 kValveClosureKey + "\": s after the breach}",
             "[]"),
      inputKey("valves active flag", KeyKind::kFlag, &Case::valvesActive,
               "the listed valves shut at their closure times (false: they stay open)"),
      inputKey("valve detection delay", KeyKind::kNumber, &Case::valveDetectionDelay),
      inputKey("valve closing duration", KeyKind::kNumber, &Case::valveClosingDuration),
      inputKey("expansion method", KeyKind::kInteger, &Case::expansionMethod),
      inputKey("Weber number", KeyKind::kNumber, &Case::weberNumber),
      inputKey("maximum velocity", KeyKind::kNumber, &Case::maxVelocity),
      inputKey("minimum drop size", KeyKind::kNumber, &Case::minDropSize),
      inputKey("maximum drop size", KeyKind::kNumber, &Case::maxDropSize),
      inputKey("time division", KeyKind::kInteger, &Case::timeDivision),
      inputKey("back pressure", KeyKind::kNumber, &Case::backPressure),
      inputKey("water depth", KeyKind::kNumber, &Case::waterDepth),
      inputKey("seawater density", KeyKind::kNumber, &Case::seawaterDensity),
      inputKey("output maximum steps", KeyKind::kInteger, &Case::outputSteps),
      ownKey("table_step_s", KeyKind::kNumber, "s",
             "brimlow run: also write the pipe-level table every this many seconds (as --table-step)", "none",
             &Case::tableStep),
      ownFlag("reference",
              "kept for older files: brimlow run runs the reference solution beside the fast model anyway "
              "(--no-reference leaves it out), so true changes nothing there; a brimlow batch row with it "
              "true fails (a row gives one model's answer: choose the reference with model)",
              &Case::reference),
      {"real_gas", KeyKind::kFlag, nullptr, "",
       "the reference solution takes the Peng-Robinson gas (the fast model takes the ideal gas)", nullptr,
       &Case::realGas, VorlInputCaseDefault(libraryInput("reference real gas flag"))},
      ownKey("reference_end", KeyKind::kNumber, "s",
             "when the reference solution stops, s after the breach (as --until; \"2 h\" as text); by default "
             "the tool's at the end of the fast model's history, Python's when the release is over",
             "none", &Case::referenceEnd),
      {caseKeyOf("model"), KeyKind::kModel, "model", "",
       "the model whose answer the run gives: \"fast\" (the published model) or \"reference\" (the reference "
       "solution of the full equations; as --model reference)",
       nullptr, &Case::model, VorlInputCaseDefault(libraryInput("model"))},
  };
}

// Every input the library's one-call entry checks, and every input the
// library gives a case-file key, is set by a key of the tool: a library that
// gained an input the tool does not know must not pass its tests.
void requireEveryInputHasAKey(const std::vector<CaseKey>& keys) {
  for (int i = 0; i < VorlInputCount(); ++i) {
    if (VorlInputCodeBelow(i) == 0 && libraryText(VorlInputCaseKey, i).empty()) continue;
    const std::string name = inputName(i);
    const bool valve = name == kValvePositionInput || name == kValveClosureInput;
    const auto sets = [&](const CaseKey& key) {
      return valve ? key.kind == KeyKind::kValves : key.input != nullptr && name == key.input;
    };
    if (std::none_of(keys.begin(), keys.end(), sets)) mismatch("the library's input '" + name + "' has no case key");
  }
}

}  // namespace

const std::string kValvePositionKey = caseKeyOf(kValvePositionInput);
const std::string kValveClosureKey = caseKeyOf(kValveClosureInput);

const std::vector<CaseKey>& caseKeys() {
  static const std::vector<CaseKey> keys = [] {
    std::vector<CaseKey> table = keyTable();
    requireEveryInputHasAKey(table);
    return table;
  }();
  return keys;
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
  for (const CaseKey& key : caseKeys()) {
    if (valve ? key.kind == KeyKind::kValves : key.input != nullptr && input == key.input) return &key;
  }
  return nullptr;
}

std::string inputOfCode(int code) {
  const int input = VorlInputOfCode(code);
  return input >= 0 ? inputName(input) : "";
}

std::string keyUnit(const CaseKey& key) {
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputUnit, input) : key.unit;
}

std::string keyMeaning(const CaseKey& key) {
  if (!key.meaning.empty()) return key.meaning;
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputMeaning, input) : "";
}

std::string keyRange(const CaseKey& key) {
  if (key.kind == KeyKind::kValves) {
    return kValvePositionKey + " " + libraryText(VorlInputCaseRangeText, libraryInput(kValvePositionInput)) +
           ", " + kValveClosureKey + " " + libraryText(VorlInputCaseRangeText, libraryInput(kValveClosureInput));
  }
  if (key.kind == KeyKind::kSupply) return "\"constant inflow\" or \"holding pressure\"";
  const int input = libraryInput(key.input);
  return input >= 0 ? libraryText(VorlInputCaseRangeText, input) : "";
}

std::string defaultText(const CaseKey& key) {
  if (key.field == nullptr || key.defaultText != nullptr) return key.defaultText;
  if (key.kind == KeyKind::kFlag) return key.defaultValue != 0.0 ? "true" : "false";
  if (key.kind == KeyKind::kModel) return std::string("\"") + modelWord(key.defaultValue) + "\"";
  return plainText(key.defaultValue);
}

Case defaultCase() {
  Case c;
  for (const CaseKey& key : caseKeys()) {
    if (key.field != nullptr) c.*key.field = key.defaultValue;
  }
  c.material = VorlCaseDefaultMaterial();
  return c;
}

bool modelFromWord(const std::string& word, double& choice) {
  if (word == "fast" || word == "reference") {
    choice = word == "fast" ? 0.0 : 1.0;
    return true;
  }
  return false;
}

bool hasReferenceEnd(const Case& c) { return !std::isnan(c.referenceEnd); }

const char* modelWord(double choice) { return choice == 1.0 ? "reference" : "fast"; }

namespace {
constexpr const char* kSupplyWords[] = {"constant inflow", "holding pressure"};
}  // namespace

bool supplyFromWord(const std::string& word, double& mode) {
  for (std::size_t i = 0; i < std::size(kSupplyWords); ++i) {
    if (word == kSupplyWords[i]) {
      mode = static_cast<double>(i);
      return true;
    }
  }
  return false;
}

const char* supplyWord(double mode) { return kSupplyWords[mode == 1.0 ? 1 : 0]; }

bool operatesSupply(const Case& c) { return c.supplyMode != 0.0 || c.supplyTripTime != 0.0; }

bool operatesValves(const Case& c) {
  const bool valvesTakePart = c.valvesActive != 0.0 && !c.valves.empty();
  return valvesTakePart && (c.valveDetectionDelay != 0.0 || c.valveClosingDuration != 0.0);
}

std::string gasText(const Case& c) {
  if (c.idealGas) return "ideal gas of " + shortText(c.molarMass) + " kg/kmol";
  if (c.namedGas >= 0) return libraryText(VorlNamedGasName, c.namedGas);
  if (!c.composition.empty()) {
    std::string text = "mixture of";
    for (const auto& [number, fraction] : c.composition) {
      const Material* material = findMaterialByNumber(number);
      text += std::string(text.back() == 'f' ? " " : ", ") +
              (material != nullptr ? material->name : std::to_string(number)) + " " + shortText(fraction);
    }
    return text;
  }
  const Material* material = findMaterialByNumber(c.material);
  if (material == nullptr) return "material " + std::to_string(c.material);
  return std::string(material->name) + " (" + std::to_string(material->number) + ")";
}

}  // namespace brimlow
