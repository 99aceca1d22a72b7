// The program's dialog factory, registered with the model library (which builds its own
// wui::DlgMgr over it): every question, warning, error, hint, password prompt, progress report
// and file choice becomes a modeless window, owned by the default owner of the moment. It keeps
// the live dialogs, hands them their keyboard messages through a thread message hook while any
// is up, and tells the application when dialogs come and go.
#pragma once

#include "cui/DlgMgr.h"

#include <windows.h>
#include <comdef.h>

#include <list>
#include <string>

#include <sigc++/sigc++.h>

class DlgMgr : public virtual cui::DlgMgr {
public:
   DlgMgr() = default;
   ~DlgMgr() override;

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
   bool Implements(Slot slot) const override;

   // Only dialogs made afterwards are owned by the new owner.
   void SetDefaultOwner(HWND owner) { owner_ = owner; }
   HWND GetDefaultOwner() const { return owner_; }
   void SetDefaultTitle(const _bstr_t &title);
   void SetDefaultTitle(const std::string &title) { title_ = title; }
   const std::string &GetDefaultTitle() const { return title_; }
   // An empty title is the default title; another one is "<title> - <application>".
   std::string FormatTitle(const std::string &title) const;
   // Makes `slot` put back the owner of this moment (and unblocks it).
   void GetRestoreOwnerSlot(sigc::slot_base &slot);
   // Told true for every dialog that comes and false for every one that goes.
   void SetModalStateSlot(const sigc::slot<void, bool> &slot) { modalState_ = slot; }

   void AddDlg(cui::Dlg *dlg);
   // The live dialog whose window is active takes the dialog keys it handles.
   bool PreTranslate(MSG *msg);

   size_t GetDlgCount() const { return dlgs_.size(); }
   static HHOOK GetMsgHook();

   DlgMgr(const DlgMgr &) = delete;
   DlgMgr &operator=(const DlgMgr &) = delete;

private:
   struct Entry {
      cui::Dlg *dlg;
      sigc::connection destroyed;
   };
   typedef std::list<Entry>::iterator Position;

   template <class T>
   T *Added(T *dlg);
   void OnDestroyed(Position position);
   void OnDlgGone();

   std::list<Entry> dlgs_;
   HWND owner_ = nullptr;
   std::string title_;
   sigc::slot<void, bool> modalState_;
};

LRESULT CALLBACK DlgMgrMsgHookProc(int code, WPARAM removal, LPARAM msg);
