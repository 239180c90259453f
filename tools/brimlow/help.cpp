#include "help.h"

#include <cstdio>

#include "case.h"
#include "csv.h"
#include "input_files.h"
#include "json_reader.h"
#include "reference.h"
#include "status.h"
#include "table_step.h"
#include "tables.h"
#include "units.h"
#include "writers.h"

namespace brimlow {
namespace {

// Words of text laid out in lines of at most width columns, each indented.
std::string wrapped(const std::string& text, std::size_t indent, std::size_t width = 78) {
  std::string out, line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!line.empty() && indent + line.size() + 1 + word.size() > width) {
      out += std::string(indent, ' ') + line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    start = end + 1;
  }
  if (!line.empty()) out += std::string(indent, ' ') + line + "\n";
  return out;
}

std::string keysText() {
  std::string text;
  for (const CaseKey& key : caseKeys()) {
    std::string head = std::string("  ") + key.name + " = " + defaultText(key);
    const std::string unit = keyUnit(key), range = keyRange(key);
    if (!unit.empty()) head += "  (" + unit + ")";
    text += head + "\n" + wrapped(keyMeaning(key), 6);
    if (!range.empty()) text += wrapped("allowed: " + range, 6);
    if (key.kind == KeyKind::kNumber && hasOtherUnits(unit)) text += wrapped("units: " + acceptedUnitWords(unit), 6);
  }
  return text;
}

std::string columnsText(const std::vector<Column>& columns) {
  std::string text;
  for (const Column& column : columns) {
    text += std::string("  ") + column.name + "\n" + wrapped(column.meaning, 6);
  }
  return text;
}

std::string exitText() {
  return "EXIT STATUS\n"
         "  0  success\n"
         "  1  an output could not be written (standard output included), or gnuplot\n"
         "     failed; a failed run leaves none of its files\n"
         "  2  the command line is wrong\n"
         "  3  the case file is missing, unreadable, larger than " +
         sizeText(kCaseFileLimit) + " (a batch row: " + sizeText(kCsvRowLimit) +
         "),\n"
         "     nested deeper than " +
         std::to_string(kJsonMaxDepth) +
         " levels, not JSON, or has unknown or repeated keys or\n"
         "     values of the wrong type (every such problem is reported)\n"
         "  4  a value is out of its allowed range, a valve lies beyond the pipe's end, or\n"
         "     the library refused the case (the key, the value and the allowed range are\n"
         "     reported)\n"
         "  5  the run itself failed\n"
         "  6  batch: one or more cases failed; each failed row says why\n"
         "  7  run: the fast model's answer was written, the reference solution failed\n"
         "     (named on standard error)\n"
         "  130  run: the reference cancelled by Ctrl-C; no file written\n";
}

std::string mainHelp() {
  return std::string(
             "NAME\n"
             "  brimlow - gas release from a long high-pressure pipeline after a breach\n"
             "\n"
             "SYNOPSIS\n"
             "  brimlow run [CASE.json] [--out DIR] [--json] [--plot[=png|svg]] [--table-step S]\n"
             "              [--model fast|reference] [--until T] [--real-gas] [--no-reference] [--progress]\n"
             "  brimlow batch CASES.csv [--jobs N] [--shard K/N] [--model fast|reference] [--out FILE]\n"
             "  brimlow materials\n"
             "  brimlow keys [--markdown]\n"
             "  brimlow COMMAND --help\n"
             "  brimlow --version\n"
             "\n"
             "DESCRIPTION\n") +
         wrapped("brimlow runs the release model of the vorl library: an ideal gas at one temperature in "
                 "isothermal, friction-dominated flow, in a pipe breached at a given distance from its "
                 "supply end. The breach splits the pipe into branch A (upstream, still fed by the supply) "
                 "and branch B (downstream). A case gives the pipe, the gas, the supply, the breach, the "
                 "valves and the ambient air; every input left out takes its default.",
                 2) +
         "\n"
         "COMMANDS\n"
         "  run        run one case (the built-in default case without a file) and show\n"
         "             its summary; write its tables, JSON document and plot\n"
         "  batch      run many cases from a CSV file in parallel, one summary row each\n"
         "  materials  list the built-in materials with their numbers and properties\n"
         "  keys       list the case-file keys with their units and defaults\n"
         "\n" +
         exitText() +
         "\n"
         "EXAMPLES\n"
         "  brimlow run\n"
         "  brimlow run examples/cases/valves.json --out results --plot\n"
         "  brimlow run case.json --json > result.json\n"
         "  brimlow batch examples/cases/sweep.csv --jobs 4 --out sweep-results.csv\n";
}

// The command, its synopsis and what it does.
std::string runDescription() {
  return std::string(
             "NAME\n"
             "  brimlow run - run one release case\n"
             "\n"
             "SYNOPSIS\n"
             "  brimlow run [CASE.json] [--out DIR] [--json] [--plot[=png|svg]] [--table-step S]\n"
             "              [--model fast|reference] [--until T] [--real-gas] [--no-reference] [--progress]\n"
             "\n"
             "DESCRIPTION\n") +
         wrapped("Reads the case file (JSON; '-' reads standard input), or takes the built-in default case "
                 "when none is given: a 100 km methane line of 0.5 m bore at 70 bar, fed by a supply of "
                 "20 kg/s, breached at 30 km. The file's form is checked first and every problem of it "
                 "reported; then its values, with the library's own check, which names the first value out "
                 "of range and its allowed range. A case with a problem writes nothing and exits non-zero. "
                 "Warnings of the library are shown on standard error.",
                 2) +
         "\n" +
         wrapped("The summary gives the release rate at the breach instant, the times to dechoke, to disturb "
                 "the entire branch, to flow reversal and to depressurise of each branch, the mass released "
                 "after 1 min, 10 min and 1 h and at the end of the finite history (a branch fed by the "
                 "supply never ends), and the state of the outflow after expansion to ambient pressure.",
                 2) +
         "\n";
}

// Each option of the command and what it does.
std::string runOptionsText() {
  return "OPTIONS\n"
         "  --out DIR, -o DIR\n" +
         wrapped(std::string("Write the tables ") + kBranchAFile + ", " + kBranchBFile + " and " + kPipeFile +
                     " into DIR (made if missing), and the plot when asked for.",
                 6) +
         "  --json\n" +
         wrapped("Print the whole result as one JSON document on standard output in place of the summary: "
                 "the case with every key, the layout, the warnings, the summary and the three tables (each "
                 "an object of columns). Infinite times and values that do not exist are null.",
                 6) +
         "  --plot[=png|svg]\n" +
         wrapped("Draw release rate and mass released against time into release.png (or release.svg) in "
                 "DIR, or in the current directory without --out. Needs gnuplot 5 or later (Debian: gnuplot-nox).",
                 6) +
         "  --table-step S\n" +
         wrapped("Also write the pipe-level table at the times 0, S, 2S, ... up to the end of the finite "
                 "history into pipe-every-<S>s.csv (pipe-every-60s.csv) in DIR, or in the current directory "
                 "without --out: each row the library's own look-up at its time, numbers with " +
                     std::to_string(kSteppedTableDigits) + " significant figures. S is in seconds, or a time "
                 "with its unit (\"1 min\"); it takes the place of the case's table_step_s. A step that would "
                 "give more than " + std::to_string(kSteppedTableMostRows) + " rows is refused.",
                 6) +
         "  --model fast|reference\n" +
         wrapped("The model whose answer the run gives, as the key model: the fast model (the default) or the "
                 "reference solution, whose release report, pipe tables, events and plot then come from its "
                 "solution (fields it does not resolve are -). With the reference, holes go down to 1 mm.",
                 6) +
         "  --real-gas\n" +
         wrapped("The reference solution takes the Peng-Robinson gas, as the key real_gas; the fast model "
                 "takes the ideal gas whatever it says (a warning says so when the reference is left out).",
                 6) +
         "  --until T\n" +
         wrapped("The reference stops T after the breach (2h, 90min, 7200), as the key reference_end; by "
                 "default at the end of the fast model's history, the span the comparison covers.",
                 6) +
         "  --no-reference, --reference\n" +
         wrapped("The library's reference solution of the full equations (finite volumes) runs on the "
                 "same case after the fast model by default; --no-reference leaves it out (--reference, as "
                 "the key reference, changes nothing). The key real_gas "
                 "gives it the Peng-Robinson gas. A reference that fails leaves the fast model's answer "
                 "written and exits 7. Its report times are the breach, 10 s, 20 s, "
                 "1 min, 10 min, 1 h and the end of the fast model's finite history, 200 equal steps to that "
                 "end and 20 a decade over the six decades below it. The summary puts its release rate and "
                 "mass released beside the fast model's at those instants with their ratio fast/reference; the "
                 "JSON document gains a \"reference\" object (its figures, the fast model's, the ratios and "
                 "its table); --out writes " + std::string(kReferenceFile) + "; the plot draws its total "
                 "dashed. Ctrl-C cancels it: no file is written, status 130.",
                 6) +
         "  --progress\n" +
         wrapped("Draw the reference's progress bar on standard error also when it is no terminal (on a "
                 "terminal it is drawn anyway).",
                 6) +
         "  --help, -h\n"
         "      Show this text.\n";
}

// The form of a case file and its keys with their units, defaults and ranges.
std::string caseFileText() {
  return "CASE FILE\n" +
         wrapped("A JSON object of the keys below, in any order; a key left out, or null, takes its default. "
                 "Comments (// and /* */) are allowed. A number is in the unit of the key's name (K, Pa, m, s, "
                 "kg/s, kg/kmol); text of a number and a unit is converted: \"70 bar\", \"69 barg\" (gauge: the "
                 "ambient pressure is added), \"1015 psia\", \"15 degC\", \"59 degF\", \"20 in\", \"100 km\", "
                 "\"72 t/h\", \"10 min\"; the units each key takes are listed below. Valve positions and closure "
                 "times take units too. hole_diameter_m gives the hole in place of the aperture.",
                 2) +
         "\n" + keysText();
}

// The columns of the tables the command writes.
std::string outputTablesText() {
  return "OUTPUT TABLES\n" +
         wrapped(std::string(kBranchAFile) + " and " + kBranchBFile +
                     ": one row per stored step of the branch (empty but for the header when the branch does "
                     "not exist; inf for an infinite time):",
                 2) +
         columnsText(branchColumns()) + "\n" +
         wrapped(std::string(kPipeFile) +
                     ": the pipe as a whole at its output times (the run's own times thinned to the smaller of "
                     "time_division and output_steps; a branch fed by the supply carries the table on to "
                     "900000 s):",
                 2) +
         columnsText(pipeColumns()) + "\n" +
         wrapped(std::string(kReferenceFile) +
                     " (unless --no-reference): the library's reference table at its report times: per branch (a_, "
                     "b_; blank for a branch the breach does not leave) the release rate, mass released, "
                     "pressures at the breach end and the far end and the gas in it; the totals; the supply's "
                     "inflow and the sink's delivery:",
                 2) +
         columnsText(referenceColumns());
}

std::string runExamples() {
  return "EXAMPLES\n"
         "  brimlow run\n"
         "      The default case.\n"
         "  brimlow run examples/cases/valves.json --out valves --plot\n"
         "      A case with isolation valves; tables and valves/release.png.\n"
         "  echo '{\"breach_location_m\": 50000, \"aperture\": 0.5}' | brimlow run - --json\n"
         "      The default case breached at 50 km through half the bore, as JSON.\n";
}

std::string runHelp() {
  return runDescription() + runOptionsText() + "\n" + caseFileText() + "\n" + outputTablesText() + "\n" +
         exitText() + "\n" + runExamples();
}

std::string batchHelp() {
  std::string fields;
  for (const Column& field : summaryFields()) {
    fields += std::string("  ") + field.name + "\n" + wrapped(field.meaning, 6);
  }
  return std::string(
             "NAME\n"
             "  brimlow batch - run many cases, one summary row each\n"
             "\n"
             "SYNOPSIS\n"
             "  brimlow batch CASES.csv [--jobs N] [--shard K/N] [--model fast|reference] [--out FILE]\n"
             "\n"
             "DESCRIPTION\n") +
         wrapped("CASES.csv has a header row of case keys (the keys of a case file, see brimlow keys) and "
                 "one case per row after it; a blank cell takes the default. Valves are written as "
                 "position_m:closure_time_s pairs separated by ';', for example \"20000:600;80000:900\". Cells take "
                 "units as a case file does (\"70 bar\", \"20 km:10 min\"); table_step_s writes no table here, and a "
                 "row with reference true fails: a row gives one model's answer (model reference, or --model "
                 "reference for rows that leave the model out, chooses the reference solution). "
                 "Lines starting with '#' and blank lines (empty or of blanks only) are skipped. "
                 "'-' reads standard input.",
                 2) +
         "\n" +
         wrapped("The cases run in parallel, each on its own model; the results are the same as running "
                 "each case alone, whatever the number of threads. The rows stream through: each is read, run "
                 "and written in the order of the file, so that memory does not grow with the number of rows "
                 "(a row may be up to " + sizeText(kCsvRowLimit) + "). The output is CSV: a column row, the "
                 "row number (the case's place among the data rows, from 1), the case's cells as given, its "
                 "status (ok or failed), the reason of a failure, the library's warnings and the summary "
                 "fields below. A failed case is reported in its row and the others go on; a row with more "
                 "or fewer cells than the header fails so. A fault of the file itself (a quote left open, a "
                 "row too long) stops the batch with status 3. On a terminal a progress bar is drawn on "
                 "standard error.",
                 2) +
         "\n"
         "OPTIONS\n"
         "  --jobs N, -j N\n"
         "      Run on N threads (default: one per hardware thread).\n"
         "  --model fast|reference\n" +
         wrapped("The model of the rows that leave the key model out: the reference solution's release report "
                 "in place of the fast model's.",
                 6) +
         "  --shard K/N\n" +
         wrapped("Run only the rows whose row number is K modulo N (0 <= K < N), so that the nodes of a job "
                 "scheduler can share a sweep. The outputs of the N shards, each sorted in after the one "
                 "column row by row number, are the output of the whole file: see docs/batch.md.",
                 6) +
         "  --out FILE, -o FILE\n" +
         wrapped("Write the rows to FILE instead of standard output: under a temporary name beside it, "
                 "renamed to FILE when the batch is complete. FILE may not be the cases file.",
                 6) +
         "  --help, -h\n"
         "      Show this text.\n"
         "\n"
         "SUMMARY FIELDS\n" +
         fields + "\n" + exitText() +
         "\n"
         "EXAMPLES\n"
         "  brimlow batch examples/cases/sweep.csv --jobs 4 --out sweep-results.csv\n"
         "  brimlow batch sweep.csv --shard 2/8 --out part-2.csv\n";
}

std::string materialsHelp() {
  return std::string(
             "NAME\n"
             "  brimlow materials - the built-in materials\n"
             "\n"
             "SYNOPSIS\n"
             "  brimlow materials\n"
             "\n"
             "DESCRIPTION\n") +
         wrapped("Lists the materials of the library's property data: name, material number (the CAS "
                 "registry number without hyphens), CAS number, and the properties the flow model uses, "
                 "read back through the library: the gas constant, the molar mass and the isothermal sound "
                 "speed at 288.15 K. A case names its gas by any of name, CAS number or material number "
                 "(key material), or gives an ideal gas by its molar mass (key molar_mass_kg_per_kmol).",
                 2) +
         "\n" + exitText();
}

std::string keysHelp() {
  return std::string(
             "NAME\n"
             "  brimlow keys - the keys of a case file\n"
             "\n"
             "SYNOPSIS\n"
             "  brimlow keys [--markdown]\n"
             "\n"
             "DESCRIPTION\n") +
         wrapped("Lists every key of a case file (and column of a batch file) with its default, unit, the "
                 "range the library allows and the unit words it takes besides its own (\"70 bar\" for a key "
                 "in Pa); --markdown prints the same as the table of the documentation.",
                 2) +
         "\n" + exitText();
}

std::string escapedCell(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '|') out += '\\';
    out += c;
  }
  return out;
}

struct HelpTopic {
  const char* name;
  std::string (*text)();
};

constexpr HelpTopic kHelpTopics[] = {
    {"brimlow", mainHelp}, {"run", runHelp}, {"batch", batchHelp}, {"materials", materialsHelp}, {"keys", keysHelp},
};

const HelpTopic* helpTopic(const std::string& name) {
  for (const HelpTopic& topic : kHelpTopics) {
    if (name == topic.name) return &topic;
  }
  return nullptr;
}

}  // namespace

bool hasHelp(const std::string& command) { return helpTopic(command) != nullptr; }

std::string helpText(const std::string& command) {
  const HelpTopic* topic = helpTopic(command);
  return topic != nullptr ? topic->text() : mainHelp();
}

std::string keysMarkdown() {
  std::string text = "| Key | Unit | Units accepted | Default | Allowed | Meaning |\n|---|---|---|---|---|---|\n";
  for (const CaseKey& key : caseKeys()) {
    const std::string unit = keyUnit(key);
    const std::string words = key.kind == KeyKind::kNumber && hasOtherUnits(unit) ? acceptedUnitWords(unit) : "";
    text += std::string("| `") + key.name + "` | " + unit + " | " + words + " | " + escapedCell(defaultText(key)) +
            " | " + escapedCell(keyRange(key)) + " | " + escapedCell(keyMeaning(key)) + " |\n";
  }
  return text;
}

int keysCommand(const std::vector<std::string>& arguments) {
  bool markdown = false;
  for (const std::string& argument : arguments) {
    if (argument == "--help" || argument == "-h") {
      std::fputs(helpText("keys").c_str(), stdout);
      return kExitOk;
    }
    if (argument == "--markdown") {
      markdown = true;
      continue;
    }
    std::fprintf(stderr, "brimlow keys: unexpected argument '%s' (see brimlow keys --help)\n", argument.c_str());
    return kExitUsage;
  }
  std::fputs(markdown ? keysMarkdown().c_str() : keysText().c_str(), stdout);
  return kExitOk;
}

}  // namespace brimlow
