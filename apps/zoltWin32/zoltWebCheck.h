// The update dialog: the result of the last update check from the application's record
// "/appdata/Tremory/zolt/webUpdate", the time of that check and the user's check period, and the
// way to the update's web page when there is one.
#pragma once

#include "atl/Atl.h"
#include "vmdb/VmdbInterfaces.h"

#include "res/resource.h"

#include <windows.h>

#include <string>

// Whether `url` may be handed to the browser: an http or https address with a host, without
// blanks or control characters. Anything else (a file, a program, another scheme) is refused.
bool IsWebAddress(const std::string &url);
// The period text for the preference `checkPeriod` ("custom" with `checkValue` days); empty for
// an unknown period.
std::string CheckPeriodText(const std::string &period, const std::string &checkValue);
// `lastCheck` (seconds since 1970, as text) as the user's date and time; empty when it is empty
// or not a number.
std::string CheckTimeText(const std::string &lastCheck);
// The text shown when an update check the user asked for failed: with the proxy settings when
// both "webUpdate.proxy.server" and "webUpdate.proxy.port" are configured.
void BuildWebUpdateErrorText(std::string &text);

class CZOLTWebCheck : public CDialogImpl<CZOLTWebCheck> {
public:
   enum { IDD = IDD_WEB_CHECK };

   explicit CZOLTWebCheck(IVmdbDatabase *db);
   ~CZOLTWebCheck() override;

   BEGIN_MSG_MAP(CZOLTWebCheck)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnEnd)
      COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
      COMMAND_ID_HANDLER(IDC_WEBCHECK_VISIT, OnVisitPage)
   END_MSG_MAP()

   CZOLTWebCheck(const CZOLTWebCheck &) = delete;
   CZOLTWebCheck &operator=(const CZOLTWebCheck &) = delete;

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEnd(WORD, WORD, HWND, BOOL &);
   LRESULT OnVisitPage(WORD, WORD, HWND, BOOL &);

   void ShowCheckStatus();
   void SetIcon(HICON icon);

   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
   HWND messageText_ = nullptr;
   HWND infoText_ = nullptr;
   std::string info_;
   std::string message_;
   std::string url_;
   HICON icon_ = nullptr;
};
