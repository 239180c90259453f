#include "materials.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "help.h"
#include "reports.h"
#include "status.h"
#include "text.h"
#include "vorl.h"

namespace brimlow {
namespace {

const std::vector<Material> kMaterials = {
    {74828, "methane", "CH4"},
    {74840, "ethane", "C2H6"},
    {74986, "propane", "C3H8"},
    {106978, "n-butane", "butane|C4H10"},
    {75285, "isobutane", "i-butane|2-methylpropane"},
    {74851, "ethylene", "ethene|C2H4"},
    {115071, "propylene", "propene|C3H6"},
    {7727379, "nitrogen", "N2"},
    {7782447, "oxygen", "O2"},
    {1333740, "hydrogen", "H2"},
    {124389, "carbon dioxide", "CO2"},
    {630080, "carbon monoxide", "CO"},
    {7783064, "hydrogen sulphide", "hydrogen sulfide|H2S"},
    {7664417, "ammonia", "NH3"},
    {7782505, "chlorine", "Cl2"},
    {132259100, "air", ""},
};

// Lower case without blanks and hyphens: "Hydrogen Sulphide" -> "hydrogensulphide".
std::string simplified(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ' ' || c == '-' || c == '_') continue;
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
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

bool allDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
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

const std::vector<Material>& materials() { return kMaterials; }

const Material* findMaterialByNumber(int number) {
  for (const Material& material : kMaterials) {
    if (material.number == number) return &material;
  }
  return nullptr;
}

const Material* findMaterial(const std::string& text) {
  std::string digits;
  bool casForm = !text.empty();
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else if (c != '-') {
      casForm = false;
    }
  }
  if (casForm && allDigits(digits) && digits.size() < 10) return findMaterialByNumber(std::stoi(digits));
  const std::string wanted = simplified(text);
  for (const Material& material : kMaterials) {
    if (simplified(material.name) == wanted) return &material;
    for (const std::string& alias : splitAliases(material.aliases)) {
      if (simplified(alias) == wanted) return &material;
    }
  }
  return nullptr;
}

std::string materialSuggestion(const std::string& text) {
  // A third of the word may be wrong, at least one letter and at most three,
  // so that "xyz" is not taken for "CO".
  const std::size_t mostEdits = std::max<std::size_t>(1, std::min<std::size_t>(3, text.size() / 3));
  std::vector<std::string> words;
  std::vector<const Material*> owners;
  for (const Material& material : kMaterials) {
    for (const std::string& word : splitAliases(material.aliases)) {
      words.push_back(word);
      owners.push_back(&material);
    }
    words.emplace_back(material.name);
    owners.push_back(&material);
    words.push_back(casText(material.number));
    owners.push_back(&material);
  }
  const std::string near = nearestWord(text, words, mostEdits);
  if (near.empty()) return "";
  const Material* owner = owners[static_cast<std::size_t>(std::find(words.begin(), words.end(), near) - words.begin())];
  return "'" + near + "'" + (near == owner->name ? "" : std::string(" (") + owner->name + ")");
}

std::string casText(int number) {
  const std::string digits = std::to_string(number);
  if (digits.size() < 4) return digits;
  const std::size_t n = digits.size();
  return digits.substr(0, n - 3) + "-" + digits.substr(n - 3, 2) + "-" + digits.substr(n - 1);
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
  for (const Material& material : kMaterials) {
    const GasProperties properties = gasPropertiesOf(material.number);
    if (!properties.known) {
      std::printf("%-18s %10d  %-12s %10s  %12s  %12s\n", material.name, material.number,
                  casText(material.number).c_str(), "-", "-", "-");
      continue;
    }
    std::printf("%-18s %10d  %-12s %10.3f  %12.2f  %12.1f\n", material.name, material.number,
                casText(material.number).c_str(), kUniversalGasConstant / properties.gasConstant,
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
