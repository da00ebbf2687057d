// The seven host exports: registration, identity texts, the edit and message hooks and
// action dispatch. Calls out of contract (an action before registration, null slot
// addresses, a null parameter address) do nothing harmful.
#include <string>

#include "kivsqlite3.h"
#include "platform/text_bound.h"
#include "plugin/action_table.h"
#include "plugin/host_link.h"
#include "plugin/host_text.h"

namespace kiv::plugin {
namespace {

constexpr char kTitle[] = "KivSQLite 3 1.0";
constexpr char kAuthor[] = "KivSQLite3 developers";
constexpr char kDescription[] = "Sqlite Database Handler";

void RegisterActionWithHost(int32_t number, const std::string &name, const std::string &hint,
                            const std::string &type, int32_t count) {
  const RegisterActionFn callback = hostLink.registerActionCallback;
  if (callback == nullptr) return;
  callback(number, name.c_str(), hint.c_str(), type.c_str(), count, count);
}

}  // namespace
}  // namespace kiv::plugin

using namespace kiv::plugin;

extern "C" KIV_EXPORT void KIV_CALL qvRegisterPlugIn(RegisterActionFn reg, intptr_t a2,
                                                     intptr_t a3, SetVariableFn setvar) {
  hostLink.registerPlugInArg3 = a3;
  hostLink.setVariableCallback = setvar;
  hostLink.registerActionCallback = reg;
  hostLink.registerPlugInArg2 = a2;
  for (const ActionRow &row : ActionTable) {
    RegisterActionWithHost(row.number, row.name, BuildHint(row), kParameterType,
                           kParameterCount);
  }
}

extern "C" KIV_EXPORT void KIV_CALL qvInitPlugIn(intptr_t a1, HostTextSlot *title,
                                                 HostTextSlot *author,
                                                 HostTextSlot *description) {
  hostLink.initPlugInArg1 = a1;
  if (title != nullptr) SetHostText(title, kTitle);
  if (author != nullptr) SetHostText(author, kAuthor);
  if (description != nullptr) SetHostText(description, kDescription);
}

extern "C" KIV_EXPORT void KIV_CALL qvRegisterScriptProcessor(intptr_t value) {
  hostLink.scriptProcessor = value;
}

extern "C" KIV_EXPORT void KIV_CALL qvRegisterInterfaceAccess(intptr_t value) {
  hostLink.interfaceAccess = value;
}

extern "C" KIV_EXPORT void KIV_CALL qvMessage(int32_t, intptr_t) {}

extern "C" KIV_EXPORT int32_t KIV_CALL qvEditAction(int32_t action, intptr_t) {
  return FindAction(action) != nullptr ? 1 : 0;
}

extern "C" KIV_EXPORT int32_t KIV_CALL qvExecAction(int32_t action, const char *const *params) {
  const ActionRow *row = FindAction(action);
  if (row == nullptr) return 0;
  // A private copy of the text, up to its first NUL and at most 16 MiB.
  const std::string copy(kiv::BoundedText(params != nullptr ? *params : nullptr));
  row->function(copy.empty() ? nullptr : copy.c_str());  // always returns the empty text
  return 1;
}
