// A host of the vorl library that loads it at run time, as spreadsheet and
// script hosts do, and knows the interface only from the export table.
//
//   vorl_dll_host [--library PATH] [--write FILE | --compare FILE]
//
// 1. Resolves every export of the table. On Windows each one both by ordinal
//    and by name: the two must give the same address, and an ordinal that the
//    table does not list must give none. Elsewhere by name.
// 2. Runs one double-branch release case through the functions it resolved
//    (on Windows those it got by ordinal) and collects its results: through
//    the handle API and, once the table has it, through VorlGenericZel.
// 3. --write stores the results (the Linux build's run); --compare reads such
//    a file and requires every value to agree to 1e-12 relative (the Windows
//    build's run under Wine). Without either it only prints a summary.
//
// Exits 0 when every check passed, 1 otherwise, 2 on a usage error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "vorl.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using AnyFunction = void (*)();

struct TableEntry {
  int ordinal;
  const char* name;
};

constexpr TableEntry kTable[] = {
#define VORL_EXPORT(ordinal, result, name, arguments) {ordinal, #name},
#include "vorl_exports.inc"
#undef VORL_EXPORT
};

// Pointers to every export, typed from the table's declarations. The host
// never links against the library: vorl.h only lends the types.
struct Api {
#define VORL_EXPORT(ordinal, result, name, arguments) decltype(&::name) name = nullptr;
#include "vorl_exports.inc"
#undef VORL_EXPORT
};

// The exports of the case that may not be in the table yet: a part of the
// case runs once the table has all that it calls. A name the table declares
// hides its entry here.
namespace planned {
constexpr bool VorlRun = false;
constexpr bool VorlBranchAFlowSequenceSize = false;
constexpr bool VorlBranchBFlowSequenceSize = false;
constexpr bool VorlBranchATime = false;
constexpr bool VorlBranchBTime = false;
constexpr bool VorlBranchAExitFlux = false;
constexpr bool VorlBranchBExitFlux = false;
constexpr bool VorlBranchAExitPressure = false;
constexpr bool VorlBranchBExitPressure = false;
constexpr bool VorlBranchAUpstreamPressure = false;
constexpr bool VorlBranchBUpstreamPressure = false;
constexpr bool VorlBranchAMassExpelled = false;
constexpr bool VorlBranchBMassExpelled = false;
constexpr bool VorlBranchALengthDisturbed = false;
constexpr bool VorlBranchBLengthDisturbed = false;
constexpr bool VorlBranchARegime = false;
constexpr bool VorlBranchBRegime = false;
constexpr bool VorlPipeTimeMax = false;
constexpr bool VorlPipeTimeSet = false;
constexpr bool VorlPipeExitFlux = false;
constexpr bool VorlPipeMassExpelled = false;
constexpr bool VorlPipeMassInPipe = false;
constexpr bool VorlPipePostFlash = false;
constexpr bool VorlGenericZel = false;
}  // namespace planned

namespace inTable {
using namespace planned;
#define VORL_EXPORT(ordinal, result, name, arguments) constexpr bool name = true;
#include "vorl_exports.inc"
#undef VORL_EXPORT
}  // namespace inTable

int failures = 0;

void fail(const std::string& message) {
  std::fprintf(stderr, "FAILED: %s\n", message.c_str());
  ++failures;
}

// ---- Loading and resolving ----

#if defined(_WIN32)
std::string besideThisProgram(const char* file) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path, length);
  const std::size_t slash = directory.find_last_of("\\/");
  directory = slash == std::string::npos ? std::string() : directory.substr(0, slash + 1);
  return directory + file;
}

AnyFunction asAnyFunction(FARPROC address) { return reinterpret_cast<AnyFunction>(address); }

// Loads the DLL and checks its exports against the table; fills the table's
// ordinals into byOrdinal (index: position in the table).
bool loadAndResolve(const std::string& path, std::vector<AnyFunction>& byOrdinal) {
  HMODULE library = LoadLibraryA(path.c_str());
  if (library == nullptr) {
    fail("LoadLibrary(" + path + ") failed, error " + std::to_string(GetLastError()));
    return false;
  }
  std::set<int> ordinals;
  int highest = 0;
  for (const TableEntry& entry : kTable) {
    const AnyFunction viaOrdinal = asAnyFunction(GetProcAddress(library, MAKEINTRESOURCEA(entry.ordinal)));
    const AnyFunction viaName = asAnyFunction(GetProcAddress(library, entry.name));
    const std::string what = std::string(entry.name) + " @" + std::to_string(entry.ordinal);
    if (viaName == nullptr) fail(what + ": not exported by name");
    if (viaOrdinal == nullptr) fail(what + ": not exported at its ordinal");
    if (viaName != nullptr && viaOrdinal != nullptr && viaName != viaOrdinal) {
      fail(what + ": the ordinal and the name give different functions");
    }
    byOrdinal.push_back(viaOrdinal);
    ordinals.insert(entry.ordinal);
    if (entry.ordinal > highest) highest = entry.ordinal;
  }
  // Ordinals that the table does not list are left empty.
  int empty = 0;
  for (int ordinal = 1; ordinal <= highest + 100; ++ordinal) {
    if (ordinals.count(ordinal) != 0) continue;
    ++empty;
    if (GetProcAddress(library, MAKEINTRESOURCEA(ordinal)) != nullptr) {
      fail("ordinal " + std::to_string(ordinal) + " is not in the table but the DLL exports it");
    }
  }
  std::printf("%s: %zu exports resolved by ordinal and by name to the same address; %d other ordinals empty\n",
              path.c_str(), ordinals.size(), empty);
  return true;
}
#else
bool loadAndResolve(const std::string& path, std::vector<AnyFunction>& byName) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    fail("dlopen(" + path + ") failed: " + dlerror());
    return false;
  }
  for (const TableEntry& entry : kTable) {
    const AnyFunction address = reinterpret_cast<AnyFunction>(dlsym(library, entry.name));
    if (address == nullptr) fail(std::string(entry.name) + ": not exported");
    byName.push_back(address);
  }
  std::printf("%s: %zu exports resolved by name\n", path.c_str(), byName.size());
  return true;
}
#endif

Api apiFrom(const std::vector<AnyFunction>& addresses) {
  Api api;
  std::size_t index = 0;
#define VORL_EXPORT(ordinal, result, name, arguments) \
  api.name = reinterpret_cast<decltype(api.name)>(addresses.at(index++));
#include "vorl_exports.inc"
#undef VORL_EXPORT
  return api;
}

// ---- The release case ----

struct Results {
  std::vector<std::pair<std::string, double>> values;
  std::vector<std::string> skipped;

  void add(const std::string& key, double value) { values.emplace_back(key, value); }
  void add(const std::string& key, int index, double value) {
    add(key + "[" + std::to_string(index) + "]", value);
  }
};

constexpr int kMethane = 74828;

// The case: a 100 km methane line of 0.5 m bore (roughness 5e-5 m) at 70 bar,
// fed with 30 kg/s, breached 30 km from its upstream end through an orifice
// of 0.8 of the bore area: two branches.
template <class A>
void handleCase(const A& api, Results& results) {
  VorlHandle model = api.VorlModelCreateZel(kMethane);
  if (model == nullptr) {
    fail("VorlModelCreateZel(methane) gave no model");
    return;
  }
  api.VorlPipeDiameterSet(model, 0.5);
  api.VorlPipeRoughnessSet(model, 5e-5);
  api.VorlPipeLengthSet(model, 100000.0);
  api.VorlUpstreamPressureSet(model, 7.0e6);
  api.VorlTotalInflowSet(model, 30.0);
  api.VorlPipeBreachLocationSet(model, 30000.0);
  api.VorlOrificeApertureSet(model, 0.8);

  results.add("fanning", api.VorlFanning(model));
  results.add("pipeLength", api.VorlPipeLength(model));
  results.add("breachLocation", api.VorlPipeBreachLocation(model));
  results.add("isDoubleBranch", api.VorlIsDoubleBranch(model));
  results.add("isSingleBranchA", api.VorlIsSingleBranchA(model));
  results.add("isSingleBranchB", api.VorlIsSingleBranchB(model));
  if (api.VorlIsDoubleBranch(model) != 1) fail("the case is not a double branch");

  if constexpr (inTable::VorlRun && inTable::VorlBranchAFlowSequenceSize &&
                inTable::VorlBranchBFlowSequenceSize && inTable::VorlBranchATime && inTable::VorlBranchBTime &&
                inTable::VorlBranchAExitFlux && inTable::VorlBranchBExitFlux &&
                inTable::VorlBranchAExitPressure && inTable::VorlBranchBExitPressure &&
                inTable::VorlBranchAUpstreamPressure && inTable::VorlBranchBUpstreamPressure &&
                inTable::VorlBranchAMassExpelled && inTable::VorlBranchBMassExpelled &&
                inTable::VorlBranchALengthDisturbed && inTable::VorlBranchBLengthDisturbed &&
                inTable::VorlBranchARegime && inTable::VorlBranchBRegime) {
    results.add("run", api.VorlRun(model));
    const int sizeA = api.VorlBranchAFlowSequenceSize(model);
    const int sizeB = api.VorlBranchBFlowSequenceSize(model);
    results.add("A.size", sizeA);
    results.add("B.size", sizeB);
    if (sizeA < 3 || sizeB < 3) fail("the run stored fewer than 3 states in a branch");
    for (int i = 0; i < sizeA; ++i) {
      results.add("A.time", i, api.VorlBranchATime(model, i));
      results.add("A.exitFlux", i, api.VorlBranchAExitFlux(model, i));
      results.add("A.exitPressure", i, api.VorlBranchAExitPressure(model, i));
      results.add("A.upstreamPressure", i, api.VorlBranchAUpstreamPressure(model, i));
      results.add("A.massExpelled", i, api.VorlBranchAMassExpelled(model, i));
      results.add("A.lengthDisturbed", i, api.VorlBranchALengthDisturbed(model, i));
      results.add("A.regime", i, api.VorlBranchARegime(model, i));
    }
    for (int i = 0; i < sizeB; ++i) {
      results.add("B.time", i, api.VorlBranchBTime(model, i));
      results.add("B.exitFlux", i, api.VorlBranchBExitFlux(model, i));
      results.add("B.exitPressure", i, api.VorlBranchBExitPressure(model, i));
      results.add("B.upstreamPressure", i, api.VorlBranchBUpstreamPressure(model, i));
      results.add("B.massExpelled", i, api.VorlBranchBMassExpelled(model, i));
      results.add("B.lengthDisturbed", i, api.VorlBranchBLengthDisturbed(model, i));
      results.add("B.regime", i, api.VorlBranchBRegime(model, i));
    }
    if constexpr (inTable::VorlPipeTimeMax && inTable::VorlPipeTimeSet && inTable::VorlPipeExitFlux &&
                  inTable::VorlPipeMassExpelled && inTable::VorlPipeMassInPipe) {
      const double end = api.VorlPipeTimeMax(model);
      results.add("pipe.timeMax", end);
      for (int k = 0; k <= 10; ++k) {
        const double time = api.VorlPipeTimeSet(model, end * k / 10.0, 0.0);
        results.add("pipe.time", k, time);
        results.add("pipe.exitFlux", k, api.VorlPipeExitFlux(model));
        results.add("pipe.massExpelled", k, api.VorlPipeMassExpelled(model));
        results.add("pipe.massInPipe", k, api.VorlPipeMassInPipe(model));
        if constexpr (inTable::VorlPipePostFlash) {
          double postFlash[4] = {0.0, 0.0, 0.0, 0.0};
          api.VorlPipePostFlash(model, &postFlash[0], &postFlash[1], &postFlash[2], &postFlash[3]);
          for (int j = 0; j < 4; ++j) results.add("pipe.postFlash" + std::to_string(j), k, postFlash[j]);
        } else {
          if (k == 0) results.skipped.push_back("pipe-level post-flash (VorlPipePostFlash)");
        }
      }
    } else {
      results.skipped.push_back("pipe-level results (VorlPipeTimeSet and its queries)");
    }
  } else {
    results.skipped.push_back("the run and the branch histories (VorlRun and the branch queries)");
  }
  api.VorlModelDelete(&model);
  if (model != nullptr) fail("VorlModelDelete left the handle set");
}

// The reports the case logged: their codes must agree too, and their text
// tells why a part gave nothing.
template <class A>
void logOfTheCase(const A& api, Results& results) {
  const int count = api.VorlErrorLogCount();
  results.add("log.count", count);
  for (int i = 0; i < count; ++i) {
    char message[512];
    api.VorlErrorLogMessage(i, message, static_cast<int>(sizeof message));
    results.add("log.code", i, api.VorlErrorLogCode(i));
    std::printf("logged: %s\n", message);
  }
}

// The same case in one call. Argument layout: flags, inputs, material, valve
// count and values, time division, maximum steps, then the outputs.
template <class A>
void oneCallCase(const A& api, Results& results) {
  if constexpr (inTable::VorlGenericZel) {
    constexpr int kMaxSteps = 400;
    int flags[2] = {0, 0};  // valves off, expansion method 0
    double inputs[16] = {288.15,  101325.0, 0.5,  100000.0, 30.0,  7.0e6, 30000.0, 0.8,
                         0.5,     5e-5,     28.96, 12.0,    500.0, 1e-6,  1e-3,    288.15};
    int material = kMethane;
    int valveCount = 0;
    double valveFirst[1] = {0.0};
    double valveSecond[1] = {1.0};
    int timeDivision = 20;
    int maxSteps = kMaxSteps;
    double fanning = 0.0, aDechoke = 0.0, aDisturb = 0.0, aDepressurise = 0.0;
    double bDechoke = 0.0, bDisturb = 0.0, bReversal = 0.0, bDepressurise = 0.0;
    int recordsA = -1, recordsB = -1, outputSteps = -1;
    std::vector<std::vector<double>> a(15, std::vector<double>(kMaxSteps, 0.0));
    std::vector<std::vector<double>> b(16, std::vector<double>(kMaxSteps, 0.0));
    std::vector<std::vector<double>> pipe(9, std::vector<double>(kMaxSteps, 0.0));
    api.VorlGenericZel(flags, inputs, &material, &valveCount, valveFirst, valveSecond, &timeDivision, &maxSteps,
                       &fanning, &aDechoke, &aDisturb, &aDepressurise, &recordsA, a[0].data(), a[1].data(),
                       a[2].data(), a[3].data(), a[4].data(), a[5].data(), a[6].data(), a[7].data(), a[8].data(),
                       a[9].data(), a[10].data(), a[11].data(), a[12].data(), a[13].data(), a[14].data(),
                       &bDechoke, &bDisturb, &bReversal, &bDepressurise, &recordsB, b[0].data(), b[1].data(),
                       b[2].data(), b[3].data(), b[4].data(), b[5].data(), b[6].data(), b[7].data(), b[8].data(),
                       b[9].data(), b[10].data(), b[11].data(), b[12].data(), b[13].data(), b[14].data(),
                       b[15].data(), &outputSteps, pipe[0].data(), pipe[1].data(), pipe[2].data(),
                       pipe[3].data(), pipe[4].data(), pipe[5].data(), pipe[6].data(), pipe[7].data(),
                       pipe[8].data());
    results.add("generic.fanning", fanning);
    results.add("generic.A.timeToDechoke", aDechoke);
    results.add("generic.A.timeToDisturbEntireFlow", aDisturb);
    results.add("generic.A.timeToDepressurise", aDepressurise);
    results.add("generic.B.timeToDechoke", bDechoke);
    results.add("generic.B.timeToDisturbEntireFlow", bDisturb);
    results.add("generic.B.timeToFlowReversal", bReversal);
    results.add("generic.B.timeToDepressurise", bDepressurise);
    results.add("generic.A.records", recordsA);
    results.add("generic.B.records", recordsB);
    results.add("generic.outputSteps", outputSteps);
    if (recordsA < 3 || recordsB < 3) fail("VorlGenericZel gave fewer than 3 records in a branch");
    for (std::size_t column = 0; column < a.size(); ++column) {
      for (int i = 0; i < recordsA && i < kMaxSteps; ++i) {
        results.add("generic.A" + std::to_string(column), i, a[column][static_cast<std::size_t>(i)]);
      }
    }
    for (std::size_t column = 0; column < b.size(); ++column) {
      for (int i = 0; i < recordsB && i < kMaxSteps; ++i) {
        results.add("generic.B" + std::to_string(column), i, b[column][static_cast<std::size_t>(i)]);
      }
    }
    for (std::size_t column = 0; column < pipe.size(); ++column) {
      for (int i = 0; i < outputSteps && i < kMaxSteps; ++i) {
        results.add("generic.pipe" + std::to_string(column), i, pipe[column][static_cast<std::size_t>(i)]);
      }
    }
  } else {
    (void)api;
    results.skipped.push_back("the one-call entry (VorlGenericZel)");
  }
}

// ---- Reference file ----

bool write(const Results& results, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) {
    fail("cannot write " + path);
    return false;
  }
  for (const auto& [key, value] : results.values) std::fprintf(file, "%s %.17g\n", key.c_str(), value);
  std::fclose(file);
  std::printf("%zu results written to %s\n", results.values.size(), path.c_str());
  return true;
}

double parseNumber(const std::string& text) {
  // strtod reads "nan" and "inf" as printf writes them on both platforms.
  return std::strtod(text.c_str(), nullptr);
}

bool agree(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (a == b) return true;
  return std::fabs(a - b) <= 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

void compare(const Results& results, const std::string& path) {
  std::ifstream file(path);
  if (!file) {
    fail("cannot read the reference " + path);
    return;
  }
  std::vector<std::pair<std::string, double>> reference;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string key, number;
    if (fields >> key >> number) reference.emplace_back(key, parseNumber(number));
  }
  if (reference.size() != results.values.size()) {
    fail("the reference has " + std::to_string(reference.size()) + " results, this run " +
         std::to_string(results.values.size()) +
         " (is the Linux build that wrote it built from the same sources?)");
  }
  double worst = 0.0;
  std::string worstKey;
  int disagreements = 0;
  const std::size_t n = std::min(reference.size(), results.values.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto& [key, value] = results.values[i];
    const auto& [referenceKey, referenceValue] = reference[i];
    if (key != referenceKey) {
      fail("result " + std::to_string(i) + " is " + key + " here and " + referenceKey + " in the reference");
      return;
    }
    if (!agree(value, referenceValue)) {
      if (++disagreements <= 20) {
        char text[256];
        std::snprintf(text, sizeof text, "%s: %.17g here, %.17g in the reference", key.c_str(), value,
                      referenceValue);
        fail(text);
      }
    } else if (value != referenceValue && std::isfinite(value)) {
      const double relative = std::fabs(value - referenceValue) / std::fmax(std::fabs(value), std::fabs(referenceValue));
      if (relative > worst) {
        worst = relative;
        worstKey = key;
      }
    }
  }
  if (disagreements > 20) fail(std::to_string(disagreements) + " results disagree in all");
  std::printf("%zu results compared with %s: %d disagree beyond 1e-12 relative; largest difference within it %.3g (%s)\n",
              n, path.c_str(), disagreements, worst, worstKey.empty() ? "all equal" : worstKey.c_str());
}

int usage() {
  std::fprintf(stderr, "usage: vorl_dll_host [--library PATH] [--write FILE | --compare FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
#if defined(_WIN32)
  std::string library = besideThisProgram("vorl.dll");
#else
  std::string library = VORL_LIBRARY_PATH;
#endif
  std::string writePath, comparePath;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return usage();
    if (option == "--library") {
      library = argv[++i];
    } else if (option == "--write") {
      writePath = argv[++i];
    } else if (option == "--compare") {
      comparePath = argv[++i];
    } else {
      return usage();
    }
  }

  std::vector<AnyFunction> addresses;
  if (!loadAndResolve(library, addresses)) return 1;
  for (std::size_t i = 0; i < addresses.size(); ++i) {
    if (addresses[i] == nullptr) {
      std::fprintf(stderr, "cannot run the case: %s is missing\n", kTable[i].name);
      return 1;
    }
  }
  const Api api = apiFrom(addresses);

  Results results;
  api.VorlErrorLogClear();
  handleCase(api, results);
  logOfTheCase(api, results);
  api.VorlErrorLogClear();
  oneCallCase(api, results);
  logOfTheCase(api, results);
  std::printf("%zu results of the double-branch case\n", results.values.size());
  for (const std::string& part : results.skipped) std::printf("not yet in the table, not run: %s\n", part.c_str());

  if (!writePath.empty()) write(results, writePath);
  if (!comparePath.empty()) compare(results, comparePath);
  std::printf("%s\n", failures == 0 ? "dll host: all checks passed" : "dll host: checks failed");
  return failures == 0 ? 0 : 1;
}
