// The process-wide HostLink record.
#include "plugin/host_link.h"

namespace kiv::plugin {

HostLink hostLink{};

}  // namespace kiv::plugin
