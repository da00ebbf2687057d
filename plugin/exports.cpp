// The module's whole exported surface: the action table, the seven qv... host exports
// (registration, identity texts, the edit and message hooks, dispatch) and the four
// action functions. Calls out of contract (an action before registration, null slot
// addresses, a null parameter address) do nothing harmful. No export allocates anything
// that could end the host's process: the texts handed to the host at registration live
// on the stack, and host memory is checked.
#include <cstring>
#include <string_view>

#include "actions/sql_actions.h"
#include "blob/blob_actions.h"
#include "frame/frame.h"
#include "kivsqlite3.h"
#include "platform/process.h"
#include "plugin/action_table.h"

namespace kiv::plugin {
namespace {

// The identity texts, from the build (CMakeLists.txt), which gives the version resource
// the same ones.
constexpr char kTitle[] = KIV_TITLE;
constexpr char kAuthor[] = KIV_AUTHOR;
constexpr char kDescription[] = KIV_DESCRIPTION;
constexpr char kSqlTemplate[] = "[Database]|[SQL_String]|return_variable";
constexpr char kBlobGetTemplate[] =
    "[Database]|[TableName]|[FieldName]|[RowID]|[TargetFile]|return_variable";
constexpr char kBlobPutTemplate[] =
    "[Database]|[TableName]|[FieldName]|[RowID]|[SourceFile]|return_variable";

// The fields of one action's parameter text, as its row declares `Count` of them: the
// work reads field i + 1 as Get<i>(), and a field the row does not declare does not
// compile. The last field is the variable's, which only the frame reads.
template <std::size_t Count>
struct Fields {
  static_assert(Count >= 1 && Count <= frame::kMostFields, "the frame holds kMostFields fields");
  const std::string_view *field;  // fields 1..Count, each zero-terminated
  template <std::size_t I>
  std::string_view Get() const noexcept {
    static_assert(I + 1 < Count, "a field the action's row does not declare");
    return field[I];
  }
};

// --- The four actions' work.

frame::Answer Command(Fields<3> f) noexcept {
  return actions::RunCommand(f.Get<0>(), f.Get<1>().data());
}

frame::Answer Query(Fields<3> f) noexcept {
  return actions::RunQuery(f.Get<0>(), f.Get<1>().data());
}

frame::Answer BlobGet(Fields<6> f) noexcept {
  return blob::RunBlobGet(f.Get<0>(), f.Get<1>(), f.Get<2>(), f.Get<3>(), f.Get<4>());
}

frame::Answer BlobPut(Fields<6> f) noexcept {
  return blob::RunBlobPut(f.Get<0>(), f.Get<1>(), f.Get<2>(), f.Get<3>(), f.Get<4>());
}

// The frame of an action whose work reads `Count` fields: `failed` answers a text that
// never reaches the work, `cut` one that a '|' cut, `tooLong` one too long to read.
template <std::size_t Count, frame::Answer (*Work)(Fields<Count>) noexcept>
constexpr frame::ActionFrame FrameOf(bool sqlField, const char *failed, const char *cut,
                                     const char *tooLong) {
  constexpr auto run = [](const std::string_view *field) noexcept {
    return Work(Fields<Count>{field});
  };
  return {Count, sqlField, failed, cut, tooLong, run};
}

// The same, with one answer for every text that never reaches the work.
template <std::size_t Count, frame::Answer (*Work)(Fields<Count>) noexcept>
constexpr frame::ActionFrame FrameOf(bool sqlField, const char *failed) {
  return FrameOf<Count, Work>(sqlField, failed, failed, failed);
}

}  // namespace

// --- The table: one row an action, its number its place plus one.

constexpr std::array<ActionRow, kActionCount> ActionTable = {{
    {1, "QX_SqLite_cmd", "Execute SQL command WITHOUT Recordet ( Returns Ok or Error)",
     kSqlTemplate, FrameOf<3, &Command>(true, frame::kAnswerCommandFailed)},
    {2, "QX_SqLite_Select", "Execute SQL command WITH Recordet", kSqlTemplate,
     FrameOf<3, &Query>(true, frame::kAnswerQueryOutOfMemory, frame::kAnswerQueryCut,
                        frame::kAnswerQueryTooLong)},
    {3, "QX_SqLite_BLOB_Get", "GET Binary Data from a BLOB Field ( Returns Ok or Error)",
     kBlobGetTemplate, FrameOf<6, &BlobGet>(false, frame::kAnswerBlobSelectFailed)},
    {4, "QX_SqLite_BLOB_Put", "PUT Binary Data into a BLOB Field ( Returns Ok or Error)",
     kBlobPutTemplate, FrameOf<6, &BlobPut>(false, frame::kAnswerBlobUpdateFailed)},
}};

namespace {

constexpr bool NumbersArePlaces() {
  for (std::size_t i = 0; i < ActionTable.size(); ++i) {
    if (ActionTable[i].number != static_cast<int32_t>(i + 1)) return false;
  }
  return true;
}
static_assert(NumbersArePlaces(), "each action's number is its place in the table plus one");

constexpr bool FieldsFitTheFrame() {
  for (const ActionRow &row : ActionTable) {
    if (row.frame.fieldCount < 1 || row.frame.fieldCount > frame::kMostFields) return false;
  }
  return true;
}
static_assert(FieldsFitTheFrame(), "no action reads more fields than the frame holds");

// Reached only when an exported action function has no row: it stops the compiler.
std::size_t NoRowForThisExport() noexcept { return kActionCount; }

// The place of the row whose action name is `exportName` with its letters in any case
// (QX_SQLITE_CMD runs QX_SqLite_cmd); evaluated by the compiler.
constexpr std::size_t RowOf(std::string_view exportName) {
  for (std::size_t i = 0; i < ActionTable.size(); ++i) {
    const std::string_view name = ActionTable[i].name;
    bool same = name.size() == exportName.size();
    for (std::size_t c = 0; same && c < name.size(); ++c) {
      const auto upper = [](char x) { return x >= 'a' && x <= 'z' ? char(x - 'a' + 'A') : x; };
      same = upper(name[c]) == upper(exportName[c]);
    }
    if (same) return i;
  }
  return NoRowForThisExport();
}

// A copy of `text` in `out`, zero-terminated; `text` is one of the table's constants.
// The host is handed copies that live until its callback returns, never the constants
// themselves: a host that writes into a text it was handed (its own headers declare
// them char *) must not fault on the module's read-only data.
template <std::size_t N>
const char *CopyOf(const char *text, char (&out)[N]) noexcept {
  std::strncpy(out, text, N - 1);
  out[N - 1] = '\0';
  return out;
}

// Runs the action of the row at `Place`, through its frame.
template <std::size_t Place>
const char *RunRow(const char *params) noexcept {
  static_assert(Place < kActionCount, "an exported action function without a row");
  return frame::RunActionFrame(params, ActionTable[Place].frame);
}

// Calls the host's register-action callback with copies of the three texts that live
// until it returns; the host copies what it keeps.
void RegisterActionWithHost(const ActionRow &row) noexcept {
  const RegisterActionFn callback = frame::hostLink.registerActionCallback;
  if (callback == nullptr) return;
  char name[32];
  char hint[kHintRoom];
  char type[sizeof kParameterType];
  BuildHint(row, hint);
  callback(row.number, CopyOf(row.name, name), hint, CopyOf(kParameterType, type), kParameterCount,
           kParameterCount);
}

// Frees the block a slot holds (if any) and sets the slot to 0.
void ReleaseHostText(HostTextSlot *slot) noexcept {
  if (*slot != 0) platform::FreeHostBlock(reinterpret_cast<void *>(*slot));
  *slot = 0;
}

// Releases the slot, then stores a new zero-terminated copy of `text` in host memory. A
// null slot address is skipped; host memory running out leaves the slot 0.
void SetHostText(HostTextSlot *slot, const char *text) noexcept {
  if (slot == nullptr) return;
  ReleaseHostText(slot);
  const std::size_t length = std::strlen(text);
  void *block = platform::AllocHostBlock(length + 1);  // zero-filled: the last byte ends it
  if (block == nullptr) return;
  std::memcpy(block, text, length);
  *slot = reinterpret_cast<HostTextSlot>(block);
}

}  // namespace

const ActionRow *FindAction(int32_t number) noexcept {
  if (number < 1 || number > static_cast<int32_t>(kActionCount)) return nullptr;
  return &ActionTable[static_cast<std::size_t>(number) - 1];  // each number is its place
}

std::size_t BuildHint(const ActionRow &row, char (&out)[kHintRoom]) noexcept {
  std::size_t length = 0;
  for (const char *piece : {row.description, "\r\n", row.name, "\"", row.parameterTemplate, "\""}) {
    const std::size_t size = std::strlen(piece);
    if (length + size >= kHintRoom) break;  // never with the table's texts
    std::memcpy(out + length, piece, size);
    length += size;
  }
  out[length] = '\0';
  return length;
}

}  // namespace kiv::plugin

// --- The four action functions, each running its own row.

#define KIV_ACTION_FUNCTION(ExportName)                                       \
  extern "C" KIV_EXPORT const char *KIV_CALL ExportName(const char *params) { \
    return kiv::plugin::RunRow<kiv::plugin::RowOf(#ExportName)>(params);      \
  }
KIV_ACTION_FUNCTION(QX_SQLITE_CMD)
KIV_ACTION_FUNCTION(QX_SQLITE_SELECT)
KIV_ACTION_FUNCTION(QX_SQLITE_BLOB_GET)
KIV_ACTION_FUNCTION(QX_SQLITE_BLOB_PUT)
#undef KIV_ACTION_FUNCTION

// --- The seven host exports.

extern "C" KIV_EXPORT void KIV_CALL qvRegisterPlugIn(RegisterActionFn reg, intptr_t a2, intptr_t a3,
                                                     SetVariableFn setvar) {
  // All four values are stored before the first callback runs.
  kiv::frame::hostLink.registerPlugInArg3 = a3;
  kiv::frame::hostLink.setVariableCallback = setvar;
  kiv::frame::hostLink.registerActionCallback = reg;
  kiv::frame::hostLink.registerPlugInArg2 = a2;
  for (const kiv::plugin::ActionRow &row : kiv::plugin::ActionTable)
    kiv::plugin::RegisterActionWithHost(row);
}

extern "C" KIV_EXPORT void KIV_CALL qvInitPlugIn(intptr_t a1, HostTextSlot *title,
                                                 HostTextSlot *author, HostTextSlot *description) {
  kiv::frame::hostLink.initPlugInArg1 = a1;
  kiv::plugin::SetHostText(title, kiv::plugin::kTitle);
  kiv::plugin::SetHostText(author, kiv::plugin::kAuthor);
  kiv::plugin::SetHostText(description, kiv::plugin::kDescription);
}

extern "C" KIV_EXPORT void KIV_CALL qvRegisterScriptProcessor(intptr_t value) {
  kiv::frame::hostLink.scriptProcessor = value;
}

extern "C" KIV_EXPORT void KIV_CALL qvRegisterInterfaceAccess(intptr_t value) {
  kiv::frame::hostLink.interfaceAccess = value;
}

extern "C" KIV_EXPORT void KIV_CALL qvMessage(int32_t, intptr_t) {}

extern "C" KIV_EXPORT int32_t KIV_CALL qvEditAction(int32_t action, intptr_t) {
  return kiv::plugin::FindAction(action) != nullptr ? 1 : 0;
}

extern "C" KIV_EXPORT int32_t KIV_CALL qvExecAction(int32_t action, const char *const *params) {
  const kiv::plugin::ActionRow *row = kiv::plugin::FindAction(action);
  if (row == nullptr) return 0;
  // The action's frame makes the private copy of the text (up to its first NUL, at most
  // 16 MiB) that it splits; the host's text is only read.
  kiv::frame::RunActionFrame(params != nullptr ? *params : nullptr, row->frame);
  return 1;
}
