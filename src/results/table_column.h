#pragma once

#include <cstddef>

namespace vorl {

// Where a column is shown: every column is the library's; the command-line
// tool's CSV files show those marked for them (the others say again what a
// shown column says, per area or as a flag beside an infinity).
enum ColumnShown : bool { kLibraryOnly = false, kToolCsv = true };

// A column of a results table, or a field of the release report, as one row:
// its name in snake_case with its unit in it ("exit_flux_kg_per_s"), the
// unit ("" for counts, flags and ratios), a one-line meaning and whether the
// tool's CSV shows it. Hosts read them by index (the Vorl...ColumnName,
// ColumnUnit, ColumnMeaning and ColumnShown exports).
struct TableColumn {
  const char* name;
  const char* unit;
  const char* meaning;
  ColumnShown shown;
};

// The columns of one table, in their fixed order.
struct ColumnList {
  const TableColumn* columns;
  std::size_t count;
};

}  // namespace vorl
