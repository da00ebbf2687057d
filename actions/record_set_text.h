// The record-set text of the query action: for every row, its cells joined by "|" and
// ended by a carriage return (byte 13). NULL reads as empty; nothing is escaped.
#pragma once

#include "db/result_table.h"
#include "platform/byte_buffer.h"

namespace kiv::actions {

// Builds the record-set text of all rows of `table` (fresh from QueryTable) into `text`,
// in one pass. False when memory for the text is short; `text` is then empty.
bool BuildRecordSetText(const db::ResultTable &table, ByteBuffer &text) noexcept;

}  // namespace kiv::actions
