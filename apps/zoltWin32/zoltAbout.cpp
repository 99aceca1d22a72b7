#include "zoltAbout.h"

#include "zoltApp.h"
#include "zoltResources.h"

LRESULT CZOLTAbout::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   LoadEditionImage(large_, small_);
   if (large_) {
      SendDlgItemMessage(IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(large_), 0);
   }
   std::string title = CZOLTApp::GetAppTitle();
   SetWindowText(title.c_str());
   SetDlgItemText(IDC_ABOUT_PRODUCT, (title + " " + LoadResString(IDS_APP_VERSION)).c_str());
   CenterWindow(GetParent());
   return TRUE;
}

LRESULT CZOLTAbout::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   DestroyImages(large_, small_);
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTAbout::OnClose(WORD, WORD id, HWND, BOOL &)
{
   EndDialog(id);
   return 0;
}
