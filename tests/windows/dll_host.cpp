// A host that loads the library at run time and knows it only from the export table: resolves every export
// (on Windows by ordinal and by name, the same address), runs one case through the handle API and in one call;
// --write FILE stores the results, --compare FILE requires 1e-12 relative agreement. Exit 0 passed, 1 failed, 2 usage.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
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

int failures = 0;

void fail(const std::string& message) {
  std::fprintf(stderr, "FAILED: %s\n", message.c_str());
  ++failures;
}

// The addresses of the table's exports, in its order.
std::vector<AnyFunction> resolveExports() {
  std::vector<AnyFunction> addresses;
#if defined(_WIN32)
  // Found in the folder of this program, where the build puts it.
  HMODULE library = LoadLibraryA("vorl.dll");
  if (library == nullptr) {
    fail("LoadLibrary(vorl.dll) failed, error " + std::to_string(GetLastError()));
    return addresses;
  }
  for (const TableEntry& entry : kTable) {
    const auto byOrdinal = reinterpret_cast<AnyFunction>(GetProcAddress(library, MAKEINTRESOURCEA(entry.ordinal)));
    const auto byName = reinterpret_cast<AnyFunction>(GetProcAddress(library, entry.name));
    const std::string what = std::string(entry.name) + " @" + std::to_string(entry.ordinal);
    if (byOrdinal == nullptr || byName == nullptr) {
      fail(what + (byOrdinal == nullptr ? ": not exported at its ordinal" : ": not exported by name"));
    } else if (byOrdinal != byName) {
      fail(what + ": the ordinal and the name give different functions");
    }
    addresses.push_back(byOrdinal);
  }
  std::printf("%zu exports resolved by ordinal and by name\n", addresses.size());
#else
  void* library = dlopen(VORL_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    fail(std::string("dlopen failed: ") + dlerror());
    return addresses;
  }
  for (const TableEntry& entry : kTable) {
    addresses.push_back(reinterpret_cast<AnyFunction>(dlsym(library, entry.name)));
    if (addresses.back() == nullptr) fail(std::string(entry.name) + ": not exported");
  }
#endif
  return addresses;
}

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

  void add(const std::string& key, double value) { values.emplace_back(key, value); }
  void add(const std::string& key, int index, double value) { add(key + "[" + std::to_string(index) + "]", value); }
};

constexpr int kMethane = 74828;

// A 100 km methane line of 0.5 m bore at 70 bar fed with 30 kg/s, breached at 30 km, aperture 0.8: two branches.
void handleCase(const Api& api, Results& results) {
  VorlHandle model = api.VorlModelCreateZel(kMethane);
  if (model == nullptr) return fail("VorlModelCreateZel(methane) gave no model");
  api.VorlPipeDiameterSet(model, 0.5);
  api.VorlPipeRoughnessSet(model, 5e-5);
  api.VorlPipeLengthSet(model, 100000.0);
  api.VorlUpstreamPressureSet(model, 7.0e6);
  api.VorlTotalInflowSet(model, 30.0);
  api.VorlPipeBreachLocationSet(model, 30000.0);
  api.VorlOrificeApertureSet(model, 0.8);
  results.add("fanning", api.VorlFanning(model));
  if (api.VorlIsDoubleBranch(model) != 1) fail("the case is not a double branch");
  results.add("run", api.VorlRun(model));

  using Query = decltype(api.VorlBranchATime);
  const struct {
    const char* name;
    Query a, b;
  } histories[] = {{"time", api.VorlBranchATime, api.VorlBranchBTime},
                   {"exitFlux", api.VorlBranchAExitFlux, api.VorlBranchBExitFlux},
                   {"exitPressure", api.VorlBranchAExitPressure, api.VorlBranchBExitPressure},
                   {"upstreamPressure", api.VorlBranchAUpstreamPressure, api.VorlBranchBUpstreamPressure},
                   {"massExpelled", api.VorlBranchAMassExpelled, api.VorlBranchBMassExpelled},
                   {"lengthDisturbed", api.VorlBranchALengthDisturbed, api.VorlBranchBLengthDisturbed}};
  for (const bool isA : {true, false}) {
    const std::string branch = isA ? "A." : "B.";
    const int size = isA ? api.VorlBranchAFlowSequenceSize(model) : api.VorlBranchBFlowSequenceSize(model);
    if (size < 3) fail("the run stored fewer than 3 states in branch " + branch);
    for (int i = 0; i < size; ++i) {
      for (const auto& history : histories) {
        results.add(branch + history.name, i, (isA ? history.a : history.b)(model, i));
      }
      results.add(branch + "regime", i, isA ? api.VorlBranchARegime(model, i) : api.VorlBranchBRegime(model, i));
    }
  }

  const double end = api.VorlPipeTimeMax(model);
  for (int k = 0; k <= 10; ++k) {
    results.add("pipe.time", k, api.VorlPipeTimeSet(model, end * k / 10.0, 0.0));
    results.add("pipe.exitFlux", k, api.VorlPipeExitFlux(model));
    results.add("pipe.massExpelled", k, api.VorlPipeMassExpelled(model));
    results.add("pipe.massInPipe", k, api.VorlPipeMassInPipe(model));
    double postFlash[4] = {0.0, 0.0, 0.0, 0.0};
    api.VorlPipePostFlash(model, &postFlash[0], &postFlash[1], &postFlash[2], &postFlash[3]);
    for (int j = 0; j < 4; ++j) results.add("pipe.postFlash" + std::to_string(j), k, postFlash[j]);
  }
  api.VorlModelDelete(&model);
  if (model != nullptr) fail("VorlModelDelete left the handle set");
}

// The same case in one call (flags, inputs, material, valves, division, steps; then the outputs of A, B and the pipe).
constexpr int kMaxSteps = 400;
using Columns = std::vector<std::vector<double>>;

struct OneCall {
  int flags[2] = {0, 0};  // valves off, expansion method 0
  double inputs[16] = {288.15, 101325.0, 0.5, 100000.0, 30.0, 7.0e6, 30000.0, 0.8,
                       0.5,    5e-5,     28.96, 12.0,   500.0, 1e-6, 1e-3,    288.15};
  int material = kMethane, valveCount = 0, timeDivision = 20, maxSteps = kMaxSteps;
  double valveFirst[1] = {0.0}, valveSecond[1] = {1.0};
  double times[8] = {};  // fanning and three times of A, four times of B
  int recordsA = -1, recordsB = -1, outputSteps = -1;
  Columns a = Columns(15, std::vector<double>(kMaxSteps, 0.0));
  Columns b = Columns(16, std::vector<double>(kMaxSteps, 0.0));
  Columns pipe = Columns(9, std::vector<double>(kMaxSteps, 0.0));

  template <std::size_t... A, std::size_t... B, std::size_t... P>
  void call(const Api& api, std::index_sequence<A...>, std::index_sequence<B...>, std::index_sequence<P...>) {
    api.VorlGenericZel(flags, inputs, &material, &valveCount, valveFirst, valveSecond, &timeDivision, &maxSteps,
                       &times[0], &times[1], &times[2], &times[3], &recordsA, a[A].data()..., &times[4], &times[5],
                       &times[6], &times[7], &recordsB, b[B].data()..., &outputSteps, pipe[P].data()...);
  }
};

void oneCallCase(const Api& api, Results& results) {
  OneCall c;
  c.call(api, std::make_index_sequence<15>{}, std::make_index_sequence<16>{}, std::make_index_sequence<9>{});
  const char* timeNames[8] = {"fanning",   "A.dechoke", "A.disturb",  "A.depressurise",
                              "B.dechoke", "B.disturb", "B.reversal", "B.depressurise"};
  for (int k = 0; k < 8; ++k) results.add(std::string("generic.") + timeNames[k], c.times[k]);
  results.add("generic.A.records", c.recordsA);
  results.add("generic.B.records", c.recordsB);
  results.add("generic.outputSteps", c.outputSteps);
  if (c.recordsA < 3 || c.recordsB < 3) fail("VorlGenericZel gave fewer than 3 records in a branch");
  const auto addColumns = [&](const std::string& key, const Columns& columns, int rows) {
    for (std::size_t column = 0; column < columns.size(); ++column) {
      for (int i = 0; i < rows && i < kMaxSteps; ++i) {
        results.add(key + std::to_string(column), i, columns[column][static_cast<std::size_t>(i)]);
      }
    }
  };
  addColumns("generic.A", c.a, c.recordsA);
  addColumns("generic.B", c.b, c.recordsB);
  addColumns("generic.pipe", c.pipe, c.outputSteps);
}

// The reports the case logged: their codes must agree too, and their text
// tells why a part gave nothing.
void logOfTheCase(const Api& api, Results& results) {
  const int count = api.VorlErrorLogCount();
  results.add("log.count", count);
  for (int i = 0; i < count; ++i) {
    char message[512];
    api.VorlErrorLogMessage(i, message, static_cast<int>(sizeof message));
    results.add("log.code", i, api.VorlErrorLogCode(i));
    std::printf("logged: %s\n", message);
  }
  api.VorlErrorLogClear();
}

// ---- Reference file ----

bool agree(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b || std::fabs(a - b) <= 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
}

void compare(const Results& results, const std::string& path) {
  std::ifstream file(path);
  if (!file) return fail("cannot read the reference " + path);
  std::vector<std::pair<std::string, double>> reference;
  std::string line, key, number;
  while (std::getline(file, line)) {
    // strtod reads "nan" and "inf" as printf writes them on both platforms.
    std::istringstream fields(line);
    if (fields >> key >> number) reference.emplace_back(key, std::strtod(number.c_str(), nullptr));
  }
  if (reference.size() != results.values.size()) {
    fail("the reference has " + std::to_string(reference.size()) + " results, this run " +
         std::to_string(results.values.size()) + " (is the Linux build that wrote it built from the same sources?)");
  }
  int disagreements = 0;
  for (std::size_t i = 0; i < std::min(reference.size(), results.values.size()); ++i) {
    const auto& [key, value] = results.values[i];
    if (key != reference[i].first) return fail("result " + key + " is " + reference[i].first + " in the reference");
    if (!agree(value, reference[i].second) && ++disagreements <= 20) {
      char text[256];
      std::snprintf(text, sizeof text, "%s: %.17g here, %.17g in the reference", key.c_str(), value,
                    reference[i].second);
      fail(text);
    }
  }
  std::printf("%zu results compared with %s: %d disagree beyond 1e-12 relative\n", reference.size(), path.c_str(),
              disagreements);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string option = argc == 3 ? argv[1] : "";
  if (argc != 1 && option != "--write" && option != "--compare") {
    std::fprintf(stderr, "usage: vorl_dll_host [--write FILE | --compare FILE]\n");
    return 2;
  }
  const std::vector<AnyFunction> addresses = resolveExports();
  if (failures != 0) return 1;
  const Api api = apiFrom(addresses);

  Results results;
  api.VorlErrorLogClear();
  handleCase(api, results);
  logOfTheCase(api, results);
  oneCallCase(api, results);
  logOfTheCase(api, results);
  std::printf("%zu results of the double-branch case\n", results.values.size());

  if (option == "--write") {
    std::ofstream file(argv[2]);
    for (const auto& [key, value] : results.values) {
      char number[32];
      std::snprintf(number, sizeof number, "%.17g", value);
      file << key << ' ' << number << '\n';
    }
    if (!file) fail(std::string("cannot write ") + argv[2]);
  } else if (option == "--compare") {
    compare(results, argv[2]);
  }
  std::printf("%s\n", failures == 0 ? "dll host: all checks passed" : "dll host: checks failed");
  return failures == 0 ? 0 : 1;
}
