#include "interface/table_exports.h"

#include <algorithm>

#include <vorl.h>

#include "core/enums.h"
#include "core/vorl_error.h"
#include "interface/text_copy.h"

namespace vorl {

void requireIndex(int index, std::size_t count, const char* item, const char* collection, const char* tag) {
  if (index < 0 || static_cast<std::size_t>(index) >= count) {
    throw VORLERROR(VORL_E_INDEX, tag, std::string(item) + " " + std::to_string(index) + " is outside the " +
                                           std::to_string(count) + " " + collection);
  }
}

int copyColumnText(const ColumnList& list, int column, const char* TableColumn::*text, char* buffer, int size,
                   const char* tag) {
  requireIndex(column, list.count, "column", "columns of the table", tag);
  return copyText(list[column].*text, buffer, size);
}

void checkRowArguments(const double* values, int maxRows, const char* tag) {
  if (maxRows < 0) {
    throw VORLERROR(VORL_E_ROW_COUNT, tag, "the row count " + std::to_string(maxRows) + " is below 0");
  }
  if (values == nullptr && maxRows > 0) {
    throw VORLERROR(VORL_E_MISSING_DATA, tag,
                    "the values pointer is null (a null values with maxRows 0 asks for the rows available)");
  }
}

int rowsToWrite(int available, const double* values, int maxRows) noexcept {
  return values == nullptr ? available : std::min(available, maxRows);
}

BranchId branchNamed(int branch, const char* tag) {
  if (branch == VORL_BRANCH_A) return BranchId::kA;
  if (branch == VORL_BRANCH_B) return BranchId::kB;
  throw VORLERROR(VORL_E_UNKNOWN_BRANCH, tag,
                  "branch " + std::to_string(branch) + " is neither 1 (A, upstream) nor 2 (B, downstream)");
}

}  // namespace vorl
