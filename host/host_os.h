// What kivhost needs of the operating system: loading a module and finding its exports
// by name as a host does (dlopen/dlsym, LoadLibraryA/GetProcAddress), the folder of the
// running program, freeing host memory the module handed over, and standard output as a
// byte stream. host_os_posix.cpp and host_os_win32.cpp implement it; CMake picks one.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace kiv::host {

// File name of the module as the build names it beside its host program.
extern const char *const kModuleFileName;

// The full path of `path` (relative to the current folder): loading by a relative path
// is left undefined on Windows and searches elsewhere on POSIX.
std::string FullPath(const std::string &path);

// Loads the library at `path`. Returns null and sets `error` when it cannot be loaded.
void *LoadModule(const std::string &path, std::string &error);

// Address of export `name` in `module`, or null.
void *FindExport(void *module, const char *name) noexcept;

// The folder of the running program, with a trailing separator; empty when unknown.
std::string ExecutableFolder();

// The SQLite library the module at `modulePath` (loaded as `module`) works with, and
// its version. On Windows the module binds it at its first action, from trusted folders
// only (beside the plug-in, beside the host program, the system folder); this looks for
// it the same way and names the file it uses and where it is, or each file tried and
// why it was not used.
std::string DescribeEngine(const std::string &modulePath, void *module);

// Frees a block of host memory that the module put into a host text slot.
void FreeHostBlock(void *block) noexcept;

// Standard output without newline translation, so raw values pass unchanged.
void UseBinaryStandardOutput() noexcept;

// Writes `text` (bytes in the ANSI code page, as the plug-in's texts are) to `stream`.
// On Windows a console shows them in the ANSI code page, not its own OEM one, so "ü"
// stays "ü", handed over in pieces every console takes, and as plain bytes where the
// console refuses them; a file or pipe gets the bytes as they are. A failure is kept
// for AllOutputShown.
void Print(std::FILE *stream, std::string_view text);

// True when everything printed so far reached its stream (flushing standard output).
bool AllOutputShown() noexcept;

// Makes the UTF-8 `text` the bytes the host sends: on Windows the ANSI code page (false,
// with `text` unchanged, when it lacks a character), elsewhere UTF-8 as it is.
bool Utf8ToHostText(std::string &text);

// Settles how the process meets the system before anything runs: on POSIX a write beyond
// the file size limit then fails (and the action answers) instead of ending kivhost; on
// Windows standard input is read as bytes, so that a Ctrl-Z in it means what it means
// in a file.
void PrepareProcess() noexcept;

// The numbers (from 1) of the arguments that lost a letter on their way from the command
// line: Windows had no form for it in the ANSI code page and put a look-alike or "?" in
// its place. Always empty on POSIX, where arguments are bytes.
std::vector<int> ArgumentsChangedOnTheWay(int argc, char **argv);

// True when the file or folder `name` (bytes as the module would take them) exists.
bool FileExists(const std::string &name);

// The characters that separate a path's folders on this system.
extern const char *const kFolderSeparators;

// True when `name` is a path of the other system (on POSIX: a drive letter or a
// backslash, which are a file's name here).
bool LooksLikeAnotherSystemsPath(const std::string &name);

// What ReadTypedLine found.
enum class Typed { kNotAConsole, kLine, kEnd };

// Reads one line typed at a Windows console into `utf8`, without its line end, through
// the console's UTF-16 (a typed "é" is not the OEM code page's 0x82) converted to UTF-8.
// kNotAConsole, reading nothing, when standard input is no Windows console.
Typed ReadTypedLine(std::string &utf8);

}  // namespace kiv::host
