// The menu probe's hook, which runs inside the program under test (see ProbeProtocol.h).
#include "ProbeProtocol.h"

namespace {

void AnswerMenuRequest(HWND window, DWORD harnessProcessId)
{
   HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE,
                                     e2e::ProbeBlockName(harnessProcessId).c_str());
   if (!mapping) {
      return;
   }
   auto *block = static_cast<e2e::ProbeBlock *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
   if (block) {
      HMENU menu = block->menu ? reinterpret_cast<HMENU>(static_cast<uintptr_t>(block->menu))
                               : GetMenu(window);
      int count = menu ? GetMenuItemCount(menu) : -1;
      block->count = count;
      for (int i = 0; i < count && i < e2e::kProbeMaxItems; ++i) {
         e2e::ProbeMenuItem &item = block->items[i];
         MENUITEMINFOW info = {};
         info.cbSize = sizeof info;
         info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
         info.dwTypeData = item.text;
         info.cch = e2e::kProbeTextSize - 1;
         item.text[0] = L'\0';
         if (GetMenuItemInfoW(menu, i, TRUE, &info)) {
            item.id = info.wID;
            item.state = info.fState;
            item.type = info.fType;
            item.submenu = reinterpret_cast<uintptr_t>(info.hSubMenu);
         }
      }
      block->answered = 1;
      UnmapViewOfFile(block);
   }
   CloseHandle(mapping);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK E2EProbeCallWndProc(int code, WPARAM wParam,
                                                                      LPARAM lParam)
{
   static const UINT probeMessage = RegisterWindowMessageA(E2E_PROBE_MESSAGE);
   if (code == HC_ACTION) {
      const auto *call = reinterpret_cast<const CWPSTRUCT *>(lParam);
      if (call->message == probeMessage) {
         AnswerMenuRequest(call->hwnd, static_cast<DWORD>(call->wParam));
      }
   }
   return CallNextHookEx(nullptr, code, wParam, lParam);
}
