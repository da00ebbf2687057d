// The one writer of kivhost's "kivhost: " lines.
#include "host/messages.h"

#include <cstdio>

#include "host/host_os.h"

namespace kiv::host {

void Complain(const std::string &where, const std::string &text) {
  std::fflush(stdout);
  Print(stderr, "kivhost: " + where + text + "\n");
}

void Warn(const std::string &where, const std::string &text) {
  Complain(where, "warning: " + text);
}

}  // namespace kiv::host
