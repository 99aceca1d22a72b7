// The library's own dialogs: what wui::DlgMgrImpl shows for the factory operations the inner
// factory does not implement. Each is a cui kind over a LibDlgWindow; it deletes itself when its
// window is gone (the file browser, which has none, on a DESTROY answer).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "LibDlgWindow.h"
#include "cui/Dlg.h"

namespace cuiutil {

class LibDlg : public virtual cui::Dlg {
public:
   ~LibDlg() override;
   HWND GetDlgWindow() const override { return window_.GetHwnd(); }

protected:
   LibDlg();
   // Shows the window; false when it could not be made.
   bool Open(const LibDlgLayout &layout, HWND owner);
   // Reads what the answer carries from the window, before Reply.
   virtual void Record(int answer) = 0;
   // The reply protocol: disable, Reply, then enable, leave or destroy.
   void OnAnswer(int answer);

   LibDlgWindow window_;

private:
   void OnGone();

   std::shared_ptr<bool> alive_;
   bool deleting_ = false;
};

// Info, warning and error: one OK button.
template <class Kind>
class LibNoteDlg : public Kind, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, LPCWSTR icon, HWND owner);

private:
   void Record(int) override {}
};

class LibHintDlg : public cui::DlgHint, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, HWND owner);
   bool IsSuppressed() const override { return suppressed_; }

private:
   void Record(int answer) override;
   bool suppressed_ = false;
};

// The choices of a question as a layout: up to four non-empty choices are buttons (a first "_"
// marks the access key), more are radio choices under an OK button.
LibDlgLayout QuestionLayout(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                            int defaultIndex, const std::string &title);

class LibQuestionDlg : public cui::DlgQuestion, public LibDlg {
public:
   bool Open(const LibDlgLayout &layout, HWND owner) { return LibDlg::Open(layout, owner); }
   int GetChoice() const override { return choice_; }

private:
   void Record(int answer) override { choice_ = answer; }
   int choice_ = 0;
};

class LibSQuestionDlg : public cui::DlgSQuestion, public LibDlg {
public:
   bool Open(const LibDlgLayout &layout, HWND owner) { return LibDlg::Open(layout, owner); }
   int GetChoice() const override { return choice_; }
   bool IsSuppressed() const override { return suppressed_; }

private:
   void Record(int answer) override;
   int choice_ = 0;
   bool suppressed_ = false;
};

class LibPasswordDlg : public cui::DlgPassword, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, HWND owner);
   int GetChoice() const override { return choice_; }
   std::string GetPassword() const override { return password_; }
   std::string GetConfirmation() const override { return confirmation_; }
   std::string GetUser() const override { return std::string(); }

private:
   void Record(int answer) override;
   int choice_ = 0;
   std::string password_;
   std::string confirmation_;
};

class LibActivateDlg : public cui::DlgActivate, public LibDlg {
public:
   bool Open(Type type, const std::string &text, const std::string &title, HWND owner);
   int GetChoice() const override { return choice_; }
   std::string GetKey() const override { return key_; }

private:
   void Record(int answer) override;
   int choice_ = 0;
   std::string key_;
};

class LibAuthenticateDlg : public cui::DlgAuthenticate, public LibDlg {
public:
   bool Open(int mode, const std::string &text, const std::string &title, HWND owner);
   int GetMode() const override { return mode_; }
   bool IsCancelled() const override { return cancelled_; }
   std::string GetPassword() const override { return password_; }
   void GetCredentials(std::string &user, std::string &password, std::string &domain) const override;
   void SetUser(const std::string &user) override;
   void SetDomain(const std::string &domain) override;
   void SetPassword(const std::string &password) override;
   void ClearPassword() override;
   void FocusPassword() override;

private:
   void Record(int answer) override;
   size_t PasswordField() const { return mode_ ? 1 : 0; }

   int mode_ = 0;
   bool cancelled_ = false;
   std::string user_;
   std::string password_;
   std::string domain_;
};

class LibChangePasswordDlg : public cui::DlgChangePassword, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, HWND owner);
   int GetChoice() const override { return choice_; }
   std::string GetOldPassword() const override { return old_; }
   std::string GetNewPassword() const override { return new_; }
   std::string GetConfirmation() const override { return confirmation_; }

private:
   void Record(int answer) override;
   int choice_ = 0;
   std::string old_;
   std::string new_;
   std::string confirmation_;
};

class LibConnectToDlg : public cui::DlgConnectTo, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, HWND owner);
   bool IsCancelled() const override { return cancelled_; }
   std::string GetAddress() const override { return address_; }
   int GetPort() const override { return port_; }
   bool GetAddressFlag() const override { return secure_; }
   void SetOutcome(bool succeeded, const cui::Error &error) override;

private:
   void Record(int answer) override;
   std::string text_;
   bool cancelled_ = false;
   std::string address_;
   int port_ = 0;
   bool secure_ = false;
};

class LibCloseRoamingVMDlg : public cui::DlgCloseRoamingVM, public LibDlg {
public:
   bool Open(bool canSync, const std::string &title, HWND owner);
   int GetChoice() const override { return choice_; }

private:
   void Record(int answer) override { choice_ = answer; }
   int choice_ = CHOICE_CANCEL;
};

class LibProgressDlg : public cui::DlgProgress, public LibDlg {
public:
   bool Open(const std::string &text, const std::string &title, HWND owner);
   void SetCancelable(bool cancelable) override { window_.ShowButton(0, cancelable); }
   void SetText(const std::string &text) override;
   void SetProgress(int percent) override { window_.SetProgress(percent); }

private:
   void Record(int) override {}
   std::string text_;
};

// The filter text of an open-file dialog: "name\0patterns\0...\0\0" for `filters` and a last
// all-files entry; `index` -1 selects the last of `filters` (one-based otherwise).
void BuildFileFilter(const cui::DlgFileBrowser::FilterList &filters, int index, std::wstring &filterText,
                     DWORD &filterIndex);

class LibFileBrowserDlg : public cui::DlgFileBrowser {
public:
   LibFileBrowserDlg(const std::string &initialDir, const std::string &title, const std::string &initialFile,
                     const FilterList &filters, int filterIndex, HWND owner);
   void Run() override;
   std::string GetPath() const override { return path_; }
   bool IsCancelled() const override { return cancelled_; }

private:
   std::string initialDir_;
   std::string title_;
   std::string initialFile_;
   FilterList filters_;
   int filterIndex_;
   HWND owner_;
   std::string path_;
   bool cancelled_ = false;
};

}  // namespace cuiutil
