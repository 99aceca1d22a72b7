// The shared folders of one machine: folders of the host that its configuration shares with the
// guest ("sharedFolder<n>.present = "TRUE"", with "sharedFolder<n>.hostPath" and
// "sharedFolder<n>.guestName"; n from 0 to 63).
//
// A configuration that also says "sharedFolder.defaultDisabled = "TRUE"" (the host's default:
// shared folders stay off until the user turns them on for the running machine) has them disabled
// by the host each time the machine boots: "vmx/execState/sharedFolders/disabled" is 1 from that
// power-on until the machine is powered off (a suspend and resume keep it). When the manager sees
// it become 1, it shows the notification text and detail (SetNotificationText, else its own
// default texts) as a hint through the library's dialog manager (wui::GetDlgMgr). The hint's
// "do not show again" box turns it off for good through the hint key "sharedFoldersDisabled"
// (the preference "/user/prefState/req/#ZOLT/val/hints/sharedFoldersDisabled/disabled").
#pragma once

#include <string>

#include <sigc++/sigc++.h>

#include "cui/Dlg.h"
#include "cui/VmdbCtx.h"

namespace cui {

class VM;

class SharedFolderMgr : public sigc::trackable {
public:
   static const char kHintKey[];   // "sharedFoldersDisabled"

   // Reads the hint preference through `ctx`.
   SharedFolderMgr(VM &vm, const vmdb::Ctx &ctx);
   ~SharedFolderMgr();

   // The texts shown when the host has disabled the machine's shared folders: a short statement
   // and the detail that follows it.
   void SetNotificationText(const std::string &text, const std::string &detail);
   const std::string &GetNotificationText() const { return text_; }
   const std::string &GetNotificationDetail() const { return detail_; }

   // True while the host keeps the running machine's shared folders disabled.
   bool GetDisabled() const { return disabled_; }
   // The notification on the screen now; null when none is.
   DlgHint *GetNotification() const { return shown_; }

   // The disabled state changed.
   sigc::signal<void> disabledChanged;

   SharedFolderMgr(const SharedFolderMgr &) = delete;
   SharedFolderMgr &operator=(const SharedFolderMgr &) = delete;

protected:
   friend class VM;
   // The host's state as the machine last read it; `announce` false takes it as it is (the
   // machine's first reading: folders disabled before the machine was opened are not news).
   void Follow(bool disabled, bool announce);

private:
   void Notify();
   Dlg::RepliedAction OnReplied(bool suppressed);
   bool IsHintOff() const;

   VM &vm_;
   vmdb::Ctx ctx_;
   std::string text_;
   std::string detail_;
   bool disabled_ = false;
   DlgHint *shown_ = nullptr;
   sigc::connection shownGone_;
};

}  // namespace cui
