// A gas given by its composition: the Peng-Robinson mixture's compressibility
// against the AGA8 verification values (GERG-2008, NIST Tables.xls), molar
// masses summed by hand, a one-component mixture equal to its material, a
// mixture's fast model equal to the simple gas of its molar mass, and the
// refusals of bad compositions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "companion/gas_mixture.h"
#include "model/vorl.h"
#include "reference/gas_law.h"
#include "run/model_setup.h"
#include "run/reference_run.h"
#include "support/run_line.h"

namespace {

using namespace vorl::test;

// Z of the Peng-Robinson gas the reference takes for a model at (T, p).
double compressibility(vorl::VORL& model, double temperature, double pressure) {
  model.referenceSettings().realGas = true;
  const auto gas = vorl::reference::makeGasLaw(model.gas()->molecularWeight(), temperature,
                                               vorl::referenceRealGas(model));
  return gas->compressibility(gas->density(pressure));
}

std::unique_ptr<vorl::VORL> namedModel(const char* name) {
  const vorl::NamedGas* gas = vorl::findNamedGas(name);
  EXPECT_NE(gas, nullptr) << name;
  return vorl::newModel(std::make_shared<const vorl::GasMixture>(
      gas->numbers.data(), gas->fractions.data(), static_cast<int>(gas->numbers.size()), "test"));
}

struct ReferenceZ {
  const char* gas;
  double temperature, pressure, z;
};

// GERG-2008 values of the AGA8 verification workbook (cells J74:N85). The
// equation is known to give about 0.1 % near atmospheric pressure and about
// 3 % at 6 to 12 MPa (mixtures.md: mostly methane's own PR error).
const ReferenceZ kNaturalGases[] = {
    {"Gulf Coast gas", 273.15, 101325.0, 0.997422},  {"Gulf Coast gas", 273.15, 6e6, 0.847953},
    {"Gulf Coast gas", 273.15, 12e6, 0.734146},      {"Gulf Coast gas", 333.15, 12e6, 0.889205},
    {"Amarillo gas", 293.15, 101325.0, 0.997902},    {"Amarillo gas", 273.15, 6e6, 0.841063},
    {"Amarillo gas", 313.15, 12e6, 0.845679},        {"Ekofisk gas", 313.15, 101325.0, 0.998006},
    {"Ekofisk gas", 273.15, 6e6, 0.803646},          {"Ekofisk gas", 273.15, 12e6, 0.657292},
    {"high-N2 gas", 333.15, 101325.0, 0.998918},     {"high-N2 gas", 293.15, 6e6, 0.900248},
    {"high-N2 gas", 273.15, 12e6, 0.773582},         {"high-CO2 gas", 273.15, 101325.0, 0.997229},
    {"high-CO2 gas", 273.15, 6e6, 0.834221},         {"high-CO2 gas", 293.15, 12e6, 0.783971},
};

TEST(GasMixture, NaturalGasCompressibilityWithinWhatPengRobinsonGives) {
  for (const ReferenceZ& point : kNaturalGases) {
    auto model = namedModel(point.gas);
    const double z = compressibility(*model, point.temperature, point.pressure);
    const double tolerance = point.pressure < 2e5 ? 1e-3 : 3e-2;
    EXPECT_NEAR(z / point.z, 1.0, tolerance) << point.gas << " " << point.temperature << " K " << point.pressure;
  }
}

// The same equation, mixing rules and coefficients as the reference data's
// own check (mixtures.json, "pr_check" Z_pr, with R cancelling out of Z):
// the mixing is the one documented, to the 6 digits printed there.
TEST(GasMixture, CompressibilityIsThePengRobinsonCheckOfTheReferenceData) {
  const ReferenceZ points[] = {{"Gulf Coast gas", 273.15, 6e6, 0.825265},
                               {"Amarillo gas", 293.15, 12e6, 0.775502},
                               {"Ekofisk gas", 273.15, 12e6, 0.645766},
                               {"high-CO2 gas", 333.15, 6e6, 0.91047}};
  for (const ReferenceZ& point : points) {
    auto model = namedModel(point.gas);
    EXPECT_NEAR(compressibility(*model, point.temperature, point.pressure), point.z, 2e-6) << point.gas;
  }
}

// 20 % hydrogen with propane, CO and O2 (AGA8 Part 2 Appendix B gas 4, its
// 0.1 % water dropped): about 5 % at 270 to 350 K and 8 to 9.5 MPa.
TEST(GasMixture, HydrogenGasCompressibilityWithinFivePercent) {
  const std::vector<int> numbers = {74828, 74986, 1333740, 7782447, 630080};
  std::vector<double> fractions = {0.55, 0.1, 0.2, 0.049, 0.1};
  for (double& x : fractions) x /= 0.999;
  auto model = vorl::newModel(std::make_shared<const vorl::GasMixture>(numbers.data(), fractions.data(), 5, "test"));
  const ReferenceZ points[] = {{"", 270.0, 9435390.0, 0.840604}, {"", 300.0, 9013000.0, 0.903344},
                               {"", 350.0, 8377040.0, 0.959547}};
  for (const ReferenceZ& point : points) {
    EXPECT_NEAR(compressibility(*model, point.temperature, point.pressure) / point.z, 1.0, 5e-2) << point.temperature;
  }
}

// Mole-fraction sums of the library's molar masses, worked out by hand from
// the compositions of mixtures.json (C5+ lumped into n-butane).
TEST(GasMixture, MolarMassOfTheNamedNaturalGases) {
  const std::pair<const char*, double> gases[] = {{"Gulf Coast gas", 16.769410860960},
                                                  {"Amarillo gas", 17.573528221480},
                                                  {"Ekofisk gas", 18.754104942500},
                                                  {"high-N2 gas", 18.648554469000},
                                                  {"high-CO2 gas", 19.828787551800}};
  for (const auto& [name, molarMass] : gases) EXPECT_NEAR(namedModel(name)->gas()->molecularWeight(), molarMass, 1e-10);
  // 20 % hydrogen: 0.8 of Gulf Coast gas and 0.2 of hydrogen's 2.01588.
  EXPECT_NEAR(namedModel("hydrogen blend 20")->gas()->molecularWeight(), 0.8 * 16.769410860960 + 0.2 * 2.01588, 1e-10);
}

// A release as the C interface reports it: both branch histories' pressures
// and the post-flash of every stored state.
std::vector<double> releaseOf(VorlHandle model) {
  VorlTotalInflowSet(model, 0.0);
  VorlPipeLengthSet(model, 20000.0);
  VorlUpstreamPressureSet(model, 60e5);
  VorlPipeBreachLocationSet(model, 5000.0);
  VorlReferenceRealGasSet(model, 1);
  std::vector<double> values;
  values.push_back(VorlRun(model));
  for (int i = 0; i < VorlBranchAFlowSequenceSize(model); ++i) {
    double t = 0, u = 0, x = 0, d = 0;
    VorlBranchAPostFlash(model, i, &t, &u, &x, &d);
    values.insert(values.end(), {VorlBranchAExitPressure(model, i), VorlBranchATime(model, i), t, u, x, d});
  }
  values.push_back(VorlReferenceRealGas(model));
  return values;
}

bool sameBits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (!(a[i] == b[i]) && !(std::isnan(a[i]) && std::isnan(b[i]))) return false;
  }
  return true;
}

TEST(GasMixture, OneComponentIsThePureMaterial) {
  const int propane = kPropane;
  const double one = 1.0;
  ModelHandle mixture(VorlModelCreateComposition(1, &propane, &one));
  ModelHandle pure(VorlModelCreateZel(kPropane));
  EXPECT_TRUE(sameBits(releaseOf(mixture), releaseOf(pure)));
  EXPECT_EQ(VorlModelComponentCount(mixture), 1);
  EXPECT_EQ(VorlModelComponentNumber(mixture, 0), kPropane);
  // The real gas: one component's mixing rules give the pure fluid's a and b.
  vorl::reference::CriticalConstants alone{369.89, 4.2512e6, 0.1521};
  vorl::reference::CriticalConstants mixed = alone;
  mixed.components = {{1.0, 369.89, 4.2512e6, 0.1521}};
  mixed.interaction = {0.0};
  const auto a = vorl::reference::makeGasLaw(44.09562, 300.0, alone);
  const auto b = vorl::reference::makeGasLaw(44.09562, 300.0, mixed);
  for (const double density : {0.5, 5.0, 50.0}) EXPECT_EQ(a->pressure(density), b->pressure(density));
}

TEST(GasMixture, FastModelIsTheSimpleGasOfItsMolarMass) {
  ModelHandle mixture(VorlModelCreateNamedGas(VorlNamedGasFind("Ekofisk gas")));
  const double molarMass = VorlModelGasProperty(mixture, 4, 0.0, 0.0);
  ModelHandle simple(VorlModelCreateSimple(molarMass));
  for (VorlHandle model : {mixture.get(), simple.get()}) {
    VorlPipeLengthSet(model, 20000.0);
    VorlRun(model);
  }
  ASSERT_GT(VorlBranchAFlowSequenceSize(mixture), 2);
  ASSERT_EQ(VorlBranchAFlowSequenceSize(mixture), VorlBranchAFlowSequenceSize(simple));
  for (int i = 0; i < VorlBranchAFlowSequenceSize(mixture); ++i) {
    EXPECT_EQ(VorlBranchAExitPressure(mixture, i), VorlBranchAExitPressure(simple, i));
    EXPECT_EQ(VorlBranchAMassExpelled(mixture, i), VorlBranchAMassExpelled(simple, i));
  }
}

// The dew curve: between the boiling points of the lightest and heaviest
// components, and the dew pressure at the dew temperature is the pressure.
TEST(GasMixture, DewPointOfANaturalGas) {
  auto model = namedModel("Gulf Coast gas");
  const vorl::DewPoint dew = model->mixture()->dewTemperature(101325.0);
  EXPECT_EQ(dew.basis, vorl::DewPointBasis::kPengRobinson);
  EXPECT_GT(dew.value, 111.7);
  EXPECT_LT(dew.value, 272.7);
  EXPECT_NEAR(model->mixture()->dewPressure(dew.value).value / 101325.0, 1.0, 1e-6);
}

TEST(GasMixture, BadCompositionsAreRefusedNamingTheComponent) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Bad {
    std::vector<int> numbers;
    std::vector<double> fractions;
    int code;
    const char* named;
  };
  const Bad cases[] = {
      {{}, {}, VORL_E_COMPOSITION_EMPTY, "no component"},
      {{kMethane, 12345}, {0.5, 0.5}, VORL_E_COMPOSITION_UNKNOWN, "component 2 (material 12345)"},
      {{kMethane, kPropane}, {1.1, -0.1}, VORL_E_COMPOSITION_FRACTION, "component 2 (material 74986)"},
      {{kMethane, kPropane}, {0.5, nan}, VORL_E_COMPOSITION_FRACTION, "component 2"},
      {{kMethane, kPropane}, {0.5, 0.49}, VORL_E_COMPOSITION_SUM, "sum to 0.99"},
      {{kMethane, kMethane}, {0.5, 0.5}, VORL_E_COMPOSITION_REPEATED, "component 2"},
  };
  for (const Bad& bad : cases) {
    VorlErrorLogClear();
    EXPECT_EQ(VorlModelCreateComposition(static_cast<int>(bad.numbers.size()), bad.numbers.data(), bad.fractions.data()),
              nullptr);
    EXPECT_EQ(lastReport().code, bad.code);
    EXPECT_NE(lastReport().message.find(bad.named), std::string::npos) << lastReport().message;
  }
  // Within 1e-6 of 1: normalised.
  const int numbers[] = {kMethane, kPropane};
  const double fractions[] = {0.5, 0.5000005};
  ModelHandle model(VorlModelCreateComposition(2, numbers, fractions));
  EXPECT_DOUBLE_EQ(VorlModelComponentFraction(model, 0) + VorlModelComponentFraction(model, 1), 1.0);
}

}  // namespace
