// The pipe-level table at fixed times 0, S, 2S, ... up to the end of the
// finite history, each row the library's own look-up at its time, written
// with six significant figures for people and spreadsheets.
#ifndef BRIMLOW_TABLE_STEP_H
#define BRIMLOW_TABLE_STEP_H

#include <cstddef>
#include <string>

#include "case.h"
#include "results.h"
#include "vorl.h"

namespace brimlow {

// The most rows of the table: a step that gives more is refused.
constexpr std::size_t kSteppedTableMostRows = 1000000;

// Significant figures of its numbers.
constexpr int kSteppedTableDigits = 6;

// Whether the case asks for the table (key table_step_s or --table-step).
bool hasTableStep(const Case& c);

// A step must be a finite number of seconds above 0; false with a problem.
bool tableStepValid(double step, std::string& problem);

// The rows of the times k * step from 0 up to end: floor(end / step) + 1,
// or more than kSteppedTableMostRows when that many would be.
std::size_t steppedRowCount(double step, double end);

// The file beside the other tables: "pipe-every-60s.csv".
std::string steppedTableFileName(double step);

// After a run: the table of the case's step up to end (s) into result.pipeStepped. A step
// that would give too many rows fails the result under the key table_step_s.
// True when the case asks for no table.
bool readSteppedTable(VorlHandle model, const Case& c, double end, CaseResult& result);

// The table as CSV under the pipe table's column names.
std::string steppedTableCsv(const Table& table);

}  // namespace brimlow

#endif
