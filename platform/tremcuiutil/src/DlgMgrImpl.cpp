#include "cui/DlgMgr.h"

#include <algorithm>

#include "DlgScriptStart.h"
#include "LibDlgs.h"
#include "WindowText.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"

namespace wui {

using namespace cuiutil;

DlgMgrImpl::DlgMgrImpl(cui::DlgMgr *inner) : inner_(inner)
{
   if (inner_) {
      innerGone_ = inner_->destroyed.connect(sigc::mem_fun(*this, &DlgMgrImpl::OnInnerGone));
   }
}

DlgMgrImpl::~DlgMgrImpl()
{
   innerGone_.disconnect();
   // Each dialog leaves the list before it is deleted, so a dialog that fails to announce its
   // end cannot keep this loop going.
   while (!own_.empty()) {
      cui::Dlg *dlg = own_.front();
      own_.pop_front();
      delete dlg;
   }
   destroyed.emit();
   destroyed.clear();
}

void DlgMgrImpl::OnInnerGone()
{
   inner_ = nullptr;
}

bool DlgMgrImpl::Implements(Slot) const
{
   return true;
}

bool DlgMgrImpl::Forwards(Slot slot) const
{
   return inner_ && inner_->Implements(slot);
}

void DlgMgrImpl::SetDefaultOwner(HWND owner)
{
   owner_ = owner;
   if (owner) {
      ScheduleDlgScript();
   }
}

std::string DlgMgrImpl::TitleOr(const std::string &title) const
{
   if (!title.empty()) {
      return title;
   }
   if (!title_.empty() || !owner_ || !IsWindow(owner_)) {
      return title_;
   }
   return WindowText(owner_);
}

template <class T>
T *DlgMgrImpl::Own(T *dlg)
{
   dlg->SetDlgMgr(this);
   own_.push_back(dlg);
   dlg->destroyed.connect(sigc::bind(sigc::mem_fun(*this, &DlgMgrImpl::OnOwnGone), static_cast<cui::Dlg *>(dlg)));
   return dlg;
}

template <class T>
T *DlgMgrImpl::Forwarded(T *dlg)
{
   if (dlg && !dlg->GetDlgMgr()) {
      dlg->SetDlgMgr(inner_);
   }
   return dlg;
}

void DlgMgrImpl::OnOwnGone(cui::Dlg *dlg)
{
   own_.remove(dlg);
}

std::vector<cui::Dlg *> DlgMgrImpl::GetOwnDlgs() const
{
   return std::vector<cui::Dlg *>(own_.begin(), own_.end());
}

bool DlgMgrImpl::PreTranslateOwn(MSG *msg)
{
   HWND active = GetActiveWindow();
   for (cui::Dlg *dlg : own_) {
      HWND window = dlg->GetDlgWindow();
      if (window && window == active && (window == msg->hwnd || IsChild(window, msg->hwnd))) {
         return IsDialogMessageW(window, msg) != FALSE;   // may destroy the dialog: stop here
      }
   }
   return false;
}

namespace {

// Shows `dlg` through `open`, or deletes it and answers null when no window could be made.
template <class T, class Open>
T *Opened(T *dlg, Open open)
{
   if (open(*dlg)) {
      return dlg;
   }
   delete dlg;
   return nullptr;
}

}  // namespace

cui::DlgInfo *DlgMgrImpl::NewInfo(const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_INFO)) {
      return Forwarded(inner_->NewInfo(text, title));
   }
   auto *dlg = Opened(new LibNoteDlg<cui::DlgInfo>, [&](LibNoteDlg<cui::DlgInfo> &d) {
      return d.Open(text, TitleOr(title), kIconInfo, owner_);
   });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgWarning *DlgMgrImpl::NewWarning(const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_WARNING)) {
      return Forwarded(inner_->NewWarning(text, title));
   }
   auto *dlg = Opened(new LibNoteDlg<cui::DlgWarning>, [&](LibNoteDlg<cui::DlgWarning> &d) {
      return d.Open(text, TitleOr(title), kIconWarning, owner_);
   });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgError *DlgMgrImpl::NewError(const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_ERROR)) {
      return Forwarded(inner_->NewError(text, title));
   }
   auto *dlg = Opened(new LibNoteDlg<cui::DlgError>, [&](LibNoteDlg<cui::DlgError> &d) {
      return d.Open(text, TitleOr(title), kIconError, owner_);
   });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgHint *DlgMgrImpl::NewHint(const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_HINT)) {
      return Forwarded(inner_->NewHint(text, title));
   }
   auto *dlg = Opened(new LibHintDlg, [&](LibHintDlg &d) { return d.Open(text, TitleOr(title), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgQuestion *DlgMgrImpl::NewQuestion(const std::string &text, const std::vector<std::string> &choices,
                                          int cancelIndex, int defaultIndex, const std::string &title,
                                          cui::DlgQuestion::Icon icon)
{
   if (Forwards(SLOT_QUESTION)) {
      return Forwarded(inner_->NewQuestion(text, choices, cancelIndex, defaultIndex, title, icon));
   }
   LibDlgLayout layout = QuestionLayout(text, choices, cancelIndex, defaultIndex, TitleOr(title));
   if (icon == cui::DlgQuestion::ICON_ERROR) {
      layout.icon = kIconError;
   }
   auto *dlg = Opened(new LibQuestionDlg, [&](LibQuestionDlg &d) { return d.Open(layout, owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgSQuestion *DlgMgrImpl::NewSQuestion(const std::string &text, const std::vector<std::string> &choices,
                                            int cancelIndex, int defaultIndex, const std::string &title)
{
   if (Forwards(SLOT_SQUESTION)) {
      return Forwarded(inner_->NewSQuestion(text, choices, cancelIndex, defaultIndex, title));
   }
   LibDlgLayout layout = QuestionLayout(text, choices, cancelIndex, defaultIndex, TitleOr(title));
   layout.checkBox = "Do not show this dialog again";
   auto *dlg = Opened(new LibSQuestionDlg, [&](LibSQuestionDlg &d) { return d.Open(layout, owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgPassword *DlgMgrImpl::NewPassword(const std::string &text)
{
   if (Forwards(SLOT_PASSWORD)) {
      return Forwarded(inner_->NewPassword(text));
   }
   auto *dlg = Opened(new LibPasswordDlg, [&](LibPasswordDlg &d) { return d.Open(text, TitleOr(""), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgActivate *DlgMgrImpl::NewActivate(cui::DlgActivate::Type type, const std::string &text,
                                          const std::string &title)
{
   if (Forwards(SLOT_ACTIVATE)) {
      return Forwarded(inner_->NewActivate(type, text, title));
   }
   auto *dlg =
      Opened(new LibActivateDlg, [&](LibActivateDlg &d) { return d.Open(type, text, TitleOr(title), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgAuthenticate *DlgMgrImpl::NewAuthenticate(int mode, const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_AUTHENTICATE)) {
      return Forwarded(inner_->NewAuthenticate(mode, text, title));
   }
   auto *dlg = Opened(new LibAuthenticateDlg,
                      [&](LibAuthenticateDlg &d) { return d.Open(mode, text, TitleOr(title), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgChangePassword *DlgMgrImpl::NewChangePassword(const std::string &text)
{
   if (Forwards(SLOT_CHANGE_PASSWORD)) {
      return Forwarded(inner_->NewChangePassword(text));
   }
   auto *dlg =
      Opened(new LibChangePasswordDlg, [&](LibChangePasswordDlg &d) { return d.Open(text, TitleOr(""), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgConnectTo *DlgMgrImpl::NewConnectTo(const std::string &text, const std::string &title)
{
   if (Forwards(SLOT_CONNECT_TO)) {
      return Forwarded(inner_->NewConnectTo(text, title));
   }
   auto *dlg = Opened(new LibConnectToDlg, [&](LibConnectToDlg &d) { return d.Open(text, TitleOr(title), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgProgress *DlgMgrImpl::NewProgress(const std::string &text)
{
   if (Forwards(SLOT_PROGRESS)) {
      return Forwarded(inner_->NewProgress(text));
   }
   auto *dlg = Opened(new LibProgressDlg, [&](LibProgressDlg &d) { return d.Open(text, TitleOr(""), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgFileBrowser *DlgMgrImpl::NewFileBrowser(cui::Host *host, const std::string &initialDir,
                                                const std::string &title, const std::string &initialFile,
                                                const cui::DlgFileBrowser::FilterList &filters, int filterIndex)
{
   if (Forwards(SLOT_FILE_BROWSER)) {
      return Forwarded(inner_->NewFileBrowser(host, initialDir, title, initialFile, filters, filterIndex));
   }
   return Own(new LibFileBrowserDlg(initialDir, title, initialFile, filters, filterIndex, owner_));
}

cui::DlgCloseRoamingVM *DlgMgrImpl::NewCloseRoamingVM(bool canSync)
{
   if (Forwards(SLOT_CLOSE_ROAMING_VM)) {
      return Forwarded(inner_->NewCloseRoamingVM(canSync));
   }
   auto *dlg = Opened(new LibCloseRoamingVMDlg,
                      [&](LibCloseRoamingVMDlg &d) { return d.Open(canSync, TitleOr(""), owner_); });
   return dlg ? Own(dlg) : nullptr;
}

cui::DlgConnectTo *DlgConnectTo_CreateInstance(const std::string &text, const std::string &title)
{
   return GetDlgMgr()->NewConnectTo(text, title);
}

}  // namespace wui
