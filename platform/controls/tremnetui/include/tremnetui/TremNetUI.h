// The virtual-network editor library, "tremnetui.dll", loaded at run time:
//    auto show = reinterpret_cast<TremNetUI_ShowPropertyPagesFn>(
//       GetProcAddress(module, "TremNetUI_ShowPropertyPages"));
#pragma once

#include <windows.h>

extern "C" {

// Shows the editor for a host as a modal property sheet owned by `owner`. `rawCtx` is a raw
// database context (vmdbstore::Context*) whose current path is the host's node; `startPage` is
// the page shown first (clamped to the pages there are). Returns 1 when closed with OK, 0 when
// cancelled, -1 when it could not be shown (no context, no window).
__declspec(dllexport) int WINAPI TremNetUI_ShowPropertyPages(HWND owner, void *rawCtx, int startPage);

typedef int(WINAPI *TremNetUI_ShowPropertyPagesFn)(HWND owner, void *rawCtx, int startPage);

}
