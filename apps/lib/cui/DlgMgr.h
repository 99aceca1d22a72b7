// Dialog factories.
//
// cui::DlgMgr is the factory the model library raises every dialog through. The program
// implements it (and registers it with cui::SetDlgMgr); the library never calls the program's
// factory directly but through its own wui::DlgMgr (wui::GetDlgMgr), a wui::DlgMgrImpl built
// over the program's factory:
//  - a factory operation the program's factory declares through Implements is forwarded to it;
//  - every other one is shown in a window of the library's own, so no operation the program
//    leaves out (or stops the process on) is ever reached;
//  - wui::DlgMgr adds modeless-window registration, message pre-translation, and the default
//    owner and title of the library's own windows.
#pragma once

#include <windows.h>

#include <list>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Dlg.h"

namespace cui {

class Host;

class DlgMgr {
public:
   // The factory operations, numbered in their virtual order (the destructor is 0).
   enum Slot {
      SLOT_INFO = 1,
      SLOT_WARNING,
      SLOT_ERROR,
      SLOT_HINT,
      SLOT_QUESTION,
      SLOT_SQUESTION,
      SLOT_PASSWORD,
      SLOT_ACTIVATE,
      SLOT_AUTHENTICATE,
      SLOT_CHANGE_PASSWORD,
      SLOT_CONNECT_TO,
      SLOT_PROGRESS,
      SLOT_FILE_BROWSER,
      SLOT_CLOSE_ROAMING_VM,
   };
   static const int kSlotCount = SLOT_CLOSE_ROAMING_VM;

   // Emits `destroyed` (when the derived factory has not emitted and cleared it already).
   virtual ~DlgMgr();

   // Each returns the new dialog, already shown (the file browser shows at Run), or null. The
   // base makes none: it logs the call and returns null.
   virtual DlgInfo *NewInfo(const std::string &text, const std::string &title);
   virtual DlgWarning *NewWarning(const std::string &text, const std::string &title);
   virtual DlgError *NewError(const std::string &text, const std::string &title);
   virtual DlgHint *NewHint(const std::string &text, const std::string &title);
   // cancelIndex: the choice that closing the window answers (-1: closing does nothing);
   // defaultIndex: the choice selected at first (-1: the first).
   virtual DlgQuestion *NewQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                    int defaultIndex, const std::string &title, DlgQuestion::Icon icon);
   virtual DlgSQuestion *NewSQuestion(const std::string &text, const std::vector<std::string> &choices,
                                      int cancelIndex, int defaultIndex, const std::string &title);
   virtual DlgPassword *NewPassword(const std::string &text);
   virtual DlgActivate *NewActivate(DlgActivate::Type type, const std::string &text, const std::string &title);
   // mode: see DlgAuthenticate.
   virtual DlgAuthenticate *NewAuthenticate(int mode, const std::string &text, const std::string &title);
   virtual DlgChangePassword *NewChangePassword(const std::string &text);
   virtual DlgConnectTo *NewConnectTo(const std::string &text, const std::string &title);
   virtual DlgProgress *NewProgress(const std::string &text);
   // filterIndex: one-based into `filters`; -1 selects the last of them.
   virtual DlgFileBrowser *NewFileBrowser(Host *host, const std::string &initialDir, const std::string &title,
                                          const std::string &initialFile, const DlgFileBrowser::FilterList &filters,
                                          int filterIndex);
   // canSync: the "copy the changes home" choice is offered.
   virtual DlgCloseRoamingVM *NewCloseRoamingVM(bool canSync);

   // Whether this factory really makes the dialogs of `slot`. The base answers false for every
   // slot: a program's factory answers true for the operations it implements and false for the
   // ones it does not (or stops the process on), and the library shows those itself.
   virtual bool Implements(Slot slot) const;

   // The factory is going away.
   sigc::signal<void> destroyed;

   static const char *SlotName(Slot slot);

protected:
   DlgMgr() = default;
};

}  // namespace cui

namespace wui {

// The library's factory over an inner one (the program's, or another wui::DlgMgrImpl): forwards
// what the inner factory implements and shows the rest in windows of its own, owned by the
// default owner and captioned with the default title when the caller gives none.
class DlgMgrImpl : public virtual cui::DlgMgr, public sigc::trackable {
public:
   // `inner` may be null: every dialog is then the library's own.
   explicit DlgMgrImpl(cui::DlgMgr *inner);
   // Deletes the library's own dialogs that are still up.
   ~DlgMgrImpl() override;

   cui::DlgInfo *NewInfo(const std::string &text, const std::string &title) override;
   cui::DlgWarning *NewWarning(const std::string &text, const std::string &title) override;
   cui::DlgError *NewError(const std::string &text, const std::string &title) override;
   cui::DlgHint *NewHint(const std::string &text, const std::string &title) override;
   cui::DlgQuestion *NewQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                 int defaultIndex, const std::string &title, cui::DlgQuestion::Icon icon) override;
   cui::DlgSQuestion *NewSQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                   int defaultIndex, const std::string &title) override;
   cui::DlgPassword *NewPassword(const std::string &text) override;
   cui::DlgActivate *NewActivate(cui::DlgActivate::Type type, const std::string &text,
                                 const std::string &title) override;
   cui::DlgAuthenticate *NewAuthenticate(int mode, const std::string &text, const std::string &title) override;
   cui::DlgChangePassword *NewChangePassword(const std::string &text) override;
   cui::DlgConnectTo *NewConnectTo(const std::string &text, const std::string &title) override;
   cui::DlgProgress *NewProgress(const std::string &text) override;
   cui::DlgFileBrowser *NewFileBrowser(cui::Host *host, const std::string &initialDir, const std::string &title,
                                       const std::string &initialFile,
                                       const cui::DlgFileBrowser::FilterList &filters, int filterIndex) override;
   cui::DlgCloseRoamingVM *NewCloseRoamingVM(bool canSync) override;
   // It makes every kind, itself or through the inner factory.
   bool Implements(Slot slot) const override;

   cui::DlgMgr *GetInner() const { return inner_; }
   // True when `slot` goes to the inner factory.
   bool Forwards(Slot slot) const;

   void SetDefaultOwner(HWND owner);
   HWND GetDefaultOwner() const { return owner_; }
   void SetTitle(const std::string &title) { title_ = title; }
   const std::string &GetTitle() const { return title_; }

   // The library's own dialogs now up, oldest first.
   std::vector<cui::Dlg *> GetOwnDlgs() const;
   // IsDialogMessage for the library's own dialog that is the active window.
   bool PreTranslateOwn(MSG *msg);

   DlgMgrImpl(const DlgMgrImpl &) = delete;
   DlgMgrImpl &operator=(const DlgMgrImpl &) = delete;

private:
   template <class T>
   T *Own(T *dlg);
   template <class T>
   T *Forwarded(T *dlg);
   std::string TitleOr(const std::string &title) const;
   void OnInnerGone();
   void OnOwnGone(cui::Dlg *dlg);

   cui::DlgMgr *inner_;
   sigc::connection innerGone_;
   HWND owner_ = nullptr;
   std::string title_;
   std::list<cui::Dlg *> own_;
};

// The library's dialog manager (what wui::GetDlgMgr returns): the factory of DlgMgrImpl over the
// program's registered factory, plus the modeless windows whose keyboard messages the main loop
// hands it.
class DlgMgr : public DlgMgrImpl {
public:
   // Answers true when it consumed the message.
   typedef sigc::slot<bool, MSG *> PreTranslateSlot;

   // Over the program's factory (may be null while the program has registered none).
   explicit DlgMgr(cui::DlgMgr *appDlgMgr = nullptr);
   // Unregisters itself when it is the registered dialog manager.
   ~DlgMgr() override;

   cui::DlgMgr *GetAppDlgMgr() const { return GetInner(); }

   // A modeless window whose keyboard messages are pre-translated; without a slot the dialog
   // navigation keys are handled for it (IsDialogMessage). Registering again replaces the slot.
   void Register(HWND window, const PreTranslateSlot &slot = PreTranslateSlot());
   void UnRegister(HWND window);
   bool IsRegistered(HWND window) const;

   // Offers the message to the registered window that holds its target (the window or one of its
   // children), then to the library's own dialogs; windows destroyed meanwhile are forgotten.
   // With `keyboardOnly`, only keyboard messages are offered. False when none took it.
   bool PreTranslateMessage(MSG *msg, bool keyboardOnly);

private:
   struct Entry {
      HWND window;
      PreTranslateSlot slot;
   };
   std::vector<Entry> modeless_;
};

// The connect-to dialog the program opens itself (not asked for by the library): made through
// wui::GetDlgMgr, so it is already shown when it returns; null when none could be made.
cui::DlgConnectTo *DlgConnectTo_CreateInstance(const std::string &text, const std::string &title);

}  // namespace wui
