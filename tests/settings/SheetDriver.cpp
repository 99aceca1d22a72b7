#include "SheetDriver.h"

#include <commctrl.h>
#include <prsht.h>

#include <map>

#include "tremorybase/Text.h"

namespace {

std::map<UINT_PTR, SheetDriver *> &Drivers()
{
   static std::map<UINT_PTR, SheetDriver *> drivers;
   return drivers;
}

BOOL CALLBACK FindSheet(HWND window, LPARAM data)
{
   wchar_t className[32] = L"";
   GetClassNameW(window, className, 32);
   if (IsWindowVisible(window) && std::wstring(className) == L"#32770" &&
       FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr)) {
      *reinterpret_cast<HWND *>(data) = window;
      return FALSE;
   }
   return TRUE;
}

}  // namespace

SheetDriver::SheetDriver(std::function<void(HWND)> drive) : drive_(std::move(drive))
{
   timer_ = SetTimer(nullptr, 0, 50, &SheetDriver::OnTimer);
   Drivers()[timer_] = this;
}

SheetDriver::~SheetDriver()
{
   KillTimer(nullptr, timer_);
   Drivers().erase(timer_);
}

void CALLBACK SheetDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
   auto it = Drivers().find(id);
   if (it == Drivers().end() || it->second->driven_) {
      return;
   }
   HWND sheet = nullptr;
   EnumThreadWindows(GetCurrentThreadId(), &FindSheet, reinterpret_cast<LPARAM>(&sheet));
   if (!sheet) {
      return;
   }
   it->second->driven_ = true;
   it->second->drive_(sheet);
}

std::vector<std::string> TabCaptions(HWND sheet)
{
   std::vector<std::string> captions;
   HWND tabs = FindWindowExW(sheet, nullptr, WC_TABCONTROLW, nullptr);
   int count = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
   for (int i = 0; i < count; ++i) {
      wchar_t text[128] = L"";
      TCITEMW item = {};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = 128;
      SendMessageW(tabs, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
      captions.push_back(Utf8FromWide(text));
   }
   return captions;
}

HWND SelectPage(HWND sheet, int index)
{
   SendMessageW(sheet, PSM_SETCURSEL, index, 0);
   return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

std::string ItemText(HWND page, int id)
{
   wchar_t text[1024] = L"";
   GetDlgItemTextW(page, id, text, 1024);
   return Utf8FromWide(text);
}

void SetItemText(HWND page, int id, const std::string &text)
{
   SetDlgItemTextW(page, id, WideFromUtf8(text).c_str());
}

void PressSheetButton(HWND sheet, int button)
{
   SendMessageW(sheet, PSM_PRESSBUTTON, button, 0);
}
