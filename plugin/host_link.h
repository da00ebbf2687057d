// HostLink: the values the host hands over at registration, one record for the whole
// process. Written only by the registration exports; the action frame reads the
// set-variable callback. Includes nothing from the actions.
#pragma once

#include <cstdint>

#include "kivsqlite3.h"

namespace kiv::plugin {

struct HostLink {
  RegisterActionFn registerActionCallback;  // qvRegisterPlugIn argument 1: announces actions
  intptr_t registerPlugInArg2;              // qvRegisterPlugIn argument 2: kept, unused
  intptr_t registerPlugInArg3;              // qvRegisterPlugIn argument 3: kept, unused
  SetVariableFn setVariableCallback;        // qvRegisterPlugIn argument 4: sets script variables
  intptr_t scriptProcessor;                 // qvRegisterScriptProcessor argument: kept, unused
  intptr_t interfaceAccess;                 // qvRegisterInterfaceAccess argument: kept, unused
  intptr_t initPlugInArg1;                  // qvInitPlugIn argument 1: kept, unused
};

// The module's one HostLink; all fields are zero until the host registers.
extern HostLink hostLink;

}  // namespace kiv::plugin
