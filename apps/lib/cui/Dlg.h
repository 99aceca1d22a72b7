// The dialogs the model library raises through a cui::DlgMgr factory, and their reply protocol.
//
// A factory returns at once with a dialog on the screen. When the user answers, the dialog's
// window calls Reply (protected: only the dialog itself answers); Reply emits `replied` and hands
// back what the handlers returned: the window is made usable again (ENABLE), left greyed while
// the library goes on working (KEEP_DISABLED) or destroyed (DESTROY, also when no handler is
// connected). Handlers read the answer through the kind's operations, or take it as arguments
// through the kind's ConnectReply. Every interface derives virtually from cui::Dlg, so a window
// class may join several of them with its own bases.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {

class DlgMgr;

class Dlg {
public:
   enum RepliedAction { ENABLE = 0, KEEP_DISABLED = 1, DESTROY = 2 };

   // What a handler answered; a handler that did not run (blocked) leaves the default -1.
   struct ReplyAnswer {
      int value = -1;
      ReplyAnswer() = default;
      ReplyAnswer(RepliedAction action) : value(action) {}
   };
   // The last handler's answer; DESTROY when no handler ran.
   struct ReplyAccumulator {
      typedef RepliedAction result_type;
      template <class Iterator>
      result_type operator()(Iterator first, Iterator last) const
      {
         RepliedAction action = DESTROY;
         for (; first != last; ++first) {
            ReplyAnswer answer = *first;
            if (answer.value >= 0) {
               action = static_cast<RepliedAction>(answer.value);
            }
         }
         return action;
      }
   };
   typedef sigc::signal<ReplyAnswer>::accumulated<ReplyAccumulator> ReplySignal;
   typedef sigc::slot<RepliedAction> ReplySlot;

   // Emits `destroyed`.
   virtual ~Dlg();
   // The factory that made it (null when it was made outside a factory).
   virtual DlgMgr *GetDlgMgr() const;
   // Deletes the dialog (its window goes with it).
   virtual void DeleteDlg();
   // These act on GetDlgWindow; a dialog without a window is always enabled and does nothing.
   virtual void Reenable();
   virtual bool IsEnabled() const;
   virtual void Hide();
   virtual void Show();
   // The window that shows the dialog; null for a dialog without one (the default).
   virtual HWND GetDlgWindow() const;

   void SetDlgMgr(DlgMgr *dlgMgr) { dlgMgr_ = dlgMgr; }
   sigc::connection ConnectReply(const ReplySlot &slot);

   ReplySignal replied;
   sigc::signal<void> destroyed;

   Dlg(const Dlg &) = delete;
   Dlg &operator=(const Dlg &) = delete;

protected:
   Dlg() = default;
   RepliedAction Reply();

private:
   DlgMgr *dlgMgr_ = nullptr;
};

// Kinds that carry no answer beyond "it was seen".
class DlgInfo : public virtual Dlg {};
class DlgWarning : public virtual Dlg {};
class DlgError : public virtual Dlg {};

// The "do not show this again" check box.
class DlgSuppress : public virtual Dlg {
public:
   virtual bool IsSuppressed() const = 0;
   // The handler gets IsSuppressed.
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, bool> &slot);
};

class DlgHint : public virtual DlgSuppress {};

// The id of the answer chosen: a choice's position, or a button's id (0 first, 1 second).
class DlgChoice : public virtual Dlg {
public:
   virtual int GetChoice() const = 0;
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, int> &slot);
};

class DlgQuestion : public virtual DlgChoice {
public:
   enum Icon { ICON_QUESTION = 0, ICON_ERROR = 1 };
};

// A question with the "do not show this dialog again" check box.
class DlgSQuestion : public virtual DlgChoice, public virtual DlgSuppress {
public:
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, int, bool> &slot);
};

// A password and its confirmation; the choice is 0 for OK, 1 for Cancel.
class DlgPassword : public virtual DlgChoice {
public:
   virtual std::string GetPassword() const = 0;
   virtual std::string GetConfirmation() const = 0;
   // The user the password is for, when the dialog asks for one (the library never asks the
   // program's password dialog for it).
   virtual std::string GetUser() const = 0;
   // (choice, password, confirmation)
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, int, std::string, std::string> &slot);
};

// Product activation: the key typed; the choice is 0 for OK, 1 for Cancel.
class DlgActivate : public virtual DlgChoice {
public:
   enum Type { TYPE_ENTER_KEY = 0, TYPE_RENEW_KEY = 1 };
   virtual std::string GetKey() const = 0;
   // (choice, key)
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, int, std::string> &slot);
};

// Credentials for a server: mode nonzero asks for user, password and domain; zero only for the
// password. Setting the password submits it (Reply) as if the user had pressed Connect.
class DlgAuthenticate : public virtual Dlg {
public:
   virtual int GetMode() const = 0;
   // True when the user gave up instead of submitting; cleared by every submit.
   virtual bool IsCancelled() const = 0;
   virtual std::string GetPassword() const = 0;
   virtual void GetCredentials(std::string &user, std::string &password, std::string &domain) const = 0;
   virtual void SetUser(const std::string &user) = 0;
   virtual void SetDomain(const std::string &domain) = 0;
   virtual void SetPassword(const std::string &password) = 0;
   virtual void ClearPassword() = 0;
   virtual void FocusPassword() = 0;
   // (cancelled, user, password, domain)
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, bool, std::string, std::string, std::string> &slot);
};

// A new password for an account: the choice is 0 for OK, 1 for Cancel.
class DlgChangePassword : public virtual DlgChoice {
public:
   virtual std::string GetOldPassword() const = 0;
   virtual std::string GetNewPassword() const = 0;
   virtual std::string GetConfirmation() const = 0;
   // (choice, old, new, confirmation)
   sigc::connection ConnectReply(
      const sigc::slot<RepliedAction, int, std::string, std::string, std::string> &slot);
};

// A server to connect to. The answer's handler usually answers KEEP_DISABLED while it connects
// and hands the outcome back with SetOutcome: a failure shows its text and makes the dialog
// usable again, a success closes it.
class DlgConnectTo : public virtual Dlg {
public:
   virtual bool IsCancelled() const = 0;
   virtual std::string GetAddress() const = 0;
   // 0 when none was typed (the server's default port).
   virtual int GetPort() const = 0;
   // The "secure connection" box.
   virtual bool GetAddressFlag() const = 0;
   virtual void SetOutcome(bool succeeded, const Error &error) = 0;
   // (cancelled, address, port, flag)
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, bool, std::string, int, bool> &slot);
};

// Closing a machine that runs from a copy away from its home location.
class DlgCloseRoamingVM : public virtual DlgChoice {
public:
   // Copy the changes home and close; close and keep the changes only here; do not close.
   enum Choice { CHOICE_SYNC = 0, CHOICE_CLOSE = 1, CHOICE_CANCEL = 2 };
};

// A long operation. A Reply means that the user pressed Cancel.
class DlgProgress : public virtual Dlg {
public:
   virtual void SetCancelable(bool cancelable) = 0;
   virtual void SetText(const std::string &text) = 0;
   // 0 to 100.
   virtual void SetProgress(int percent) = 0;
};

// A file to open: nothing is shown until Run, which is modal and answers through Reply.
class DlgFileBrowser : public virtual Dlg {
public:
   // (display-name message literal, patterns such as "*.vmx")
   typedef std::vector<std::pair<std::string, std::vector<std::string>>> FilterList;

   virtual void Run() = 0;
   // The chosen file; test IsCancelled first (after a cancel it means nothing).
   virtual std::string GetPath() const = 0;
   virtual bool IsCancelled() const = 0;
   // (cancelled, path)
   sigc::connection ConnectReply(const sigc::slot<RepliedAction, bool, std::string> &slot);
};

}  // namespace cui
