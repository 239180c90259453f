// The export table is the one source of the C interface: the header declares
// from it, the Windows module definition is generated from it, and the built
// library must export exactly its names.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "vorl.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

struct Export {
  int ordinal;
  std::string name;
  std::string arguments;
};

// Expanding the table here also proves that every declared function is
// defined: taking each address makes the link fail for a missing one.
using AnyFunction = void (*)();
struct Entry {
  int ordinal;
  const char* name;
  const char* arguments;
  AnyFunction address;
};
const Entry kTable[] = {
#define VORL_EXPORT(ordinal, result, name, arguments) \
  {ordinal, #name, #arguments, reinterpret_cast<AnyFunction>(&name)},
#include "vorl_exports.inc"
#undef VORL_EXPORT
};

std::vector<Export> tableExports() {
  std::vector<Export> exports;
  for (const Entry& entry : kTable) exports.push_back({entry.ordinal, entry.name, entry.arguments});
  return exports;
}

TEST(ExportTable, OrdinalsAndNamesAreUniqueAndInTheirRanges) {
  std::set<int> ordinals;
  std::set<std::string> names;
  for (const Export& e : tableExports()) {
    EXPECT_TRUE(ordinals.insert(e.ordinal).second) << "ordinal used twice: " << e.ordinal;
    EXPECT_TRUE(names.insert(e.name).second) << "name used twice: " << e.name;
    EXPECT_GE(e.ordinal, 10) << e.name;
    EXPECT_LE(e.ordinal, 799) << e.name;
    const bool addition = e.ordinal >= 700;
    const bool vorlName = e.name.rfind("Vorl", 0) == 0;
    if (addition) {
      EXPECT_TRUE(vorlName) << "added exports are named Vorl...: " << e.name;
    }
  }
}

TEST(ExportTable, HoldsTheWholeOriginalInterfaceAndItsAdditions) {
  int original = 0;
  for (const Export& e : tableExports()) original += e.ordinal < 700;
  EXPECT_EQ(original, 117);
}

TEST(ExportTable, FixedOrdinalsOfTheOriginalInterface) {
  const std::map<std::string, int> fixed = {
      {"VorlSetBrimlowMessageBoxWarningLevel", 12}, {"VorlChokeModelAllow", 20},
      {"VorlModelCreateZel", 100}, {"VorlModelCreateSimple", 101}, {"VorlModelDelete", 102},
      {"VorlError", 103}, {"VorlPipeRoughnessSet", 213}, {"VorlAtmosExpanPhaseFlagSet", 222},
      {"VorlFanning", 301}, {"VorlIsSingleBranchB", 307}, {"Author", 10}, {"AboutBrimlow", 11},
      {"AnalyticComparison", 14}, {"VorlGenericZel", 60}, {"VorlRun", 150}, {"VorlBranchARegime", 472},
      {"VorlBranchBTimeToFlowReversal", 508}, {"VorlPipePostFlash", 612}, {"VorlPipeOrificeVelocity", 673}};
  for (const Export& e : tableExports()) {
    auto it = fixed.find(e.name);
    if (it != fixed.end()) {
      EXPECT_EQ(it->second, e.ordinal) << e.name;
    }
  }
}

TEST(ExportTable, ModuleDefinitionFileListsEveryExportAtItsOrdinal) {
  std::ifstream def(VORL_DEF_FILE_PATH);
  ASSERT_TRUE(def.is_open()) << VORL_DEF_FILE_PATH;
  std::map<std::string, int> listed;
  std::string line;
  while (std::getline(def, line)) {
    char name[128];
    int ordinal = 0;
    if (std::sscanf(line.c_str(), " %127s @%d", name, &ordinal) == 2) listed[name] = ordinal;
  }
  const auto exports = tableExports();
  EXPECT_EQ(listed.size(), exports.size());
  for (const Export& e : exports) EXPECT_EQ(listed[e.name], e.ordinal) << e.name;
}

#if !defined(_WIN32)
std::set<std::string> dynamicSymbolsOf(const std::string& library) {
  std::set<std::string> symbols;
  const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return symbols;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    char address[64], type[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
  }
  pclose(pipe);
  return symbols;
}

TEST(ExportTable, SharedLibraryExportsExactlyTheTable) {
  void* library = dlopen(VORL_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  std::set<std::string> expected;
  for (const Export& e : tableExports()) {
    expected.insert(e.name);
    EXPECT_NE(dlsym(library, e.name.c_str()), nullptr) << e.name;
  }
  dlclose(library);

  const std::set<std::string> symbols = dynamicSymbolsOf(VORL_SHARED_LIBRARY_PATH);
  if (symbols.empty()) GTEST_SKIP() << "nm is not available";
  EXPECT_EQ(symbols, expected);
}
#endif

}  // namespace
