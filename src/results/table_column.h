#pragma once

#include <cstddef>
#include <iterator>

namespace vorl {

// Where a column is shown: every column is the library's; the command-line
// tool's CSV files show those marked for them (the others say again what a
// shown column says, per area or as a flag beside an infinity).
enum ColumnShown : bool { kLibraryOnly = false, kToolCsv = true };

// A column of a results table, or a field of the release report, as hosts
// read it: its name in snake_case with its unit in it ("exit_flux_kg_per_s"),
// the unit ("" for counts, flags and ratios), a one-line meaning and whether
// the tool's CSV shows it. Hosts read them by index (the Vorl...ColumnName,
// ColumnUnit, ColumnMeaning and ColumnShown exports).
struct TableColumn {
  const char* name;
  const char* unit;
  const char* meaning;
  ColumnShown shown;
};

// A column of a table filled a row at a time, as one row of its list: its
// place (the table's enum, checked against the list's order), its text and
// how its value is read from what a row is made of.
template <class Id, class Row>
struct RowColumn {
  Id id;
  TableColumn text;
  double (*value)(const Row& row);
};

inline constexpr const TableColumn& textOf(const TableColumn& column) noexcept { return column; }
template <class Id, class Row>
constexpr const TableColumn& textOf(const RowColumn<Id, Row>& column) noexcept {
  return column.text;
}

// True when every row of a list stands at the place its id names, and the
// list holds one row per id (Id::kCount of them).
template <class Id, class Row, std::size_t N>
constexpr bool inIdOrder(const RowColumn<Id, Row> (&columns)[N]) noexcept {
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(columns[i].id) != i) return false;
  }
  return N == static_cast<std::size_t>(Id::kCount);
}

// The columns of one table, in their fixed order, read by index.
struct ColumnList {
  const TableColumn& (*at)(std::size_t index);
  std::size_t count;
  const TableColumn& operator[](std::size_t index) const { return at(index); }
};

// The list of a table's columns (a TableColumn or RowColumn array of static
// storage).
template <const auto& Columns>
ColumnList columnListOf() noexcept {
  return {[](std::size_t index) -> const TableColumn& { return textOf(Columns[index]); }, std::size(Columns)};
}

}  // namespace vorl
