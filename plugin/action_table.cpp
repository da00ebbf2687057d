// The constant action table and the hint texts built from it.
#include "plugin/action_table.h"

namespace kiv::plugin {
namespace {

constexpr char kSqlTemplate[] = "[Database]|[SQL_String]|return_variable";

}  // namespace

const std::array<ActionRow, 4> ActionTable = {{
    {1, "QX_SqLite_cmd", "Execute SQL command WITHOUT Recordet ( Returns Ok or Error)",
     kSqlTemplate, &QX_SQLITE_CMD},
    {2, "QX_SqLite_Select", "Execute SQL command WITH Recordet", kSqlTemplate,
     &QX_SQLITE_SELECT},
    {3, "QX_SqLite_BLOB_Get", "GET Binary Data from a BLOB Field ( Returns Ok or Error)",
     "[Database]|[TableName]|[FieldName]|[RowID]|[TargetFile]|return_variable",
     &QX_SQLITE_BLOB_GET},
    {4, "QX_SqLite_BLOB_Put", "PUT Binary Data into a BLOB Field ( Returns Ok or Error)",
     "[Database]|[TableName]|[FieldName]|[RowID]|[SourceFile]|return_variable",
     &QX_SQLITE_BLOB_PUT},
}};

const ActionRow *FindAction(int32_t number) noexcept {
  for (const ActionRow &row : ActionTable) {
    if (row.number == number) return &row;
  }
  return nullptr;
}

std::string BuildHint(const ActionRow &row) {
  return std::string(row.description) + "\r\n" + row.name + '"' + row.parameterTemplate + '"';
}

}  // namespace kiv::plugin
