// Whether a gas is a natural gas, through the C interface: by its composition
// (methane at least 70 % by mole, else only light alkanes, nitrogen and
// carbon dioxide), and the potential impact radius shown for it alone.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/error_log_helpers.h"
#include "support/run_line.h"
#include "support/unit_names.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

constexpr int kMethane = 74828, kEthane = 74840, kNitrogen = 7727379, kHydrogen = 1333740, kEthylene = 74851;

struct Component {
  int number;
  double fraction;
};

VorlHandle compositionModel(const std::vector<Component>& components) {
  std::vector<int> numbers;
  std::vector<double> fractions;
  for (const Component& c : components) {
    numbers.push_back(c.number);
    fractions.push_back(c.fraction);
  }
  return VorlModelCreateComposition(static_cast<int>(numbers.size()), numbers.data(), fractions.data());
}

class NaturalGas : public LogClearedTest {};

TEST_F(NaturalGas, IsJudgedByTheComposition) {
  const struct {
    const char* what;
    std::vector<Component> composition;
    bool natural;
  } cases[] = {
      {"methane", {{kMethane, 1.0}}, true},
      {"ethane", {{kEthane, 1.0}}, false},
      {"a pipeline gas", {{kMethane, 0.93}, {kEthane, 0.05}, {kNitrogen, 0.02}}, true},
      {"70 % methane, the least", {{kMethane, 0.70}, {kNitrogen, 0.30}}, true},
      {"60 % methane", {{kMethane, 0.60}, {kEthane, 0.40}}, false},
      {"2 % hydrogen", {{kMethane, 0.98}, {kHydrogen, 0.02}}, false},
      {"an olefin", {{kMethane, 0.90}, {kEthylene, 0.10}}, false},
  };
  for (const auto& k : cases) {
    ModelHandle model(compositionModel(k.composition));
    ASSERT_NE(model.get(), nullptr) << k.what;
    EXPECT_EQ(VorlModelIsNaturalGas(model) != 0, k.natural) << k.what;
  }
  ModelHandle byMaterial(VorlModelCreateZel(kMethane)), byMolarMass(VorlModelCreateSimple(16.043));
  EXPECT_TRUE(VorlModelIsNaturalGas(byMaterial));
  EXPECT_FALSE(VorlModelIsNaturalGas(byMolarMass));
  // The five natural gases of the named gases are; their hydrogen blends are not.
  for (int i = 0; i < VorlNamedGasCount(); ++i) {
    ModelHandle named(VorlModelCreateNamedGas(i));
    const bool blend = textOf(VorlNamedGasName, i).find("hydrogen") != std::string::npos;
    EXPECT_EQ(VorlModelIsNaturalGas(named) != 0, !blend) << textOf(VorlNamedGasName, i);
  }
  EXPECT_FALSE(VorlModelIsNaturalGas(nullptr));
  EXPECT_NE(VorlLastCode(), 0);
}

// 36 in at 1000 psig: 0.69 x 36 x sqrt(1000) ft = 785.51 ft = 239.42 m.
TEST_F(NaturalGas, ThePotentialImpactRadiusIsWorkedOutForANaturalGasAlone) {
  const double psi = 6894.757293168, expected = 0.69 * 36.0 * std::sqrt(1000.0) * 0.3048;
  EXPECT_NEAR(expected, 239.423, 0.001);
  for (const int material : {kMethane, kEthane}) {
    ModelHandle model(VorlModelCreateZel(material));
    VorlPipeDiameterSet(model, 36.0 * 0.0254);
    VorlUpstreamPressureSet(model, 101325.0 + 1000.0 * psi);
    double inches = 0.0, gauge = 0.0;
    const double radius = VorlPotentialImpactRadius(model, &inches, &gauge);
    EXPECT_EQ(VorlLastCode(), 0);
    if (material == kEthane) {
      EXPECT_EQ(radius, 0.0);
      continue;
    }
    EXPECT_NEAR(radius, expected, 1e-9 * expected);
    EXPECT_NEAR(inches, 36.0, 1e-12);
    EXPECT_NEAR(gauge, 1000.0, 1e-9);
  }
}

}  // namespace
