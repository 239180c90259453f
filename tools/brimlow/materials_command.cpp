#include "materials_command.h"

#include <cmath>
#include <cstdio>

#include "help.h"
#include "library_text.h"
#include "materials.h"
#include "reports.h"
#include "status.h"
#include "vorl.h"

namespace brimlow {
namespace {

// The library's universal gas constant is not exported; the CODATA value is
// close enough for the five figures shown.
constexpr double kUniversalGasConstant = 8314.462618;  // J/(kmol K)
constexpr double kShownTemperature = 288.15;            // K
constexpr int kMolarMassProperty = 4;                   // the property library's code

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
  std::printf("\n%-18s %10s  %s\n", "named gas", "molar mass", "composition");
  for (int i = 0; i < VorlNamedGasCount(); ++i) {
    VorlHandle model = VorlModelCreateNamedGas(i);
    const double molarMass = VorlModelGasProperty(model, kMolarMassProperty, 0.0, 0.0);
    VorlModelDelete(&model);
    std::printf("%-18s %10.3f  %s\n", libraryText(VorlNamedGasName, i).c_str(), molarMass,
                libraryText(VorlNamedGasDescription, i).c_str());
  }
  std::printf(
      "\nThe flow in the pipe treats the gas as ideal at one temperature: its gas constant R = p V / (m T)\n"
      "is read back from the library (the mass of a pipe at rest), the molar mass is 8314.46 / R and the\n"
      "isothermal sound speed sqrt(R T). A case names a material by name, CAS number or number; an ideal\n"
      "gas of any other molar mass is given by molar_mass_kg_per_kmol. A named gas is a case's material by its\n"
      "name; any other mixture is given by composition (docs/materials.md).\n");
  return 0;
}

}  // namespace brimlow
