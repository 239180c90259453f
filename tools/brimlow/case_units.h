// The values of a case given as text with units, and what can be settled
// only once every key of the case has been read: a gauge pressure needs the
// ambient pressure, a hole diameter the bore, whatever the order of the keys.
#ifndef BRIMLOW_CASE_UNITS_H
#define BRIMLOW_CASE_UNITS_H

#include <string>
#include <vector>

#include "case.h"

namespace brimlow {

extern const char* const kHoleDiameterKey;
extern const char* const kTableStepKey;

// What the reading of one case leaves to be settled.
class PendingCase {
 public:
  // Marks a key as given (not null, not a blank cell).
  void given(const CaseKey& key);
  // Reads the text of a number key ("70 bar", "7e6") into its field; a gauge
  // pressure waits for the ambient pressure. Adds a problem naming the key
  // when the text is no number with an accepted unit.
  void readText(const CaseKey& key, const std::string& text, Case& c, std::vector<std::string>& problems);
  // Adds the ambient pressure to the gauge pressures, turns a hole diameter
  // into its aperture, and refuses an aperture and a hole diameter given
  // together.
  void settle(Case& c, std::vector<std::string>& problems) const;

 private:
  struct Gauge {
    const CaseKey* key;
    double value;  // Pa above the ambient pressure
  };
  std::vector<Gauge> gauges_;
  bool aperture_ = false;
  bool holeDiameter_ = false;
};

// A valve's number given as text ("20 km", "10 min") in the SI unit siUnit;
// false with a problem.
bool valueFromText(const std::string& text, const std::string& siUnit, double& value, std::string& problem);

// Whether the case gives its hole by diameter.
bool hasHoleDiameter(const Case& c);

// Whether key is the aperture, and the case gave a hole diameter for it.
bool isApertureOfHole(const Case& c, const CaseKey& key);

}  // namespace brimlow

#endif
