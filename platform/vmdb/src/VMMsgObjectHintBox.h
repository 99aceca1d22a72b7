// The box "VMMsg" shows for a hint the user may turn off: the message, its buttons and a
// "Do not show this message again" check box. Modal; built in code (no resource module).
#pragma once

#include <windows.h>

#include <string>

namespace vmdb {

class VMMsgObjectHintBox {
public:
   static const int kCheckBox = 1243;
   static const int kText = 1182;

   // `buttons` is MB_OK, MB_OKCANCEL or MB_YESNO; `icon` an MB_ICON... value.
   VMMsgObjectHintBox(const std::wstring &text, const std::wstring &title, UINT buttons, UINT icon);

   // The button pressed (IDOK, IDCANCEL, IDYES, IDNO; Escape and the close box give the last
   // button's), or 0 when the box could not be shown.
   int Run(HWND owner);
   bool IsChecked() const { return checked_; }

private:
   static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
   void OnInitDialog(HWND hwnd);
   int CancelResult() const;

   std::wstring text_;
   std::wstring title_;
   UINT buttons_;
   UINT icon_;
   bool checked_ = false;
};

}  // namespace vmdb
