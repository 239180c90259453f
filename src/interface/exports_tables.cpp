// Results as tables: a whole table in one call, for hosts that pay for every
// call they make (a branch's 200 records of 25 quantities in one call rather
// than 5,000), with the names, units and meanings of its columns.
#include "interface/export_frame.h"
#include "interface/table_exports.h"
#include "results/branch_table.h"

using namespace vorl;

namespace {

constexpr const char* kBranchTag = "VorlBranchTable";

int branchColumnText(int column, const char* TableColumn::*text, char* buffer, int size) {
  return guarded(-1, [&] { return copyColumnText(branchTableColumns(), column, text, buffer, size, kBranchTag); });
}

}  // namespace

extern "C" {

VORL_API int VORL_CALL VorlBranchTableColumnCount(void) {
  return guarded(0, [] { return static_cast<int>(branchTableColumns().count); });
}

VORL_API int VORL_CALL VorlBranchTableColumnName(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::name, buffer, size);
}

VORL_API int VORL_CALL VorlBranchTableColumnUnit(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::unit, buffer, size);
}

VORL_API int VORL_CALL VorlBranchTableColumnMeaning(int column, char* buffer, int size) {
  return branchColumnText(column, &TableColumn::meaning, buffer, size);
}

VORL_API int VORL_CALL VorlBranchTableFill(VorlHandle model, int branch, double* values, int maxRows) {
  return withModel(model, 0, [&](VORL& m) {
    checkRowArguments(values, maxRows, kBranchTag);
    const BranchId id = branchNamed(branch, kBranchTag);
    const int rows = rowsToWrite(branchTableRows(m, id), values, maxRows);
    if (values != nullptr) fillBranchTable(m, id, rows, values);
    return rows;
  });
}

}  // extern "C"
