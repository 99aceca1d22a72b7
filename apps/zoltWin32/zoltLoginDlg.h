// The login dialog: the host a new session runs against, the local host or another one given by
// host name (with a colon and a port when needed), user name and password, with the recent
// destinations offered in the host box. One object serves every attempt of one connection: each
// run starts from the host and user of the run before, with an empty password.
#pragma once

#include "zoltMruDest.h"

#include "atl/Atl.h"
#include "res/resource.h"

#include <windows.h>
#include <comdef.h>

#include <string>

class CLoginDlg : public CDialogImplBaseT<CWindow> {
public:
   // The template has the local-host choice only when the local host can be used.
   CLoginDlg(const _bstr_t &title, const _bstr_t &host, const _bstr_t &user, const MruDestList &recent,
             bool preferLocal, bool localAvailable);
   ~CLoginDlg() override;

   // IDOK or IDCANCEL; -1 when the template cannot be loaded.
   INT_PTR DoModal(HWND owner);

   BEGIN_MSG_MAP(CLoginDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      COMMAND_ID_HANDLER(IDC_LOGIN_REMOTE, OnHostTypeClicked)
      COMMAND_ID_HANDLER(IDC_LOGIN_LOCAL, OnHostTypeClicked)
      COMMAND_HANDLER(IDC_LOGIN_HOST, CBN_SELCHANGE, OnHostSelChange)
      COMMAND_HANDLER(IDC_LOGIN_HOST, CBN_EDITCHANGE, OnInputChange)
      COMMAND_HANDLER(IDC_LOGIN_USER, EN_CHANGE, OnInputChange)
   END_MSG_MAP()

   _bstr_t GetHostName() const { return host_; }
   _bstr_t GetUserName() const { return user_; }
   _bstr_t GetPassword() const { return password_; }
   int GetTemplateId() const { return templateId_; }
   // Why the last attempt failed, shown in the dialog from its next run on; empty: nothing.
   void SetError(const std::string &text) { error_ = text; }
   // Wipes the password kept from the last run.
   void ForgetPassword() { WipeText(password_); }

   // The user's choice after IDOK: a remote host (true) or the local one.
   bool remote_ = true;

   CLoginDlg(const CLoginDlg &) = delete;
   CLoginDlg &operator=(const CLoginDlg &) = delete;

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);
   LRESULT OnHostTypeClicked(WORD, WORD, HWND, BOOL &);
   LRESULT OnHostSelChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnInputChange(WORD, WORD, HWND, BOOL &);

   void SetRemote(bool remote);
   bool IsInputValid() const;
   void ShowBanner();
   void CentreOnOwner();
   void DeleteBanner();
   std::wstring ItemText(int id) const;

   _bstr_t host_;
   _bstr_t user_;
   _bstr_t password_;
   _bstr_t title_;
   MruDestList recent_;
   bool localAvailable_;
   bool preferLocal_;
   atl::ScopedBitmap banner_;
   HWND hostBox_ = nullptr;
   int templateId_;
   std::string error_;
   HICON bigIcon_ = nullptr;
   HICON smallIcon_ = nullptr;
};
