#pragma once

#include <cstddef>

namespace vorl {

// A column of a results table, or a field of the release report: its name in
// snake_case with its unit in it ("exit_flux_kg_per_s"), the unit ("" for
// counts, flags and ratios) and a one-line meaning. Hosts read them by index
// (the Vorl...ColumnName, ColumnUnit and ColumnMeaning exports).
struct TableColumn {
  const char* name;
  const char* unit;
  const char* meaning;
};

// The columns of one table, in their fixed order.
struct ColumnList {
  const TableColumn* columns;
  std::size_t count;
};

}  // namespace vorl
