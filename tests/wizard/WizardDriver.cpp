#include "WizardDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace wiztest {

namespace {

std::map<UINT_PTR, WizardDriver *> &Drivers()
{
   static std::map<UINT_PTR, WizardDriver *> drivers;
   return drivers;
}

struct FindArgs {
   const std::wstring *caption;
   HWND found;
};

BOOL CALLBACK FindDialog(HWND wnd, LPARAM param)
{
   auto *args = reinterpret_cast<FindArgs *>(param);
   wchar_t text[256] = L"";
   ::GetWindowTextW(wnd, text, 256);
   if (::IsWindowVisible(wnd) && *args->caption == text) {
      args->found = wnd;
      return FALSE;
   }
   return TRUE;
}

BOOL CALLBACK CloseVisible(HWND wnd, LPARAM)
{
   if (::IsWindowVisible(wnd)) {
      ::PostMessageW(wnd, WM_CLOSE, 0, 0);
   }
   return TRUE;
}

}  // namespace

WizardDriver::WizardDriver(const std::wstring &caption, std::function<void(HWND)> script)
   : caption_(caption), script_(std::move(script))
{
   timer_ = ::SetTimer(nullptr, 0, 50, &WizardDriver::OnTimer);
   Drivers()[timer_] = this;
}

WizardDriver::~WizardDriver()
{
   if (timer_) {
      ::KillTimer(nullptr, timer_);
      Drivers().erase(timer_);
   }
}

void CALLBACK WizardDriver::OnTimer(HWND, UINT, UINT_PTR id, DWORD)
{
   auto it = Drivers().find(id);
   if (it == Drivers().end()) {
      return;
   }
   WizardDriver *self = it->second;
   FindArgs args = {&self->caption_, nullptr};
   ::EnumThreadWindows(::GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&args));
   if (!args.found) {
      // Nothing with that caption came up: close what did, rather than hang the test.
      if (++self->ticks_ > 200) {
         ::KillTimer(nullptr, id);
         Drivers().erase(id);
         self->timer_ = 0;
         ADD_FAILURE() << "no window came up with the expected caption";
         ::EnumThreadWindows(::GetCurrentThreadId(), CloseVisible, 0);
      }
      return;
   }
   ::KillTimer(nullptr, id);
   Drivers().erase(id);
   self->timer_ = 0;
   if (self->ran_) {
      // The script has had its turn and the window is still up (a failed assertion left it
      // there): close it so the test ends.
      ADD_FAILURE() << "the window was left open by its script";
      ::EnumThreadWindows(::GetCurrentThreadId(), CloseVisible, 0);
      return;
   }
   self->ran_ = true;
   self->script_(args.found);
   self->timer_ = ::SetTimer(nullptr, 0, 3000, &WizardDriver::OnTimer);
   Drivers()[self->timer_] = self;
}

HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int CurrentPageId(HWND sheet)
{
   LRESULT index = ::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(CurrentPage(sheet)), 0);
   return static_cast<int>(::SendMessageW(sheet, PSM_INDEXTOID, index, 0));
}

void Press(HWND sheet, int button)
{
   ::SendMessageW(sheet, PSM_PRESSBUTTON, button, 0);
}

void SetItemText(HWND sheet, int id, const std::wstring &text)
{
   ::SetDlgItemTextW(CurrentPage(sheet), id, text.c_str());
}

std::wstring ItemText(HWND window, int id)
{
   wchar_t text[1024] = L"";
   ::GetDlgItemTextW(window, id, text, 1024);
   return text;
}

void Check(HWND sheet, int id, bool on)
{
   ::CheckDlgButton(CurrentPage(sheet), id, on ? BST_CHECKED : BST_UNCHECKED);
}

void Click(HWND sheet, int id)
{
   HWND page = CurrentPage(sheet);
   ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

bool SelectListItem(HWND sheet, int id, const std::wstring &text)
{
   HWND page = CurrentPage(sheet);
   HWND list = ::GetDlgItem(page, id);
   LRESULT at = ::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
   if (at == LB_ERR) {
      return false;
   }
   ::SendMessageW(list, LB_SETCURSEL, at, 0);
   ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
   return true;
}

void SaveShot(HWND window, const std::string &name)
{
   const char *folder = std::getenv("ZOLT_WIZARD_SHOTS");
   if (!folder || !*folder) {
      return;
   }
   ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
   RECT rect;
   ::GetWindowRect(window, &rect);
   int width = rect.right - rect.left;
   int height = rect.bottom - rect.top;
   HDC screen = ::GetDC(nullptr);
   HDC memory = ::CreateCompatibleDC(screen);
   BITMAPINFO info = {};
   info.bmiHeader.biSize = sizeof(info.bmiHeader);
   info.bmiHeader.biWidth = width;
   info.bmiHeader.biHeight = height;
   info.bmiHeader.biPlanes = 1;
   info.bmiHeader.biBitCount = 24;
   info.bmiHeader.biCompression = BI_RGB;
   void *bits = nullptr;
   HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
   HGDIOBJ old = ::SelectObject(memory, bitmap);
   // From the screen: printing a window does not draw its children here.
   ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
   ::SelectObject(memory, old);
   DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
   DWORD size = stride * static_cast<DWORD>(height);
   BITMAPFILEHEADER file = {};
   file.bfType = 0x4D42;
   file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
   file.bfSize = file.bfOffBits + size;
   std::string path = std::string(folder) + "\\" + name + ".bmp";
   if (FILE *out = std::fopen(path.c_str(), "wb")) {
      std::fwrite(&file, sizeof(file), 1, out);
      std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out);
      std::fwrite(bits, size, 1, out);
      std::fclose(out);
   }
   ::DeleteObject(bitmap);
   ::DeleteDC(memory);
   ::ReleaseDC(nullptr, screen);
}

}  // namespace wiztest
