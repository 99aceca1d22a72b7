#include "SheetSteps.h"

#include <commctrl.h>
#include <prsht.h>

#include "tremorybase/Poll.h"

namespace wiztest {

namespace {

const int kTickMs = 25;
const int kMaxTicks = 1200;   // 30 s for a whole script

SheetSteps *sCurrent = nullptr;

struct Found {
   const std::wstring *caption;
   HWND window;
};

BOOL CALLBACK FindSheet(HWND window, LPARAM data)
{
   Found &found = *reinterpret_cast<Found *>(data);
   wchar_t className[64] = L"";
   wchar_t caption[256] = L"";
   GetClassNameW(window, className, 64);
   GetWindowTextW(window, caption, 256);
   if (IsWindowVisible(window) && lstrcmpW(className, L"#32770") == 0 && *found.caption == caption) {
      found.window = window;
      return FALSE;
   }
   return TRUE;
}

}  // namespace

SheetSteps::SheetSteps(const std::wstring &caption, std::vector<Step> steps)
   : caption_(caption), steps_(std::move(steps))
{
   sCurrent = this;
   timer_ = SetTimer(nullptr, 0, kTickMs, OnTimer);
}

SheetSteps::~SheetSteps()
{
   KillTimer(nullptr, timer_);
   sCurrent = nullptr;
}

void CALLBACK SheetSteps::OnTimer(HWND, UINT, UINT_PTR, DWORD)
{
   if (sCurrent) {
      sCurrent->Tick();
   }
}

void SheetSteps::Tick()
{
   // A step may open a modal box of its own, whose loop ticks here again: that tick only polls.
   if (busy_) {
      return;
   }
   busy_ = true;
   Poll_Step(0);
   ++ticks_;
   Found found = {&caption_, nullptr};
   EnumThreadWindows(GetCurrentThreadId(), FindSheet, reinterpret_cast<LPARAM>(&found));
   if (found.window && next_ < steps_.size() && steps_[next_].ready(found.window)) {
      steps_[next_].act(found.window);
      ++next_;
   }
   if (ticks_ > kMaxTicks && found.window) {
      // Stuck: end the sheet so the test reports instead of hanging.
      DestroyWindow(found.window);
   }
   busy_ = false;
}

HWND SheetPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool OnSheetPage(HWND sheet, int id)
{
   HWND page = SheetPage(sheet);
   return page && static_cast<int>(SendMessageW(sheet, PSM_INDEXTOID, SendMessageW(sheet, PSM_HWNDTOINDEX,
                                                                                   reinterpret_cast<WPARAM>(page), 0),
                                                0)) == id;
}

void PressSheet(HWND sheet, int button)
{
   PostMessageW(sheet, PSM_PRESSBUTTON, button, 0);
}

Step PressOn(const std::string &what, int pageId, int button)
{
   return {what, [pageId](HWND sheet) { return OnSheetPage(sheet, pageId); },
           [button](HWND sheet) { PressSheet(sheet, button); }};
}

}  // namespace wiztest
