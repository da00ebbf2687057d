// Action 4, QX_SQLITE_BLOB_PUT: stores the whole content of a file in one field, as a
// hexadecimal BLOB literal inside one UPDATE. Answers "Ok",
// "Error: unable to open database", "Error: unable to read file" or "BLOB Update Error".
#include <cstdint>
#include <cstring>
#include <string>

#include "blob/blob_statements.h"
#include "blob/hex_codec.h"
#include "db/database.h"
#include "kivsqlite3.h"
#include "platform/byte_buffer.h"
#include "platform/file_io.h"
#include "plugin/action_frame.h"
#include "plugin/answer_texts.h"

namespace kiv::blob {
namespace {

// Builds the UPDATE statement around the whole content of `source`: the file is read
// with one read straight into the second half of the digits' room and expanded to hex
// in place, so the content is never held twice. False when the file cannot be opened
// or read, or memory is short; nothing is then sent.
bool BuildUpdateStatement(const BlobAddress &address, const std::string &source,
                          ByteBuffer &statement) {
  platform::File file = platform::OpenUnshared(source, platform::IfMissing::Fail);
  std::uint64_t size = 0;
  if (!file.IsOpen() || !platform::FileSize(file, &size)) return false;
  const std::string head = UpdateHead(address);
  const std::string tail = UpdateTail(address);
  const std::size_t frame = head.size() + tail.size();
  if (size > (SIZE_MAX - frame - 1) / 2) return false;
  const auto length = static_cast<std::size_t>(size);
  if (!statement.Resize(frame + 2 * length)) return false;
  char *digits = statement.data() + head.size();
  std::size_t received = 0;
  if (!platform::ReadFromStart(file, digits + length, length, &received)) return false;
  file = platform::File();  // closed before the statement runs
  std::memcpy(statement.data(), head.data(), head.size());
  WriteHex(reinterpret_cast<const unsigned char *>(digits + length), received, digits);
  std::memcpy(digits + 2 * received, tail.data(), tail.size());
  return statement.Resize(frame + 2 * received);
}

std::string RunBlobPut(const std::string &database, const std::string &table,
                       const std::string &column, const std::string &rowId,
                       const std::string &source) {
  db::ScopedDatabase db;
  std::string answer = plugin::kAnswerOk;
  if (!db::OpenDatabase(database, db.handle)) {
    answer = plugin::kAnswerOpenFailed;
  } else if (const auto address = MakeBlobAddress(table, column, rowId); !address) {
    answer = plugin::kAnswerBlobUpdateFailed;
  } else {
    ByteBuffer statement;
    if (!BuildUpdateStatement(*address, source, statement)) {
      answer = plugin::kAnswerReadFileFailed;
    } else if (!db::ExecSql(db.handle, statement.c_str())) {
      answer = plugin::kAnswerBlobUpdateFailed;
    }
  }
  db::CloseDatabase(db.handle);
  return answer;
}

}  // namespace
}  // namespace kiv::blob

// Fields: database, table, column, row id, source file, result variable.
extern "C" KIV_EXPORT const char *KIV_CALL QX_SQLITE_BLOB_PUT(const char *params) {
  return kiv::plugin::RunActionFrame<6>(params, [](const auto &field) {
    return kiv::blob::RunBlobPut(field[0], field[1], field[2], field[3], field[4]);
  });
}
