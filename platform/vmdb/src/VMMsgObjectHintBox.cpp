#include "VMMsgObjectHintBox.h"

#include <algorithm>
#include <vector>

#include "atl/UncaughtException.h"

namespace vmdb {

namespace {

const short kWidth = 250;

// A DLGTEMPLATE with its items, built word by word.
class Template {
public:
   Template(DWORD style, short cx, short cy, const std::wstring &title)
   {
      Dword(style | DS_SETFONT);
      Dword(0);
      words_.insert(words_.end(), {0, 0, 0, static_cast<WORD>(cx), static_cast<WORD>(cy), 0, 0});
      String(title);
      words_.push_back(8);
      String(L"MS Shell Dlg");
   }

   void Item(WORD classAtom, WORD id, const std::wstring &text, DWORD style, short x, short y, short cx, short cy)
   {
      if (words_.size() % 2) {
         words_.push_back(0);
      }
      Dword(style | WS_CHILD | WS_VISIBLE);
      Dword(0);
      words_.insert(words_.end(), {static_cast<WORD>(x), static_cast<WORD>(y), static_cast<WORD>(cx),
                                   static_cast<WORD>(cy), id, 0xFFFF, classAtom});
      String(text);
      words_.push_back(0);
      ++words_[4];
   }

   const DLGTEMPLATE *Get() const { return reinterpret_cast<const DLGTEMPLATE *>(words_.data()); }

private:
   void Dword(DWORD value)
   {
      words_.push_back(LOWORD(value));
      words_.push_back(HIWORD(value));
   }
   void String(const std::wstring &text)
   {
      words_.insert(words_.end(), text.begin(), text.end());
      words_.push_back(0);
   }

   std::vector<WORD> words_;
};

LPCWSTR SystemIcon(UINT icon)
{
   switch (icon) {
   case MB_ICONERROR:
      return MAKEINTRESOURCEW(32513);
   case MB_ICONQUESTION:
      return MAKEINTRESOURCEW(32514);
   case MB_ICONWARNING:
      return MAKEINTRESOURCEW(32515);
   default:
      return MAKEINTRESOURCEW(32516);
   }
}

}  // namespace

VMMsgObjectHintBox::VMMsgObjectHintBox(const std::wstring &text, const std::wstring &title, UINT buttons, UINT icon)
   : text_(text), title_(title), buttons_(buttons), icon_(icon)
{
}

int VMMsgObjectHintBox::CancelResult() const
{
   switch (buttons_) {
   case MB_YESNO:
      return IDNO;
   case MB_OKCANCEL:
      return IDCANCEL;
   default:
      return IDOK;
   }
}

int VMMsgObjectHintBox::Run(HWND owner)
{
   // About four dialog units a character and nine a line.
   short lines = 0;
   size_t start = 0;
   while (start <= text_.size()) {
      size_t end = text_.find(L'\n', start);
      size_t length = (end == std::wstring::npos ? text_.size() : end) - start;
      lines = static_cast<short>(lines + std::max<size_t>((length + 49) / 50, 1));
      if (end == std::wstring::npos || lines > 30) {
         break;
      }
      start = end + 1;
   }
   short textHeight = static_cast<short>(std::max<short>(lines, 2) * 9);
   short y = static_cast<short>(7 + textHeight + 8);

   Template t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, kWidth, static_cast<short>(y + 14 + 14 + 7 + 6),
              title_);
   t.Item(0x0082, 101, L"", SS_ICON, 7, 7, 20, 20);
   t.Item(0x0082, kText, text_, SS_LEFT | SS_NOPREFIX, 36, 7, kWidth - 43, textHeight);
   t.Item(0x0080, kCheckBox, L"Do not show this message again", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 36, y,
          kWidth - 43, 10);
   y = static_cast<short>(y + 20);
   if (buttons_ == MB_OK) {
      t.Item(0x0080, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, kWidth - 57, y, 50, 14);
   } else {
      bool yesNo = buttons_ == MB_YESNO;
      t.Item(0x0080, static_cast<WORD>(yesNo ? IDYES : IDOK), yesNo ? L"&Yes" : L"OK",
             BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, kWidth - 111, y, 50, 14);
      t.Item(0x0080, static_cast<WORD>(yesNo ? IDNO : IDCANCEL), yesNo ? L"&No" : L"Cancel", BS_PUSHBUTTON | WS_TABSTOP,
             kWidth - 57, y, 50, 14);
   }
   INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, &VMMsgObjectHintBox::DialogProc,
                                            reinterpret_cast<LPARAM>(this));
   return result > 0 ? static_cast<int>(result) : 0;
}

INT_PTR CALLBACK VMMsgObjectHintBox::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
   try {
      if (message == WM_INITDIALOG) {
         SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
         reinterpret_cast<VMMsgObjectHintBox *>(lParam)->OnInitDialog(hwnd);
         return TRUE;
      }
      VMMsgObjectHintBox *self = reinterpret_cast<VMMsgObjectHintBox *>(GetWindowLongPtrW(hwnd, DWLP_USER));
      if (!self || message != WM_COMMAND) {
         return FALSE;
      }
      int id = LOWORD(wParam);
      if (id == IDCANCEL && self->buttons_ != MB_OKCANCEL) {
         id = self->CancelResult();   // Escape and the close box
      }
      if (id == IDOK || id == IDCANCEL || id == IDYES || id == IDNO) {
         self->checked_ = IsDlgButtonChecked(hwnd, kCheckBox) == BST_CHECKED;
         EndDialog(hwnd, id);
         return TRUE;
      }
   } catch (...) {
      atl::HandleUncaughtException();
   }
   return FALSE;
}

void VMMsgObjectHintBox::OnInitDialog(HWND hwnd)
{
   SendDlgItemMessageW(hwnd, 101, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, SystemIcon(icon_))), 0);
   RECT self, area;
   GetWindowRect(hwnd, &self);
   HWND owner = GetWindow(hwnd, GW_OWNER);
   if (owner && IsWindowVisible(owner)) {
      GetWindowRect(owner, &area);
   } else {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
   }
   int x = (area.left + area.right - (self.right - self.left)) / 2;
   int top = (area.top + area.bottom - (self.bottom - self.top)) / 2;
   SetWindowPos(hwnd, nullptr, std::max(x, 0), std::max(top, 0), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace vmdb
