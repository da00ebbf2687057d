// Names of files: what a name reaches before anything is opened (a plain file, a folder
// or a device), and the name to give a library that reads file names as UTF-8 (SQLite).
// On Windows a name is meant in the ANSI code page; elsewhere names are bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace kiv::platform {

// Room for any name the module handles, in each form it takes: up to 399 bytes
// converted to UTF-8 (3 bytes a character at most), in UTF-16 units, or as a full path.
inline constexpr std::size_t kFileNameRoom = 1200;

// True when `name` must not be opened as a BLOB file: a folder or a device (a serial
// port, a printer, a pipe, a console, a raw disk or volume), or a name whose kind cannot
// be told. Judged without opening anything: opening a device has effects (a serial
// port's DTR resets the board behind it). A plain file and a missing one are fine.
bool NotAPlainFile(const char *name) noexcept;

// Writes into `out` (zero-terminated) the UTF-8 name that reaches the file `name` means.
// Windows converts an ANSI name that is not already UTF-8, unless only the file SQLite
// once made from its raw bytes exists (file_names_win32.cpp); elsewhere the bytes are
// kept. False when the name does not fit.
bool FileNameAsUtf8(std::string_view name, char (&out)[kFileNameRoom]) noexcept;

}  // namespace kiv::platform
