#include "zoltDlgKinds.h"

#include "atl/FileDialog.h"
#include "zoltAppDb.h"
#include "zoltWndUtil.h"

#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>

namespace {

const char kSource[] = "zoltDlg";

// Logs the reply and carries it out; false when the answer is not one of the three.
bool LogReply(const char *who, int id, cui::Dlg::RepliedAction action)
{
   switch (action) {
   case cui::Dlg::ENABLE:
      Warning("%s:%u Reply ENABLE\n", who, static_cast<unsigned>(id));
      return true;
   case cui::Dlg::KEEP_DISABLED:
      Warning("%s:%u Reply KEEP_DISABLED\n", who, static_cast<unsigned>(id));
      return true;
   case cui::Dlg::DESTROY:
      Warning("%s:%u Reply DESTROY\n", who, static_cast<unsigned>(id));
      return true;
   }
   return false;
}

}  // namespace

::Dlg::~Dlg()
{
   *alive_ = false;
}

void Dlg::DeleteDlg()
{
   if (m_hWnd && ::IsWindow(m_hWnd)) {
      DestroyDialog();
   } else {
      delete this;
   }
}

void Dlg::OnClicked(int id)
{
   if (!::IsWindowEnabled(m_hWnd)) {
      return;
   }
   ::EnableWindow(m_hWnd, FALSE);
   std::shared_ptr<bool> alive = alive_;
   RepliedAction action = Reply();
   // The library may have deleted this dialog or destroyed its window while it answered.
   if (!*alive || !::IsWindow(m_hWnd)) {
      return;
   }
   if (!LogReply("Dlg::OnClicked", id, action)) {
      Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 115);
   }
   if (action == ENABLE) {
      ::EnableWindow(m_hWnd, TRUE);
   } else if (action == DESTROY) {
      DestroyDialog();
   }
}

void DlgChoice::OnClicked(int id)
{
   choice_ = id;
   ::Dlg::OnClicked(id);
}

bool DlgSuppress::IsSuppressed() const
{
   return ::IsDlgButtonChecked(m_hWnd, IDC_VMDLG_CHECK) == BST_CHECKED;
}

::DlgInfo::DlgInfo(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, text, title, "ok", "info", true);
}

::DlgWarning::DlgWarning(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, text, title, "ok", "warning", true);
}

::DlgError::DlgError(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, text, title, "ok", "error", true);
}

::DlgHint::DlgHint(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, text, title, "ok", "hint", true);
}

::DlgQuestion::DlgQuestion(const std::string &text, const std::vector<std::string> &choices,
                           const std::string &title, int cancelIndex, int defaultIndex, HWND owner,
                           cui::DlgQuestion::Icon icon)
{
   SetChoices(defaultIndex == -1 ? 0 : defaultIndex, cancelIndex, choices);
   const char *kind = nullptr;
   if (icon == cui::DlgQuestion::ICON_QUESTION) {
      kind = "question";
   } else if (icon == cui::DlgQuestion::ICON_ERROR) {
      kind = "error";
   } else {
      Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 466);
   }
   ShowDialog(owner, text, title, "custom", kind, true);
}

::DlgSQuestion::DlgSQuestion(const std::string &text, const std::vector<std::string> &choices,
                             const std::string &title, int cancelIndex, int defaultIndex, HWND owner)
{
   SetChoices(defaultIndex == -1 ? 0 : defaultIndex, cancelIndex, choices);
   ShowDialog(owner, text, title, "custom", "hintQuestion", true);
}

::DlgPassword::DlgPassword(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, text, title, "password", "question", true);
}

std::string DlgPassword::GetPassword() const
{
   return zoltdb::Text(GetPasswordText());
}

std::string DlgPassword::GetConfirmation() const
{
   return zoltdb::Text(GetConfirmText());
}

std::string DlgPassword::GetUser() const
{
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 607);
}

::DlgProgress::DlgProgress(const std::string &text, const std::string &title, HWND owner)
{
   ShowDialog(owner, title, true);
   SetText(text);
}

::DlgProgress::~DlgProgress()
{
   *alive_ = false;
   deleting_ = true;
   DestroyDialog();
}

void DlgProgress::DeleteDlg()
{
   if (m_hWnd && ::IsWindow(m_hWnd)) {
      DestroyDialog();
   } else {
      delete this;
   }
}

void DlgProgress::OnFinalMessage(HWND)
{
   if (!deleting_) {
      delete this;
   }
}

void DlgProgress::SetCancelable(bool cancelable)
{
   HWND cancel = GetDlgItem(IDCANCEL);
   ::EnableWindow(cancel, cancelable);
   ::ShowWindow(cancel, cancelable ? SW_SHOW : SW_HIDE);
}

void DlgProgress::SetText(const std::string &text)
{
   if (text == text_) {
      return;
   }
   SetDlgItemTextUtf8(m_hWnd, IDC_PROGRESS_TEXT, text);
   text_ = text;
}

void DlgProgress::SetProgress(int percent)
{
   ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS_BAR, PBM_SETPOS, percent, 0);
}

void DlgProgress::OnClicked(int id)
{
   ::EnableWindow(m_hWnd, FALSE);
   std::shared_ptr<bool> alive = alive_;
   RepliedAction action = Reply();
   // A Reply that deleted the dialog or destroyed its window leaves nothing to act on.
   if (!*alive || !::IsWindow(m_hWnd)) {
      return;
   }
   if (!LogReply("DlgProgress::OnClicked", id, action)) {
      Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 955);
   }
   if (action == ENABLE) {
      ::EnableWindow(m_hWnd, TRUE);
   } else if (action == DESTROY) {
      DestroyDialog();
   }
}

::DlgFileBrowser::DlgFileBrowser(const std::string &title, const std::string &initialFile,
                                 const FilterList &filters, int filterIndex, const std::string &initialDir,
                                 HWND owner)
   : title_(title), initialFile_(initialFile), filters_(filters), filterIndex_(filterIndex),
     initialDir_(initialDir), owner_(owner)
{
   filters_.push_back({"@&!*@*@(msg.ui.filter.All)All files", {"*.*"}});
}

::DlgFileBrowser::~DlgFileBrowser()
{
   *alive_ = false;
}

std::string DlgFileBrowser::BuildFilterText() const
{
   std::string text;
   for (const auto &filter : filters_) {
      text += cui::GetLocalString(filter.first);
      text += '\0';
      for (size_t i = 0; i < filter.second.size(); ++i) {
         if (i) {
            text += ';';
         }
         text += filter.second[i];
      }
      text += '\0';
   }
   text += '\0';
   return text;
}

int DlgFileBrowser::GetFilterIndex() const
{
   return filterIndex_ == -1 ? static_cast<int>(filters_.size()) - 1 : filterIndex_;
}

void DlgFileBrowser::Run()
{
   // The buffer counts characters: a long initial name is cut there, never inside a character.
   wchar_t file[MAX_PATH] = L"";
   lstrcpynW(file, WideFromUtf8(initialFile_).c_str(), MAX_PATH);
   const std::wstring filter = WideFromUtf8(BuildFilterText());
   const std::wstring title = WideFromUtf8(title_);
   const std::wstring initialDir = WideFromUtf8(initialDir_);
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof(ofn);
   ofn.hwndOwner = owner_;
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.lpstrTitle = title.c_str();
   ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
   ofn.lpstrFilter = filter.c_str();
   ofn.nFilterIndex = static_cast<DWORD>(GetFilterIndex());
   ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
   if (atl::GetOpenFileName(&ofn)) {
      path_ = Utf8FromWide(file);
      cancelled_ = false;
   } else {
      // A cancelled choice answers no path at all, never the box's title.
      path_.clear();
      cancelled_ = true;
   }
   std::shared_ptr<bool> alive = alive_;
   RepliedAction action = Reply();
   if (!*alive) {
      return;
   }
   switch (action) {
   case ENABLE:
   case KEEP_DISABLED:
      return;
   case DESTROY:
      delete this;
      return;
   }
   Panic("NOT_IMPLEMENTED %s:%d\n", kSource, 727);
}
