#include "materials.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "help.h"
#include "library_text.h"
#include "reports.h"
#include "status.h"
#include "text.h"
#include "vorl.h"

namespace brimlow {
namespace {

// The library's materials, read once.
std::vector<Material> libraryMaterials() {
  std::vector<Material> list;
  for (int i = 0; i < VorlMaterialCount(); ++i) {
    list.push_back({VorlMaterialNumber(i), libraryText(VorlMaterialName, i), libraryText(VorlMaterialCas, i),
                    libraryText(VorlMaterialAliases, i)});
  }
  return list;
}

// The other names of a material: "butane|C4H10" -> {"butane", "C4H10"}.
std::vector<std::string> splitAliases(const std::string& aliases) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start < aliases.size()) {
    const std::size_t bar = std::min(aliases.find('|', start), aliases.size());
    if (bar > start) names.push_back(aliases.substr(start, bar - start));
    start = bar + 1;
  }
  return names;
}

// The library's universal gas constant is not exported; the CODATA value is
// close enough for the five figures shown.
constexpr double kUniversalGasConstant = 8314.462618;  // J/(kmol K)
constexpr double kShownTemperature = 288.15;            // K

struct GasProperties {
  bool known = false;
  double gasConstant = 0.0;  // J/(kg K)
};

// The library models the gas in the pipe as an ideal gas at one temperature:
// its one property is the specific gas constant R = p V / (m T). It is read
// back from a pipe at rest (no inflow, so one pressure throughout): the mass
// the library finds in it before the breach.
GasProperties gasPropertiesOf(int number) {
  GasProperties properties;
  ReportCapture capture;  // a pressure above saturation would warn; not shown here
  VorlHandle model = VorlModelCreateZel(number);
  if (model == nullptr) return properties;
  const double length = 1000.0, diameter = 0.5, pressure = 150000.0;  // above the default ambient pressure
  VorlPipeDiameterSet(model, diameter);
  VorlPipeLengthSet(model, length);
  VorlTotalInflowSet(model, 0.0);
  VorlUpstreamPressureSet(model, pressure);
  VorlGasTemperatureSet(model, kShownTemperature);
  VorlRun(model);
  VorlPipeTimeSetToStart(model);
  const double mass = VorlPipeMassInitial(model);
  VorlModelDelete(&model);
  if (!(mass > 0.0)) return properties;
  const double volume = std::acos(-1.0) / 4.0 * diameter * diameter * length;
  properties.gasConstant = pressure * volume / (mass * kShownTemperature);
  properties.known = true;
  return properties;
}

}  // namespace

const std::vector<Material>& materials() {
  static const std::vector<Material> list = libraryMaterials();
  return list;
}

const Material* findMaterialByNumber(int number) {
  for (const Material& material : materials()) {
    if (material.number == number) return &material;
  }
  return nullptr;
}

const Material* findMaterial(const std::string& text) {
  // The library reads a C string: a text with a NUL in it names no material.
  if (text.find('\0') != std::string::npos) return nullptr;
  const int number = VorlMaterialFind(text.c_str());
  return number != 0 ? findMaterialByNumber(number) : nullptr;
}

std::string materialSuggestion(const std::string& text) {
  // A third of the word may be wrong, at least one letter and at most three,
  // so that "xyz" is not taken for "CO".
  const std::size_t mostEdits = std::max<std::size_t>(1, std::min<std::size_t>(3, text.size() / 3));
  std::vector<std::string> words;
  std::vector<const Material*> owners;
  for (const Material& material : materials()) {
    for (const std::string& word : splitAliases(material.aliases)) {
      words.push_back(word);
      owners.push_back(&material);
    }
    words.emplace_back(material.name);
    owners.push_back(&material);
    words.push_back(material.cas);
    owners.push_back(&material);
  }
  const std::string near = nearestWord(text, words, mostEdits);
  if (near.empty()) return "";
  const Material* owner = owners[static_cast<std::size_t>(std::find(words.begin(), words.end(), near) - words.begin())];
  return "'" + near + "'" + (near == owner->name ? "" : std::string(" (") + owner->name + ")");
}

int materialsCommand(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(helpText("materials").c_str(), stdout);
      return 0;
    }
    std::fprintf(stderr, "brimlow materials: unexpected argument '%s' (see brimlow materials --help)\n",
                 argument.c_str());
    return kExitUsage;
  }
  std::printf("%-18s %10s  %-12s %10s  %12s  %12s\n", "material", "number", "CAS", "molar mass", "gas constant",
              "sound speed");
  std::printf("%-18s %10s  %-12s %10s  %12s  %12s\n", "", "", "", "kg/kmol", "J/(kg K)", "m/s at 288 K");
  for (const Material& material : materials()) {
    const GasProperties properties = gasPropertiesOf(material.number);
    if (!properties.known) {
      std::printf("%-18s %10d  %-12s %10s  %12s  %12s\n", material.name.c_str(), material.number,
                  material.cas.c_str(), "-", "-", "-");
      continue;
    }
    std::printf("%-18s %10d  %-12s %10.3f  %12.2f  %12.1f\n", material.name.c_str(), material.number,
                material.cas.c_str(), kUniversalGasConstant / properties.gasConstant,
                properties.gasConstant, std::sqrt(properties.gasConstant * kShownTemperature));
  }
  std::printf(
      "\nThe flow in the pipe treats the gas as ideal at one temperature: its gas constant R = p V / (m T)\n"
      "is read back from the library (the mass of a pipe at rest), the molar mass is 8314.46 / R and the\n"
      "isothermal sound speed sqrt(R T). A case names a material by name, CAS number or number; an ideal\n"
      "gas of any other molar mass is given by molar_mass_kg_per_kmol.\n");
  return 0;
}

}  // namespace brimlow
