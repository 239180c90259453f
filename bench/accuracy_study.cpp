// How far the fast integral model is from the reference solution (finite
// volumes on the full one-dimensional isothermal Euler equations with wall
// friction): release rate and released mass of both over a grid of breach
// cases around the default case, with the ideal gas and, for a few cases,
// the Peng-Robinson gas; and two cases of their own, a 1,000 km line a day
// after its rupture and a 20 km line breached at its end or in its middle.
//
// Writes into the output directory the markdown tables of docs/accuracy.md
// (tables.md, also on standard output) and the series its pictures are drawn
// from (series.tsv, ratios.tsv; bench/plot_accuracy.py draws them). It runs
// for some minutes, so it is built with the benchmarks and is no test.
//
//   vorl_accuracy_study [--out DIR] [--jobs N] [--division N] [--only ID]...
//
// --only runs the named cases alone (ids as in ratios.tsv; long-end,
// long-start for the 1,000 km line), for a quick look.
//
// The fast model is used through the C interface, as a host would; the
// reference solver, not exported yet, through its C++ interface.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "reference/reference.h"
#include "vorl.h"

namespace {

using vorl::reference::CriticalConstants;
using vorl::reference::ReferenceCase;
using vorl::reference::ReferenceResult;

constexpr int kMethane = 74828;
// The molar mass of the library's methane and its critical constants.
constexpr double kMethaneMolarMass = 16.0428;  // kg/kmol
const CriticalConstants kMethaneCritical{190.564, 4.5992e6, 0.01142};
constexpr double kRoughness = 5e-5;  // m, as the tool's default case
constexpr double kMinute = 60.0;
constexpr double kHour = 3600.0;
constexpr int kDefaultDivision = 1000;
// Cases run again on a reference grid twice as fine, to show that the
// reference's own error is far below the gaps studied.
constexpr double kGridCheckRefinement = 2.0;
const std::vector<std::string> kGridCheckCases{"default", "a0.05", "short-mid", "long-end"};

// The times of the main tables (s).
const std::vector<double> kTableTimes{10.0, kMinute, 10.0 * kMinute, kHour};
// The times of the 20 km line's table and the 1,000 km line's (s).
const std::vector<double> kShortLineTimes{10.0, kMinute, 5.0 * kMinute};
const std::vector<double> kLongLineTimes{kHour, 3.0 * kHour, 6.0 * kHour, 12.0 * kHour, 24.0 * kHour};
// Sample times per decade of the series drawn.
constexpr int kSamplesPerDecade = 20;
// Below this fraction of its rate at the first sample (1 s), a release has
// ended: a ratio of the rates of its tail means nothing to a user.
constexpr double kEndedRateFraction = 0.01;

// The inputs both models share.
struct Line {
  double length = 100000.0;        // m
  double bore = 0.5;               // m
  double upstreamPressure = 7.0e6;  // Pa
  double inflow = 20.0;            // kg/s
  double breach = 30000.0;         // m from the upstream end
  double aperture = 1.0;
  double temperature = 288.15;      // K
  double ambientPressure = 101325.0;  // Pa
};

enum class Gas { kIdeal, kPengRobinson };

struct StudyCase {
  std::string id;     // short name, for the pictures
  std::string label;  // what differs from the default case
  std::string group;  // the input varied
  Line line;
  double endTime = 4.0 * kHour;  // s: long enough to cover the release
  bool realGasToo = false;       // also against the Peng-Robinson reference
};

// A release at the sample times. farEndPressure: at the closed end beyond
// the breach, for a breach at an end of the line (empty otherwise).
struct Series {
  std::vector<double> time, rate, mass, farEndPressure;
  double initialMass = 0.0;
  // Fast model, breach at an end: when its decompression front reaches the
  // far end (s).
  double farEndReached = std::nan("");
};

struct Comparison {
  const StudyCase* study = nullptr;
  Gas gas = Gas::kIdeal;
  double refinement = 1.0;
  double fanning = 0.0;
  Series fast, reference;
  double runSeconds = 0.0;  // wall-clock time of the reference run
};

// ---- The fast model, through the C interface ----

class FastModel {
 public:
  FastModel(const Line& line, int division) : handle_(VorlModelCreateZel(kMethane)) {
    if (handle_ == nullptr) throw std::runtime_error("no model for methane");
    VorlPipeLengthSet(handle_, line.length);  // first: it moves a breach beyond the end
    VorlPipeDiameterSet(handle_, line.bore);
    VorlPipeRoughnessSet(handle_, kRoughness);
    VorlGasTemperatureSet(handle_, line.temperature);
    VorlAmbientPressureSet(handle_, line.ambientPressure);
    VorlUpstreamPressureSet(handle_, line.upstreamPressure);
    VorlTotalInflowSet(handle_, line.inflow);
    VorlPipeBreachLocationSet(handle_, line.breach);
    VorlOrificeApertureSet(handle_, line.aperture);
    VorlTimeDivisionSet(handle_, division);
  }
  ~FastModel() { VorlModelDelete(&handle_); }
  FastModel(const FastModel&) = delete;
  FastModel& operator=(const FastModel&) = delete;

  double fanning() const { return VorlFanning(handle_); }

  void run() {
    VorlErrorLogClear();
    if (VorlRun(handle_) <= 0) throw std::runtime_error("the fast model's run failed: " + lastLogMessage());
  }

  Series sample(const std::vector<double>& times) const {
    Series s;
    VorlPipeTimeSetToStart(handle_);
    s.initialMass = VorlPipeMassInitial(handle_);
    for (double t : times) {
      VorlPipeTimeSet(handle_, t, 0.0);  // tolerance 0: between records, linear
      s.time.push_back(t);
      s.rate.push_back(VorlPipeExitFlux(handle_));
      s.mass.push_back(VorlPipeMassExpelled(handle_));
      if (VorlIsSingleBranchA(handle_) || VorlIsSingleBranchB(handle_)) s.farEndPressure.push_back(farEndPressure(t));
    }
    if (VorlIsSingleBranchA(handle_)) s.farEndReached = VorlBranchATimeToDisturbEntireFlow(handle_);
    if (VorlIsSingleBranchB(handle_)) s.farEndReached = VorlBranchBTimeToDisturbEntireFlow(handle_);
    return s;
  }

 private:
  // The far-end pressure of the single branch at t, linear between its
  // records (the pipe-level queries have none).
  double farEndPressure(double t) const {
    const bool a = VorlIsSingleBranchA(handle_);
    const int n = a ? VorlBranchAFlowSequenceSize(handle_) : VorlBranchBFlowSequenceSize(handle_);
    const auto timeOf = [&](int i) { return a ? VorlBranchATime(handle_, i) : VorlBranchBTime(handle_, i); };
    const auto pressureOf = [&](int i) {
      return a ? VorlBranchAUpstreamPressure(handle_, i) : VorlBranchBUpstreamPressure(handle_, i);
    };
    constexpr double kInfiniteTime = 1e127;
    double previousTime = timeOf(0), previousPressure = pressureOf(0);
    for (int i = 1; i < n; ++i) {
      const double ti = timeOf(i);
      if (ti >= kInfiniteTime) break;
      const double pi = pressureOf(i);
      if (ti >= t) {
        const double w = ti > previousTime ? (t - previousTime) / (ti - previousTime) : 1.0;
        return previousPressure + w * (pi - previousPressure);
      }
      previousTime = ti;
      previousPressure = pi;
    }
    return previousPressure;
  }

  static std::string lastLogMessage() {
    const int n = VorlErrorLogCount();
    if (n == 0) return "no report";
    char buffer[512];
    VorlErrorLogMessage(n - 1, buffer, static_cast<int>(sizeof buffer));
    return buffer;
  }

  VorlHandle handle_;
};

// ---- The reference solution ----

Series runReferenceSeries(const Line& line, double fanning, Gas gas, double refinement, double endTime,
                          const std::vector<double>& times) {
  ReferenceCase c;
  c.molarMass = kMethaneMolarMass;
  c.temperature = line.temperature;
  if (gas == Gas::kPengRobinson) c.realGas = kMethaneCritical;
  c.length = line.length;
  c.bore = line.bore;
  c.fanning = fanning;
  c.upstreamPressure = line.upstreamPressure;
  c.inflow = line.inflow;
  c.breachLocation = line.breach;
  c.aperture = line.aperture;
  c.ambientPressure = line.ambientPressure;
  c.endTime = endTime;
  c.reportTimes = times;
  c.numerics.refinement = refinement;
  const ReferenceResult r = vorl::reference::runReference(c);
  Series s;
  s.time = r.time;
  s.rate = r.releaseRate;
  s.mass = r.releasedMass;
  s.initialMass = r.initialMass;
  if (r.upstream.present != r.downstream.present)
    s.farEndPressure = r.upstream.present ? r.upstream.farEndPressure : r.downstream.farEndPressure;
  return s;
}

// ---- The cases ----

// 20 samples per decade from 1 s to the end, with the times of every table
// and the end.
std::vector<double> sampleTimes(double endTime) {
  std::vector<double> times;
  for (int k = 0;; ++k) {
    const double t = std::pow(10.0, static_cast<double>(k) / kSamplesPerDecade);
    if (t >= endTime) break;
    times.push_back(t);
  }
  for (const auto* table : {&kTableTimes, &kShortLineTimes, &kLongLineTimes})
    for (double t : *table)
      if (t <= endTime) times.push_back(t);
  times.push_back(endTime);
  std::sort(times.begin(), times.end());
  // Merge times closer than a millisecond (the grid's rounding of 10^k).
  std::vector<double> merged;
  for (double t : times)
    if (merged.empty() || t - merged.back() > 1e-3) merged.push_back(t);
  return merged;
}

StudyCase variant(std::string id, std::string label, std::string group, double endTime,
                  void (*change)(Line&)) {
  StudyCase c;
  c.id = std::move(id);
  c.label = std::move(label);
  c.group = std::move(group);
  c.endTime = endTime;
  change(c.line);
  return c;
}

// One input at a time around the default case (100 km, 0.5 m, 70 bar,
// 20 kg/s, full bore at 30 km), then a few combinations. A length keeps the
// breach at 30 % of the line. End times cover the release: the line has
// blown down, or a fed line has come near its new steady flow.
std::vector<StudyCase> studyCases() {
  std::vector<StudyCase> cases;
  const auto add = [&](std::string id, std::string label, std::string group, double endTime, void (*change)(Line&)) {
    cases.push_back(variant(std::move(id), std::move(label), std::move(group), endTime, change));
  };
  add("default", "default case", "default", 4 * kHour, [](Line&) {});
  cases.back().realGasToo = true;

  add("L20", "length 20 km (breach 6 km)", "length", 2 * kHour, [](Line& l) { l.length = 20e3, l.breach = 6e3; });
  add("L50", "length 50 km (breach 15 km)", "length", 4 * kHour, [](Line& l) { l.length = 50e3, l.breach = 15e3; });
  add("L200", "length 200 km (breach 60 km)", "length", 8 * kHour,
      [](Line& l) { l.length = 200e3, l.breach = 60e3; });
  add("L400", "length 400 km (breach 120 km)", "length", 24 * kHour,
      [](Line& l) { l.length = 400e3, l.breach = 120e3; });

  add("D0.4", "bore 0.4 m", "bore", 4 * kHour, [](Line& l) { l.bore = 0.4; });
  add("D0.75", "bore 0.75 m", "bore", 4 * kHour, [](Line& l) { l.bore = 0.75; });
  add("D1.0", "bore 1.0 m", "bore", 4 * kHour, [](Line& l) { l.bore = 1.0; });

  add("p40", "40 bar", "pressure", 4 * kHour, [](Line& l) { l.upstreamPressure = 40e5; });
  add("p100", "100 bar", "pressure", 4 * kHour, [](Line& l) { l.upstreamPressure = 100e5; });
  add("p150", "150 bar", "pressure", 4 * kHour, [](Line& l) { l.upstreamPressure = 150e5; });
  cases.back().realGasToo = true;

  add("x0", "breach at 0 km (upstream end)", "breach", 12 * kHour, [](Line& l) { l.breach = 0.0; });
  add("x10", "breach at 10 km", "breach", 8 * kHour, [](Line& l) { l.breach = 10e3; });
  add("x50", "breach at 50 km", "breach", 4 * kHour, [](Line& l) { l.breach = 50e3; });
  add("x70", "breach at 70 km", "breach", 4 * kHour, [](Line& l) { l.breach = 70e3; });
  add("x100", "breach at 100 km (downstream end)", "breach", 12 * kHour, [](Line& l) { l.breach = 100e3; });

  add("a0.5", "aperture 0.5", "aperture", 4 * kHour, [](Line& l) { l.aperture = 0.5; });
  add("a0.2", "aperture 0.2", "aperture", 6 * kHour, [](Line& l) { l.aperture = 0.2; });
  add("a0.1", "aperture 0.1", "aperture", 8 * kHour, [](Line& l) { l.aperture = 0.1; });
  add("a0.05", "aperture 0.05", "aperture", 12 * kHour, [](Line& l) { l.aperture = 0.05; });

  add("Q0", "no inflow (closed upstream end)", "inflow", 8 * kHour, [](Line& l) { l.inflow = 0.0; });
  add("Q10", "inflow 10 kg/s", "inflow", 4 * kHour, [](Line& l) { l.inflow = 10.0; });
  add("Q40", "inflow 40 kg/s", "inflow", 4 * kHour, [](Line& l) { l.inflow = 40.0; });

  add("Q0x100", "no inflow, breach at 100 km", "combined", 8 * kHour,
      [](Line& l) { l.inflow = 0.0, l.breach = 100e3; });
  add("L200p100x200", "200 km, 100 bar, breach at 200 km", "combined", 24 * kHour,
      [](Line& l) { l.length = 200e3, l.upstreamPressure = 100e5, l.breach = 200e3; });
  add("L200a0.1", "200 km, breach at 60 km, aperture 0.1", "combined", 12 * kHour,
      [](Line& l) { l.length = 200e3, l.breach = 60e3, l.aperture = 0.1; });
  add("big", "200 km, 1.0 m, 150 bar, 100 kg/s, breach at 50 km", "combined", 8 * kHour, [](Line& l) {
    l.length = 200e3, l.bore = 1.0, l.upstreamPressure = 150e5, l.inflow = 100.0, l.breach = 50e3;
  });
  cases.back().realGasToo = true;
  add("D0.3a0.2", "0.3 m, 5 kg/s, aperture 0.2", "combined", 8 * kHour,
      [](Line& l) { l.bore = 0.3, l.inflow = 5.0, l.aperture = 0.2; });
  add("short-end", "20 km, 0.3 m, 100 bar, no inflow, breach at 20 km", "combined", 1 * kHour, [](Line& l) {
    l.length = 20e3, l.bore = 0.3, l.upstreamPressure = 100e5, l.inflow = 0.0, l.breach = 20e3;
  });
  add("short-mid", "20 km, 0.3 m, 100 bar, no inflow, breach at 10 km", "combined", 1 * kHour, [](Line& l) {
    l.length = 20e3, l.bore = 0.3, l.upstreamPressure = 100e5, l.inflow = 0.0, l.breach = 10e3;
  });
  add("short-start", "20 km, 0.3 m, 100 bar, no inflow, breach at 0 km", "combined", 1 * kHour, [](Line& l) {
    l.length = 20e3, l.bore = 0.3, l.upstreamPressure = 100e5, l.inflow = 0.0, l.breach = 0.0;
  });
  return cases;
}

// The 1,000 km line of 1.15 m bore at 165 bar and 282 K, closed at both
// ends, ruptured at full bore at one end into 8.6 bar.
StudyCase longLineCase(double breach) {
  StudyCase c;
  c.id = breach > 0.0 ? "long-end" : "long-start";
  c.label = "1,000 km, 1.15 m, 165 bar, 282 K, closed, full bore at one end into 8.6 bar";
  c.group = "long";
  c.line.length = 1000e3;
  c.line.bore = 1.15;
  c.line.upstreamPressure = 165e5;
  c.line.temperature = 282.0;
  c.line.inflow = 0.0;
  c.line.breach = breach;
  c.line.aperture = 1.0;
  c.line.ambientPressure = 8.6e5;
  c.endTime = 24.0 * kHour;
  return c;
}

// ---- Running ----

struct Job {
  const StudyCase* study;
  Gas gas;
  double refinement;
};

// Runs one job: the fast model (under the lock: its error log is the
// process's), then the reference on the same line.
Comparison runJob(const Job& job, int division, std::mutex& lock) {
  const StudyCase& c = *job.study;
  {
    std::lock_guard<std::mutex> guard(lock);
    std::cerr << "running " << c.id << (job.gas == Gas::kPengRobinson ? " (Peng-Robinson)" : "")
              << (job.refinement != 1.0 ? " (refined)" : "") << " ...\n";
  }
  const std::vector<double> times = sampleTimes(c.endTime);
  Comparison out;
  out.study = job.study;
  out.gas = job.gas;
  out.refinement = job.refinement;
  {
    std::lock_guard<std::mutex> guard(lock);
    FastModel fast(c.line, division);
    fast.run();
    out.fanning = fast.fanning();
    out.fast = fast.sample(times);
  }
  const auto start = std::chrono::steady_clock::now();
  out.reference = runReferenceSeries(c.line, out.fanning, job.gas, job.refinement, c.endTime, times);
  out.runSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return out;
}

// Runs the jobs on `threads` threads, taken in the order of the list. The
// first failure stops the jobs not yet started and is thrown again once
// every thread has finished.
std::vector<Comparison> runAll(const std::vector<Job>& jobs, int division, int threads) {
  std::vector<Comparison> results(jobs.size());
  std::atomic<std::size_t> next{0};
  std::mutex lock;
  std::exception_ptr failure;
  const auto worker = [&] {
    try {
      for (std::size_t i = next++; i < jobs.size(); i = next++) results[i] = runJob(jobs[i], division, lock);
    } catch (...) {
      std::lock_guard<std::mutex> guard(lock);
      if (!failure) failure = std::current_exception();
      next = jobs.size();
    }
  };
  std::vector<std::thread> pool;
  for (int k = 1; k < threads; ++k) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
  return results;
}

// ---- Reading the series ----

// The sample at time t, which every table time is.
std::size_t indexOf(const Series& s, double t) {
  const auto it = std::lower_bound(s.time.begin(), s.time.end(), t - 1e-6);
  if (it == s.time.end() || std::fabs(*it - t) > 1e-6) throw std::logic_error("no sample at a table time");
  return static_cast<std::size_t>(it - s.time.begin());
}

// fast / reference of the rate at t; NaN once the reference's release has
// ended (or past the end of the run).
double rateRatio(const Comparison& c, double t) {
  if (t > c.study->endTime) return std::nan("");
  const std::size_t i = indexOf(c.reference, t);
  const double ref = c.reference.rate[i];
  if (ref <= kEndedRateFraction * c.reference.rate.front()) return std::nan("");
  return c.fast.rate[indexOf(c.fast, t)] / ref;
}

double massRatio(const Comparison& c, double t) {
  if (t > c.study->endTime) return std::nan("");
  return c.fast.mass[indexOf(c.fast, t)] / c.reference.mass[indexOf(c.reference, t)];
}

std::string fixed(double value, int digits) {
  if (!std::isfinite(value)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", digits, value);
  return buffer;
}

std::string duration(double seconds) {
  if (seconds >= kHour) return fixed(seconds / kHour, 0) + " h";
  if (seconds >= kMinute) return fixed(seconds / kMinute, 0) + " min";
  return fixed(seconds, 0) + " s";
}

// ---- Tables ----

void ratioTable(std::ostream& md, const std::vector<Comparison>& rows, bool showGas) {
  md << "| Case |" << (showGas ? " Reference gas |" : "")
     << " Rate 10 s | 1 min | 10 min | 1 h | Mass 10 s | 1 min | 10 min | 1 h | End | Mass at end | Initial mass |\n";
  md << "|---|" << (showGas ? "---|" : "") << "---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const Comparison& c : rows) {
    md << "| " << c.study->label << " |";
    if (showGas) md << (c.gas == Gas::kPengRobinson ? " Peng-Robinson |" : " ideal |");
    for (double t : kTableTimes) md << ' ' << fixed(rateRatio(c, t), 2) << " |";
    for (double t : kTableTimes) md << ' ' << fixed(massRatio(c, t), 2) << " |";
    md << ' ' << duration(c.study->endTime) << " | " << fixed(massRatio(c, c.study->endTime), 2) << " | "
       << fixed(c.fast.initialMass / c.reference.initialMass, 3) << " |\n";
  }
}

const Comparison* find(const std::vector<Comparison>& all, const std::string& id, Gas gas, double refinement = 1.0) {
  for (const Comparison& c : all)
    if (c.study->id == id && c.gas == gas && c.refinement == refinement) return &c;
  return nullptr;
}

void shortLineTable(std::ostream& md, const std::vector<Comparison>& all) {
  md << "| Breach | Rate 10 s | 1 min | 5 min | Mass 10 s | 1 min | 5 min |\n|---|---:|---:|---:|---:|---:|---:|\n";
  const std::vector<double>& times = kShortLineTimes;
  for (const char* id : {"short-start", "short-mid", "short-end"}) {
    const Comparison* c = find(all, id, Gas::kIdeal);
    if (c == nullptr) continue;
    md << "| " << fixed(c->study->line.breach / 1000.0, 0) << " km |";
    for (double t : times) md << ' ' << fixed(rateRatio(*c, t), 2) << " |";
    for (double t : times) md << ' ' << fixed(massRatio(*c, t), 2) << " |";
    md << '\n';
  }
}

void longLineTable(std::ostream& md, const std::vector<Comparison>& all) {
  const Comparison* fastStart = find(all, "long-start", Gas::kIdeal);
  const Comparison* ideal = find(all, "long-end", Gas::kIdeal);
  const Comparison* idealFine = find(all, "long-end", Gas::kIdeal, kGridCheckRefinement);
  const Comparison* real = find(all, "long-end", Gas::kPengRobinson);
  if (fastStart == nullptr || ideal == nullptr || real == nullptr) return;
  md << "| Time | Closed-end pressure, bar: fast model (breach at 1,000 km) | fast model (breach at 0 km) | "
        "reference, ideal gas | reference, ideal gas, grid twice as fine | reference, Peng-Robinson | "
        "Released, fast / ideal | Released, fast / Peng-Robinson |\n";
  md << "|---|---:|---:|---:|---:|---:|---:|---:|\n";
  for (double t : kLongLineTimes) {
    const auto bar = [t](const Series& s) { return fixed(s.farEndPressure[indexOf(s, t)] / 1e5, 1); };
    const auto released = [t](const Series& s) { return s.mass[indexOf(s, t)]; };
    md << "| " << duration(t) << " | " << bar(ideal->fast) << " | " << bar(fastStart->fast) << " | "
       << bar(ideal->reference) << " | " << (idealFine != nullptr ? bar(idealFine->reference) : "-") << " | "
       << bar(real->reference) << " | " << fixed(released(ideal->fast) / released(ideal->reference), 2) << " | "
       << fixed(released(ideal->fast) / released(real->reference), 2) << " |\n";
  }
  md << "\nInitial mass, kt: fast model " << fixed(ideal->fast.initialMass / 1e6, 1) << ", ideal gas "
     << fixed(ideal->reference.initialMass / 1e6, 1) << ", Peng-Robinson " << fixed(real->reference.initialMass / 1e6, 1)
     << "; released in 24 h, kt: fast model " << fixed(ideal->fast.mass.back() / 1e6, 1) << ", ideal gas "
     << fixed(ideal->reference.mass.back() / 1e6, 1) << ", Peng-Robinson " << fixed(real->reference.mass.back() / 1e6, 1)
     << "; Fanning factor " << fixed(ideal->fanning, 5) << ". The fast model's decompression front reaches the "
     << "closed end after " << fixed(ideal->fast.farEndReached / kHour, 1) << " h.\n";
}

// The largest change of the reference's release rate and released mass at
// the sample times when every cell is half as long (rates only while the
// release lasts).
void gridCheckTable(std::ostream& md, const std::vector<Comparison>& all) {
  md << "| Case | End | Release rate, largest change | Released mass, largest change |\n|---|---:|---:|---:|\n";
  for (const std::string& id : kGridCheckCases) {
    const Comparison* coarse = find(all, id, Gas::kIdeal);
    const Comparison* fine = find(all, id, Gas::kIdeal, kGridCheckRefinement);
    if (coarse == nullptr || fine == nullptr) continue;
    const Series &a = coarse->reference, &b = fine->reference;
    double rate = 0.0, mass = 0.0;
    for (std::size_t i = 0; i < a.time.size(); ++i) {
      if (a.rate[i] > kEndedRateFraction * a.rate.front())
        rate = std::max(rate, std::fabs(b.rate[i] / a.rate[i] - 1.0));
      mass = std::max(mass, std::fabs(b.mass[i] / a.mass[i] - 1.0));
    }
    md << "| " << coarse->study->label << " | " << duration(coarse->study->endTime) << " | "
       << fixed(100.0 * rate, 2) << " % | " << fixed(100.0 * mass, 2) << " % |\n";
  }
}

// ---- Files for the pictures ----

void writeSeries(const std::filesystem::path& file, const std::vector<Comparison>& all) {
  std::ofstream out(file);
  out << "id\tgas\trefinement\ttime_s\tfast_rate\treference_rate\tfast_mass\treference_mass"
         "\tfast_far_end_pressure\treference_far_end_pressure\n";
  // The far-end pressure, for a breach at an end of the line; nan otherwise.
  const auto farEnd = [](const Series& s, std::size_t i) {
    return i < s.farEndPressure.size() ? s.farEndPressure[i] : std::nan("");
  };
  for (const Comparison& c : all)
    for (std::size_t i = 0; i < c.reference.time.size(); ++i)
      out << c.study->id << '\t' << (c.gas == Gas::kPengRobinson ? "pr" : "ideal") << '\t' << c.refinement << '\t'
          << c.reference.time[i] << '\t' << c.fast.rate[i] << '\t' << c.reference.rate[i] << '\t' << c.fast.mass[i]
          << '\t' << c.reference.mass[i] << '\t' << farEnd(c.fast, i) << '\t' << farEnd(c.reference, i) << '\n';
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

void writeRatios(const std::filesystem::path& file, const std::vector<Comparison>& rows) {
  std::ofstream out(file);
  out << "id\tgroup\tlabel\trate_10s\trate_1min\trate_10min\trate_1h\tmass_10s\tmass_1min\tmass_10min\tmass_1h\n";
  for (const Comparison& c : rows) {
    out << c.study->id << '\t' << c.study->group << '\t' << c.study->label;
    for (double t : kTableTimes) out << '\t' << rateRatio(c, t);
    for (double t : kTableTimes) out << '\t' << massRatio(c, t);
    out << '\n';
  }
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

struct Options {
  std::filesystem::path out = "accuracy-study";
  int jobs = 1;
  int division = kDefaultDivision;
  std::vector<std::string> only;  // ids of the cases to run; empty: all
};

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--out" && hasValue) {
      o.out = argv[++i];
    } else if (arg == "--jobs" && hasValue) {
      o.jobs = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--division" && hasValue) {
      o.division = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--only" && hasValue) {
      o.only.emplace_back(argv[++i]);
    } else {
      throw std::invalid_argument("usage: vorl_accuracy_study [--out DIR] [--jobs N] [--division N] [--only ID]...");
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const Options options = parse(argc, argv);
    const std::vector<StudyCase> cases = studyCases();
    const StudyCase longEnd = longLineCase(1000e3), longStart = longLineCase(0.0);
    // The longest first, so that parallel threads finish together.
    std::vector<const StudyCase*> allCases{&longEnd};
    for (const StudyCase& c : cases) allCases.push_back(&c);

    const auto selected = [&](const StudyCase& c) {
      return options.only.empty() || std::find(options.only.begin(), options.only.end(), c.id) != options.only.end();
    };
    std::vector<Job> jobs;
    const auto gridCheck = [](const StudyCase& c) {
      return std::find(kGridCheckCases.begin(), kGridCheckCases.end(), c.id) != kGridCheckCases.end();
    };
    if (selected(longEnd)) jobs.push_back({&longEnd, Gas::kPengRobinson, 1.0});
    if (selected(longStart)) jobs.push_back({&longStart, Gas::kIdeal, 1.0});
    for (const StudyCase* c : allCases) {
      if (!selected(*c)) continue;
      if (gridCheck(*c)) jobs.push_back({c, Gas::kIdeal, kGridCheckRefinement});
      jobs.push_back({c, Gas::kIdeal, 1.0});
      if (c->realGasToo) jobs.push_back({c, Gas::kPengRobinson, 1.0});
    }
    const std::vector<Comparison> all = runAll(jobs, options.division, options.jobs);

    std::vector<Comparison> ideal, real;
    for (const StudyCase& c : cases) {
      if (!selected(c)) continue;
      ideal.push_back(*find(all, c.id, Gas::kIdeal));
      if (c.realGasToo) {
        real.push_back(ideal.back());
        real.push_back(*find(all, c.id, Gas::kPengRobinson));
      }
    }

    std::ostringstream md;
    md << "<!-- vorl_accuracy_study, time division " << options.division << " -->\n\n";
    md << "Fast model / reference (ideal gas):\n\n";
    ratioTable(md, ideal, false);
    md << "\nFast model / reference, ideal and Peng-Robinson gas:\n\n";
    ratioTable(md, real, true);
    md << "\n20 km, 0.3 m, 100 bar, no inflow, fast model / reference (ideal gas):\n\n";
    shortLineTable(md, all);
    md << "\n1,000 km line:\n\n";
    longLineTable(md, all);
    md << "\nThe reference on a grid twice as fine, from 1 s to the end:\n\n";
    gridCheckTable(md, all);
    double seconds = 0.0;
    for (const Comparison& c : all) seconds += c.runSeconds;
    md << "\n<!-- " << all.size() << " reference runs, " << fixed(seconds, 0) << " s in all -->\n";

    std::filesystem::create_directories(options.out);
    std::ofstream(options.out / "tables.md") << md.str();
    writeSeries(options.out / "series.tsv", all);
    writeRatios(options.out / "ratios.tsv", ideal);
    std::cout << md.str();
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "vorl_accuracy_study: " << e.what() << '\n';
    return 1;
  }
}
