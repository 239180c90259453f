// The export table is the one source of the C interface: header, module definition and the library's exports.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "vorl.h"

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

namespace {

// Expanding the table here also proves that every declared function is
// defined: taking each address makes the link fail for a missing one.
using AnyFunction = void (*)();
struct Export {
  int ordinal;
  std::string name;
  AnyFunction address;
};
const Export kTable[] = {
#define VORL_EXPORT(ordinal, result, name, arguments) {ordinal, #name, reinterpret_cast<AnyFunction>(&name)},
#include "vorl_exports.inc"
#undef VORL_EXPORT
};

TEST(ExportTable, OrdinalsAreUniqueAndTheOriginalInterfaceKeepsItsOwn) {
  // Hosts of the original interface bind these by ordinal.
  const std::map<std::string, int> fixed = {
      {"VorlSetBrimlowMessageBoxWarningLevel", 12}, {"VorlChokeModelAllow", 20}, {"VorlModelCreateZel", 100},
      {"VorlModelCreateSimple", 101}, {"VorlModelDelete", 102}, {"VorlError", 103}, {"VorlPipeRoughnessSet", 213},
      {"VorlAtmosExpanPhaseFlagSet", 222}, {"VorlFanning", 301}, {"VorlIsSingleBranchB", 307}, {"Author", 10},
      {"AboutBrimlow", 11}, {"AnalyticComparison", 14}, {"VorlGenericZel", 60}, {"VorlRun", 150},
      {"VorlBranchARegime", 472}, {"VorlBranchBTimeToFlowReversal", 508}, {"VorlPipePostFlash", 612},
      {"VorlPipeOrificeVelocity", 673}};
  std::set<int> ordinals;
  std::size_t fixedSeen = 0;
  for (const Export& e : kTable) {
    EXPECT_TRUE(ordinals.insert(e.ordinal).second) << "ordinal used twice: " << e.ordinal;
    const auto it = fixed.find(e.name);
    fixedSeen += it != fixed.end();
    EXPECT_TRUE(it == fixed.end() || it->second == e.ordinal) << e.name;
  }
  EXPECT_EQ(fixedSeen, fixed.size());
}

#if !defined(_WIN32)
TEST(ExportTable, SharedLibraryExportsExactlyTheTable) {
  void* library = dlopen(VORL_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  std::set<std::string> expected, symbols;
  for (const Export& e : kTable) {
    expected.insert(e.name);
    EXPECT_NE(dlsym(library, e.name.c_str()), nullptr) << e.name;
  }
  dlclose(library);

  const std::string command = std::string("nm -D --defined-only '") + VORL_SHARED_LIBRARY_PATH + "' 2>/dev/null";
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char line[512], address[64], type[8], name[400];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
      if (std::sscanf(line, "%63s %7s %399s", address, type, name) == 3) symbols.insert(name);
    }
    pclose(pipe);
  }
  if (symbols.empty()) GTEST_SKIP() << "nm is not available";
  EXPECT_EQ(symbols, expected);
}
#endif

}  // namespace
