// A release case: every input of one run, and the one table of the case-file
// keys (name, unit, default, meaning) from which the defaults, the parsers,
// the value check, --help and the documentation are all derived.
#ifndef BRIMLOW_CASE_H
#define BRIMLOW_CASE_H

#include <string>
#include <utility>
#include <vector>

namespace brimlow {

struct Valve {
  double position = 0.0;     // m from the upstream end
  double closureTime = 0.0;  // s after the breach
};

struct Case {
  std::string name;  // a label, shown in outputs only
  // The gas: a material of the library by number, or an ideal gas of a
  // molar mass.
  int material = 0;
  bool idealGas = false;
  double molarMass = 0.0;  // kg/kmol, for an ideal gas
  // Or a named gas of the library (its index; -1 none), or a composition:
  // material numbers and mole fractions (none: not given).
  int namedGas = -1;
  std::vector<std::pair<int, double>> composition;
  // Scalar inputs, reached through the key table.
  double ambientTemperature = 0.0;
  double ambientPressure = 0.0;
  double ambientHumidity = 0.0;
  double airMolarMass = 0.0;
  double gasTemperature = 0.0;
  double pipeLength = 0.0;
  double pipeDiameter = 0.0;
  double pipeRoughness = 0.0;
  double upstreamPressure = 0.0;
  double inflow = 0.0;
  double breachLocation = 0.0;
  double aperture = 0.0;
  double valvesActive = 0.0;  // 0 or 1
  double expansionMethod = 0.0;
  double weberNumber = 0.0;
  double maxVelocity = 0.0;
  double minDropSize = 0.0;
  double maxDropSize = 0.0;
  double timeDivision = 0.0;
  double outputSteps = 0.0;
  double backPressure = 0.0;
  double waterDepth = 0.0;
  double seawaterDensity = 0.0;
  // The line as operated, the reference solution's: the supply mode (0
  // constant inflow, 1 holding the upstream pressure; key supply), its trip
  // time (s, 0: never), the valves' detection delay and closing duration (s).
  double supplyMode = 0.0;
  double supplyTripTime = 0.0;
  double valveDetectionDelay = 0.0;
  double valveClosingDuration = 0.0;
  // The tool's own optional keys, NaN when not given: the hole's diameter
  // (m, in place of the aperture) and the step (s) of the table at fixed
  // times.
  double holeDiameter = 0.0;
  double tableStep = 0.0;
  // The reference solution: run it beside the fast model (0 or 1), and with
  // the Peng-Robinson gas in place of the ideal gas (0 or 1; the fast model
  // has no use for it).
  double reference = 0.0;
  double realGas = 0.0;
  // The model whose answer the run gives: 0 the fast model, 1 the
  // reference solution (key model: "fast" or "reference").
  double model = 0.0;
  // s after the breach at which the reference stops (key reference_end, as
  // --until); NaN when not given: the library's default end.
  double referenceEnd = 0.0;
  std::vector<Valve> valves;
};

enum class KeyKind {
  kText,       // a string
  kMaterial,   // a material name, a CAS number "74-82-8", a material number or a named gas
  kComposition,  // mole fractions by material: {"methane": 0.9, ...}, in a CSV cell "methane:0.9;ethane:0.1"
  kMolarMass,  // a positive number, or absent
  kNumber,     // a real number
  kSupply,     // "constant inflow" or "holding pressure" (the supply mode 0 or 1)
  kInteger,    // a whole number
  kFlag,       // true or false
  kValves,     // a list of {position_m, closure_time_s}
  kModel,      // "fast" or "reference"
};

// A key of a case file. A key that sets one of the library's inputs names
// it (by its name in the library's input table), and takes its key name, its
// default (of a case, not of a new model), unit, meaning (unless the key has
// wording of its own), allowed range, codes and place in the one-call arrays
// from that table; the tool keeps only how a value of it is read (its kind)
// and where a case holds it. The tool's own keys (the label, the gas, the
// valve list) are described here in full.
struct CaseKey {
  std::string name;
  KeyKind kind;
  const char* input;        // the library input it sets; null for the tool's own keys
  const char* unit;         // of the tool's own keys ("" when none)
  std::string meaning;      // "": the library's meaning of its input
  const char* defaultText;  // keys without a field; the others show defaultValue
  double Case::*field;      // scalar keys; null for the others
  double defaultValue;      // the library's case default of the input
};

const std::vector<CaseKey>& caseKeys();
const CaseKey* findCaseKey(const std::string& name);

// The sub-keys of one valve (the case-file keys of the library's valve
// inputs), and the library inputs they set.
extern const std::string kValvePositionKey;
extern const std::string kValveClosureKey;
extern const char* const kValvePositionInput;
extern const char* const kValveClosureInput;

// The index of a library input by name in the library's table, -1 for none.
int libraryInput(const char* name);

// A key as the documentation shows it: its unit, meaning and allowed range
// (the library's, for a key that sets a library input; the valves give the
// ranges of both of theirs).
std::string keyUnit(const CaseKey& key);
std::string keyMeaning(const CaseKey& key);
std::string keyRange(const CaseKey& key);

// The library input a refusal's code blames (VorlInputOfCode), by name; ""
// for a code of no input.
std::string inputOfCode(int code);
// The key that sets that input, or null.
const CaseKey* caseKeyForInput(const std::string& input);

// The default of a key as documented: "288.15", "7000000", "true", "methane".
std::string defaultText(const CaseKey& key);

// The default case: every key at its default.
Case defaultCase();

// The model choice's words: "fast" (0) and "reference" (1); false for
// another word.
bool modelFromWord(const std::string& word, double& choice);
const char* modelWord(double choice);
// The supply's words ("constant inflow", "holding pressure") and the supply mode (0, 1).
bool supplyFromWord(const std::string& word, double& mode);
const char* supplyWord(double mode);
// Whether the case asks for what only the reference solution does: a
// supply that holds its pressure or trips, valves (taking part) shutting
// after a detection delay or over a duration.
bool operatesSupply(const Case& c);
bool operatesValves(const Case& c);

// Whether the case sets the reference's end.
bool hasReferenceEnd(const Case& c);

// The material of a case for people: "methane (74828)", "ideal gas of 16.04 kg/kmol".
std::string gasText(const Case& c);

}  // namespace brimlow

#endif
