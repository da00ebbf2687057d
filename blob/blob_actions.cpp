// Actions 3 and 4 and their statements. Each writes out the order that is behaviour:
// the get releases its result table before the file is written and before the close;
// both close the database before the frame's hand-back, and a BLOB file left open by a
// refusal only after the database. Every text is built at its final
// size in a ByteBuffer, so a value of any size costs one allocation and running out of memory is an
// answer.
#include "blob/blob_actions.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "blob/hex_codec.h"
#include "blob/row_id_text.h"
#include "db/result_table.h"
#include "frame/answers.h"
#include "platform/blob_file.h"
#include "platform/database_files.h"

namespace kiv::blob {
namespace {

// Where a BLOB statement points: table and column as the script wrote them (they go
// between "[" and "]" unchanged), and the row id as SQL text.
struct BlobAddress {
  std::string_view table;
  std::string_view column;
  RowIdSql rowId;
};

// The longest SQL text SQLite accepts as one statement (its SQLITE_MAX_SQL_LENGTH, which
// our builds keep at SQLite's default).
constexpr std::uint64_t kLongestSql = 1000000000;

std::size_t TotalSize(std::initializer_list<std::string_view> pieces) noexcept {
  std::size_t size = 0;
  for (const std::string_view piece : pieces) size += piece.size();
  return size;
}

// Copies the pieces one after another to `out`; returns the end.
char *PutPieces(char *out, std::initializer_list<std::string_view> pieces) noexcept {
  for (const std::string_view piece : pieces) {
    if (!piece.empty()) std::memcpy(out, piece.data(), piece.size());
    out += piece.size();
  }
  return out;
}

// The address of fields 2 to 4. False when a name holds "]" (it would end its brackets
// early and let the name rewrite the statement) or the row id lies beyond SQLite's
// 64-bit row ids.
bool MakeBlobAddress(std::string_view table, std::string_view column, std::string_view rowId,
                     BlobAddress &address) noexcept {
  address = BlobAddress();
  if (table.find(']') != std::string_view::npos || column.find(']') != std::string_view::npos)
    return false;
  address.table = table;
  address.column = column;
  return RowIdText(rowId, address.rowId);
}

// Opens the database `database` into `db` and makes in `address` the address of the
// table, column and row id fields. Returns null, or the answer when either fails:
// "Error: unable to open database", or `badAddress`.
const char *OpenAtAddress(std::string_view database, std::string_view table,
                          std::string_view column, std::string_view rowId, const char *badAddress,
                          db::DbHandle &db, BlobAddress &address) noexcept {
  if (!db::OpenDatabase(database, db)) return frame::kAnswerOpenFailed;
  return MakeBlobAddress(table, column, rowId, address) ? nullptr : badAddress;
}

// Makes `sql` "SELECT quote([c]) AS TheBlob FROM [t] WHERE rowid= 5", or, with `cast`,
// the same for quote(CAST([c] AS BLOB)), which gives the bytes of a value that is not a
// BLOB. False when memory is short.
bool SelectStatement(const BlobAddress &address, bool cast, ByteBuffer &sql) noexcept {
  const std::initializer_list<std::string_view> pieces = {
      cast ? "SELECT quote(CAST([" : "SELECT quote([",
      address.column,
      cast ? "] AS BLOB)) AS TheBlob FROM [" : "]) AS TheBlob FROM [",
      address.table,
      "] WHERE rowid=",
      address.rowId.view()};
  if (!sql.Resize(TotalSize(pieces))) return false;
  PutPieces(sql.data(), pieces);
  return true;
}

// The quoted text of the first row's value, or empty for no row and for SQL NULL.
std::string_view QuotedValue(db::ResultTable &table) noexcept {
  if (table.RowCount == 0) return {};
  db::MoveFirst(table);
  const std::string_view quoted = db::UnboundedFieldText(table, 1);
  return quoted == "NULL" ? std::string_view() : quoted;
}

// Fetches the addressed value as bytes into `value`: a BLOB as its bytes, any other
// value as CAST(value AS BLOB) gives it, no row and NULL as nothing. False when a
// SELECT fails or memory is short.
bool FetchValue(const db::DbHandle &db, const BlobAddress &address, db::ResultTable &table,
                ByteBuffer &value) noexcept {
  ByteBuffer sql;
  if (!SelectStatement(address, false, sql) || !db::QueryTable(db, sql.c_str(), table))
    return false;
  std::string_view quoted = QuotedValue(table);
  const bool isBlob = quoted.size() >= 2 && quoted[0] == 'X' && quoted[1] == '\'';
  if (!quoted.empty() && !isBlob) {
    if (!SelectStatement(address, true, sql) || !db::QueryTable(db, sql.c_str(), table))
      return false;
    quoted = QuotedValue(table);
  }
  return HexToBlob(quoted, value);
}

// Makes `value` the whole content of the file `target`. Returns "Ok", "Error: unable to
// write file" (the file unchanged), or "BLOB SELECT Error" when a file written in place
// is too large to keep in memory. A database's own file reached all the same stays open
// in `file`, for the caller to close after the database.
const char *WriteTarget(const char *target, const char *database, const ByteBuffer &value,
                        platform::File &file) noexcept {
  if (platform::NamesDatabaseFile(target, database)) return frame::kAnswerWriteFileFailed;
  bool missing = false;
  file = platform::OpenUnshared(target, missing);
  if (file.IsOpen() ? platform::IsDatabaseFile(file, database) : !missing)
    return frame::kAnswerWriteFileFailed;
  switch (platform::ReplaceWhole(std::move(file), target, value.view())) {
    case platform::Replaced::kYes:
      return frame::kAnswerOk;
    case platform::Replaced::kNoMemory:
      return frame::kAnswerBlobSelectFailed;
    case platform::Replaced::kNo:
      break;
  }
  return frame::kAnswerWriteFileFailed;
}

// What became of building the UPDATE statement.
enum class Built { kStatement, kUnreadable, kCannotBuild };

// Builds in `statement` the UPDATE that stores the whole file `source`; the file is
// closed before the statement runs. kUnreadable: it cannot be opened or read, grew while
// read, or is the database's own (then left open in `file`); kCannotBuild: the statement
// would be too long for SQLite, or memory is short.
Built BuildUpdateStatement(const BlobAddress &address, const char *source, const char *database,
                           platform::File &file, ByteBuffer &statement) noexcept {
  if (platform::NamesDatabaseFile(source, database)) return Built::kUnreadable;
  bool missing = false;
  file = platform::OpenUnshared(source, missing);
  std::uint64_t size = 0;
  if (!file.IsOpen() || platform::IsDatabaseFile(file, database) || !platform::FileSize(file, size))
    return Built::kUnreadable;
  const std::initializer_list<std::string_view> head = {"UPDATE [", address.table, "] SET [",
                                                        address.column, "]=X'"};
  const std::initializer_list<std::string_view> tail = {"' WHERE rowid=", address.rowId.view()};
  const std::size_t fixedLength = TotalSize(head) + TotalSize(tail);
  if (size > (kLongestSql - fixedLength) / 2) return Built::kCannotBuild;
  const auto length = static_cast<std::size_t>(size);
  if (!statement.Resize(fixedLength + 2 * length)) return Built::kCannotBuild;
  // One read straight into the second half of the digits' room, expanded to hex in place:
  // the content is never held twice.
  char *digits = statement.data() + TotalSize(head);
  std::size_t received = 0;
  bool more = false;
  if (!platform::ReadFromStart(file, digits + length, length, received) ||
      !platform::HasBytesPast(file, received, more) || more)
    return Built::kUnreadable;
  file = platform::File();  // closed before the statement runs
  PutPieces(statement.data(), head);
  WriteHex(reinterpret_cast<const unsigned char *>(digits + length), received, digits);
  PutPieces(digits + 2 * received, tail);
  statement.Resize(fixedLength + 2 * received);  // no larger: cannot fail
  return Built::kStatement;
}

}  // namespace

frame::Answer RunBlobGet(std::string_view database, std::string_view tableName,
                         std::string_view column, std::string_view rowId,
                         std::string_view target) noexcept {
  platform::File file;  // declared first: closed after the database
  db::DbHandle db;
  db::ResultTable table;
  BlobAddress address;
  const char *answer = OpenAtAddress(database, tableName, column, rowId,
                                     frame::kAnswerBlobSelectFailed, db, address);
  if (answer == nullptr) {
    ByteBuffer value;
    if (!FetchValue(db, address, table, value)) {
      answer = frame::kAnswerBlobSelectFailed;
    } else {
      db::ReleaseTable(table);  // before the file is written: the memory may be wanted
      answer = WriteTarget(target.data(), database.data(), value, file);
    }
  }
  db::ReleaseTable(table);
  db::CloseDatabase(db, db::Ending::kCommitIgnoringOutcome);
  return answer;  // `file`, open only after a refusal, is closed last
}

frame::Answer RunBlobPut(std::string_view database, std::string_view table, std::string_view column,
                         std::string_view rowId, std::string_view source) noexcept {
  platform::File file;  // declared first: closed after the database
  db::DbHandle db;
  BlobAddress address;
  const char *answer =
      OpenAtAddress(database, table, column, rowId, frame::kAnswerBlobUpdateFailed, db, address);
  if (answer == nullptr) {
    ByteBuffer statement;
    answer = frame::kAnswerOk;
    switch (BuildUpdateStatement(address, source.data(), database.data(), file, statement)) {
      case Built::kUnreadable:
        answer = frame::kAnswerReadFileFailed;
        break;
      case Built::kCannotBuild:
        answer = frame::kAnswerBlobUpdateFailed;
        break;
      case Built::kStatement:
        if (!db::ExecSql(db, statement.c_str())) answer = frame::kAnswerBlobUpdateFailed;
        break;
    }
  }
  db::CloseDatabase(db, db::Ending::kCommitIgnoringOutcome);
  return answer;
}

}  // namespace kiv::blob
