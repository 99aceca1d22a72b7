#include "e2e/WindowFinder.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

namespace e2e {

namespace {

std::wstring ClassOf(HWND window)
{
   WCHAR name[256] = L"";
   GetClassNameW(window, name, ARRAYSIZE(name));
   return name;
}

// GetWindowTextW does not send messages to another process's window, so a hung program
// cannot stall the search.
std::string TitleOf(HWND window)
{
   WCHAR title[1024] = L"";
   GetWindowTextW(window, title, ARRAYSIZE(title));
   return Utf8FromWide(title);
}

bool Matches(HWND window, const WindowQuery &query)
{
   if (query.visibleOnly && !IsWindowVisible(window)) {
      return false;
   }
   if (query.processId) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      if (pid != query.processId) {
         return false;
      }
   }
   if (!query.className.empty() &&
       lstrcmpiW(ClassOf(window).c_str(), WideFromUtf8(query.className).c_str()) != 0) {
      return false;
   }
   if (!query.title.empty()) {
      std::string title = TitleOf(window);
      return query.titleContains ? title.find(query.title) != std::string::npos : title == query.title;
   }
   return true;
}

std::string Describe(const WindowQuery &query)
{
   std::string text = "window";
   if (!query.className.empty()) {
      text += " of class \"" + query.className + "\"";
   }
   if (!query.title.empty()) {
      text += (query.titleContains ? " with a title containing \"" : " titled \"") + query.title + "\"";
   }
   if (query.processId) {
      text += " of process " + std::to_string(query.processId);
   }
   return text;
}

struct Search {
   const WindowQuery *query;
   std::vector<HWND> found;
};

BOOL CALLBACK CollectMatch(HWND window, LPARAM param)
{
   auto *search = reinterpret_cast<Search *>(param);
   if (Matches(window, *search->query)) {
      search->found.push_back(window);
   }
   return TRUE;
}

struct ChildSearch {
   int id;
   HWND found;
};

BOOL CALLBACK FindChildById(HWND window, LPARAM param)
{
   auto *search = reinterpret_cast<ChildSearch *>(param);
   if (GetDlgCtrlID(window) == search->id) {
      search->found = window;
      return FALSE;
   }
   return TRUE;
}

} // namespace

std::vector<HWND> FindTopLevelWindows(const WindowQuery &query)
{
   Search search = {&query, {}};
   EnumWindows(CollectMatch, reinterpret_cast<LPARAM>(&search));
   return search.found;
}

HWND WaitForWindow(const WindowQuery &query, DWORD timeoutMs)
{
   ClearFailure();
   HWND found = nullptr;
   if (WaitUntil([&] {
          std::vector<HWND> windows = FindTopLevelWindows(query);
          found = windows.empty() ? nullptr : windows.front();
          return found != nullptr;
       }, timeoutMs)) {
      return found;
   }
   Fail("WaitForWindow: no " + Describe(query) + " within " + std::to_string(timeoutMs) + " ms");
   return nullptr;
}

HWND WaitForDialog(DWORD processId, const std::string &title, DWORD timeoutMs)
{
   WindowQuery query;
   query.className = "#32770";
   query.title = title;
   query.processId = processId;
   return WaitForWindow(query, timeoutMs);
}

HWND WaitForChild(HWND parent, int id, DWORD timeoutMs)
{
   ClearFailure();
   ChildSearch search = {id, nullptr};
   if (WaitUntil([&] {
          if (!IsWindow(parent)) {
             return true;
          }
          EnumChildWindows(parent, FindChildById, reinterpret_cast<LPARAM>(&search));
          return search.found != nullptr;
       }, timeoutMs) && search.found) {
      return search.found;
   }
   if (!IsWindow(parent)) {
      Fail("WaitForChild: the parent window is gone");
   } else {
      Fail("WaitForChild: no control " + std::to_string(id) + " in " + DescribeWindow(parent) +
           " within " + std::to_string(timeoutMs) + " ms");
   }
   return nullptr;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs)
{
   ClearFailure();
   if (WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs)) {
      return true;
   }
   return Fail("WaitForWindowGone: " + DescribeWindow(window) + " still shows after " +
               std::to_string(timeoutMs) + " ms");
}

} // namespace e2e
