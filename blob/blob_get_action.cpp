// Action 3, QX_SQLITE_BLOB_GET: copies one field's value into a file, byte for byte.
// The value travels as SQLite's quote() text and is decoded here. Answers "Ok",
// "Error: unable to open database", "BLOB SELECT Error" or "Error: unable to write file".
#include <string>

#include "blob/blob_statements.h"
#include "blob/hex_codec.h"
#include "db/database.h"
#include "db/result_table.h"
#include "kivsqlite3.h"
#include "platform/byte_buffer.h"
#include "platform/file_io.h"
#include "plugin/action_frame.h"
#include "plugin/answer_texts.h"

namespace kiv::blob {
namespace {

// The quoted text of the first row's value, or empty for no row and for SQL NULL.
std::string_view QuotedValue(db::ResultTable &table) {
  if (table.RowCount == 0) return {};
  db::MoveFirst(table);
  const std::string_view quoted = db::FieldWhole(table, 1);
  return quoted == "NULL" ? std::string_view() : quoted;
}

// Fetches the addressed value as bytes into `value`: a BLOB as its bytes, any other
// value as CAST(value AS BLOB) gives it, no row and NULL as nothing. False when a
// SELECT fails or memory for the value is short.
bool FetchValue(db::ResultTable &table, const BlobAddress &address, ByteBuffer &value) {
  if (!db::QueryTable(table, SelectQuotedStatement(address))) return false;
  std::string_view quoted = QuotedValue(table);
  if (!quoted.empty() && quoted.substr(0, 2) != "X'") {
    if (!db::QueryTable(table, SelectCastStatement(address))) return false;
    quoted = QuotedValue(table);
  }
  if (!value.Resize(HexToBlobLength(quoted.size()))) return false;
  WriteBlob(quoted, reinterpret_cast<unsigned char *>(value.data()));
  return true;
}

// Makes `value` the whole content of the file `target`, created when missing.
bool WriteTarget(const std::string &target, const ByteBuffer &value) {
  const platform::File file = platform::OpenUnshared(target, platform::IfMissing::Create);
  return file.IsOpen() && platform::ReplaceContent(file, value.view());
}

std::string RunBlobGet(const std::string &database, const std::string &tableName,
                       const std::string &column, const std::string &rowId,
                       const std::string &target) {
  db::ScopedDatabase db;
  db::ColumnNameList names;
  db::ResultTable table;
  std::string answer = plugin::kAnswerOk;
  if (!db::OpenDatabase(database, db.handle)) {
    answer = plugin::kAnswerOpenFailed;
  } else if (const auto address = MakeBlobAddress(tableName, column, rowId); !address) {
    answer = plugin::kAnswerBlobSelectFailed;
  } else {
    db::SetUpTable(table, db.handle, names);
    ByteBuffer value;
    if (!FetchValue(table, *address, value)) {
      answer = plugin::kAnswerBlobSelectFailed;
    } else if (!WriteTarget(target, value)) {
      answer = plugin::kAnswerWriteFileFailed;
    }
  }
  db::ReleaseTable(table);
  db::CloseDatabase(db.handle);
  return answer;
}

}  // namespace
}  // namespace kiv::blob

// Fields: database, table, column, row id, target file, result variable.
extern "C" KIV_EXPORT const char *KIV_CALL QX_SQLITE_BLOB_GET(const char *params) {
  return kiv::plugin::RunActionFrame<6>(params, [](const auto &field) {
    return kiv::blob::RunBlobGet(field[0], field[1], field[2], field[3], field[4]);
  });
}
