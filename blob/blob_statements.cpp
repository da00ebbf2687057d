// Building the BLOB statements from their pieces, with nothing added between them.
#include "blob/blob_statements.h"

#include "blob/row_id_text.h"

namespace kiv::blob {

std::optional<BlobAddress> MakeBlobAddress(const std::string &table, const std::string &column,
                                           const std::string &rowIdParam) {
  if (table.find(']') != std::string::npos || column.find(']') != std::string::npos)
    return std::nullopt;
  std::optional<std::string> rowId = RowIdText(rowIdParam);
  if (!rowId) return std::nullopt;
  return BlobAddress{table, column, std::move(*rowId)};
}

std::string SelectQuotedStatement(const BlobAddress &address) {
  return "SELECT quote([" + address.column + "]) AS TheBlob FROM [" + address.table +
         "] WHERE rowid=" + address.rowId;
}

std::string SelectCastStatement(const BlobAddress &address) {
  return "SELECT quote(CAST([" + address.column + "] AS BLOB)) AS TheBlob FROM [" +
         address.table + "] WHERE rowid=" + address.rowId;
}

std::string UpdateHead(const BlobAddress &address) {
  return "UPDATE [" + address.table + "] SET [" + address.column + "]=X'";
}

std::string UpdateTail(const BlobAddress &address) { return "' WHERE rowid=" + address.rowId; }

}  // namespace kiv::blob
