#include "e2e/MenuReader.h"

#include "e2e/Files.h"
#include "e2e/WindowFinder.h"

#include "FailureText.h"
#include "ProbeProtocol.h"

#include "tremorybase/Text.h"

#include <cstring>
#include <cwchar>

namespace e2e {

namespace {

// The probe DLL is built beside the harness; CMake gives its build path.
HOOKPROC ProbeHook(HMODULE *module)
{
   static HMODULE probe = LoadLibraryW(WideFromUtf8(ToWindowsPath(E2E_PROBE_DLL)).c_str());
   *module = probe;
   return probe ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(
                     GetProcAddress(probe, E2E_PROBE_HOOK)))
                : nullptr;
}

// The shared block for one request, removed again when the request is done.
class ProbeRequest {
public:
   ProbeRequest()
   {
      mapping_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                    sizeof(ProbeBlock), ProbeBlockName(GetCurrentProcessId()).c_str());
      if (mapping_) {
         block_ = static_cast<ProbeBlock *>(MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 0));
      }
   }
   ~ProbeRequest()
   {
      if (block_) {
         UnmapViewOfFile(block_);
      }
      if (mapping_) {
         CloseHandle(mapping_);
      }
   }
   ProbeRequest(const ProbeRequest &) = delete;
   ProbeRequest &operator=(const ProbeRequest &) = delete;

   ProbeBlock *Block() const { return block_; }

private:
   HANDLE mapping_ = nullptr;
   ProbeBlock *block_ = nullptr;
};

MenuItem ToMenuItem(const ProbeMenuItem &item)
{
   MenuItem result;
   result.id = item.id;
   result.text = Utf8FromWide(std::wstring_view(item.text, wcsnlen(item.text, kProbeTextSize)));
   result.enabled = (item.state & (MF_GRAYED | MF_DISABLED)) == 0;
   result.checked = (item.state & MFS_CHECKED) != 0;
   result.separator = (item.type & MFT_SEPARATOR) != 0;
   result.isDefault = (item.state & MFS_DEFAULT) != 0;
   result.submenu = reinterpret_cast<HMENU>(static_cast<uintptr_t>(item.submenu));
   return result;
}

} // namespace

std::optional<std::vector<MenuItem>> ReadMenu(HWND window, HMENU menu, DWORD timeoutMs)
{
   ClearFailure();
   DWORD thread = GetWindowThreadProcessId(window, nullptr);
   if (!thread) {
      Fail("ReadMenu: the window is gone");
      return std::nullopt;
   }
   HMODULE module = nullptr;
   HOOKPROC hook = ProbeHook(&module);
   if (!hook) {
      FailWithSystemError(std::string("ReadMenu: cannot load the menu probe ") + E2E_PROBE_DLL);
      return std::nullopt;
   }
   ProbeRequest request;
   ProbeBlock *block = request.Block();
   if (!block) {
      FailWithSystemError("ReadMenu: no shared block for the menu probe");
      return std::nullopt;
   }
   std::memset(block, 0, sizeof *block);
   block->menu = reinterpret_cast<uintptr_t>(menu);

   HHOOK installed = SetWindowsHookExA(WH_CALLWNDPROC, hook, module, thread);
   if (!installed) {
      FailWithSystemError("ReadMenu: cannot hook the thread of " + DescribeWindow(window));
      return std::nullopt;
   }
   static const UINT probeMessage = RegisterWindowMessageA(E2E_PROBE_MESSAGE);
   DWORD_PTR ignored = 0;
   BOOL delivered = SendMessageTimeoutA(window, probeMessage, GetCurrentProcessId(), 0,
                                        SMTO_ABORTIFHUNG, timeoutMs, &ignored);
   UnhookWindowsHookEx(installed);
   if (!delivered || !block->answered) {
      Fail("ReadMenu: " + DescribeWindow(window) + (delivered ? " did not run the menu probe"
                                                                : " did not answer in time"));
      return std::nullopt;
   }
   if (block->count < 0) {
      Fail("ReadMenu: " + DescribeWindow(window) + " has no such menu");
      return std::nullopt;
   }
   std::vector<MenuItem> items;
   for (int i = 0; i < block->count && i < kProbeMaxItems; ++i) {
      items.push_back(ToMenuItem(block->items[i]));
   }
   return items;
}

std::optional<MenuItem> FindMenuItem(HWND window, UINT commandId, HMENU menu, DWORD timeoutMs)
{
   std::optional<std::vector<MenuItem>> items = ReadMenu(window, menu, timeoutMs);
   if (!items) {
      return std::nullopt;
   }
   for (const MenuItem &item : *items) {
      if (!item.submenu && !item.separator && item.id == commandId) {
         return item;
      }
   }
   for (const MenuItem &item : *items) {
      if (item.submenu) {
         if (std::optional<MenuItem> found = FindMenuItem(window, commandId, item.submenu, timeoutMs)) {
            return found;
         }
      }
   }
   Fail("FindMenuItem: no item " + std::to_string(commandId) + " in the menus of " +
        DescribeWindow(window));
   return std::nullopt;
}

HWND WaitForPopupMenu(DWORD processId, DWORD timeoutMs)
{
   WindowQuery query;
   query.className = "#32768";
   query.processId = processId;
   return WaitForWindow(query, timeoutMs);
}

HMENU PopupMenuOf(HWND popupWindow, DWORD timeoutMs)
{
   ClearFailure();
   DWORD_PTR menu = 0;
   if (!SendMessageTimeoutA(popupWindow, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &menu) || !menu) {
      Fail("PopupMenuOf: no menu from " + DescribeWindow(popupWindow));
      return nullptr;
   }
   return reinterpret_cast<HMENU>(menu);
}

} // namespace e2e
