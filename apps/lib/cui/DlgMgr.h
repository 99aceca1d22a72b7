// Dialogs of the model library. cui::DlgMgr is the program's dialog factory; wui::DlgMgr is the
// library's own manager of dialog windows: default owner and title for the dialogs it shows, and
// keyboard pre-translation for modeless windows registered with it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {

// The program's dialog factory (its factory operations come with the dialogs work).
class DlgMgr {
public:
   virtual ~DlgMgr();
};

}  // namespace cui

namespace wui {

class DlgMgr {
public:
   // Answers true when it consumed the message.
   typedef sigc::slot<bool, MSG *> PreTranslateSlot;

   // Over the program's factory (may be null while the program has registered none).
   explicit DlgMgr(cui::DlgMgr *appDlgMgr = nullptr);
   // Unregisters itself when it is the registered dialog manager.
   virtual ~DlgMgr();

   cui::DlgMgr *GetAppDlgMgr() const { return appDlgMgr_; }

   void SetDefaultOwner(HWND owner) { owner_ = owner; }
   HWND GetDefaultOwner() const { return owner_; }
   void SetTitle(const std::string &title) { title_ = title; }
   const std::string &GetTitle() const { return title_; }

   // A modeless window whose keyboard messages are pre-translated; without a slot the dialog
   // navigation keys are handled for it (IsDialogMessage). Registering again replaces the slot.
   void Register(HWND window, const PreTranslateSlot &slot = PreTranslateSlot());
   void UnRegister(HWND window);
   bool IsRegistered(HWND window) const;

   // Offers the message to the registered window that holds its target (the window or one of its
   // children); windows destroyed meanwhile are forgotten. With `keyboardOnly`, only keyboard
   // messages are offered. False when no registered window took it.
   bool PreTranslateMessage(MSG *msg, bool keyboardOnly);

   DlgMgr(const DlgMgr &) = delete;
   DlgMgr &operator=(const DlgMgr &) = delete;

private:
   struct Entry {
      HWND window;
      PreTranslateSlot slot;
   };
   cui::DlgMgr *appDlgMgr_;
   HWND owner_ = nullptr;
   std::string title_;
   std::vector<Entry> modeless_;
};

}  // namespace wui
