// The materials through the C interface: found by every name and number, no name shared, CAS numbers well formed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "support/run_line.h"
#include "support/unit_names.h"
#include "vorl.h"

namespace {

using namespace vorl::test;

struct Listed {
  int number;
  std::string name, cas, aliases;
};

std::vector<Listed> listed() {
  std::vector<Listed> materials;
  for (int i = 0; i < VorlMaterialCount(); ++i) {
    materials.push_back({VorlMaterialNumber(i), textOf(VorlMaterialName, i), textOf(VorlMaterialCas, i),
                         textOf(VorlMaterialAliases, i)});
  }
  return materials;
}

std::vector<std::string> split(const std::string& aliases) {
  std::vector<std::string> words;
  std::size_t start = 0;
  while (start < aliases.size()) {
    const std::size_t bar = std::min(aliases.find('|', start), aliases.size());
    words.push_back(aliases.substr(start, bar - start));
    start = bar + 1;
  }
  return words;
}

// A name as the lookup compares it: lower case, without blanks, hyphens and underscores.
std::string simplified(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    if (ch != ' ' && ch != '-' && ch != '_') out += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  }
  return out;
}

std::string upper(std::string text) {
  for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  return text;
}

class Materials : public LogClearedTest {};

TEST_F(Materials, EachIsFoundByItsNameAliasesNumberAndCasNumberInAnySpelling) {
  const std::vector<Listed> materials = listed();
  ASSERT_EQ(materials.size(), 16u);
  for (const Listed& m : materials) {
    std::vector<std::string> texts = split(m.aliases);
    texts.insert(texts.end(), {m.name, upper(m.name), " " + m.name + "\t", m.cas, std::to_string(m.number)});
    for (const std::string& text : texts) EXPECT_EQ(VorlMaterialFind(text.c_str()), m.number) << text;
  }
  const std::pair<const char*, int> spellings[] = {{"Hydrogen_Sulfide", 7783064}, {"Hydrogen Sulfide", 7783064},
                                                   {"normal butane", 106978},     {" n_Butane\t", 106978},
                                                   {"Butane", 106978},            {"i-butane", 75285},
                                                   {"n-propane", 74986},          {"CO2", 124389}};
  for (const auto& [text, number] : spellings) EXPECT_EQ(VorlMaterialFind(text), number) << text;
  EXPECT_EQ(VorlErrorLogCount(), 0);
  // A hyphen joins the digits of a registry number, and nothing else: -74828 is no material.
  for (const char* unknown : {"xenon", "74-82-9", "0", "12345", "", "  ", "-", "|", "co2x", "methane|CH4",
                              "1234567890123", "-74828", "74828-", "74--828"}) {
    EXPECT_EQ(VorlMaterialFind(unknown), 0) << unknown;
  }
}

// Two materials answering to one name would make the lookup depend on the
// order of the table.
TEST_F(Materials, NoNameOrAliasBelongsToTwoMaterials) {
  std::map<std::string, int> owners;
  for (const Listed& m : listed()) {
    std::vector<std::string> names = split(m.aliases);
    names.push_back(m.name);
    for (const std::string& name : names) {
      ASSERT_FALSE(simplified(name).empty()) << m.name << ": an empty alias";
      const auto [it, added] = owners.emplace(simplified(name), m.number);
      EXPECT_TRUE(added || it->second == m.number) << name << " names " << it->second << " and " << m.number;
    }
  }
}

// CAS: digits-digits-check digit, the check the digits weighted 1, 2, 3, ... from the right, modulo 10.
TEST_F(Materials, CasNumbersAreWellFormedAndAreTheMaterialNumbers) {
  for (const Listed& m : listed()) {
    const std::size_t first = m.cas.find('-'), second = m.cas.rfind('-');
    ASSERT_NE(first, std::string::npos) << m.cas;
    EXPECT_EQ(second - first, 3u) << m.cas;
    EXPECT_EQ(m.cas.size() - second, 2u) << m.cas;
    std::string digits = m.cas;
    digits.erase(std::remove(digits.begin(), digits.end(), '-'), digits.end());
    EXPECT_EQ(digits, std::to_string(m.number));
    int sum = 0;
    for (std::size_t k = 1; k < digits.size(); ++k) sum += static_cast<int>(k) * (digits[digits.size() - 1 - k] - '0');
    EXPECT_EQ(sum % 10, digits.back() - '0') << m.name << " " << m.cas;
  }
}

// A pipe at rest holds m = p V M / (R T): the mass a model finds in it gives
// back the published molecular weight.
TEST_F(Materials, TheMolecularWeightIsTheOneAModelComputesWith) {
  const double length = 1000.0, diameter = 0.5, pressure = 150000.0, temperature = 288.15;
  const double volume = std::acos(-1.0) / 4.0 * diameter * diameter * length;
  for (int i = 0; i < VorlMaterialCount(); ++i) {
    VorlHandle model = VorlModelCreateZel(VorlMaterialNumber(i));
    VorlPipeDiameterSet(model, diameter);
    VorlPipeLengthSet(model, length);
    VorlUpstreamPressureSet(model, pressure);
    VorlGasTemperatureSet(model, temperature);
    ASSERT_GT(VorlRun(model), 0) << i;
    VorlPipeTimeSetToStart(model);
    const double molecularWeight = VorlPipeMassInitial(model) * vorl::kUniversalGasConstant * temperature /
                                   (pressure * volume);
    VorlModelDelete(&model);
    EXPECT_NEAR(molecularWeight / VorlMaterialMolecularWeight(i), 1.0, 1e-12) << i;
  }
}

// (The texts of an index outside the table: tables_test.cpp, IndexedTexts.)
TEST_F(Materials, AnIndexOutsideTheTableAndANullTextAreReported) {
  EXPECT_EQ(VorlMaterialNumber(-1), 0);
  EXPECT_TRUE(reported(VORL_E_INDEX, "VorlMaterial"));
  EXPECT_EQ(VorlMaterialMolecularWeight(-1), 0.0);
  VorlErrorLogClear();
  EXPECT_EQ(VorlMaterialFind(nullptr), 0);
  EXPECT_TRUE(reported(VORL_E_MISSING_DATA, "VorlMaterial"));
}

}  // namespace
