// The module's place in a Windows process: its entry point, fixed zero-filled global
// memory for the host (a block's handle is its address, so the host frees it with
// GlobalFree), and Sleep.
#include <windows.h>

#include "platform/process.h"

// The DLL's entry point, in place of the C runtime's start-up code (the module is linked
// with -nostartfiles): it accepts every notification and does no work. The module needs
// nothing of that code (no static constructors, no data imports), and it would bring a
// TLS directory, which a DLL loaded at run time must not have on older Windows.
extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, LPVOID) { return TRUE; }

namespace kiv::platform {

void *AllocHostBlock(std::size_t size) noexcept {
  return reinterpret_cast<void *>(GlobalAlloc(GMEM_ZEROINIT, size));
}

void FreeHostBlock(void *block) noexcept {
  if (block != nullptr) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}

void PauseMilliseconds(unsigned milliseconds) noexcept { Sleep(milliseconds); }

}  // namespace kiv::platform
