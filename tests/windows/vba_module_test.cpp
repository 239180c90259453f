// The VBA module against the export table, one Declare per export for VBA7 and older VBA, each argument's type
// checked independently of the generator: a wrong Declare corrupts the stack silently.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "vorl.h"

namespace {

// ---- What the table asks of a declaration ----

// VBA type of a C scalar type, "" when it has none.
template <class T>
std::string vbaScalar(bool vba7) {
  using U = std::remove_cv_t<T>;
  if constexpr (std::is_same_v<U, double>) return "Double";
  if constexpr (std::is_same_v<U, int>) return "Long";
  if constexpr (std::is_same_v<U, VorlBool>) return "Byte";
  if constexpr (std::is_same_v<U, VorlHandle>) return vba7 ? "LongPtr" : "Long";
  return "";
}

// The VBA parameter of a C type; a VorlString is the platform's system string (a pointer for VBA).
template <class T>
std::string vbaParameter(bool vba7, bool systemString) {
  const std::string pointer = vba7 ? "LongPtr" : "Long";
  using Pointee = std::remove_pointer_t<T>;
  if (systemString) return "ByVal " + pointer;
  if constexpr (std::is_same_v<T, VorlHandle> || std::is_function_v<Pointee> || std::is_void_v<Pointee>) {
    return "ByVal " + pointer;  // the handle, callbacks (AddressOf) and user data
  } else if constexpr (std::is_pointer_v<T> && std::is_same_v<std::remove_cv_t<Pointee>, char>) {
    return "ByVal String";  // VBA passes a NUL-terminated 8-bit copy
  } else if constexpr (std::is_pointer_v<T>) {
    const std::string scalar = vbaScalar<Pointee>(vba7);
    return scalar.empty() ? "" : "ByRef " + scalar;
  } else {
    const std::string scalar = vbaScalar<T>(vba7);
    return scalar.empty() ? "" : "ByVal " + scalar;
  }
}

bool namesSystemString(const std::string& declaration) {
  return std::regex_search(declaration, std::regex("\\bVorlString\\b"));
}

// The Declare of one export without its parameter names; "" when a type of
// its signature has no VBA counterpart here.
template <class Result, class... Arguments>
std::string expectedDeclare(Result (*)(Arguments...), const std::string& name, const char* result,
                            std::string arguments, bool vba7) {
  std::vector<std::string> declared;  // the table's parameter declarations
  std::stringstream list(arguments.substr(1, arguments.size() - 2));
  for (std::string piece; std::getline(list, piece, ',');) declared.push_back(piece);
  std::size_t index = 0;
  const std::vector<std::string> parameters = {
      vbaParameter<Arguments>(vba7, index < declared.size() && namesSystemString(declared[index++]))...};
  (void)index;
  std::string type;
  if constexpr (!std::is_void_v<Result>) {
    type = namesSystemString(result) ? (vba7 ? "LongPtr" : "Long") : vbaScalar<Result>(vba7);
    if (type.empty()) return "";
  }
  std::string text = std::string("Public Declare ") + (vba7 ? "PtrSafe " : "") +
                     (std::is_void_v<Result> ? "Sub " : "Function ") + name + " Lib \"vorl.dll\" (";
  for (std::size_t i = 0; i < parameters.size(); ++i) {
    if (parameters[i].empty()) return "";
    text += (i == 0 ? "" : ", ") + parameters[i];
  }
  return text + ")" + (type.empty() ? "" : " As " + type);
}

#if defined(_WIN32) && !defined(_WIN64)
// 32-bit Windows: the exports are __stdcall, which is part of their type.
template <class Result, class... Arguments>
std::string expectedDeclare(Result(__stdcall*)(Arguments...), const std::string& name, const char* result,
                            std::string arguments, bool vba7) {
  return expectedDeclare(static_cast<Result (*)(Arguments...)>(nullptr), name, result, arguments, vba7);
}
#endif

// ---- What the module declares ----

// The module's Declare statements by name, parameter names dropped, for VBA7 ([0]) and older VBA ([1]).
using Declarations = std::map<std::string, std::vector<std::string>>;

void readModule(const std::string& path, Declarations (&declared)[2]) {
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path;
  const std::regex parameter("\\b(ByVal|ByRef) [A-Za-z]\\w* As (\\w+)");
  const std::regex name("^Public Declare (?:PtrSafe )?(?:Sub|Function) (\\w+) ");
  std::string physical, logical;
  int section = -1;
  while (std::getline(file, physical)) {
    if (!physical.empty() && physical.back() == '\r') physical.pop_back();
    const bool continued = physical.size() >= 2 && physical.compare(physical.size() - 2, 2, " _") == 0;
    logical += continued ? physical.substr(0, physical.size() - 2) + " " : physical;
    if (continued) continue;
    const std::string line = std::regex_replace(std::regex_replace(logical, std::regex("\\s+"), " "),
                                                std::regex("^ | $"), "");
    logical.clear();
    std::smatch match;
    if (line == "#If VBA7 Then" || line == "#Else" || line == "#End If") {
      section = line == "#If VBA7 Then" ? 0 : line == "#Else" && section == 0 ? 1 : -1;
    } else if (line.rfind("Public Declare ", 0) == 0) {
      ASSERT_TRUE(std::regex_search(line, match, name)) << "unreadable declaration: " << line;
      ASSERT_GE(section, 0) << "declaration outside #If VBA7: " << line;
      declared[section][match[1]].push_back(std::regex_replace(line, parameter, "$1 $2"));
    }
  }
}

TEST(VbaModule, DeclaresExactlyTheExportsForBothVbaVersionsAsTheirCTypesNeed) {
  // VORL_EXPORT_TABLE_FILE is <source>/include/vorl_exports.inc.
  const std::string table = VORL_EXPORT_TABLE_FILE;
  Declarations declared[2];
  ASSERT_NO_FATAL_FAILURE(readModule(table.substr(0, table.rfind("include/")) + "examples/vba/Vorl.bas", declared));
  const char* variantName[2] = {"VBA7", "older VBA"};
  for (int variant = 0; variant < 2; ++variant) {
    Declarations expected;
#define VORL_EXPORT(ordinal, result, name, arguments)                                                         \
  expected[#name] = {expectedDeclare(static_cast<decltype(&::name)>(nullptr), #name, #result, #arguments, \
                                     variant == 0)};
#include "vorl_exports.inc"
#undef VORL_EXPORT
    for (const auto& [name, declarations] : expected) {
      ASSERT_FALSE(declarations.front().empty()) << name << ": a type of its signature has no VBA counterpart in "
                                                    "this test; teach cmake/VorlVbaModule.cmake and this test";
      EXPECT_EQ(declared[variant][name], declarations) << name << " for " << variantName[variant];
    }
    for (const auto& entry : declared[variant]) {
      EXPECT_EQ(expected.count(entry.first), 1u) << entry.first << " is declared but not in the export table";
    }
  }
}

}  // namespace
