#include "NwzCompletedDlg.h"

#include "NwzText.h"

namespace tremhwcfg {

LRESULT CNwzCompletedDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   if (configFile_.empty()) {
      ::ShowWindow(GetDlgItem(IDC_NWZC_FILE), SW_HIDE);
   } else {
      SetDlgItemText(IDC_NWZC_FILE, FormatText(IDS_NWZC_FILE, {configFile_}).c_str());
   }
   CenterWindow(GetParent());
   return TRUE;
}

LRESULT CNwzCompletedDlg::OnClose(WORD, WORD id, HWND, BOOL &)
{
   EndDialog(id);
   return 0;
}

}  // namespace tremhwcfg
