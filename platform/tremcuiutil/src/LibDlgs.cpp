#include "LibDlgs.h"

#include <commdlg.h>

#include "DlgTemplate.h"
#include "atl/FileDialog.h"
#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"

namespace cuiutil {

namespace {

const char kAllFilesLiteral[] = "@&!*@*@(msg.ui.filter.All)All files";

LibDlgLayout OkCancel(const std::string &text, const std::string &title, const char *ok = "OK")
{
   LibDlgLayout layout;
   layout.text = text;
   layout.title = title;
   layout.icon = kIconQuestion;
   layout.buttons = {{ok, 0}, {"Cancel", 1}};
   layout.closeAnswer = 1;
   return layout;
}

std::string AccessKey(std::string label)
{
   size_t underscore = label.find('_');
   if (underscore != std::string::npos) {
      label[underscore] = '&';
   }
   return label;
}

}  // namespace

LibDlg::LibDlg() : alive_(std::make_shared<bool>(true))
{
   window_.onAnswer = sigc::mem_fun(*this, &LibDlg::OnAnswer);
   window_.onGone = sigc::mem_fun(*this, &LibDlg::OnGone);
}

LibDlg::~LibDlg()
{
   *alive_ = false;
   deleting_ = true;
   window_.onGone = sigc::slot<void>();
   window_.Destroy();
}

bool LibDlg::Open(const LibDlgLayout &layout, HWND owner)
{
   return window_.Create(layout, owner);
}

void LibDlg::OnAnswer(int answer)
{
   HWND hwnd = window_.GetHwnd();
   if (!hwnd || !IsWindowEnabled(hwnd)) {
      return;   // a second click while the library works on the first
   }
   Record(answer);
   EnableWindow(hwnd, FALSE);
   std::shared_ptr<bool> alive = alive_;
   cui::Dlg::RepliedAction action = Reply();
   if (!*alive || !window_.GetHwnd()) {
      return;   // the handler deleted the dialog or closed its window
   }
   switch (action) {
   case ENABLE:
      EnableWindow(hwnd, TRUE);
      break;
   case KEEP_DISABLED:
      break;
   case DESTROY:
      window_.Destroy();   // the window's end deletes this
      break;
   default:
      Warning("wui::DlgMgrImpl: a reply answered %d; the dialog is left as it is\n", static_cast<int>(action));
      break;
   }
}

void LibDlg::OnGone()
{
   if (!deleting_) {
      delete this;
   }
}

template <class Kind>
bool LibNoteDlg<Kind>::Open(const std::string &text, const std::string &title, LPCWSTR icon, HWND owner)
{
   LibDlgLayout layout;
   layout.text = text;
   layout.title = title;
   layout.icon = icon;
   layout.buttons = {{"OK", 0}};
   layout.closeAnswer = 0;
   return LibDlg::Open(layout, owner);
}

template class LibNoteDlg<cui::DlgInfo>;
template class LibNoteDlg<cui::DlgWarning>;
template class LibNoteDlg<cui::DlgError>;

bool LibHintDlg::Open(const std::string &text, const std::string &title, HWND owner)
{
   LibDlgLayout layout;
   layout.text = text;
   layout.title = title;
   layout.icon = kIconInfo;
   layout.checkBox = "Do not show this hint again";
   layout.buttons = {{"OK", 0}};
   layout.closeAnswer = 0;
   return LibDlg::Open(layout, owner);
}

void LibHintDlg::Record(int)
{
   suppressed_ = window_.IsChecked();
}

LibDlgLayout QuestionLayout(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                            int defaultIndex, const std::string &title)
{
   LibDlgLayout layout;
   layout.text = text;
   layout.title = title;
   layout.icon = kIconQuestion;
   layout.closeAnswer = cancelIndex >= 0 && static_cast<size_t>(cancelIndex) < choices.size() ? cancelIndex : -1;
   if (defaultIndex < 0) {
      defaultIndex = 0;
   }
   size_t shown = 0;
   for (const std::string &c : choices) {
      shown += c.empty() ? 0 : 1;
   }
   if (shown <= 4) {
      // An empty choice shows nothing; the others keep their positions as answers.
      for (size_t i = 0; i < choices.size(); ++i) {
         if (choices[i].empty()) {
            continue;
         }
         if (static_cast<int>(i) == defaultIndex) {
            layout.defaultButton = layout.buttons.size();
         }
         layout.buttons.push_back({AccessKey(choices[i]), static_cast<int>(i)});
      }
      return layout;
   }
   // Radios are numbered in order, so an empty choice becomes an empty, disabled-looking row.
   for (size_t i = 0; i < choices.size(); ++i) {
      layout.radios.push_back(AccessKey(choices[i]));
   }
   layout.checkedRadio = defaultIndex;
   layout.buttons.push_back({"OK", LibDlgWindow::kCheckedRadio});
   if (layout.closeAnswer >= 0) {
      layout.buttons.push_back({"Cancel", layout.closeAnswer});
   }
   return layout;
}

void LibSQuestionDlg::Record(int answer)
{
   choice_ = answer;
   suppressed_ = window_.IsChecked();
}

bool LibPasswordDlg::Open(const std::string &text, const std::string &title, HWND owner)
{
   LibDlgLayout layout = OkCancel(text, title);
   layout.fields = {{"Password:", true, ""}, {"Confirm:", true, ""}};
   return LibDlg::Open(layout, owner);
}

void LibPasswordDlg::Record(int answer)
{
   choice_ = answer;
   password_ = window_.GetFieldText(0);
   confirmation_ = window_.GetFieldText(1);
}

bool LibActivateDlg::Open(Type type, const std::string &text, const std::string &title, HWND owner)
{
   LibDlgLayout layout = OkCancel(text, title);
   layout.fields = {{type == TYPE_RENEW_KEY ? "New key:" : "Key:", false, ""}};
   return LibDlg::Open(layout, owner);
}

void LibActivateDlg::Record(int answer)
{
   choice_ = answer;
   key_ = window_.GetFieldText(0);
}

bool LibAuthenticateDlg::Open(int mode, const std::string &text, const std::string &title, HWND owner)
{
   mode_ = mode;
   LibDlgLayout layout = OkCancel(text, title, "Connect");
   if (mode) {
      layout.fields = {{"User name:", false, ""}, {"Password:", true, ""}, {"Domain:", false, ""}};
   } else {
      layout.fields = {{"Password:", true, ""}};
   }
   return LibDlg::Open(layout, owner);
}

void LibAuthenticateDlg::Record(int answer)
{
   cancelled_ = answer != 0;
   password_ = window_.GetFieldText(PasswordField());
   if (mode_) {
      user_ = window_.GetFieldText(0);
      domain_ = window_.GetFieldText(2);
   }
}

void LibAuthenticateDlg::GetCredentials(std::string &user, std::string &password, std::string &domain) const
{
   user = user_;
   password = password_;
   domain = domain_;
}

void LibAuthenticateDlg::SetUser(const std::string &user)
{
   user_ = user;
   if (mode_) {
      window_.SetFieldText(0, user);
   }
}

void LibAuthenticateDlg::SetDomain(const std::string &domain)
{
   domain_ = domain;
   if (mode_) {
      window_.SetFieldText(2, domain);
   }
}

void LibAuthenticateDlg::SetPassword(const std::string &password)
{
   window_.SetFieldText(PasswordField(), password);
   OnAnswer(0);
}

void LibAuthenticateDlg::ClearPassword()
{
   window_.SetFieldText(PasswordField(), "");
}

void LibAuthenticateDlg::FocusPassword()
{
   window_.FocusField(PasswordField());
}

bool LibChangePasswordDlg::Open(const std::string &text, const std::string &title, HWND owner)
{
   LibDlgLayout layout = OkCancel(text, title);
   layout.fields = {{"Old password:", true, ""}, {"New password:", true, ""}, {"Confirm:", true, ""}};
   return LibDlg::Open(layout, owner);
}

void LibChangePasswordDlg::Record(int answer)
{
   choice_ = answer;
   old_ = window_.GetFieldText(0);
   new_ = window_.GetFieldText(1);
   confirmation_ = window_.GetFieldText(2);
}

bool LibConnectToDlg::Open(const std::string &text, const std::string &title, HWND owner)
{
   text_ = text;
   LibDlgLayout layout = OkCancel(text, title, "Connect");
   layout.fields = {{"Server:", false, ""}, {"Port:", false, ""}};
   layout.checkBox = "Use a secure connection";
   return LibDlg::Open(layout, owner);
}

void LibConnectToDlg::Record(int answer)
{
   cancelled_ = answer != 0;
   address_ = window_.GetFieldText(0);
   port_ = atoi(window_.GetFieldText(1).c_str());
   secure_ = window_.IsChecked();
}

void LibConnectToDlg::SetOutcome(bool succeeded, const cui::Error &error)
{
   HWND hwnd = window_.GetHwnd();
   if (!hwnd) {
      return;
   }
   if (succeeded) {
      window_.Destroy();
      return;
   }
   window_.SetText(error.IsEmpty() ? text_ : text_ + "\n\n" + error.GetText());
   EnableWindow(hwnd, TRUE);
}

bool LibCloseRoamingVMDlg::Open(bool canSync, const std::string &title, HWND owner)
{
   LibDlgLayout layout;
   layout.title = title;
   layout.icon = kIconQuestion;
   layout.text = "This machine runs from a copy away from its home location. Close it?";
   if (canSync) {
      layout.buttons.push_back({"Copy changes home and close", CHOICE_SYNC});
   }
   layout.buttons.push_back({"Close", CHOICE_CLOSE});
   layout.buttons.push_back({"Cancel", CHOICE_CANCEL});
   layout.closeAnswer = CHOICE_CANCEL;
   return LibDlg::Open(layout, owner);
}

bool LibProgressDlg::Open(const std::string &text, const std::string &title, HWND owner)
{
   text_ = text;
   LibDlgLayout layout;
   layout.title = title;
   layout.text = text;
   layout.progress = true;
   layout.buttons = {{"Cancel", 0}};
   if (!LibDlg::Open(layout, owner)) {
      return false;
   }
   SetCancelable(false);
   return true;
}

void LibProgressDlg::SetText(const std::string &text)
{
   if (text != text_) {
      text_ = text;
      window_.SetText(text);
   }
}

void BuildFileFilter(const cui::DlgFileBrowser::FilterList &filters, int index, std::wstring &filterText,
                     DWORD &filterIndex)
{
   filterText.clear();
   cui::DlgFileBrowser::FilterList all = filters;
   all.push_back({kAllFilesLiteral, {"*.*"}});
   for (const auto &filter : all) {
      std::string patterns;
      for (const std::string &p : filter.second) {
         patterns += (patterns.empty() ? "" : ";") + p;
      }
      filterText += WideFromUtf8(cui::GetLocalString(filter.first));
      filterText += L'\0';
      filterText += WideFromUtf8(patterns);
      filterText += L'\0';
   }
   filterText += L'\0';
   if (index == -1) {
      filterIndex = filters.empty() ? 1 : static_cast<DWORD>(filters.size());
   } else {
      filterIndex = index >= 1 && static_cast<size_t>(index) <= all.size() ? static_cast<DWORD>(index) : 1;
   }
}

LibFileBrowserDlg::LibFileBrowserDlg(const std::string &initialDir, const std::string &title,
                                     const std::string &initialFile, const FilterList &filters, int filterIndex,
                                     HWND owner)
   : initialDir_(initialDir), title_(title), initialFile_(initialFile), filters_(filters), filterIndex_(filterIndex),
     owner_(owner)
{
}

void LibFileBrowserDlg::Run()
{
   std::wstring filter;
   DWORD index = 1;
   BuildFileFilter(filters_, filterIndex_, filter, index);
   std::wstring file = WideFromUtf8(initialFile_);
   file.resize(MAX_PATH, L'\0');
   std::wstring title = WideFromUtf8(title_);
   std::wstring dir = WideFromUtf8(initialDir_);

   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof(ofn);
   ofn.hwndOwner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
   ofn.lpstrFilter = filter.c_str();
   ofn.nFilterIndex = index;
   ofn.lpstrFile = &file[0];
   ofn.nMaxFile = MAX_PATH;
   ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
   ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
   ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST;
   if (atl::GetOpenFileName(&ofn)) {
      path_ = Utf8FromWide(file.c_str());
      cancelled_ = false;
   } else {
      path_.clear();
      cancelled_ = true;
   }
   if (Reply() == DESTROY) {
      delete this;
   }
}

}  // namespace cuiutil
