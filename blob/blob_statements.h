// The SQL texts of the two BLOB actions. Table and column names go between "[" and "]"
// as they come; a name holding "]" could end its brackets early, so it is refused.
#pragma once

#include <optional>
#include <string>

namespace kiv::blob {

// Where a BLOB statement points: the bracketed table and column, and the row id text.
struct BlobAddress {
  std::string table;   // table name, without brackets
  std::string column;  // column name, without brackets
  std::string rowId;   // RowIdText of the row id parameter: " 5", "-4"
};

// The address of fields 2 to 4, or nothing when a name holds "]" or the row id lies
// beyond SQLite's 64-bit row ids.
std::optional<BlobAddress> MakeBlobAddress(const std::string &table, const std::string &column,
                                           const std::string &rowIdParam);

// "SELECT quote([c]) AS TheBlob FROM [t] WHERE rowid= 5"
std::string SelectQuotedStatement(const BlobAddress &address);

// The same for the value as SQLite casts it to a BLOB, for values that are not BLOBs:
// "SELECT quote(CAST([c] AS BLOB)) AS TheBlob FROM [t] WHERE rowid= 5"
std::string SelectCastStatement(const BlobAddress &address);

// The UPDATE around the hexadecimal digits: "UPDATE [t] SET [c]=X'" and "' WHERE rowid= 5".
std::string UpdateHead(const BlobAddress &address);
std::string UpdateTail(const BlobAddress &address);

}  // namespace kiv::blob
