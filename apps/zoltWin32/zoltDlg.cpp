#include "zoltDlg.h"

#include "zoltApp.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "atl/Gdi.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>

LRESULT CVMMsgChkBtn::OnDoubleClick(UINT, WPARAM, LPARAM, BOOL &)
{
   ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(IDC_VMDLG_FIRST, BN_CLICKED),
                  reinterpret_cast<LPARAM>(::GetDlgItem(::GetParent(m_hWnd), IDC_VMDLG_FIRST)));
   return 0;
}

CVMDlg::~CVMDlg()
{
   // The window may still be up when the object goes first; its last message must not delete
   // the object a second time.
   deleting_ = true;
   DestroyDialog();
}

void CVMDlg::SetButton(ButtonRecord &record, const std::string &label, int id, int visible, BOOL enabled)
{
   record.text = label;
   record.id = id;
   record.visible = visible;
   record.enabled = enabled;
}

void CVMDlg::SetChoices(int defaultIndex, int cancelIndex, const std::vector<std::string> &choices)
{
   plan_.defaultIndex = defaultIndex;
   plan_.cancelIndex = cancelIndex;
   size_t overflow = 0;
   plan_.choices = BuildChoiceRecords(choices, &overflow);
   if (overflow) {
      Warning("CVMDlg::SetChoices failed: %u choices given, only %u can be shown\n",
              static_cast<unsigned>(overflow), static_cast<unsigned>(kMaxChoiceButtons));
   }
}

int CVMDlg::ShowDialog(HWND owner, const std::string &text, const std::string &title, const std::string &set,
                       const std::string &kind, bool disableOwner)
{
   Log("CVMDlg::ShowDialog: %s\n", text.c_str());
   text_ = ConvertLineEnds(text);
   plan_.set = set;
   plan_.kind = kind;
   title_ = title.empty() ? CZOLTApp::GetAppTitle() : title;
   LayoutButtons(plan_, [](unsigned id) { return LoadResString(id); });
   disableOwner_ = disableOwner;
   return PopupDialog(owner);
}

_bstr_t CVMDlg::GetPasswordText() const
{
   return _bstr_t(GetDlgItemTextUtf8(m_hWnd, IDC_VMDLG_PASSWORD).c_str());
}

_bstr_t CVMDlg::GetConfirmText() const
{
   return _bstr_t(GetDlgItemTextUtf8(m_hWnd, IDC_VMDLG_CONFIRM).c_str());
}

void CVMDlg::OnClicked(int)
{
   Log("CVMDlg::OnClicked\n");
}

void CVMDlg::OnFinalMessage(HWND)
{
   // The window is gone (its WM_NCDESTROY is done), unless the object is going first.
   if (!deleting_) {
      delete this;
   }
}

void CVMDlg::SetDefaultButton(HWND button, HWND other)
{
   ::SendMessageA(other, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
   ::SendMessageA(button, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
   ::SendMessageA(m_hWnd, DM_SETDEFID, ::GetDlgCtrlID(button), 0);
   ::SetFocus(button);
}

void CVMDlg::LoadKindIcon()
{
   LPCSTR system = nullptr;
   const std::string &kind = plan_.kind;
   if (kind == "error") {
      system = IDI_HAND;
   } else if (kind == "info") {
      system = IDI_ASTERISK;
   } else if (kind == "question" || kind == "hintQuestion") {
      system = IDI_QUESTION;
   } else if (kind == "warning") {
      system = IDI_EXCLAMATION;
   }
   if (system) {
      icon_ = static_cast<HICON>(::LoadImageA(nullptr, system, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
   } else if (kind == "hint") {
      icon_ = static_cast<HICON>(::LoadImageA(GetResourceInstance(), MAKEINTRESOURCEA(IDI_HINT), IMAGE_ICON, 0, 0,
                                              LR_DEFAULTSIZE));
      ownsIcon_ = icon_ != nullptr;
   }
   if (icon_) {
      ::SendDlgItemMessageA(m_hWnd, IDC_VMDLG_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon_));
   }
}

LRESULT CVMDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   first_ = GetDlgItem(IDC_VMDLG_FIRST);
   second_ = GetDlgItem(IDC_VMDLG_SECOND);
   if (plan_.set == "custom" && plan_.choices.size() >= 3) {
      SetDefaultButton(first_, second_);
   } else if (plan_.defaultIndex == 1) {
      SetDefaultButton(second_, first_);
   } else {
      SetDefaultButton(first_, second_);
   }
   for (size_t i = 0; i < kMaxChoiceButtons; ++i) {
      choiceButtons_[i].SubclassWindow(GetDlgItem(IDC_VMDLG_CHOICE_FIRST + static_cast<int>(i)));
   }
   check_ = GetDlgItem(IDC_VMDLG_CHECK);
   SetWindowTextUtf8(m_hWnd, title_);
   SetDlgItemTextUtf8(m_hWnd, IDC_VMDLG_TEXT, text_);

   if (plan_.set == "password") {
      for (int id : {IDC_VMDLG_PASSWORD, IDC_VMDLG_CONFIRM, IDC_VMDLG_PASSWORD_LABEL, IDC_VMDLG_CONFIRM_LABEL}) {
         ::ShowWindow(GetDlgItem(id), SW_SHOW);
      }
   }
   HWND buttons[2] = {first_, second_};
   for (int i = 0; i < 2; ++i) {
      SetWindowTextUtf8(buttons[i], plan_.buttons[i].text);
      ::ShowWindow(buttons[i], plan_.buttons[i].visible);
      ::EnableWindow(buttons[i], plan_.buttons[i].enabled);
   }
   if (plan_.buttons[1].text == LoadResString(IDS_DLG_CANCEL)) {
      HMENU menu = ::GetSystemMenu(m_hWnd, FALSE);
      if (!plan_.buttons[1].enabled) {
         ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
      }
      if (!plan_.buttons[1].visible) {
         RECT place;
         ::GetWindowRect(second_, &place);
         ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&place), 2);
         ::MoveWindow(first_, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
         ::DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
      }
   }
   LoadKindIcon();

   for (size_t i = 0; i < kMaxChoiceButtons; ++i) {
      ::ShowWindow(choiceButtons_[i].m_hWnd, SW_HIDE);
   }
   for (size_t i = 0; i < plan_.choices.size() && i < kMaxChoiceButtons; ++i) {
      HWND button = choiceButtons_[i].m_hWnd;
      SetWindowTextUtf8(button, plan_.choices[i].text);
      ::ShowWindow(button, plan_.choices[i].visible > 0 ? SW_SHOW : SW_HIDE);
      ::EnableWindow(button, plan_.choices[i].enabled);
   }
   int checked = FindChoiceRecord(plan_.choices, plan_.defaultIndex);
   if (plan_.defaultIndex >= 0 && checked >= 0 && static_cast<size_t>(checked) < kMaxChoiceButtons &&
       plan_.choices[checked].visible) {
      ::SendMessageA(choiceButtons_[checked].m_hWnd, BM_SETCHECK, BST_CHECKED, 0);
      ::SetFocus(choiceButtons_[checked].m_hWnd);
   }
   SetWindowTextUtf8(check_, plan_.checkBox.text);
   ::ShowWindow(check_, plan_.checkBox.visible);
   ::EnableWindow(check_, plan_.checkBox.enabled);
   LayoutText();
   CenterOnOwner(nullptr);
   return 0;
}

int CVMDlg::MeasureText(HWND text) const
{
   RECT client;
   ::GetClientRect(text, &client);
   atl::ScopedWindowDC dc(text);
   atl::ScopedSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(text, WM_GETFONT, 0, 0)));
   ::SetTextAlign(dc, 0);
   RECT calc = {0, 0, client.right, 0};
   DrawTextUtf8(dc, text_, &calc, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
   return calc.bottom - calc.top;
}

namespace {

RECT ChildRect(HWND dlg, HWND child)
{
   RECT r;
   ::GetWindowRect(child, &r);
   ::MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT *>(&r), 2);
   return r;
}

int LabelWidth(HWND button)
{
   std::wstring label = WideFromUtf8(GetWindowTextUtf8(button));
   atl::ScopedWindowDC dc(button);
   atl::ScopedSelection font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(button, WM_GETFONT, 0, 0)));
   SIZE size = {0, 0};
   ::GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
   return size.cx;
}

void Move(HWND wnd, const RECT &r)
{
   ::MoveWindow(wnd, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

}  // namespace

void CVMDlg::LayoutText()
{
   HWND text = GetDlgItem(IDC_VMDLG_TEXT);
   DlgLayoutInput in;
   in.icon = ChildRect(m_hWnd, GetDlgItem(IDC_VMDLG_ICON));
   in.text = ChildRect(m_hWnd, text);
   in.textHeight = MeasureText(text);
   in.lineCount = static_cast<int>(::SendMessageA(text, EM_GETLINECOUNT, 0, 0));
   in.password = plan_.set == "password";
   in.passwordField = ChildRect(m_hWnd, GetDlgItem(IDC_VMDLG_PASSWORD));
   in.passwordLabel = ChildRect(m_hWnd, GetDlgItem(IDC_VMDLG_PASSWORD_LABEL));
   in.confirmField = ChildRect(m_hWnd, GetDlgItem(IDC_VMDLG_CONFIRM));
   in.confirmLabel = ChildRect(m_hWnd, GetDlgItem(IDC_VMDLG_CONFIRM_LABEL));
   std::vector<HWND> shown;
   for (size_t i = 0; i < plan_.choices.size() && i < kMaxChoiceButtons; ++i) {
      if (plan_.choices[i].visible > 0) {
         shown.push_back(choiceButtons_[i].m_hWnd);
         in.choices.push_back(ChildRect(m_hWnd, choiceButtons_[i].m_hWnd));
      }
   }
   in.checkBoxVisible = plan_.checkBox.visible > 0;
   in.checkBox = ChildRect(m_hWnd, check_);
   // The template's box is narrow for a 9-point label: it grows to its label (box glyph and gap
   // included), up to the text's right edge.
   const int checkWidth = LabelWidth(check_) + ::GetSystemMetrics(SM_CXMENUCHECK) + 8;
   if (in.checkBox.right - in.checkBox.left < checkWidth) {
      in.checkBox.right = std::min<LONG>(in.checkBox.left + checkWidth, in.text.right);
   }
   in.first = ChildRect(m_hWnd, first_);
   in.second = ChildRect(m_hWnd, second_);
   in.firstLabelWidth = LabelWidth(first_);
   in.secondLabelWidth = LabelWidth(second_);
   in.okOnly = plan_.set == "ok";

   RECT window;
   RECT client;
   ::GetWindowRect(m_hWnd, &window);
   ::GetClientRect(m_hWnd, &client);
   const int frame = (window.bottom - window.top) - client.bottom;
   HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
   RECT nearRect = window;
   if (owner && ::IsWindowVisible(owner)) {
      ::GetWindowRect(owner, &nearRect);
   }
   RECT area = GetWorkArea(&nearRect);
   in.maxClientHeight = (area.bottom - area.top) - frame;

   DlgLayoutOutput out = ComputeDlgLayout(in);
   Move(text, out.text);
   if (out.textScrolls) {
      ::SetWindowLongA(text, GWL_STYLE, ::GetWindowLongA(text, GWL_STYLE) | WS_VSCROLL);
      ::SetWindowPos(text, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
      ::ShowScrollBar(text, SB_VERT, TRUE);
   }
   if (in.password) {
      Move(GetDlgItem(IDC_VMDLG_PASSWORD), out.passwordField);
      Move(GetDlgItem(IDC_VMDLG_PASSWORD_LABEL), out.passwordLabel);
      Move(GetDlgItem(IDC_VMDLG_CONFIRM), out.confirmField);
      Move(GetDlgItem(IDC_VMDLG_CONFIRM_LABEL), out.confirmLabel);
   }
   for (size_t i = 0; i < shown.size(); ++i) {
      Move(shown[i], out.choices[i]);
   }
   if (in.checkBoxVisible) {
      Move(check_, out.checkBox);
   }
   Move(first_, out.first);
   Move(second_, out.second);
   ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, out.clientHeight + frame,
                  SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CVMDlg::OnFirstButton(WORD, WORD, HWND, BOOL &)
{
   int id = plan_.buttons[0].id;
   if (plan_.set == "custom" && plan_.choices.size() != 2) {
      for (size_t i = 0; i < plan_.choices.size() && i < kMaxChoiceButtons; ++i) {
         if (::SendMessageA(choiceButtons_[i].m_hWnd, BM_GETCHECK, 0, 0) == BST_CHECKED) {
            id = plan_.choices[i].id;
            break;
         }
      }
   }
   OnClicked(id);
   return 0;
}

LRESULT CVMDlg::OnSecondButton(WORD, WORD, HWND, BOOL &)
{
   OnClicked(plan_.buttons[1].id);
   return 0;
}

LRESULT CVMDlg::OnCancel(WORD, WORD, HWND, BOOL &)
{
   ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
   return 0;
}

LRESULT CVMDlg::OnClose(UINT, WPARAM, LPARAM, BOOL &)
{
   if (plan_.cancelIndex >= 0) {
      OnClicked(plan_.cancelIndex);
   }
   return 0;
}

LRESULT CVMDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   if (ownsIcon_ && icon_) {
      ::DestroyIcon(icon_);
   }
   icon_ = nullptr;
   ownsIcon_ = false;
   return 0;
}
