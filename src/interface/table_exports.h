#pragma once

#include <string>

#include "core/enums.h"
#include "results/table_column.h"

namespace vorl {

// What every table export shares: its column texts by index and the rule
// of its row arguments.

// Raises 4 unless 0 <= index < count: "<item> <index> is outside the <count>
// <collection>" (the rows of the input table, the materials, the columns).
void requireIndex(int index, std::size_t count, const char* item, const char* collection, const char* tag);

// A text of column `column` copied into the host's buffer (cut to fit,
// NUL-terminated); its full length. Raises 4 for a column outside the list.
int copyColumnText(const ColumnList& list, int column, const char* TableColumn::*text, char* buffer, int size,
                   const char* tag);

// Raises 410 for maxRows below 0 and 5 for a null values with maxRows above 0.
void checkRowArguments(const double* values, int maxRows, const char* tag);

// Rows a fill writes of those available: none asked for without an array,
// then every available row up to maxRows.
int rowsToWrite(int available, const double* values, int maxRows) noexcept;

// The branch a host names (a VorlBranch); raises 7 for another number.
BranchId branchNamed(int branch, const char* tag);

}  // namespace vorl
