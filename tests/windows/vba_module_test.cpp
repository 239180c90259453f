// The VBA module examples/vba/Vorl.bas against the export table, as the
// compiler reads the table: for every export one Declare for VBA7 (PtrSafe,
// LongPtr handle) and one for older VBA (Long handle), with its argument count
// and each argument passed the way its C type needs; and no Declare of a
// function the table does not have. A VBA declaration that disagrees with the
// DLL corrupts the stack or the values without any error in VBA, so the types
// are checked one by one.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "vorl.h"

namespace {

std::string moduleDirectory() {
  // VORL_EXPORT_TABLE_FILE is <source>/include/vorl_exports.inc.
  std::string path = VORL_EXPORT_TABLE_FILE;
  return path.substr(0, path.rfind("include/vorl_exports.inc")) + "examples/vba/";
}

// ---- What the table asks of a declaration ----

// VBA type of a C scalar type, "" when it has none.
template <class T>
std::string vbaScalar(bool vba7) {
  using U = std::remove_cv_t<T>;
  if constexpr (std::is_same_v<U, double>) {
    return "Double";
  } else if constexpr (std::is_same_v<U, float>) {
    return "Single";
  } else if constexpr (std::is_same_v<U, int> || (std::is_same_v<U, long> && sizeof(long) == 4)) {
    return "Long";
  } else if constexpr (std::is_same_v<U, VorlBool>) {
    return "Byte";
  } else if constexpr (std::is_same_v<U, VorlHandle>) {
    return vba7 ? "LongPtr" : "Long";
  } else {
    return "";
  }
}

// "ByVal Double", "ByRef LongPtr" and so on for a C parameter type. A
// parameter declared VorlString is the system string of the platform, a
// pointer for VBA (on Linux it is a char*, so the declared text tells).
template <class T>
std::string vbaParameter(bool vba7, bool systemString) {
  const std::string pointer = vba7 ? "LongPtr" : "Long";
  if (systemString) return "ByVal " + pointer;
  if constexpr (std::is_same_v<std::remove_cv_t<T>, VorlHandle>) {
    return "ByVal " + pointer;  // the handle is a pointer, passed by value
  } else if constexpr (std::is_pointer_v<T>) {
    using Pointee = std::remove_pointer_t<T>;
    using Bare = std::remove_cv_t<Pointee>;
    if constexpr (std::is_function_v<Pointee> || std::is_void_v<Bare>) {
      return "ByVal " + pointer;  // callbacks (AddressOf) and user data
    } else if constexpr (std::is_same_v<Bare, char>) {
      return "ByVal String";  // VBA passes a NUL-terminated 8-bit copy
    } else {
      const std::string scalar = vbaScalar<Bare>(vba7);
      return scalar.empty() ? "" : "ByRef " + scalar;
    }
  } else {
    const std::string scalar = vbaScalar<T>(vba7);
    return scalar.empty() ? "" : "ByVal " + scalar;
  }
}

template <class T>
std::string vbaResult(bool vba7, bool systemString) {
  if (systemString) return vba7 ? "LongPtr" : "Long";
  if constexpr (std::is_void_v<T>) {
    return "";
  } else {
    return vbaScalar<T>(vba7);
  }
}

struct Expected {
  std::string name;
  bool isSub = false;
  std::string result[2];                  // [0] VBA7, [1] older VBA
  std::vector<std::string> parameters[2];  // "ByVal Double" ...
  bool mappable = true;
};

// Splits the stringized argument list of the table at its commas.
std::vector<std::string> declaredParameters(std::string text) {
  std::vector<std::string> pieces;
  text = text.substr(1, text.size() - 2);  // without the parentheses
  std::stringstream stream(text);
  std::string piece;
  while (std::getline(stream, piece, ',')) pieces.push_back(piece);
  return pieces;
}

bool namesSystemString(const std::string& declaration) {
  return std::regex_search(declaration, std::regex("\\bVorlString\\b"));
}

template <class Result, class... Arguments>
Expected expectedFor(Result (*)(Arguments...), const char* name, const char* result, const char* arguments) {
  Expected e;
  e.name = name;
  e.isSub = std::is_void_v<Result>;
  const std::vector<std::string> declared = declaredParameters(arguments);
  for (int variant = 0; variant < 2; ++variant) {
    const bool vba7 = variant == 0;
    e.result[variant] = vbaResult<Result>(vba7, namesSystemString(result));
    if (!e.isSub && e.result[variant].empty()) e.mappable = false;
    std::size_t index = 0;
    // One entry per argument, in order (a pack expansion in a braced list).
    const std::vector<std::string> parameters = {
        vbaParameter<Arguments>(vba7, index < declared.size() && namesSystemString(declared[index++]))...};
    for (const std::string& parameter : parameters) {
      if (parameter.empty()) e.mappable = false;
    }
    e.parameters[variant] = parameters;
    (void)index;
  }
  return e;
}

#if defined(_WIN32) && !defined(_WIN64)
// 32-bit Windows: the exports are __stdcall, which is part of their type.
template <class Result, class... Arguments>
Expected expectedFor(Result(__stdcall*)(Arguments...), const char* name, const char* result,
                     const char* arguments) {
  return expectedFor(static_cast<Result (*)(Arguments...)>(nullptr), name, result, arguments);
}
#endif

std::vector<Expected> expectedDeclarations() {
  return {
#define VORL_EXPORT(ordinal, result, name, arguments) \
  expectedFor(static_cast<decltype(&::name)>(nullptr), #name, #result, #arguments),
#include "vorl_exports.inc"
#undef VORL_EXPORT
  };
}

// ---- What the module declares ----

struct Declared {
  std::string name;
  bool ptrSafe = false;
  bool isSub = false;
  std::string library;
  std::string alias;
  std::string result;
  std::vector<std::string> parameters;  // "ByVal Double" ...
  std::string text;
};

std::string trim(const std::string& text) {
  const auto begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  const auto end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

// Logical lines (continuations " _" joined) of the module, with the section
// of #If VBA7 they stand in: 0 VBA7, 1 older VBA, -1 outside.
struct ModuleLines {
  std::vector<std::pair<int, std::string>> lines;
  bool readable = false;
};

ModuleLines readModule(const std::string& path) {
  ModuleLines module;
  std::ifstream file(path, std::ios::binary);
  if (!file) return module;
  module.readable = true;
  std::string physical, logical;
  int section = -1;
  while (std::getline(file, physical)) {
    if (!physical.empty() && physical.back() == '\r') physical.pop_back();
    const bool continued = physical.size() >= 2 && physical.compare(physical.size() - 2, 2, " _") == 0;
    logical += continued ? physical.substr(0, physical.size() - 2) + " " : physical;
    if (continued) continue;
    const std::string line = trim(logical);
    logical.clear();
    if (line == "#If VBA7 Then") {
      section = 0;
    } else if (line == "#Else" && section == 0) {
      section = 1;
    } else if (line == "#End If") {
      section = -1;
    } else {
      module.lines.emplace_back(section, std::regex_replace(line, std::regex(" +"), " "));
    }
  }
  return module;
}

bool parseDeclare(const std::string& line, Declared& d) {
  static const std::regex declare(
      R"re(^Public Declare (PtrSafe )?(Sub|Function) (\w+) Lib "([^"]+)"(?: Alias "([^"]+)")? \((.*)\)(?: As (\w+))?$)re");
  std::smatch m;
  if (!std::regex_match(line, m, declare)) return false;
  d.ptrSafe = m[1].matched;
  d.isSub = m[2] == "Sub";
  d.name = m[3];
  d.library = m[4];
  d.alias = m[5].matched ? std::string(m[5]) : std::string();
  d.result = m[7].matched ? std::string(m[7]) : std::string();
  d.text = line;
  static const std::regex parameter(R"re(^(ByVal|ByRef) ([A-Za-z]\w*) As (\w+)$)re");
  std::stringstream list(m[6].str());
  std::string piece;
  while (std::getline(list, piece, ',')) {
    piece = trim(piece);
    std::smatch p;
    if (!std::regex_match(piece, p, parameter)) {
      d.parameters.push_back("unreadable: " + piece);
    } else {
      d.parameters.push_back(p[1].str() + " " + p[3].str());
    }
  }
  return true;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return "(" + text + ")";
}

class VbaModule : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = readModule(moduleDirectory() + "Vorl.bas");
    ASSERT_TRUE(module_.readable) << moduleDirectory() << "Vorl.bas";
    for (const auto& [section, line] : module_.lines) {
      Declared d;
      if (line.empty() || line[0] == '\'') continue;  // a comment
      if (line.find(" Declare ") == std::string::npos) continue;
      if (line.rfind("Private ", 0) == 0) continue;  // helpers of the module's own functions
      EXPECT_TRUE(parseDeclare(line, d)) << "unreadable declaration: " << line;
      if (section < 0) {
        ADD_FAILURE() << "declaration outside #If VBA7: " << line;
        continue;
      }
      declared_[section][d.name].push_back(d);
    }
  }

  ModuleLines module_;
  std::map<std::string, std::vector<Declared>> declared_[2];
};

TEST_F(VbaModule, DeclaresEveryExportForBothVbaVersionsAsItsCTypesNeed) {
  const char* variantName[2] = {"VBA7", "older VBA"};
  for (const Expected& e : expectedDeclarations()) {
    ASSERT_TRUE(e.mappable) << e.name << ": a type of its signature has no VBA counterpart in this test; "
                               "teach cmake/VorlVbaModule.cmake and this test the new type";
    for (int variant = 0; variant < 2; ++variant) {
      const auto found = declared_[variant].find(e.name);
      ASSERT_TRUE(found != declared_[variant].end()) << e.name << " is not declared for " << variantName[variant];
      ASSERT_EQ(found->second.size(), 1u) << e.name << " is declared twice for " << variantName[variant];
      const Declared& d = found->second.front();
      SCOPED_TRACE(d.text);
      EXPECT_EQ(d.ptrSafe, variant == 0) << "PtrSafe belongs to the VBA7 declarations only";
      EXPECT_EQ(d.library, "vorl.dll");
      EXPECT_TRUE(d.alias.empty() || d.alias == e.name) << "imports " << d.alias;
      EXPECT_EQ(d.isSub, e.isSub) << (e.isSub ? "returns nothing: a Sub" : "returns a value: a Function");
      EXPECT_EQ(d.result, e.result[variant]);
      EXPECT_EQ(joined(d.parameters), joined(e.parameters[variant]));
    }
  }
}

TEST_F(VbaModule, DeclaresNoFunctionTheTableDoesNotHave) {
  std::map<std::string, bool> inTable;
  for (const Expected& e : expectedDeclarations()) inTable[e.name] = true;
  for (const auto& declared : declared_) {
    for (const auto& [name, declarations] : declared) {
      EXPECT_TRUE(inTable.count(name) != 0) << name << " is declared but not in the export table";
    }
  }
}

TEST_F(VbaModule, IsANamedModuleWithExplicitDeclarations) {
  ASSERT_FALSE(module_.lines.empty());
  EXPECT_EQ(module_.lines.front().second, "Attribute VB_Name = \"Vorl\"");
  bool optionExplicit = false;
  for (const auto& entry : module_.lines) optionExplicit = optionExplicit || entry.second == "Option Explicit";
  EXPECT_TRUE(optionExplicit);
}

}  // namespace
