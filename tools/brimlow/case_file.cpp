#include "case_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "case_units.h"
#include "json_reader.h"
#include "library_text.h"
#include "materials.h"
#include "numbers.h"
#include "text.h"
#include "units.h"
#include "vorl.h"

namespace brimlow {
namespace {

using nlohmann::json;

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string trimmed(const std::string& text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

std::string unknownKeyProblem(const std::string& what, const std::string& name) {
  std::string problem = what + " '" + shownText(name) + "'";
  const std::string near = closestKey(name);
  if (!near.empty()) problem += " (did you mean '" + near + "'?)";
  return problem;
}

const char* kindText(KeyKind kind) {
  switch (kind) {
    case KeyKind::kText: return "a string";
    case KeyKind::kMaterial: return "a material name, CAS number, material number or named gas";
    case KeyKind::kComposition: return "an object of material names and mole fractions";
    case KeyKind::kMolarMass:
    case KeyKind::kNumber: return "a number";
    case KeyKind::kInteger: return "a whole number";
    case KeyKind::kFlag: return "true or false";
    case KeyKind::kValves: return "a list of valves";
    case KeyKind::kModel: return "\"fast\" or \"reference\"";
    case KeyKind::kSupply: return "\"constant inflow\" or \"holding pressure\"";
  }
  return "a value";
}

// A number key with a unit takes text of a number and a unit as well.
bool takesUnits(const CaseKey& key) { return key.kind == KeyKind::kNumber && !keyUnit(key).empty(); }

std::string kindText(const CaseKey& key) {
  return std::string(kindText(key.kind)) + (takesUnits(key) ? " or a number with a unit" : "");
}

bool isWhole(double value) { return std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 2e9; }

// A number for a flag: 0 or 1 for the tool's own flags, which no check of
// the library sees; any whole number for a library input, which its check
// bounds.
bool flagNumber(const CaseKey& key, double value) {
  if (key.input == nullptr) return value == 0.0 || value == 1.0;
  return isWhole(value);
}

std::string materialProblem(const std::string& text) {
  std::string problem = "material: unknown material '" + shownText(text) + "' (";
  const std::string near = materialSuggestion(text);
  if (!near.empty()) problem += "did you mean " + near + "? ";
  return problem + "brimlow materials lists them)";
}

// The index of the named gas a text names, -1 for none.
int namedGasIndex(const std::string& text) {
  return text.find('\0') == std::string::npos ? VorlNamedGasFind(text.c_str()) : -1;
}

// A material or a named gas by name.
void readMaterialText(const std::string& text, Case& c, std::vector<std::string>& problems) {
  if (const Material* material = findMaterial(text)) {
    c.material = material->number;
  } else if (const int named = namedGasIndex(text); named >= 0) {
    c.namedGas = named;
  } else {
    problems.push_back(materialProblem(text));
  }
}

// One component of a composition: its material by name or number and its
// fraction; false with a problem naming it.
bool readComponent(const std::string& name, double fraction, Case& c, std::vector<std::string>& problems) {
  const Material* material = findMaterial(name);
  if (material == nullptr) {
    std::string problem = "composition: unknown component '" + shownText(name) + "' (";
    const std::string near = materialSuggestion(name);
    if (!near.empty()) problem += "did you mean " + near + "? ";
    problems.push_back(problem + "brimlow materials lists them)");
    return false;
  }
  c.composition.emplace_back(material->number, fraction);
  return true;
}

// A value of the wrong type as the message shows it: its JSON, cut short.
std::string shownJson(const json& value) { return shownText(value.dump()); }

// A plain number in the SI unit, or a number with a unit of that dimension
// ("20 km" for m); false with a problem.
bool numberFromText(const std::string& text, const std::string& siUnit, double& value, std::string& problem) {
  if (parseNumber(text, value)) return true;
  return valueFromText(text, siUnit, value, problem);
}

// The SI unit and the field of a valve's sub-key.
const char* valveUnit(const std::string& key) { return key == kValvePositionKey ? "m" : "s"; }
double& valveField(Valve& valve, const std::string& key) {
  return key == kValvePositionKey ? valve.position : valve.closureTime;
}

// ---- JSON ----

void readValveJson(const json& item, std::size_t index, std::vector<Valve>& valves,
                   std::vector<std::string>& problems) {
  const std::string where = "valves[" + std::to_string(index) + "]";
  if (!item.is_object()) {
    problems.push_back(where + ": must be an object {\"" + kValvePositionKey + "\": ..., \"" + kValveClosureKey +
                       "\": ...}");
    return;
  }
  Valve valve;
  bool complete = true;
  for (const std::string& key : {kValvePositionKey, kValveClosureKey}) {
    const auto found = item.find(key);
    if (found == item.end() || found->is_null()) {
      problems.push_back(where + "." + key + ": missing");
      complete = false;
    } else if (found->is_string()) {
      std::string problem;
      if (!valueFromText(found->get<std::string>(), valveUnit(key), valveField(valve, key), problem)) {
        problems.push_back(where + "." + key + ": " + problem);
        complete = false;
      }
    } else if (!found->is_number()) {
      problems.push_back(where + "." + key + ": must be a number, not " + shownJson(*found));
      complete = false;
    } else {
      valveField(valve, key) = found->get<double>();
    }
  }
  for (const auto& entry : item.items()) {
    if (entry.key() != kValvePositionKey && entry.key() != kValveClosureKey) {
      problems.push_back(where + ": unknown key '" + shownText(entry.key()) + "' (a valve has " +
                         kValvePositionKey + " and " + kValveClosureKey + ")");
      complete = false;
    }
  }
  if (complete) valves.push_back(valve);
}

void readJsonValue(const CaseKey& key, const json& value, Case& c, PendingCase& pending,
                   std::vector<std::string>& problems) {
  const std::string name = key.name;
  const auto wrongType = [&] {
    problems.push_back(name + ": must be " + kindText(key) + ", not " + shownJson(value));
  };
  switch (key.kind) {
    case KeyKind::kText:
      if (!value.is_string()) return wrongType();
      c.name = value.get<std::string>();
      return;
    case KeyKind::kMaterial:
      if (value.is_number_integer() || value.is_number_unsigned()) {
        const auto number = value.get<long long>();
        if (number <= 0 || number > 2147483647LL) {
          problems.push_back(name + ": " + shownJson(value) + " is not a material number");
          return;
        }
        c.material = static_cast<int>(number);
      } else if (value.is_string()) {
        readMaterialText(value.get<std::string>(), c, problems);
      } else {
        wrongType();
      }
      return;
    case KeyKind::kMolarMass:
      if (!value.is_number()) return wrongType();
      c.idealGas = true;
      c.molarMass = value.get<double>();  // the library refuses a molar mass not above 0
      return;
    case KeyKind::kComposition:
      if (!value.is_object()) return wrongType();
      c.composition.clear();
      if (value.empty()) return problems.push_back(name + ": no component (give at least one material and its mole fraction)");
      for (const auto& entry : value.items()) {
        if (!entry.value().is_number()) {
          problems.push_back(name + "." + shownText(entry.key()) + ": the mole fraction must be a number, not " +
                             shownJson(entry.value()));
          continue;
        }
        readComponent(entry.key(), entry.value().get<double>(), c, problems);
      }
      return;
    case KeyKind::kNumber:
      if (value.is_string() && takesUnits(key) && startsWithNumber(value.get<std::string>())) {
        return pending.readText(key, value.get<std::string>(), c, problems);
      }
      if (!value.is_number()) return wrongType();
      c.*key.field = value.get<double>();
      return;
    case KeyKind::kInteger:
      if (!value.is_number() || !isWhole(value.get<double>())) return wrongType();
      c.*key.field = value.get<double>();
      return;
    case KeyKind::kFlag:
      // 0 and 1 pass as well; other numbers go on to the library's check.
      if (value.is_boolean()) {
        c.*key.field = value.get<bool>() ? 1.0 : 0.0;
      } else if (value.is_number() && flagNumber(key, value.get<double>())) {
        c.*key.field = value.get<double>();
      } else {
        wrongType();
      }
      return;
    case KeyKind::kValves:
      if (!value.is_array()) return wrongType();
      c.valves.clear();
      for (std::size_t i = 0; i < value.size(); ++i) readValveJson(value[i], i, c.valves, problems);
      return;
    case KeyKind::kModel:
      if (!value.is_string() || !modelFromWord(value.get<std::string>(), c.*key.field)) return wrongType();
      return;
    case KeyKind::kSupply:
      if (!value.is_string() || !supplyFromWord(value.get<std::string>(), c.*key.field)) return wrongType();
      return;
  }
}

// ---- batch cells ----

bool readValveCell(const std::string& text, std::vector<Valve>& valves, std::string& problem) {
  valves.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find(';', start);
    const std::string pair = trimmed(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (!pair.empty()) {
      const std::size_t colon = pair.find(':');
      Valve valve;
      std::string unitProblem;
      if (colon == std::string::npos ||
          !numberFromText(pair.substr(0, colon), valveUnit(kValvePositionKey), valve.position, unitProblem) ||
          !numberFromText(pair.substr(colon + 1), valveUnit(kValveClosureKey), valve.closureTime, unitProblem)) {
        problem = "'" + shownText(pair) + "' is not position_m:closure_time_s" +
                  (unitProblem.empty() ? "" : " (" + unitProblem + ")");
        return false;
      }
      valves.push_back(valve);
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return true;
}

// "methane:0.93;ethane:0.07": components by name and mole fraction.
void readCompositionCell(const std::string& text, Case& c, std::vector<std::string>& problems) {
  c.composition.clear();
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = text.find(';', start);
    const std::string pair = trimmed(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (!pair.empty()) {
      const std::size_t colon = pair.rfind(':');
      double fraction = 0.0;
      if (colon == std::string::npos || !parseNumber(trimmed(pair.substr(colon + 1)), fraction)) {
        problems.push_back("composition: '" + shownText(pair) + "' is not material:mole_fraction");
      } else {
        readComponent(trimmed(pair.substr(0, colon)), fraction, c, problems);
      }
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void readCell(const CaseKey& key, const std::string& raw, Case& c, PendingCase& pending,
              std::vector<std::string>& problems) {
  const std::string text = trimmed(raw);
  if (text.empty()) return;  // a blank cell keeps the default
  const std::string name = key.name;
  const auto wrongType = [&] {
    problems.push_back(name + ": must be " + kindText(key) + ", not '" + shownText(text) + "'");
  };
  double number = 0.0;
  switch (key.kind) {
    case KeyKind::kText:
      c.name = text;
      return;
    case KeyKind::kMaterial: {
      if (findMaterial(text) != nullptr || namedGasIndex(text) >= 0) {
        readMaterialText(text, c, problems);
      } else if (std::all_of(text.begin(), text.end(), [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)); }) &&
                 text.size() < 10) {
        c.material = std::stoi(text);
      } else {
        problems.push_back(materialProblem(text));
      }
      return;
    }
    case KeyKind::kMolarMass:
      if (!parseNumber(text, number)) return wrongType();
      c.idealGas = true;
      c.molarMass = number;
      return;
    case KeyKind::kComposition:
      readCompositionCell(text, c, problems);
      return;
    case KeyKind::kNumber:
      if (parseNumber(text, number)) {
        c.*key.field = number;
      } else if (takesUnits(key) && startsWithNumber(text)) {
        pending.readText(key, text, c, problems);
      } else {
        wrongType();
      }
      return;
    case KeyKind::kInteger:
      if (!parseNumber(text, number) || !isWhole(number)) return wrongType();
      c.*key.field = number;
      return;
    case KeyKind::kFlag: {
      const std::string word = lower(text);
      if (word == "true" || word == "yes") {
        c.*key.field = 1.0;
      } else if (word == "false" || word == "no") {
        c.*key.field = 0.0;
      } else if (parseNumber(text, number) && flagNumber(key, number)) {
        c.*key.field = number;
      } else {
        wrongType();
      }
      return;
    }
    case KeyKind::kValves: {
      std::string problem;
      if (!readValveCell(text, c.valves, problem)) problems.push_back(name + ": " + problem);
      return;
    }
    case KeyKind::kModel:
      if (!modelFromWord(lower(text), c.*key.field)) wrongType();
      return;
    case KeyKind::kSupply:
      if (!supplyFromWord(lower(text), c.*key.field)) wrongType();
      return;
  }
}

// The keys that give the gas: one of them at most.
class GasKeys {
 public:
  void note(const CaseKey& key) {
    const bool gas = key.kind == KeyKind::kMaterial || key.kind == KeyKind::kMolarMass ||
                     key.kind == KeyKind::kComposition;
    if (gas) given_.push_back(key.name);
  }
  void check(std::vector<std::string>& problems) const {
    if (given_.size() < 2) return;
    std::string names = given_[0];
    for (std::size_t i = 1; i < given_.size(); ++i) names += " and " + given_[i];
    problems.push_back(names + ": give one of them, not both");
  }

 private:
  std::vector<std::string> given_;
};

}  // namespace

std::string closestKey(const std::string& name) {
  constexpr std::size_t kMostEdits = 3;  // farther than three edits is no suggestion
  static const std::vector<std::string> names = [] {
    std::vector<std::string> all;
    for (const CaseKey& key : caseKeys()) all.emplace_back(key.name);
    return all;
  }();
  return nearestWord(name, names, kMostEdits);
}

bool caseFromJson(const std::string& text, Case& out, std::vector<std::string>& problems) {
  out = defaultCase();
  const std::size_t before = problems.size();
  json document;
  if (!readJson(text, document, problems)) return false;
  if (!document.is_object()) {
    problems.push_back("the case must be a JSON object of keys and values, not " + std::string(document.type_name()));
    return false;
  }
  GasKeys gasKeys;
  PendingCase pending;
  for (const auto& entry : document.items()) {
    const CaseKey* key = findCaseKey(entry.key());
    if (key == nullptr) {
      problems.push_back(unknownKeyProblem("unknown key", entry.key()));
      continue;
    }
    if (entry.value().is_null()) continue;  // null keeps the default
    gasKeys.note(*key);
    pending.given(*key);
    readJsonValue(*key, entry.value(), out, pending, problems);
  }
  pending.settle(out, problems);
  gasKeys.check(problems);
  return problems.size() == before;
}

std::vector<std::string> headerProblems(const std::vector<std::string>& header) {
  std::vector<std::string> problems;
  std::set<std::string> seen;
  for (const std::string& raw : header) {
    const std::string name = trimmed(raw);
    if (findCaseKey(name) == nullptr) {
      problems.push_back(unknownKeyProblem("unknown column", name));
    } else if (!seen.insert(name).second) {
      problems.push_back("column '" + name + "' appears twice");
    }
  }
  return problems;
}

bool caseFromRow(const std::vector<std::string>& header, const std::vector<std::string>& cells, Case& out,
                 std::vector<std::string>& problems) {
  out = defaultCase();
  const std::size_t before = problems.size();
  if (cells.size() != header.size()) {
    problems.push_back("the row has " + std::to_string(cells.size()) + " cells, the header " +
                       std::to_string(header.size()) + " columns");
    return false;
  }
  GasKeys gasKeys;
  PendingCase pending;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const CaseKey* key = findCaseKey(trimmed(header[i]));
    if (key == nullptr) continue;  // the header was checked before
    if (trimmed(cells[i]).empty()) continue;
    gasKeys.note(*key);
    pending.given(*key);
    readCell(*key, cells[i], out, pending, problems);
  }
  pending.settle(out, problems);
  gasKeys.check(problems);
  return problems.size() == before;
}

nlohmann::ordered_json caseToJson(const Case& c) {
  nlohmann::ordered_json out;
  for (const CaseKey& key : caseKeys()) {
    switch (key.kind) {
      case KeyKind::kText:
        out[key.name] = c.name;
        break;
      case KeyKind::kMaterial: {
        const Material* material = findMaterialByNumber(c.material);
        if (c.idealGas || !c.composition.empty()) {
          out[key.name] = nullptr;
        } else if (c.namedGas >= 0) {
          out[key.name] = libraryText(VorlNamedGasName, c.namedGas);
        } else if (material != nullptr) {
          out[key.name] = material->name;
        } else {
          out[key.name] = c.material;
        }
        break;
      }
      case KeyKind::kMolarMass:
        if (c.idealGas) {
          out[key.name] = c.molarMass;
        } else {
          out[key.name] = nullptr;
        }
        break;
      case KeyKind::kComposition: {
        // Written when given: a case without one reads as it did before.
        if (c.composition.empty()) break;
        nlohmann::ordered_json fractions = nlohmann::ordered_json::object();
        for (const auto& [number, fraction] : c.composition) {
          const Material* component = findMaterialByNumber(number);
          fractions[component != nullptr ? component->name : std::to_string(number)] = fraction;
        }
        out[key.name] = fractions;
        break;
      }
      case KeyKind::kNumber:
        // A hole given by its diameter is written so, without the aperture
        // it gave: read back, the case gives the same aperture.
        if (isApertureOfHole(c, key)) {
          out[key.name] = nullptr;
        } else {
          out[key.name] = c.*key.field;
        }
        break;
      case KeyKind::kInteger:
        out[key.name] = static_cast<long long>(c.*key.field);
        break;
      case KeyKind::kFlag:
        // The tool's own flags appear when set: a case without them reads as
        // it did before they existed.
        if (key.input == nullptr && c.*key.field == 0.0) break;
        if (c.*key.field == 0.0 || c.*key.field == 1.0) {
          out[key.name] = c.*key.field != 0.0;
        } else {
          out[key.name] = static_cast<long long>(c.*key.field);
        }
        break;
      case KeyKind::kValves: {
        nlohmann::ordered_json valves = nlohmann::ordered_json::array();
        for (const Valve& valve : c.valves) {
          valves.push_back({{kValvePositionKey, valve.position}, {kValveClosureKey, valve.closureTime}});
        }
        out[key.name] = valves;
        break;
      }
      case KeyKind::kModel:
        // Written when the reference is chosen: a fast case reads as it did before.
        if (c.*key.field != 0.0) out[key.name] = modelWord(c.*key.field);
        break;
      case KeyKind::kSupply:
        out[key.name] = supplyWord(c.*key.field);
        break;
    }
  }
  return out;
}

}  // namespace brimlow
