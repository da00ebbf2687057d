// Libraries loaded at run time (the engine on Windows), from trusted folders only and
// each by its full path: dlopen on POSIX, LoadLibraryExW on Windows.
#pragma once

namespace kiv::platform {

// The folders a library may come from, in the order they are tried: the module's own
// folder, the host program's folder, the system folder. Never the current folder or
// PATH, where anyone may leave a file of the same name.
enum class LibraryFolder { kModule, kHostProgram, kSystem };
inline constexpr LibraryFolder kTrustedLibraryFolders[] = {
    LibraryFolder::kModule, LibraryFolder::kHostProgram, LibraryFolder::kSystem};

// Loads the library `fileName` from `folder` by its full path. Null when the folder has
// no such file or it cannot be loaded (on Windows: not a 32-bit DLL).
void *OpenLibraryIn(LibraryFolder folder, const char *fileName) noexcept;

// The address of `name` in `library`, or null.
void *FindSymbol(void *library, const char *name) noexcept;

// Unloads a library from OpenLibraryIn.
void CloseLibrary(void *library) noexcept;

}  // namespace kiv::platform
