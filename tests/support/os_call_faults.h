// Test support: stands in for each call of the platform layer's table
// (platform/os_calls.h), counting the calls by name and making one of them fail as the
// system would: the nth call of a name, with an error the system really gives.
#pragma once

#include <map>
#include <string>

namespace kiv::test::os_faults {

// Puts the counting stand-ins into the table (Install) or the system's calls back.
void Install();
void Uninstall();

// Forgets the counts; from now on the `nth` call (from 1) of `name` fails with `error`
// (an errno value, or a GetLastError code on Windows); none when `nth` is 0. A failing
// close still lets the descriptor go, as the systems' own do.
void Arm(const std::string &name, int nth, int error);

// The calls made since Arm, by name.
const std::map<std::string, int> &Counts();

// The errors a failing file call gives on this system: an I/O error, a full disk, and
// EINTR (POSIX) or a network share gone (Windows).
extern const int kFileErrors[3];

}  // namespace kiv::test::os_faults
