#include "cui/SharedFolderMgr.h"

#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"

namespace cui {

const char SharedFolderMgr::kHintKey[] = "sharedFoldersDisabled";

namespace {

// Shown when nobody gave the manager texts of its own.
const char kDefaultText[] = "@&!*@*@(msg.vm.sharedFolders.notifyText)Shared folders are disabled.";
const char kDefaultDetail[] = "@&!*@*@(msg.vm.sharedFolders.notifyDetail)This virtual machine has shared folders, "
                              "but the host disabled them when the virtual machine was powered on.";

// Shared with the message box's hint keys.
std::string HintOffPath()
{
   return std::string(kPrefsRequestPath) + "val/hints/" + SharedFolderMgr::kHintKey + "/disabled";
}

}  // namespace

SharedFolderMgr::SharedFolderMgr(VM &vm, const vmdb::Ctx &ctx) : vm_(vm), ctx_(ctx)
{
}

SharedFolderMgr::~SharedFolderMgr()
{
   shownGone_.disconnect();
}

void SharedFolderMgr::SetNotificationText(const std::string &text, const std::string &detail)
{
   text_ = text;
   detail_ = detail;
}

void SharedFolderMgr::Follow(bool disabled, bool announce)
{
   if (disabled == disabled_) {
      return;
   }
   disabled_ = disabled;
   if (!announce) {
      return;
   }
   disabledChanged.emit();
   if (disabled_) {
      Notify();
   }
}

bool SharedFolderMgr::IsHintOff() const
{
   try {
      return ctx_.GetBool(HintOffPath(), false);
   } catch (const Error &e) {
      Warning("SharedFolderMgr: cannot read the hint \"%s\": %s\n", kHintKey, e.what());
      return false;
   }
}

void SharedFolderMgr::Notify()
{
   Log("SharedFolderMgr: the shared folders of %s are disabled\n", vm_.GetVmPath().c_str());
   if (shown_ || IsHintOff()) {
      return;
   }
   std::string text = text_.empty() ? GetLocalString(kDefaultText) : text_;
   std::string detail = text_.empty() && detail_.empty() ? GetLocalString(kDefaultDetail) : detail_;
   if (!detail.empty()) {
      text += "\n\n" + detail;
   }
   DlgMgr *mgr = wui::GetDlgMgr();
   DlgHint *hint = mgr ? mgr->NewHint(text, vm_.GetName()) : nullptr;
   if (!hint) {
      Warning("SharedFolderMgr: no dialog for the notification of %s\n", vm_.GetVmPath().c_str());
      return;
   }
   shown_ = hint;
   hint->DlgSuppress::ConnectReply(sigc::mem_fun(*this, &SharedFolderMgr::OnReplied));
   shownGone_ = hint->destroyed.connect([this]() { shown_ = nullptr; });
}

Dlg::RepliedAction SharedFolderMgr::OnReplied(bool suppressed)
{
   if (suppressed) {
      try {
         ctx_.Set(HintOffPath(), vmdb::Value(true));
         Log("SharedFolderMgr: the hint \"%s\" is turned off\n", kHintKey);
      } catch (const Error &e) {
         Warning("SharedFolderMgr: cannot turn the hint \"%s\" off: %s\n", kHintKey, e.what());
      }
   }
   return Dlg::DESTROY;
}

}  // namespace cui
