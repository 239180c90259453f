// Golden records: every branch record and pipe-level result of the tool's example cases and of cases drawn from
// a fixed stream, read through the C interface's tables and folded into 64-bit digests of their bit patterns.
//   vorl_golden --check FILE | --write FILE (only for an intended change of results) | --dump N (case N in full)
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "vorl.h"

namespace {

constexpr int kMethane = 74828;

struct Valve {
  double position;
  double closureTime;
};

struct Case {
  std::string label;
  int material = kMethane;        // 0: a simple gas of molecularWeight
  double molecularWeight = 0.0;
  double length = 100000.0;
  double diameter = 0.5;
  double roughness = 5e-5;
  double upstreamPressure = 7.0e6;
  double inflow = 20.0;
  double breach = 30000.0;
  double aperture = 1.0;
  double gasTemperature = 288.15;
  double ambientTemperature = 288.15;
  double ambientPressure = 101325.0;
  int timeDivision = 100;
  int expansionMethod = 0;
  bool valvesActive = true;
  bool chokeModel = true;
  std::vector<Valve> valves;
};

// ---- cases ----

// splitmix64: a fixed stream, the same on every platform.
class Stream {
 public:
  explicit Stream(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double between(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  // Log-uniform: the scales of lengths, pressures and flows.
  double logBetween(double lo, double hi) { return lo * std::pow(hi / lo, uniform()); }
  int pick(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

 private:
  std::uint64_t state_;
};

std::vector<Case> exampleCases() {
  std::vector<Case> cases;
  Case line;
  line.label = "default";
  cases.push_back(line);

  Case valves;
  valves.label = "valves";
  valves.valves = {{20000.0, 300.0}, {50000.0, 600.0}};
  cases.push_back(valves);

  const double breaches[] = {5000, 15000, 25000, 35000, 45000, 55000, 65000, 75000, 85000, 95000};
  const double apertures[] = {0.2, 0.4, 0.6, 0.8, 1.0};
  const double pressures[] = {4.0e6, 5.5e6, 7.0e6, 8.5e6};
  for (double breach : breaches) {
    for (double pressure : pressures) {
      for (double aperture : apertures) {
        Case row;
        row.label = "sweep";
        row.breach = breach;
        row.aperture = aperture;
        row.upstreamPressure = pressure;
        cases.push_back(row);
      }
    }
  }
  return cases;
}

// Materials that stay gaseous at pipeline pressures and ambient temperature,
// and simple gases by molecular weight.
const int kMaterials[] = {74828, 74840, 7727379, 1333740, 124389, 630080, 7782447, 132259100};

Case drawnCase(Stream& draw, int index) {
  Case c;
  c.label = "drawn " + std::to_string(index);
  if (draw.pick(5) == 0) {
    c.material = 0;
    c.molecularWeight = draw.between(2.0, 44.0);
  } else {
    c.material = kMaterials[draw.pick(static_cast<int>(sizeof kMaterials / sizeof kMaterials[0]))];
  }
  c.length = draw.logBetween(500.0, 500000.0);
  c.diameter = draw.between(0.1, 1.2);
  c.roughness = draw.logBetween(1e-6, 5e-4);
  c.upstreamPressure = draw.logBetween(3.0e5, 1.5e7);
  const int inflowKind = draw.pick(3);
  c.inflow = inflowKind == 0 ? 0.0 : draw.logBetween(0.5, 200.0);
  const int breachKind = draw.pick(8);
  if (breachKind == 0) {
    c.breach = 0.0;
  } else if (breachKind == 1) {
    c.breach = c.length;
  } else {
    c.breach = c.length * draw.between(0.01, 0.99);
  }
  c.aperture = draw.pick(3) == 0 ? 1.0 : draw.between(0.2, 1.0);
  c.gasTemperature = draw.between(260.0, 330.0);
  c.ambientTemperature = draw.between(260.0, 310.0);
  c.ambientPressure = draw.between(9.0e4, 1.05e5);
  const int divisions[] = {100, 100, 100, 20, 50, 250, 1000, 3};
  c.timeDivision = divisions[draw.pick(8)];
  c.expansionMethod = draw.pick(3);
  c.chokeModel = draw.pick(10) != 0;
  const int valveCount = draw.pick(4) == 0 ? 1 + draw.pick(3) : 0;
  for (int v = 0; v < valveCount; ++v) {
    c.valves.push_back({c.length * draw.between(0.0, 1.0), draw.logBetween(10.0, 20000.0)});
  }
  c.valvesActive = draw.pick(6) != 0;
  return c;
}

std::vector<Case> allCases() {
  std::vector<Case> cases = exampleCases();
  Stream draw(20261206);
  for (int i = 0; i < 240; ++i) cases.push_back(drawnCase(draw, i));
  return cases;
}

// ---- digests ----

// FNV-1a over the bit patterns of every value in the order read; the
// values themselves are kept too when a dump is asked for.
class Digest {
 public:
  explicit Digest(std::ostream* dump) : dump_(dump) {}
  void add(const char* name, double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    mix(bits);
    if (dump_ != nullptr) {
      char text[64];
      std::snprintf(text, sizeof text, "%.17g", value);
      *dump_ << "  " << name << " " << text << "\n";
    }
  }
  void add(const char* name, int value) {
    mix(static_cast<std::uint64_t>(static_cast<std::int64_t>(value)));
    if (dump_ != nullptr) *dump_ << "  " << name << " " << value << "\n";
  }
  std::uint64_t value() const { return hash_; }
  std::ostream* dump() const { return dump_; }

 private:
  void mix(std::uint64_t bits) {
    for (int byte = 0; byte < 8; ++byte) {
      hash_ ^= (bits >> (8 * byte)) & 0xFFU;
      hash_ *= 0x100000001B3ULL;
    }
  }
  std::uint64_t hash_ = 0xCBF29CE484222325ULL;
  std::ostream* dump_;
};

VorlHandle buildModel(const Case& c) {
  VorlChokeModelAllow(c.chokeModel ? 1 : 0);
  VorlHandle model = c.material != 0 ? VorlModelCreateZel(c.material) : VorlModelCreateSimple(c.molecularWeight);
  if (model == nullptr) return nullptr;
  VorlAmbientTemperatureSet(model, c.ambientTemperature);
  VorlAmbientPressureSet(model, c.ambientPressure);
  VorlGasTemperatureSet(model, c.gasTemperature);
  VorlPipeDiameterSet(model, c.diameter);
  VorlPipeRoughnessSet(model, c.roughness);
  VorlPipeLengthSet(model, c.length);
  VorlTotalInflowSet(model, c.inflow);
  VorlUpstreamPressureSet(model, c.upstreamPressure);
  VorlPipeBreachLocationSet(model, c.breach);
  VorlOrificeApertureSet(model, c.aperture);
  VorlTimeDivisionSet(model, c.timeDivision);
  VorlAtmosExpanMethodSet(model, c.expansionMethod);
  VorlAtmosExpanHoleSizeSet(model, c.diameter, c.aperture);
  for (const Valve& valve : c.valves) VorlValveAdd(model, valve.position, valve.closureTime);
  VorlValvesActivate(model, c.valvesActive ? 1 : 0);
  return model;
}

// Rows of a table, cell by cell, in row order.
void digestRows(const std::vector<double>& values, int columns, const char* name, Digest& digest) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (digest.dump() != nullptr && i % static_cast<std::size_t>(columns) == 0) {
      *digest.dump() << " " << name << " row " << i / static_cast<std::size_t>(columns) << "\n";
    }
    digest.add(name, values[i]);
  }
}

// Every stored record of a branch, with its post-flash state, read as the
// branch's record table, and the event times. Returns the number of records.
int digestBranch(VorlHandle model, char branch, Digest& digest) {
  const bool isA = branch == 'A';
  const int n = VorlBranchTableFill(model, isA ? VORL_BRANCH_A : VORL_BRANCH_B, nullptr, 0);
  digest.add("size", isA ? VorlBranchAFlowSequenceSize(model) : VorlBranchBFlowSequenceSize(model));
  digest.add("timeToDechoke", isA ? VorlBranchATimeToDechoke(model) : VorlBranchBTimeToDechoke(model));
  digest.add("timeToDepressurise", isA ? VorlBranchATimeToDepressurise(model) : VorlBranchBTimeToDepressurise(model));
  digest.add("timeToDisturbEntireFlow",
             isA ? VorlBranchATimeToDisturbEntireFlow(model) : VorlBranchBTimeToDisturbEntireFlow(model));
  if (!isA) digest.add("timeToFlowReversal", VorlBranchBTimeToFlowReversal(model));
  const int columns = VorlBranchTableColumnCount();
  std::vector<double> table(static_cast<std::size_t>(n * columns));
  VorlBranchTableFill(model, isA ? VORL_BRANCH_A : VORL_BRANCH_B, table.data(), n);
  digestRows(table, columns, "record", digest);
  return n;
}

// The pipe-level table on the grid of the run's own times (the one-call
// entry's) and at fixed times without tolerance; then what the table leaves
// out, at 10 min.
int digestPipe(VorlHandle model, Digest& digest) {
  constexpr int kGridCount = 200;
  const double fixedTimes[] = {0.5, 1.0, 10.0, 60.0, 600.0, 3600.0, 36000.0, 1.0e6};
  const double noTolerance = 0.0;
  const int columns = VorlPipeTableColumnCount();
  digest.add("fanning", VorlFanning(model));
  digest.add("timeMax", VorlPipeTimeMax(model));
  const int steps = VorlPipeGridTableFill(model, kGridCount, nullptr, 0);
  std::vector<double> grid(static_cast<std::size_t>(steps * columns));
  VorlPipeGridTableFill(model, kGridCount, grid.data(), steps);
  digestRows(grid, columns, "grid", digest);
  std::vector<double> fixed(std::size(fixedTimes) * static_cast<std::size_t>(columns));
  VorlPipeTableFill(model, fixedTimes, static_cast<int>(std::size(fixedTimes)), &noTolerance, 1, fixed.data(),
                    static_cast<int>(std::size(fixedTimes)));
  digestRows(fixed, columns, "fixed", digest);
  VorlPipeTimeSet(model, 600.0, 0.0);
  digest.add("massPerUnitArea", VorlPipeMassPerUnitArea(model));
  digest.add("massInitial", VorlPipeMassInitial(model));
  digest.add("orificeArea", VorlPipeOrificeArea(model));
  digest.add("branchAverage", VorlPipeBranchAverage(model, 1.0, 3.0));
  return steps;
}

// The one-call entry's arrays for a case.
struct OneCallInputs {
  explicit OneCallInputs(const Case& c)
      : flags{c.valvesActive ? 1 : 0, c.expansionMethod},
        inputs{c.ambientTemperature, c.ambientPressure, 0.7, c.length, c.inflow, c.upstreamPressure, c.breach,
               c.aperture, c.diameter, c.roughness, 28.966, 12.5, 1000.0, 1e-6, 0.01, c.gasTemperature},
        material(c.material), valveCount(static_cast<int>(c.valves.size())), division(c.timeDivision) {
    for (const Valve& valve : c.valves) {
      first.push_back(valve.position);
      second.push_back(valve.closureTime);
    }
  }
  static constexpr int kRows = 400;
  int flags[2];
  double inputs[16];
  int material;
  int valveCount;
  int division;
  int maxSteps = kRows;
  std::vector<double> first, second;
};

std::string hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIx64, value);
  return text;
}

// The one-call entry takes a material and inputs its own check passes.
bool oneCallAccepts(const Case& c) {
  const OneCallInputs in(c);
  return c.material != 0 && VorlCheckInputs(in.flags, in.inputs, in.first.data(), in.second.data(), &in.division,
                                            &in.maxSteps, &in.valveCount) == 0;
}

// The one-call entry on the same inputs, into arrays of 400 rows: the digest, or "-" when it does not take the case.
std::string digestOneCall(const Case& c, std::ostream* dump) {
  if (!oneCallAccepts(c)) return "-";
  if (dump != nullptr) *dump << "one-call entry\n";
  Digest digest(dump);
  const OneCallInputs in(c);
  constexpr int kRows = OneCallInputs::kRows;
  double scalars[8] = {};
  int recordsA = -1, recordsB = -1, outputSteps = -1;
  std::vector<std::vector<double>> a(15, std::vector<double>(kRows, -7.0));
  std::vector<std::vector<double>> b(16, std::vector<double>(kRows, -7.0));
  std::vector<std::vector<double>> p(9, std::vector<double>(kRows, -7.0));
  VorlChokeModelAllow(c.chokeModel ? 1 : 0);
  VorlGenericZel(in.flags, in.inputs, &in.material, &in.valveCount, in.first.data(), in.second.data(), &in.division,
                 &in.maxSteps,
                 &scalars[0], &scalars[1], &scalars[2], &scalars[3], &recordsA, a[0].data(), a[1].data(),
                 a[2].data(), a[3].data(), a[4].data(), a[5].data(), a[6].data(), a[7].data(), a[8].data(),
                 a[9].data(), a[10].data(), a[11].data(), a[12].data(), a[13].data(), a[14].data(), &scalars[4],
                 &scalars[5], &scalars[6], &scalars[7], &recordsB, b[0].data(), b[1].data(), b[2].data(),
                 b[3].data(), b[4].data(), b[5].data(), b[6].data(), b[7].data(), b[8].data(), b[9].data(),
                 b[10].data(), b[11].data(), b[12].data(), b[13].data(), b[14].data(), b[15].data(), &outputSteps,
                 p[0].data(), p[1].data(), p[2].data(), p[3].data(), p[4].data(), p[5].data(), p[6].data(),
                 p[7].data(), p[8].data());
  digest.add("recordsA", recordsA);
  digest.add("recordsB", recordsB);
  digest.add("outputSteps", outputSteps);
  for (double value : scalars) digest.add("scalar", value);
  for (const auto& column : a) for (double value : column) digest.add("a", value);
  for (const auto& column : b) for (double value : column) digest.add("b", value);
  for (const auto& column : p) for (double value : column) digest.add("pipe", value);
  VorlChokeModelAllow(1);
  return hex(digest.value());
}

// One line per case: index, label, counts, digests of branch A, B, the pipe table and the one-call entry (or "-").
std::string caseLine(int index, const Case& c, std::ostream* dump, bool withOneCall) {
  VorlHandle model = buildModel(c);
  const int runResult = VorlRun(model);
  Digest branchA(dump), branchB(dump), pipe(dump);
  if (dump != nullptr) *dump << "branch A\n";
  const int recordsA = digestBranch(model, 'A', branchA);
  if (dump != nullptr) *dump << "branch B\n";
  const int recordsB = digestBranch(model, 'B', branchB);
  if (dump != nullptr) *dump << "pipe\n";
  const int steps = digestPipe(model, pipe);
  VorlModelDelete(&model);
  VorlChokeModelAllow(1);
  const std::string oneCall = withOneCall ? digestOneCall(c, dump) : "-";
  std::ostringstream line;
  line << index << " " << runResult << " " << recordsA << " " << recordsB << " " << steps << " "
       << hex(branchA.value()) << " " << hex(branchB.value()) << " " << hex(pipe.value()) << " " << oneCall;
  return line.str();
}

// The one-call entry switches the whole process to truncated sequence sizes
// for good, so every handle case runs first and the entry after them.
std::vector<std::string> allLines(const std::vector<Case>& cases) {
  std::vector<std::string> handleLines;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    handleLines.push_back(caseLine(static_cast<int>(i), cases[i], nullptr, false));
  }
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    lines.push_back(handleLines[i].substr(0, handleLines[i].rfind(' ') + 1) + digestOneCall(cases[i], nullptr) +
                    "  # " + cases[i].label);
  }
  return lines;
}

int write(const char* path) {
  const std::vector<std::string> lines = allLines(allCases());
  std::ofstream out(path);
  out << "# index run-result recordsA recordsB output-steps digest-A digest-B digest-pipe digest-one-call # label\n";
  for (const std::string& line : lines) out << line << "\n";
  return out ? 0 : 1;
}

int check(const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::cerr << "cannot read " << path << "\n";
    return 1;
  }
  std::vector<std::string> expected;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] != '#') expected.push_back(line);
  }
  const std::vector<Case> cases = allCases();
  const std::vector<std::string> actual = allLines(cases);
  int differences = 0;
  if (expected.size() != actual.size()) {
    std::cerr << "golden file holds " << expected.size() << " cases, the program " << actual.size() << "\n";
    ++differences;
  }
  for (std::size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
    if (expected[i] != actual[i]) {
      std::cerr << "case " << i << " changed:\n  golden " << expected[i] << "\n  now    " << actual[i] << "\n";
      ++differences;
    }
  }
  if (differences == 0) std::cout << actual.size() << " cases hold bit for bit\n";
  else std::cerr << differences << " cases changed; `vorl_golden --dump N` prints case N in full\n";
  return differences == 0 ? 0 : 1;
}

int dump(int index) {
  const std::vector<Case> cases = allCases();
  if (index < 0 || index >= static_cast<int>(cases.size())) return 1;
  std::cout << caseLine(index, cases[static_cast<std::size_t>(index)], &std::cout, true) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--check") == 0) return check(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--write") == 0) return write(argv[2]);
  if (argc == 3 && std::strcmp(argv[1], "--dump") == 0) return dump(std::atoi(argv[2]));
  std::cerr << "usage: vorl_golden --check FILE | --write FILE | --dump N\n";
  return 2;
}
