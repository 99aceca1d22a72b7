#include "LibDlgWindow.h"

#include <commctrl.h>

#include <algorithm>

#include "DlgTemplate.h"
#include "WindowText.h"
#include "tremorybase/Log.h"
#include "atl/UncaughtException.h"

namespace cuiutil {

namespace {

const short kWidth = 260;
const short kMargin = 7;
const short kLineHeight = 9;
const short kButtonHeight = 14;

// Wrapped lines of `text` in a box `width` dialog units wide (about 4 units per character).
short EstimateLines(const std::string &text, short width)
{
   size_t perLine = std::max<size_t>(static_cast<size_t>(width / 4), 1);
   short lines = 0;
   size_t start = 0;
   while (start <= text.size()) {
      size_t end = text.find('\n', start);
      size_t length = (end == std::string::npos ? text.size() : end) - start;
      lines += static_cast<short>(std::max<size_t>((length + perLine - 1) / perLine, 1));
      if (end == std::string::npos) {
         break;
      }
      start = end + 1;
   }
   return std::min<short>(lines, 30);
}

// Edit controls want CR LF; a lone LF (the library's line end) becomes one.
std::wstring WithCrLf(const std::string &text)
{
   std::string out;
   for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
         out += '\r';
      }
      out += text[i];
   }
   return WideFromUtf8(out);
}

// Is there, besides `self`, a visible dialog owned by `owner`?
struct OtherDialogSearch {
   HWND self;
   HWND owner;
   bool found;
};

BOOL CALLBACK FindOtherDialog(HWND window, LPARAM param)
{
   OtherDialogSearch *search = reinterpret_cast<OtherDialogSearch *>(param);
   if (window == search->self || GetWindow(window, GW_OWNER) != search->owner || !IsWindowVisible(window)) {
      return TRUE;
   }
   wchar_t className[16] = L"";
   GetClassNameW(window, className, 16);
   if (wcscmp(className, L"#32770") == 0) {
      search->found = true;
      return FALSE;
   }
   return TRUE;
}

}  // namespace

LibDlgWindow::~LibDlgWindow()
{
   onGone = sigc::slot<void>();
   Destroy();
}

bool LibDlgWindow::Create(const LibDlgLayout &layout, HWND owner)
{
   layout_ = layout;
   owner_ = owner && IsWindow(owner) ? owner : nullptr;

   short left = layout.icon ? 36 : kMargin;
   short width = kWidth - left - kMargin;
   short textHeight = static_cast<short>(EstimateLines(layout.text, width) * kLineHeight + 2);

   if (layout.progress) {
      INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
      InitCommonControlsEx(&controls);
   }
   DlgTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, kWidth, 0, WideFromUtf8(layout.title));
   if (layout.icon) {
      t.AddItem(DlgTemplate::kStatic, kIcon, L"", SS_ICON | WS_VISIBLE, kMargin, kMargin, 20, 20);
   }
   t.AddItem(DlgTemplate::kEdit, kText, L"", ES_MULTILINE | ES_READONLY | WS_VISIBLE | (textHeight > 200 ? WS_VSCROLL : 0),
             left, kMargin, width, std::min<short>(textHeight, 200));
   short y = static_cast<short>(kMargin + std::max<short>(std::min<short>(textHeight, 200), layout.icon ? 20 : 0) + 6);

   for (size_t i = 0; i < layout.radios.size(); ++i) {
      DWORD style = BS_AUTORADIOBUTTON | WS_VISIBLE | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
      t.AddItem(DlgTemplate::kButton, static_cast<WORD>(kRadioBase + i), WideFromUtf8(layout.radios[i]), style, left, y,
                width, 10);
      y += 12;
   }
   if (!layout.radios.empty()) {
      y += 4;
   }
   for (size_t i = 0; i < layout.fields.size(); ++i) {
      const LibDlgLayout::Field &f = layout.fields[i];
      WORD labelId = static_cast<WORD>(kFieldBase + 2 * i);
      t.AddItem(DlgTemplate::kStatic, labelId, WideFromUtf8(f.label), SS_LEFT | WS_VISIBLE, left,
                static_cast<short>(y + 2), 60, 10);
      DWORD style = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE | (f.password ? ES_PASSWORD : 0) |
                    (i == 0 ? WS_GROUP : 0);
      t.AddItem(DlgTemplate::kEdit, static_cast<WORD>(labelId + 1), L"", style, static_cast<short>(left + 64), y,
                static_cast<short>(width - 64), 12);
      y += 16;
   }
   if (!layout.checkBox.empty()) {
      t.AddItem(DlgTemplate::kButton, kCheckBox, WideFromUtf8(layout.checkBox),
                BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE | WS_GROUP, left, static_cast<short>(y + 2), width, 10);
      y += 16;
   }
   if (layout.progress) {
      t.AddItem(PROGRESS_CLASSW, kProgress, L"", WS_BORDER | WS_VISIBLE, left, y, width, 9);
      y += 15;
   }
   short right = kWidth - kMargin;
   for (size_t i = layout.buttons.size(); i-- > 0;) {
      const LibDlgLayout::Button &b = layout.buttons[i];
      short w = static_cast<short>(std::max<size_t>(50, b.label.size() * 4 + 12));
      right = static_cast<short>(right - w);
      DWORD style = (i == layout.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | WS_VISIBLE |
                    (i == 0 ? WS_GROUP : 0);
      t.AddItem(DlgTemplate::kButton, static_cast<WORD>(kButtonBase + i), WideFromUtf8(b.label), style, right, y, w,
                kButtonHeight);
      right = static_cast<short>(right - 4);
   }
   y = static_cast<short>(y + kButtonHeight + kMargin);
   t.SetHeight(y);

   HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner_, &LibDlgWindow::DialogProc,
                                          reinterpret_cast<LPARAM>(this));
   if (!hwnd) {
      Warning("wui::DlgMgrImpl: the dialog \"%s\" could not be made (error %lu)\n", layout.title.c_str(),
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   ShowWindow(hwnd, SW_SHOW);
   if (owner_) {
      EnableWindow(owner_, FALSE);
   }
   return true;
}

void LibDlgWindow::Destroy()
{
   if (!hwnd_) {
      return;
   }
   if (owner_ && IsWindow(owner_)) {
      OtherDialogSearch search{hwnd_, owner_, false};
      EnumThreadWindows(GetCurrentThreadId(), &FindOtherDialog, reinterpret_cast<LPARAM>(&search));
      if (!search.found) {
         EnableWindow(owner_, TRUE);
      }
   }
   DestroyWindow(hwnd_);
}

INT_PTR CALLBACK LibDlgWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
   LibDlgWindow *self = nullptr;
   if (message == WM_INITDIALOG) {
      self = reinterpret_cast<LibDlgWindow *>(lParam);
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
   } else {
      self = reinterpret_cast<LibDlgWindow *>(GetWindowLongPtrW(hwnd, DWLP_USER));
   }
   if (!self) {
      return FALSE;
   }
   INT_PTR result = FALSE;
   try {
      result = self->OnMessage(message, wParam, lParam);
   } catch (...) {
      atl::HandleUncaughtException();
   }
   return result;
}

INT_PTR LibDlgWindow::OnMessage(UINT message, WPARAM wParam, LPARAM)
{
   switch (message) {
   case WM_INITDIALOG:
      OnInitDialog();
      return FALSE;   // the focus was set
   case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= kButtonBase && id < kButtonBase + static_cast<int>(layout_.buttons.size())) {
         int answer = layout_.buttons[static_cast<size_t>(id - kButtonBase)].answer;
         Answer(answer == kCheckedRadio ? GetCheckedRadio() : answer);
         return TRUE;
      }
      if (id == IDCANCEL) {   // Escape and the close box
         if (layout_.closeAnswer >= 0) {
            Answer(layout_.closeAnswer);
         }
         return TRUE;
      }
      if (id == IDOK) {   // Enter with the focus off the buttons: the default button
         SendMessageW(GetDlgItem(hwnd_, static_cast<int>(kButtonBase + layout_.defaultButton)), BM_CLICK, 0, 0);
         return TRUE;
      }
      if (id >= kRadioBase && id < kRadioBase + static_cast<int>(layout_.radios.size()) && HIWORD(wParam) == BN_DOUBLECLICKED) {
         SendMessageW(GetDlgItem(hwnd_, static_cast<int>(kButtonBase + layout_.defaultButton)), BM_CLICK, 0, 0);
         return TRUE;
      }
      return FALSE;
   }
   case WM_NCDESTROY: {
      hwnd_ = nullptr;
      sigc::slot<void> gone = onGone;
      if (!gone.empty()) {
         gone();   // may delete this
      }
      return FALSE;
   }
   default:
      return FALSE;
   }
}

void LibDlgWindow::OnInitDialog()
{
   if (layout_.icon) {
      SendDlgItemMessageW(hwnd_, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, layout_.icon)), 0);
   }
   SetDlgItemTextW(hwnd_, kText, WithCrLf(layout_.text).c_str());
   for (size_t i = 0; i < layout_.fields.size(); ++i) {
      SetDlgItemTextW(hwnd_, static_cast<int>(kFieldBase + 2 * i + 1), WideFromUtf8(layout_.fields[i].value).c_str());
   }
   if (!layout_.radios.empty()) {
      size_t checked = layout_.checkedRadio >= 0 && static_cast<size_t>(layout_.checkedRadio) < layout_.radios.size()
                          ? static_cast<size_t>(layout_.checkedRadio)
                          : 0;
      CheckDlgButton(hwnd_, static_cast<int>(kRadioBase + checked), BST_CHECKED);
   }
   if (layout_.progress) {
      SendDlgItemMessageW(hwnd_, kProgress, PBM_SETRANGE32, 0, 100);
   }
   if (layout_.closeAnswer < 0) {
      EnableMenuItem(GetSystemMenu(hwnd_, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
   }
   SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(kButtonBase + layout_.defaultButton), 0);
   HWND focus = layout_.fields.empty() ? GetDlgItem(hwnd_, static_cast<int>(kButtonBase + layout_.defaultButton))
                                       : GetDlgItem(hwnd_, kFieldBase + 1);
   if (focus) {
      SetFocus(focus);
   }
   CenterOnOwner(hwnd_, owner_);
}


void LibDlgWindow::Answer(int answer)
{
   sigc::slot<void, int> slot = onAnswer;   // the handler may destroy this window
   if (!slot.empty()) {
      slot(answer);
   }
}

std::string LibDlgWindow::GetFieldText(size_t field) const
{
   if (!hwnd_) {
      return std::string();
   }
   return WindowText(GetDlgItem(hwnd_, static_cast<int>(kFieldBase + 2 * field + 1)));
}

void LibDlgWindow::SetFieldText(size_t field, const std::string &text)
{
   if (hwnd_) {
      SetDlgItemTextW(hwnd_, static_cast<int>(kFieldBase + 2 * field + 1), WideFromUtf8(text).c_str());
   }
}

void LibDlgWindow::FocusField(size_t field)
{
   if (hwnd_) {
      SetFocus(GetDlgItem(hwnd_, static_cast<int>(kFieldBase + 2 * field + 1)));
   }
}

bool LibDlgWindow::IsChecked() const
{
   return hwnd_ && IsDlgButtonChecked(hwnd_, kCheckBox) == BST_CHECKED;
}

int LibDlgWindow::GetCheckedRadio() const
{
   for (size_t i = 0; hwnd_ && i < layout_.radios.size(); ++i) {
      if (IsDlgButtonChecked(hwnd_, static_cast<int>(kRadioBase + i)) == BST_CHECKED) {
         return static_cast<int>(i);
      }
   }
   return -1;
}

void LibDlgWindow::SetText(const std::string &text)
{
   layout_.text = text;
   if (hwnd_) {
      SetDlgItemTextW(hwnd_, kText, WithCrLf(text).c_str());
   }
}

void LibDlgWindow::SetProgress(int percent)
{
   if (hwnd_) {
      SendDlgItemMessageW(hwnd_, kProgress, PBM_SETPOS, static_cast<WPARAM>(std::max(0, std::min(percent, 100))), 0);
   }
}

void LibDlgWindow::ShowButton(size_t button, bool show)
{
   if (hwnd_) {
      HWND item = GetDlgItem(hwnd_, static_cast<int>(kButtonBase + button));
      ShowWindow(item, show ? SW_SHOW : SW_HIDE);
      EnableWindow(item, show);
   }
}

}  // namespace cuiutil
