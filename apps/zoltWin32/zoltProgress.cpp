#include "zoltProgress.h"

#include "zoltWndUtil.h"

CVMProgress::~CVMProgress()
{
   DestroyDialog();
}

int CVMProgress::ShowDialog(HWND owner, const std::string &title, bool disableOwner)
{
   disableOwner_ = disableOwner;
   int shown = PopupDialog(owner);
   if (shown) {
      SetWindowTextUtf8(m_hWnd, title);
   }
   return shown;
}

LRESULT CVMProgress::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
   if (style & WS_SYSMENU) {
      ::SetWindowLongA(m_hWnd, GWL_STYLE, style & ~WS_SYSMENU);
   }
   // Over its owner, as the message dialog is, rather than at the template's corner of the screen.
   CenterOnOwner(nullptr);
   ::ShowWindow(m_hWnd, SW_SHOW);
   return TRUE;
}

LRESULT CVMProgress::OnCancel(WORD, WORD, HWND, BOOL &)
{
   OnClicked(0);
   return 0;
}
