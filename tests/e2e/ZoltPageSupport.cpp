#include "ZoltPageSupport.h"

#include "ScreenImage.h"

#include "tremorybase/Text.h"

#include <commctrl.h>

namespace zoltpage {

std::string VmxText(const std::string &name, int memoryMB, const std::string &extra)
{
   return "configVersion = \"8\"\nhardwareVersion = \"4\"\ndisplayName = " + e2e::QuoteValue(name) +
          "\nguestOS = \"winxp\"\nmemoryMB = \"" + std::to_string(memoryMB) + "\"\ncpuCount = \"1\"\n" + extra;
}

HWND WaitForMachinePage(HWND frame)
{
   HWND page = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (const e2e::ChildWindow &child : e2e::ListChildren(frame)) {
            HWND parent = GetParent(child.window);
            if (child.id == 1070 && child.className == "Edit" && (GetWindowLongW(parent, GWL_STYLE) & WS_VISIBLE)) {
               page = parent;
            }
         }
         return page != nullptr;
      },
      e2e::kStartTimeoutMs);
   return page;
}

void KeepScreenshot(const e2e::TestFolder &folder, HWND window, const std::string &name)
{
   e2e::ScreenImage image = e2e::CaptureClientFromScreen(window);
   e2e::SavePng(image, folder.PathOf(name));
   e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
}

std::vector<std::string> ListViewRows(HWND list)
{
   std::vector<std::string> rows;
   DWORD processId = 0;
   GetWindowThreadProcessId(list, &processId);
   HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
   if (!process) {
      return rows;
   }
   // The list writes its texts (UTF-16) into memory of its own process.
   const int kTextSize = 256;
   char *remote = static_cast<char *>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kTextSize * sizeof(WCHAR),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
   HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
   int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
   int count = remote ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
   for (int row = 0; row < count; ++row) {
      std::string line;
      for (int column = 0; column < columns; ++column) {
         LVITEMW item = {};
         item.iSubItem = column;
         item.cchTextMax = kTextSize;
         item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
         WCHAR text[kTextSize] = L"";
         SIZE_T done = 0;
         if (!WriteProcessMemory(process, remote, &item, sizeof(item), &done) ||
             !WriteProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof(WCHAR), &done)) {
            break;
         }
         SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
         ReadProcessMemory(process, remote + sizeof(LVITEMW), text, (kTextSize - 1) * sizeof(WCHAR), &done);
         text[kTextSize - 1] = L'\0';
         line += (column ? " | " : "") + Utf8FromWide(text);
      }
      rows.push_back(line);
   }
   if (remote) {
      VirtualFreeEx(process, remote, 0, MEM_RELEASE);
   }
   CloseHandle(process);
   return rows;
}

RECT ListViewRowRect(HWND list, int row)
{
   RECT rect = {};
   DWORD processId = 0;
   GetWindowThreadProcessId(list, &processId);
   HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
   if (!process) {
      return rect;
   }
   void *remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
   RECT asked = {LVIR_BOUNDS, 0, 0, 0};
   SIZE_T done = 0;
   if (remote && WriteProcessMemory(process, remote, &asked, sizeof(asked), &done) &&
       SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote))) {
      ReadProcessMemory(process, remote, &rect, sizeof(rect), &done);
   }
   if (remote) {
      VirtualFreeEx(process, remote, 0, MEM_RELEASE);
   }
   CloseHandle(process);
   return rect;
}

POINT ListViewCellPoint(HWND list, int row, int column)
{
   RECT bounds = ListViewRowRect(list, row);
   int left = bounds.left;
   for (int i = 0; i < column; ++i) {
      left += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, i, 0));
   }
   const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
   return POINT{left + width / 2, (bounds.top + bounds.bottom) / 2};
}

namespace {

struct TipSearch {
   DWORD processId;
   std::vector<HWND> tips;
};

BOOL CALLBACK FindProcessTips(HWND window, LPARAM lParam)
{
   TipSearch *search = reinterpret_cast<TipSearch *>(lParam);
   char className[32] = "";
   GetClassNameA(window, className, sizeof(className));
   DWORD processId = 0;
   GetWindowThreadProcessId(window, &processId);
   if (processId == search->processId && std::string(className) == TOOLTIPS_CLASSA) {
      search->tips.push_back(window);
   }
   return TRUE;
}

}  // namespace

std::vector<std::string> ToolTextsOf(HWND window)
{
   std::vector<std::string> texts;
   // A tooltip is a popup: its owner is the top-level window, so its tools tell whose it is.
   TipSearch search = {0, {}};
   GetWindowThreadProcessId(window, &search.processId);
   EnumWindows(FindProcessTips, reinterpret_cast<LPARAM>(&search));
   HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, search.processId);
   if (!process) {
      return texts;
   }
   const int kTextSize = 256;
   char *remote = static_cast<char *>(VirtualAllocEx(process, nullptr, sizeof(TOOLINFOW) + kTextSize * sizeof(WCHAR),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
   for (HWND tips : search.tips) {
      int count = remote ? static_cast<int>(SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0)) : 0;
      for (int i = 0; i < count; ++i) {
         TOOLINFOW tool = {};
         tool.cbSize = TTTOOLINFOW_V1_SIZE;
         SIZE_T done = 0;
         WriteProcessMemory(process, remote, &tool, sizeof(tool), &done);
         if (!SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote))) {
            break;
         }
         ReadProcessMemory(process, remote, &tool, sizeof(tool), &done);
         if (tool.hwnd != window) {
            continue;
         }
         // The enumerated tool names itself; its text is asked for separately.
         WCHAR text[kTextSize] = L"";
         tool.lpszText = reinterpret_cast<LPWSTR>(remote + sizeof(TOOLINFOW));
         WriteProcessMemory(process, remote, &tool, sizeof(tool), &done);
         WriteProcessMemory(process, remote + sizeof(TOOLINFOW), text, sizeof(WCHAR), &done);
         SendMessageW(tips, TTM_GETTEXTW, static_cast<WPARAM>(kTextSize), reinterpret_cast<LPARAM>(remote));
         ReadProcessMemory(process, remote + sizeof(TOOLINFOW), text, (kTextSize - 1) * sizeof(WCHAR), &done);
         text[kTextSize - 1] = L'\0';
         texts.push_back(Utf8FromWide(text));
      }
   }
   if (remote) {
      VirtualFreeEx(process, remote, 0, MEM_RELEASE);
   }
   CloseHandle(process);
   return texts;
}

}  // namespace zoltpage
