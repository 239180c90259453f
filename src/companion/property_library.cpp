#include "companion/property_library.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "companion/equation_solver.h"

namespace vorl {
namespace {

// The built-in materials. Sources (see docs/materials.md):
// - molar mass, critical temperature, normal boiling point, ideal-gas cp and
//   cp/cv at 300 K, liquid density at Tb: the reference equations of state as
//   encoded in CoolProp (gas_props.csv);
// - critical pressure, acentric factor, triple point and the vapour-pressure
//   ancillary (n_i, t_i, Tr, pr): CoolProp (coolprop16.json);
// - latent heat at Tb: CRC Handbook; surface tension at Tb: Mulero, Cachadina
//   & Parra (2012), chlorine VDI Heat Atlas.
// Numbers are kept to the full precision of the sources.
// Columns: number, name, CAS, aliases, M, Tc, pc, omega, Tb, Tt, cp, cp/cv, hv, rhoL, sigma,
// ancillary Tr, pr, term count, n_i, t_i.
constexpr Material kMaterials[] = {
    {74828, "methane", "74-82-8", "CH4",
     16.0428, 190.564, 4599200.0, 0.01142, 111.66717337022237, 90.6941,
     2230.129171945535, 1.3027530895679682, 510509.38738873515, 422.33347056112694, 0.012920512378171711,
     190.564, 4599200.0, 6,
     {-0.36511751226395045, -7.477611035699516, 2.8218785804602344, -0.3138277099613026, -14.181166200304828, 13.10811727353235, 0.0, 0.0},
     {0.935, 1.03, 1.204, 3.176, 5.616, 5.744, 0.0, 0.0}},
    {74840, "ethane", "74-84-0", "C2H6",
     30.069039999999998, 305.322, 4872200.0, 0.099, 184.56524939933348, 90.368,
     1752.5542441559708, 1.1873339699234797, 488542.367830832, 543.9007345619233, 0.016192422973646174,
     305.322, 4872200.0, 6,
     {9.344483558228339, -14.812636376983514, -0.6873077210086483, 0.7942400572322573, -2.447274904672986, 0.04047591478430641, 0.0, 0.0},
     {0.871, 0.902, 1.663, 2.045, 3.946, 14.704, 0.0, 0.0}},
    {74986, "propane", "74-98-6", "n-propane|C3H8",
     44.095620000000004, 369.89, 4251200.0, 0.1521, 231.0335039718351, 85.525,
     1671.3241450025416, 1.127164483073114, 431788.916903765, 580.5167443802653, 0.015672019462960645,
     369.89, 4251200.0, 6,
     {-23.998635747391152, 18.313017605233238, -0.42240851966839504, -2.7378298813798962, 0.257888414168987, -1.3113462226130785, 0.0, 0.0},
     {1.05, 1.084, 2.259, 4.287, 7.66, 18.584, 0.0, 0.0}},
    {106978, "n-butane", "106-97-8", "butane|normal butane|C4H10",
     58.1222, 425.125, 3796000.0, 0.200810094644, 272.65769558414456, 134.895,
     1702.423472087199, 1.091736660462486, 386083.11454143166, 601.5869073076128, 0.014872299861321967,
     425.125, 3796000.0, 6,
     {0.06986482880463143, -6.689091326409199, 4.774874567188075, -5.7054710938841655, 1.8437119133933968, -3.735372218319482, 0.0, 0.0},
     {0.743, 0.984, 1.886, 2.16, 3.286, 4.231, 0.0, 0.0}},
    {75285, "isobutane", "75-28-5", "i-butane|2-methylpropane",
     58.1222, 407.817, 3629000.0, 0.183531783208, 261.40254429523304, 113.73,
     1671.331872063541, 1.093602967024168, 366469.26647649263, 593.8796604702902, 0.014191707314831469,
     407.817, 3629000.0, 6,
     {-48.02915589537987, 43.34653680580028, -1.4421317283854331, -3.1322275225078413, 5.203481182010376, -6.173022897817098, 0.0, 0.0},
     {1.082, 1.108, 1.463, 4.045, 13.157, 14.042, 0.0, 0.0}},
    {74851, "ethylene", "74-85-1", "ethene|C2H4",
     28.05376, 282.35, 5041800.0, 0.0866, 169.378141257854, 103.989,
     1533.8081322229405, 1.2395106362537334, 482288.29219327463, 567.5842350840225, 0.016333222687017745,
     282.35, 5041800.0, 6,
     {30.782068035093094, -1.467121970937139, 0.09230690543250192, -2.5188888709008195, -34.95537683446643, 6.643870978349449, 0.0, 0.0},
     {1.118, 1.461, 2.464, 4.298, 1.082, 18.676, 0.0, 0.0}},
    {115071, "propylene", "115-07-1", "propene|C3H6",
     42.079739999999994, 364.211, 4555000.0, 0.146, 225.52900333949782, 87.953,
     1537.2354909300361, 1.1474929455733494, 437740.34725499735, 610.0075675339436, 0.016761653584709606,
     364.211, 4555000.0, 6,
     {-6.15754746767542, 0.8043847738472081, -2.629218877933464, -20.055797246021456, 23.93889034404838, -5.927221357425409, 0.0, 0.0},
     {0.985, 1.914, 3.354, 8.871, 9.472, 12.201, 0.0, 0.0}},
    {7727379, "nitrogen", "7727-37-9", "N2",
     28.01348, 126.19200000000001, 3395800.0, 0.0372, 77.35504203005482, 63.151,
     1039.7191365388867, 1.3995124606125882, 198832.84761479115, 806.1000631658802, 0.008879601784819398,
     126.192, 3395800.0, 6,
     {7.557523110967278, -15.31423072093374, 2.530452363947435, -3.5464937257192077, 2.4443140451500853, -1.089727092432518, 0.0, 0.0},
     {0.945, 0.976, 1.134, 4.43, 4.942, 6.222, 0.0, 0.0}},
    {7782447, "oxygen", "7782-44-7", "O2",
     31.9988, 154.58100000000002, 5043000.0, 0.0222, 90.18771945515769, 54.361,
     918.3160238444327, 1.3945930381293354, 213132.99248721827, 1141.1964596350442, 0.013145703168956342,
     154.581, 5043000.0, 6,
     {-7.645535357219451, 2.4214288702883655, 9.642620060548747, -10.094822869854763, -1.6856689587691926, 1.2776407609527567, 0.0, 0.0},
     {1.019, 1.177, 2.44, 2.493, 5.646, 10.887, 0.0, 0.0}},
    {1333740, "hydrogen", "1333-74-0", "H2",
     2.0158799999999997, 33.145, 1296400.0, -0.219, 20.368921918151685, 13.957,
     14310.031082779182, 1.4049354423752787, 446455.1461396512, 70.86719653219347, 0.0019116502887940312,
     33.145, 1296400.0, 6,
     {-0.5553870929135406, -7.0852972599030295, 0.006868538454095541, 0.8295514415153659, -0.08773773693832483, 3.754274235303921, 0.0, 0.0},
     {0.882, 1.072, 1.355, 2.61, 8.191, 1.239, 0.0, 0.0}},
    // No liquid at 1 atm (sublimes at 194.7 K): normal boiling point 0; latent heat,
    // liquid density and surface tension are ChemSep's values at the triple point 216.58 K.
    {124389, "carbon dioxide", "124-38-9", "CO2",
     44.0098, 304.1282, 7377300.0, 0.22394, 0.0, 216.592,
     845.846010832223, 1.287589807218654, 346953.35022271925, 1180.6727136559182, 0.017063508889536103,
     304.1282, 7377300.0, 6,
     {-5.867399337600407, -7.10969550015274, 11.022781986239263, 4.8260764050219995, -6.240803382557819, -6.7009642572439, 0.0, 0.0},
     {0.983, 1.322, 1.488, 2.807, 3.571, 1.941, 0.0, 0.0}},
    {630080, "carbon monoxide", "630-08-0", "CO",
     28.0101, 132.86, 3494000.0, 0.0497, 81.63779368045309, 68.16,
     1040.354044656262, 1.399236167791284, 215636.50254729544, 792.8463789226328, 0.009518716003639492,
     132.86, 3494000.0, 6,
     {0.0031655594711161982, -5.386279334978247, -0.44089436177701297, 1.5403401817486662, -5.692323589833758, 3.03081959067228, 0.0, 0.0},
     {0.052, 0.968, 1.972, 2.761, 4.199, 5.126, 0.0, 0.0}},
    {7783064, "hydrogen sulphide", "7783-06-4", "hydrogen sulfide|H2S",
     34.08088, 373.1, 9000000.0, 0.1005, 212.85527290879827, 187.7,
     1001.4322248459728, 1.322076362954819, 547814.4930529962, 949.2768918378745, 0.02831515747591093,
     373.1, 9000000.0, 6,
     {-6.761826097619247, -0.005988209650772923, -6.882637639835571, -2.8254550876910356, 7.704835506786447, 1.7417891509345698, 0.0, 0.0},
     {1.003, 1.146, 1.668, 4.886, 1.558, 9.098, 0.0, 0.0}},
    // The ancillary is reduced at 11.365 MPa, slightly above the critical pressure.
    {7664417, "ammonia", "7664-41-7", "NH3",
     17.03052, 405.56, 11363391.162815327, 0.2556905229865023, 239.83641782782388, 195.49,
     2089.826558390877, 1.3048227760808657, 1369893.5792917657, 681.5963371815825, 0.034118599208548055,
     405.56, 11365000.0, 5,
     {-7.2257, 1.4263, -0.59642, -2.798, -3.7869, 0.0, 0.0, 0.0},
     {1.0, 1.5, 2.0, 3.6, 15.5, 0.0, 0.0, 0.0}},
    {7782505, "chlorine", "7782-50-5", "Cl2",
     70.90599999999999, 416.8654, 7642387.504, 0.07, 239.19768620275767, 172.1712,
     479.0749133301288, 1.3240895026344628, 287845.88046145603, 1563.5739752588406, 0.02679111502963422,
     416.8654, 7642387.504, 6,
     {-6.1289, 1.5112, -1.4523, -5.6038, 3.9923, -1.2651, 0.0, 0.0},
     {1.0, 1.5, 2.0, 5.94, 7.0, 14.8, 0.0, 0.0}},
    // Pseudo-pure fluid: boiling point on the bubble line; latent heat from CoolProp (no
    // CRC value); no surface tension in any source: 0. Ancillary: bubble-line pressure,
    // reduced at the maxcondentherm (132.6312 K, 3.78502 MPa) rather than at Tc, pc.
    {132259100, "air", "132259-10-0", "",
     28.9586, 132.5306, 3786000.0, 0.0335, 78.90295718413455, 59.75,
     1004.7760912939265, 1.3999419570156248, 202494.26905069264, 875.2742929696158, 0.0,
     132.6312, 3785020.0, 6,
     {0.2260724, -7.080499, 5.700283, -12.44017, 17.81926, -10.81364, 0.0, 0.0},
     {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 0.0, 0.0}},
};

constexpr std::size_t kMaterialCount = sizeof(kMaterials) / sizeof(kMaterials[0]);

// Answered for an index past the end of the table.
constexpr Material kNoMaterial = {0, "", "", "", 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0,
                                  0.0, 0.0, 0, {}, {}};

// ln(1e128): the saturation pressure "above any pressure", for a temperature at
// which the material cannot condense.
constexpr double kLnNoCondensation = 128.0 * 2.302585092994045684;
// exp() of this is 0: "no saturation pressure" for a meaningless temperature.
constexpr double kLnNoSaturationPressure = -1e128;

// Carbon dioxide: below its triple point the condensed phase is solid. Span &
// Wagner (1996), J. Phys. Chem. Ref. Data 25:1509, sublimation pressure:
// ln(psub/pt) = (Tt/T) (a1 th + a2 th^1.9 + a3 th^2.9), th = 1 - T/Tt.
constexpr int kCarbonDioxide = 124389;
constexpr double kCo2TriplePointTemperature = 216.592;  // K
constexpr double kCo2TriplePointPressure = 0.51795e6;   // Pa
constexpr double kCo2SublimationA1 = -14.740846;
constexpr double kCo2SublimationA2 = 2.4327015;
constexpr double kCo2SublimationA3 = -5.3061778;

// Root finding: relative width of the final bracket, and an iteration bound.
constexpr double kRootRelativeTolerance = 1e-14;
constexpr int kBracketMaxHalvings = 64;

bool isFinitePositive(double x) noexcept { return std::isfinite(x) && x > 0.0; }

// Above this temperature there is no condensed phase in equilibrium with the
// vapour: the critical point, or the end of the ancillary where that comes
// first.
double condensationLimitTemperature(const Material& m) noexcept {
  return std::min(m.criticalTemperature, m.ancillaryTr);
}

// The reference-equation ancillary, ln(p/Pa). Below the triple point the same
// formula is extrapolated: it falls smoothly to -infinity as T -> 0, which
// keeps the curve monotonic and invertible (the metastable liquid line).
double lnAncillaryPressure(const Material& m, double temperature) noexcept {
  const double theta = 1.0 - temperature / m.ancillaryTr;
  double sum = 0.0;
  for (int i = 0; i < m.ancillaryTerms; ++i) {
    sum += m.ancillaryN[i] * std::pow(theta, m.ancillaryT[i]);
  }
  return std::log(m.ancillaryPr) + (m.ancillaryTr / temperature) * sum;
}

// ln(psub/Pa) of solid carbon dioxide (Span & Wagner 1996); like the
// ancillaries it falls to -infinity as T -> 0.
double lnCo2SublimationPressure(double temperature) noexcept {
  const double theta = 1.0 - temperature / kCo2TriplePointTemperature;
  const double sum = kCo2SublimationA1 * theta + kCo2SublimationA2 * std::pow(theta, 1.9) +
                     kCo2SublimationA3 * std::pow(theta, 2.9);
  return std::log(kCo2TriplePointPressure) + (kCo2TriplePointTemperature / temperature) * sum;
}

bool condensesAsSolid(const Material& m, double temperature) noexcept {
  return m.number == kCarbonDioxide && temperature < kCo2TriplePointTemperature;
}

// ln(psat/Pa) of the condensed phase that is stable at this temperature.
double lnSaturationPressure(const Material& m, double temperature) noexcept {
  if (!isFinitePositive(temperature)) return kLnNoSaturationPressure;
  if (temperature >= condensationLimitTemperature(m)) return kLnNoCondensation;
  const double lnPressure = condensesAsSolid(m, temperature)
                                ? lnCo2SublimationPressure(temperature)
                                : lnAncillaryPressure(m, temperature);
  // Near 0 K the curves run to -infinity: stay finite.
  if (!std::isfinite(lnPressure)) return kLnNoSaturationPressure;
  return std::max(lnPressure, kLnNoSaturationPressure);
}

// Highest pressure at which vapour and a condensed phase coexist: the critical
// pressure, or the ancillary's value at the condensation limit where lower.
double condensationLimitPressure(const Material& m) noexcept {
  const double ancillaryEnd = std::exp(lnAncillaryPressure(m, condensationLimitTemperature(m)));
  return std::min(m.criticalPressure, ancillaryEnd);
}

// A temperature at which the saturation pressure is below the target: half
// the triple point, halved further while needed (the curves fall to -infinity).
double lowerBracketTemperature(const Material& m, double lnPressure) noexcept {
  double temperature = 0.5 * m.triplePointTemperature;
  for (int i = 0; i < kBracketMaxHalvings && lnSaturationPressure(m, temperature) >= lnPressure;
       ++i) {
    temperature *= 0.5;
  }
  return temperature;
}

// Characters a name may carry or leave out: "n-butane", "N Butane" and
// "n_butane" are one name.
bool isIgnoredInNames(char ch) noexcept { return ch == ' ' || ch == '-' || ch == '_' || ch == '\t'; }

char lowered(char ch) noexcept { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); }

// The two texts are one name: equal but for case and ignored characters.
bool sameName(std::string_view a, std::string_view b) noexcept {
  std::size_t i = 0, j = 0;
  while (true) {
    while (i < a.size() && isIgnoredInNames(a[i])) ++i;
    while (j < b.size() && isIgnoredInNames(b[j])) ++j;
    if (i == a.size() || j == b.size()) return i == a.size() && j == b.size();
    if (lowered(a[i]) != lowered(b[j])) return false;
    ++i;
    ++j;
  }
}

std::string_view trimmed(std::string_view text) noexcept {
  const auto isSpace = [](char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; };
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The largest material number has 9 digits (air, 132259100): more cannot be one.
constexpr std::size_t kMaxNumberDigits = 9;

// The number written by a text of digits and hyphens: "74828", the CAS form
// "74-82-8"; 0 for any other text.
int writtenNumber(std::string_view text) noexcept {
  const auto digit = [](char ch) { return std::isdigit(static_cast<unsigned char>(ch)) != 0; };
  int number = 0;
  std::size_t digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    // A hyphen joins two digits, as in 74-82-8; one before the number or after
    // it makes no registry number (-74828 is not methane).
    if (ch == '-' && i > 0 && i + 1 < text.size() && digit(text[i - 1]) && digit(text[i + 1])) continue;
    if (!digit(ch) || ++digits > kMaxNumberDigits) return 0;
    number = number * 10 + (ch - '0');
  }
  return number;
}


}  // namespace

std::size_t materialCount() noexcept { return kMaterialCount; }

const Material& materialAt(std::size_t index) noexcept {
  return index < kMaterialCount ? kMaterials[index] : kNoMaterial;
}

const Material* findMaterial(int number) noexcept {
  for (const Material& m : kMaterials) {
    if (m.number == number) return &m;
  }
  return nullptr;
}

const Material* findMaterialByName(std::string_view key) noexcept {
  key = trimmed(key);
  if (key.empty()) return nullptr;
  if (const int number = writtenNumber(key); number != 0) return findMaterial(number);
  for (const Material& m : kMaterials) {
    if (namesOneOf(key, m.name, m.aliases)) return &m;
  }
  return nullptr;
}

bool sameMaterialName(std::string_view a, std::string_view b) noexcept { return sameName(a, b); }

bool namesOneOf(std::string_view key, std::string_view name, std::string_view aliases) noexcept {
  if (sameName(key, name)) return true;
  while (!aliases.empty()) {
    const std::size_t bar = std::min(aliases.find('|'), aliases.size());
    if (bar > 0 && sameName(key, aliases.substr(0, bar))) return true;
    aliases.remove_prefix(std::min(bar + 1, aliases.size()));
  }
  return false;
}

double saturationPressure(const Material& material, double temperature) noexcept {
  return std::exp(lnSaturationPressure(material, temperature));
}

double saturationTemperature(const Material& material, double pressure) noexcept {
  if (!isFinitePositive(pressure) || pressure >= condensationLimitPressure(material)) return 0.0;
  const double lnPressure = std::log(pressure);
  const auto excess = [&material, lnPressure](double temperature) {
    return lnSaturationPressure(material, temperature) - lnPressure;
  };
  const double low = lowerBracketTemperature(material, lnPressure);
  if (excess(low) >= 0.0) return low;  // not reached with the tabulated curves
  try {
    CEquationSolver solver(excess, low, condensationLimitTemperature(material), kRootRelativeTolerance);
    double root = 0.0;
    if (solver.Solve() && solver.GetResult(root)) return root;
  } catch (...) {
    // The solver holds the closure in a std::function, whose allocation may
    // throw; the property query itself never does.
  }
  return 0.0;
}

KIV::KIV(const char* productId) : productId_(productId ? productId : "") {}

KIV::~KIV() = default;

const std::string& KIV::productId() const noexcept { return productId_; }

double KIV::kivMusPrp(int material, int code, double x1, double x2,
                      const double* /*composition*/, int /*flag*/) const noexcept {
  const Material* m = findMaterial(material);
  return m != nullptr ? materialProperty(*m, code, x1, x2) : 0.0;
}

double materialProperty(const Material& material, int code, double x1, double x2) noexcept {
  const Material* m = &material;
  switch (code) {
    case kPropMolarMass: return m->molarMass;
    case kPropLnSaturationPressure: return lnSaturationPressure(*m, x1);
    case kPropSaturationTemperature: return saturationTemperature(*m, x2);
    case kPropIdealGasCp: return m->idealGasCp;
    case kPropHeatCapacityRatio: return m->heatCapacityRatio;
    case kPropLatentHeatAtBoiling: return m->latentHeatAtBoiling;
    case kPropLiquidDensityAtBoiling: return m->liquidDensityAtBoiling;
    case kPropSurfaceTensionAtBoiling: return m->surfaceTensionAtBoiling;
    case kPropCriticalTemperature: return m->criticalTemperature;
    case kPropCriticalPressure: return m->criticalPressure;
    case kPropNormalBoilingPoint: return m->normalBoilingPoint;
    case kPropTriplePointTemperature: return m->triplePointTemperature;
    default: return 0.0;
  }
}

}  // namespace vorl
