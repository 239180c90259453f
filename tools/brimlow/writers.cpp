#include "writers.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "case_file.h"
#include "case_units.h"
#include "numbers.h"
#include "reference.h"
#include "tables.h"
#include "text.h"

namespace brimlow {

const char* const kBranchAFile = "branch_a.csv";
const char* const kBranchBFile = "branch_b.csv";
const char* const kPipeFile = "pipe.csv";
const char* const kReferenceFile = "reference.csv";

namespace {

nlohmann::ordered_json jsonNumber(double value, bool integer) {
  if (!std::isfinite(value)) return nullptr;
  if (integer) return static_cast<long long>(value);
  return value;
}

nlohmann::ordered_json tableJson(const std::vector<Column>& columns, const Table& table) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  for (std::size_t j = 0; j < columns.size(); ++j) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const auto& row : table.rows) values.push_back(jsonNumber(row[j], columns[j].integer));
    out[columns[j].name] = values;
  }
  return out;
}

std::string line(const std::string& label, const std::string& value) {
  char text[256];
  std::snprintf(text, sizeof text, "  %-34s %s\n", label.c_str(), value.c_str());
  return text;
}

// The line as operated: the reference's supply and valve closure, and the
// fast model's own beside them (a constant inflow, valves shut at an
// instant), which it keeps whatever the case asks of the reference.
std::string referenceSupplyText(const Case& c) {
  std::string text = c.supplyMode == 1.0 ? "holding " + shortText(c.upstreamPressure / 1e5) + " bar at the inlet"
                                         : "a constant inflow of " + shortText(c.inflow) + " kg/s";
  if (c.supplyTripTime > 0.0) text += ", tripping to nothing at " + shortText(c.supplyTripTime) + " s";
  return text;
}

std::string fastSupplyText(const Case& c) { return "a constant inflow of " + shortText(c.inflow) + " kg/s"; }

std::string referenceValvesText(const Case& c) {
  const std::string start = c.valveDetectionDelay > 0.0
                                ? shortText(c.valveDetectionDelay) + " s after its closure time"
                                : "at its closure time";
  const std::string motion = c.valveClosingDuration > 0.0
                                 ? ", shut over " + shortText(c.valveClosingDuration) + " s (area linear in time)"
                                 : ", shut at once";
  return "each valve starting " + start + motion;
}

const char* const kFastValvesText = "each valve shut at once at its closure time";

// The first valve upstream of the breach to shut cuts the supply off from
// it: the inflow after that goes into the line behind the valve and no
// longer into the balance of the release, which the summary says rather
// than leave the inflow out without a word.
// In the reference a valve is shut after its detection delay and its motion,
// and a supply that holds its pressure feeds what the line draws: the mass
// fed by then is the reference's table's, not said here (NaN).
struct SupplyCut {
  bool applies = false;
  double time = 0.0;
  double valvePosition = 0.0;
  double massFed = std::numeric_limits<double>::quiet_NaN();
};

SupplyCut supplyCutOf(const Case& c, const CaseResult& r) {
  SupplyCut cut;
  if (c.inflow <= 0.0 || c.valvesActive == 0.0 || !r.hasA) return cut;
  const Valve* first = nullptr;
  for (const Valve& valve : c.valves) {
    if (valve.position < r.breachLocation && (first == nullptr || valve.closureTime < first->closureTime)) first = &valve;
  }
  if (first == nullptr) return cut;
  const bool reference = r.model == "reference";
  const double motion = reference ? c.valveDetectionDelay + c.valveClosingDuration : 0.0;
  cut.time = first->closureTime + motion;
  if (!(cut.time < summaryValue(r, "end_time_s"))) return cut;
  cut.applies = true;
  cut.valvePosition = first->position;
  if (!(reference && operatesSupply(c))) cut.massFed = c.inflow * cut.time;
  return cut;
}

nlohmann::ordered_json supplyCutJson(const SupplyCut& cut) {
  return {{"time_s", cut.time}, {"valve_position_m", cut.valvePosition},
          {"mass_fed_kg", jsonNumber(cut.massFed, false)}};
}

nlohmann::ordered_json operationJson(const Case& c) {
  nlohmann::ordered_json out = nlohmann::ordered_json::object();
  if (operatesSupply(c)) out["supply"] = {{"reference", referenceSupplyText(c)}, {"fast", fastSupplyText(c)}};
  if (operatesValves(c)) out["valve_closure"] = {{"reference", referenceValvesText(c)}, {"fast", kFastValvesText}};
  return out;
}

std::string quantity(double value, const char* unit, int digits = 4) {
  if (std::isnan(value)) return "-";
  if (std::isinf(value)) return "without end";
  return roundedText(value, digits) + " " + unit;
}

std::string massText(double kilograms) {
  if (std::isnan(kilograms)) return "-";
  if (std::isinf(kilograms)) return "without end";
  char text[64];
  std::snprintf(text, sizeof text, "%.4g t", kilograms / 1000.0);
  return text;
}

}  // namespace

std::string tableCsv(const std::vector<Column>& columns, const Table& table) {
  std::string text;
  for (std::size_t j = 0; j < columns.size(); ++j) {
    if (j > 0) text += ',';
    text += columns[j].name;
  }
  text += '\n';
  for (const auto& row : table.rows) {
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (j > 0) text += ',';
      text += exactText(row[j]);
    }
    text += '\n';
  }
  return text;
}

std::vector<NamedText> tableFiles(const CaseResult& result) {
  // The branch histories are the fast model's records: with the reference
  // chosen, its pipe table and its own table answer.
  std::vector<NamedText> files;
  if (result.model == "fast") {
    files = {{kBranchAFile, tableCsv(branchColumns(), result.branchA)},
             {kBranchBFile, tableCsv(branchColumns(), result.branchB)}};
  }
  files.push_back({kPipeFile, tableCsv(pipeColumns(), result.pipe)});
  if (result.reference.ran) files.push_back({kReferenceFile, tableCsv(referenceColumns(), result.reference.table)});
  return files;
}

namespace {

// The fast model over the reference; NaN where either is missing or the
// reference is 0 (the mass released at the breach instant).
double ratio(double fast, double reference) {
  if (!(reference != 0.0) || !std::isfinite(fast) || !std::isfinite(reference)) return NAN;
  return fast / reference;
}

// The reference's key figures, the fast model's at the same instants and
// their ratios, by the summary's names ("release_rate_10s_kg_per_s"), and its
// table.
nlohmann::ordered_json referenceJson(const ReferenceResult& reference) {
  nlohmann::ordered_json out, fast, ratios;
  out["end_time_s"] = reference.endTime;
  out["real_gas"] = reference.realGas;
  const auto add = [&](nlohmann::ordered_json& to, const std::string& name, double value) {
    to[name] = jsonNumber(value, false);
  };
  for (const char* quantity : {"release_rate", "mass_released"}) {
    const bool rate = quantity == std::string("release_rate");
    for (const ReferenceInstant& instant : reference.instants) {
      const std::string name = std::string(quantity) + "_" + instant.mark;
      const std::string unit = rate ? "_kg_per_s" : "_kg";
      add(out, name + unit, rate ? instant.rate : instant.mass);
      add(fast, name + unit, rate ? instant.fastRate : instant.fastMass);
      add(ratios, name, rate ? ratio(instant.fastRate, instant.rate) : ratio(instant.fastMass, instant.mass));
    }
  }
  out["fast"] = fast;
  out["ratios"] = ratios;
  out["table"] = tableJson(referenceColumns(), reference.table);
  return out;
}

}  // namespace

nlohmann::ordered_json resultJson(const Case& c, const CaseResult& result) {
  nlohmann::ordered_json out;
  out["brimlow_version"] = BRIMLOW_VERSION;
  out["case"] = caseToJson(c);
  // The breach where the library put it: one beyond the pipe is at its end.
  out["case"]["breach_location_m"] = result.breachLocation;
  out["layout"] = result.layout;
  out["model"] = result.model;
  if (result.referenceFailed()) out["reference_failure"] = result.referenceFailure.text();
  nlohmann::ordered_json warnings = nlohmann::ordered_json::array();
  for (const std::string& warning : warningLines(result.reports)) warnings.push_back(warning);
  out["warnings"] = warnings;
  nlohmann::ordered_json summary = nlohmann::ordered_json::object();
  for (std::size_t i = 0; i < summaryFields().size(); ++i) {
    summary[summaryFields()[i].name] = jsonNumber(result.summary[i], summaryFields()[i].integer);
  }
  out["summary"] = summary;
  // The gas and the outlet as the library took them: present where they say
  // more than the case does, so that a case without them reads as before.
  if (result.underWater) out["outlet_pressure_Pa"] = result.outletPressure;
  if (result.components > 1) out["dew_temperature_at_outlet_K"] = jsonNumber(result.dewTemperature, false);
  if (result.naturalGas) out["potential_impact_radius_m"] = result.impactRadius;
  // Which supply and valve closure each model took, where they differ.
  if (operatesSupply(c) || operatesValves(c)) out["operation"] = operationJson(c);
  if (const SupplyCut cut = supplyCutOf(c, result); cut.applies) out["supply_cut_off"] = supplyCutJson(cut);
  if (result.model == "fast") {
    out["branch_a"] = tableJson(branchColumns(), result.branchA);
    out["branch_b"] = tableJson(branchColumns(), result.branchB);
  }
  out["pipe"] = tableJson(pipeColumns(), result.pipe);
  if (result.reference.ran) out["reference"] = referenceJson(result.reference);
  return out;
}

namespace {

// The release report's rates and gas in the pipe at its four times, then its
// means, release times, the breach used and the hole.
std::string releaseReportText(const CaseResult& r) {
  const auto v = [&](const std::string& name) { return summaryValue(r, name); };
  std::string text = "\nRelease report                       rate, total     branch A        branch B        gas in the pipe\n";
  const std::pair<const char*, const char*> marks[] = {
      {"after 10 s", "10s"}, {"after 1 min", "1min"}, {"after 10 min", "10min"}, {"after 1 h", "1h"}};
  for (const auto& [label, mark] : marks) {
    const std::string rate = std::string("release_rate_") + mark + "_kg_per_s";
    char row[256];
    std::snprintf(row, sizeof row, "  %-34s %-15s %-15s %-15s %s\n", label, quantity(v(rate), "kg/s").c_str(),
                  quantity(v("a_" + rate), "kg/s").c_str(), quantity(v("b_" + rate), "kg/s").c_str(),
                  massText(v(std::string("gas_in_pipe_") + mark + "_kg")).c_str());
    text += row;
  }
  text += line("mean release rate, first 20 s", quantity(v("mean_release_rate_20s_kg_per_s"), "kg/s"));
  text += line("mean release rate, first 60 s", quantity(v("mean_release_rate_60s_kg_per_s"), "kg/s"));
  // Of the gas in the pipe before the breach.
  text += line("time to release 50 % of the gas", durationText(v("time_to_release_half_s")));
  text += line("time to release 90 % of the gas", durationText(v("time_to_release_90pct_s")));
  text += line("breach location used", shortText(v("breach_location_m")) + " m");
  text += line("hole diameter", shortText(v("hole_diameter_m")) + " m");
  return text;
}

std::string modelText(const CaseResult& r) {
  if (r.model == "reference") return "the reference solution of the full equations (its fields marked - it does not resolve)";
  return r.referenceFailed() ? "the fast model (the reference solution failed)" : "the fast model";
}

// The fast model beside the reference at the summary's instants.
std::string referenceText(const ReferenceResult& reference) {
  std::string text = std::string("\nReference solution: ") + (reference.realGas ? "Peng-Robinson" : "ideal") +
                     " gas, run to " + durationText(reference.endTime) + "\n";
  char row[256];
  std::snprintf(row, sizeof row, "  %-34s %-15s %-15s %s\n", "", "fast", "reference", "fast/reference");
  text += row;
  for (const char* what : {"release rate", "mass released"}) {
    const bool rate = what == std::string("release rate");
    for (const ReferenceInstant& instant : reference.instants) {
      if (!rate && instant.time == 0.0) continue;  // nothing is released yet
      const double fast = rate ? instant.fastRate : instant.fastMass;
      const double solved = rate ? instant.rate : instant.mass;
      const double r = ratio(fast, solved);
      std::snprintf(row, sizeof row, "  %-34s %-15s %-15s %s\n", (std::string(what) + " " + instant.label).c_str(),
                    (rate ? quantity(fast, "kg/s") : massText(fast)).c_str(),
                    (rate ? quantity(solved, "kg/s") : massText(solved)).c_str(),
                    std::isnan(r) ? "-" : roundedText(r, 3).c_str());
      text += row;
    }
  }
  return text;
}

// A mixture's post-flash: where its dew point lies, and that a liquid
// formed is an approximation.
std::string mixtureText(const CaseResult& r, double liquidFraction) {
  if (r.components < 2) return "";
  std::string text = line("dew point of the mixture", r.dewTemperature > 0.0
                                                          ? quantity(r.dewTemperature, "K") + " (Peng-Robinson)"
                                                          : std::string("none at this pressure"));
  if (liquidFraction > 0.0) {
    text += "  (the liquid of a mixture below its dew point is taken as its components' liquids mixed by mass:\n"
            "   an approximation that overstates the liquid just below the dew point)\n";
  }
  return text;
}

// The potential impact radius by which US operators screen natural-gas lines
// for high consequence areas, as the library gives it for a natural gas.
std::string impactRadiusText(const CaseResult& r) {
  if (!r.naturalGas) return "";
  return "\nScreening\n" +
         line("potential impact radius", quantity(r.impactRadius, "m") + " (0.69 d sqrt(p) ft, d " +
                                             shortText(r.impactDiameterInches) + " in, p " +
                                             shortText(r.impactGaugePsi) + " psig)") +
         "  (US 49 CFR 192.903, natural gas only: where a jet fire of a full-bore rupture of a line at that\n"
         "   pressure gives 5000 Btu/(h ft2), 15.8 kW/m2; it takes the maximum allowable operating pressure and\n"
         "   the outside diameter, here the upstream pressure and the bore; a screening distance for the\n"
         "   pipeline, not a result of the release computed above)\n";
}

std::string supplyCutText(const Case& c, const CaseResult& r) {
  const SupplyCut cut = supplyCutOf(c, r);
  if (!cut.applies) return "";
  const std::string fed = std::isnan(cut.massFed) ? "" : ", after " + massText(cut.massFed) + " fed";
  return line("supply cut off from the breach",
              "at " + durationText(cut.time) + " by the valve at " + shortText(cut.valvePosition) + " m" + fed +
                  "; the inflow after it stays behind the valve and is not in the masses above");
}

// The case as the summary states it: gas, pipe, supply, breach and valves.
std::string caseSection(const Case& c, const CaseResult& r) {
  std::string text = "Case\n";
  text += line("gas", gasText(c) + " at " + shortText(c.gasTemperature) + " K");
  text += line("pipe", shortText(c.pipeLength) + " m long, bore " + shortText(c.pipeDiameter) + " m, roughness " +
                           shortText(c.pipeRoughness) + " m");
  text += line("supply", shortText(c.upstreamPressure / 1e5) + " bar upstream, inflow " + shortText(c.inflow) +
                             " kg/s");
  const std::string hole = hasHoleDiameter(c) ? " of a hole of " + shortText(c.holeDiameter) + " m" : "";
  text += line("breach", "at " + shortText(r.breachLocation) + " m, aperture " + shortText(c.aperture) + hole +
                             " (" + r.layout + ")");
  if (r.underWater) {
    const std::string source = c.backPressure > 0.0 ? "given directly"
                                                    : shortText(c.waterDepth) + " m of seawater of " +
                                                          shortText(c.seawaterDensity) + " kg/m3 over the air";
    text += line("outlet", "back pressure " + shortText(r.outletPressure / 1e5) + " bar (" + source +
                               "): the release ends when the line reaches it");
  }
  if (!c.valves.empty()) {
    std::string valves;
    for (const Valve& valve : c.valves) {
      if (!valves.empty()) valves += ", ";
      // Valves that move shut later in the reference: their closure time is then the start of the count.
      valves += shortText(valve.position) + (operatesValves(c) ? " m, closure time " : " m shut at ") +
                shortText(valve.closureTime) + " s";
    }
    text += line(c.valvesActive != 0.0 ? "valves" : "valves (inactive)", valves);
  }
  if (operatesSupply(c)) {
    text += line("supply after the breach", referenceSupplyText(c) + " (reference)");
    text += line("", "the fast model keeps " + fastSupplyText(c));
  }
  if (operatesValves(c)) {
    text += line("valve closure", referenceValvesText(c) + " (reference)");
    text += line("", "the fast model: " + std::string(kFastValvesText));
  }
  text += line("model", modelText(r));
  return text;
}

// What was released and when.
std::string releaseSection(const CaseResult& r) {
  const auto v = [&](const char* name) { return summaryValue(r, name); };
  std::string text = "\nRelease\n";
  text += line("gas in the pipe before the breach", massText(v("initial_mass_kg")));
  text += line("initial release rate", quantity(v("initial_release_rate_kg_per_s"), "kg/s"));
  text += line("mass released after 1 min", massText(v("mass_released_1min_kg")));
  text += line("mass released after 10 min", massText(v("mass_released_10min_kg")));
  text += line("mass released after 1 h", massText(v("mass_released_1h_kg")));
  const char* end = r.model == "reference" ? "end of the reference run" : "end of the finite history";
  text += line(end, durationText(v("end_time_s")));
  text += line("mass released by then", massText(v("mass_released_end_kg")));
  if (v("mass_trapped_end_kg") > 0.0) text += line("gas held behind shut valves", massText(v("mass_trapped_end_kg")));
  return text;
}

// The event times of each branch side by side.
std::string branchesSection(const Case& c, const CaseResult& r) {
  const auto v = [&](const char* name) { return summaryValue(r, name); };
  std::string text = "\nBranches                             A (upstream)           B (downstream)\n";
  char row[256];
  const auto branchLine = [&](const char* label, const char* a, const char* b) {
    const std::string aText = a == nullptr || !r.hasA ? "-" : durationText(v(a));
    const std::string bText = b == nullptr || !r.hasB ? "-" : durationText(v(b));
    std::snprintf(row, sizeof row, "  %-34s %-22s %s\n", label, aText.c_str(), bText.c_str());
    text += row;
  };
  branchLine("time to dechoke", "a_time_to_dechoke_s", "b_time_to_dechoke_s");
  branchLine("time to disturb the entire branch", "a_time_to_disturb_entire_branch_s",
             "b_time_to_disturb_entire_branch_s");
  branchLine("time to flow reversal", nullptr, "b_time_to_flow_reversal_s");
  branchLine("time to depressurise", "a_time_to_depressurise_s", "b_time_to_depressurise_s");
  if (r.hasA && std::isinf(v("a_time_to_depressurise_s")) && c.inflow > 0.0) {
    text += "  (branch A is fed by the supply: it never finishes, and its outflow tends to the inflow)\n";
  }
  return text;
}

// The outflow at the breach instant once expanded to ambient pressure (or to
// the back pressure of a line under the sea).
std::string postFlashSection(const CaseResult& r) {
  const auto v = [&](const char* name) { return summaryValue(r, name); };
  std::string text = r.underWater ? "\nOutflow at the breach instant after expansion to the back pressure of " +
                                        shortText(r.outletPressure / 1e5) + " bar\n"
                                  : std::string("\nOutflow at the breach instant after expansion to ambient pressure\n");
  text += line("temperature", quantity(v("postflash_temperature_K"), "K"));
  text += line("velocity", quantity(v("postflash_velocity_m_per_s"), "m/s"));
  text += line("liquid mass fraction", roundedText(v("postflash_liquid_fraction"), 3));
  text += line("drop size", quantity(v("postflash_drop_size_m"), "m", 3));
  text += mixtureText(r, v("postflash_liquid_fraction"));
  return text;
}

}  // namespace

std::string summaryText(const Case& c, const CaseResult& r, const std::string& origin,
                        const std::vector<std::string>& filesWritten) {
  // The name is a title on a terminal: no control character of it reaches one.
  const std::string name = withoutControlCharacters(c.name);
  std::string text = "brimlow: " + origin + (name.empty() ? "" : " \"" + name + "\"") + "\n\n";
  text += caseSection(c, r) + releaseSection(r) + supplyCutText(c, r) + branchesSection(c, r) + postFlashSection(r) + impactRadiusText(r);
  text += releaseReportText(r);
  if (r.reference.ran) text += referenceText(r.reference);

  std::string files;
  for (const std::string& file : filesWritten) files += (files.empty() ? "" : ", ") + file;
  text += "\nFiles written: " + (files.empty() ? std::string("none") : files) + "\n";
  return text;
}

}  // namespace brimlow
