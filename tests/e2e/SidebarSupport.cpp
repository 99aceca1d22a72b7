#include "SidebarSupport.h"

#include "tremorybase/Text.h"

#include <commctrl.h>

#include <cstring>

namespace zoltside {

namespace {

// A piece of memory in the process that owns a window, for messages whose parameters point
// at structures the window fills.
class RemoteMemory {
public:
   RemoteMemory(HWND window, size_t size)
   {
      DWORD processId = 0;
      GetWindowThreadProcessId(window, &processId);
      process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
      if (process_) {
         memory_ = static_cast<char *>(
            VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
      }
   }
   ~RemoteMemory()
   {
      if (memory_) {
         VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
      }
      if (process_) {
         CloseHandle(process_);
      }
   }
   RemoteMemory(const RemoteMemory &) = delete;
   RemoteMemory &operator=(const RemoteMemory &) = delete;

   char *At(size_t offset) const { return memory_ ? memory_ + offset : nullptr; }
   bool Write(size_t offset, const void *bytes, size_t size) const
   {
      SIZE_T done = 0;
      return memory_ && WriteProcessMemory(process_, memory_ + offset, bytes, size, &done) && done == size;
   }
   bool Read(size_t offset, void *bytes, size_t size) const
   {
      SIZE_T done = 0;
      return memory_ && ReadProcessMemory(process_, memory_ + offset, bytes, size, &done) && done == size;
   }

private:
   HANDLE process_ = nullptr;
   char *memory_ = nullptr;
};

std::string ItemText(HWND tree, HTREEITEM item)
{
   const int kTextSize = 256;
   RemoteMemory remote(tree, sizeof(TVITEMW) + kTextSize * sizeof(WCHAR));
   TVITEMW tv = {};
   tv.mask = TVIF_TEXT;
   tv.hItem = item;
   tv.pszText = reinterpret_cast<LPWSTR>(remote.At(sizeof(TVITEMW)));
   tv.cchTextMax = kTextSize;
   WCHAR text[kTextSize] = L"";
   if (!remote.Write(0, &tv, sizeof(tv)) || !remote.Write(sizeof(TVITEMW), text, sizeof(WCHAR)) ||
       !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.At(0))) ||
       !remote.Read(sizeof(TVITEMW), text, sizeof(text) - sizeof(WCHAR))) {
      return std::string();
   }
   text[kTextSize - 1] = L'\0';
   return Utf8FromWide(text);
}

}  // namespace

HWND FindDescendant(HWND parent, const std::string &className)
{
   for (const e2e::ChildWindow &child : e2e::ListChildren(parent)) {
      if (child.className == className) {
         return child.window;
      }
   }
   return nullptr;
}

HWND WaitForSidebar(HWND frame)
{
   HWND sidebar = nullptr;
   e2e::WaitUntil([&]() { return (sidebar = FindDescendant(frame, "ZOLTNavbar")) != nullptr; },
                  e2e::kStartTimeoutMs, 50);
   return sidebar;
}

bool IsShown(HWND window)
{
   return window && IsWindowVisible(window);
}

HWND ListTree(HWND sidebar, const std::string &controlClass)
{
   HWND control = FindDescendant(sidebar, controlClass);
   return control ? FindDescendant(control, "SysTreeView32") : nullptr;
}

RECT RemoteRect(HWND control, UINT message, WPARAM wParam, const RECT &input)
{
   RECT rect = {};
   RemoteMemory remote(control, sizeof(RECT));
   if (remote.Write(0, &input, sizeof(input)) &&
       SendMessageW(control, message, wParam, reinterpret_cast<LPARAM>(remote.At(0)))) {
      remote.Read(0, &rect, sizeof(rect));
   }
   return rect;
}

std::vector<TreeRow> VisibleRows(HWND tree)
{
   std::vector<TreeRow> rows;
   RECT client = {};
   GetClientRect(tree, &client);
   for (auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)); item;
        item = reinterpret_cast<HTREEITEM>(
           SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, reinterpret_cast<LPARAM>(item)))) {
      // TVM_GETITEMRECT takes the item in the rectangle it fills.
      RECT input = {};
      memcpy(&input, &item, sizeof(item));
      RECT rect = RemoteRect(tree, TVM_GETITEMRECT, TRUE, input);
      if (rect.top >= client.bottom) {
         break;
      }
      rows.push_back({ItemText(tree, item), rect});
   }
   return rows;
}

bool WaitForRow(HWND tree, const std::string &text, TreeRow &row, DWORD ms)
{
   return e2e::WaitUntil(
      [&]() {
         for (const TreeRow &candidate : VisibleRows(tree)) {
            if (candidate.text == text) {
               row = candidate;
               return true;
            }
         }
         return false;
      },
      ms, 100);
}

bool DoubleClick(HWND window, int x, int y)
{
   // The first click brings the window forward and waits until nothing covers the point.
   if (!e2e::Click(window, x, y)) {
      return false;
   }
   Sleep(50);
   POINT point = {x, y};
   ClientToScreen(window, &point);
   return e2e::ClickAtScreen(point, false, 2);
}

bool Drag(HWND window, POINT from, POINT to)
{
   ClientToScreen(window, &from);
   ClientToScreen(window, &to);
   if (!SetForegroundWindow(GetAncestor(window, GA_ROOT)) || !e2e::MouseAtScreen(from)) {
      return false;
   }
   Sleep(100);
   if (!e2e::MouseAtScreen(from, MOUSEEVENTF_LEFTDOWN)) {
      return false;
   }
   Sleep(200);
   const int kSteps = 8;
   for (int step = 1; step <= kSteps; ++step) {
      e2e::MouseAtScreen({from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps});
      Sleep(50);
   }
   Sleep(200);
   bool released = e2e::MouseAtScreen(to, MOUSEEVENTF_LEFTUP);
   Sleep(200);
   return released;
}

int WidthOf(HWND window)
{
   RECT rect = {};
   GetWindowRect(window, &rect);
   return rect.right - rect.left;
}

}  // namespace zoltside
