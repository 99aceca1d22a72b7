// The small dialog shown once a new machine is open: it was created, and what to do next.
#pragma once

#include <string>

#include "atl/Atl.h"
#include "tremhwcfg/TremHwCfgRes.h"

namespace tremhwcfg {

class CNwzCompletedDlg : public atl::CDialogImpl<CNwzCompletedDlg> {
public:
   enum { IDD = IDD_NWZ_COMPLETED };

   explicit CNwzCompletedDlg(const std::wstring &configFile) : configFile_(configFile) {}

   BEGIN_MSG_MAP(CNwzCompletedDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnClose)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(WORD, WORD id, HWND, BOOL &);

   std::wstring configFile_;
};

}  // namespace tremhwcfg
