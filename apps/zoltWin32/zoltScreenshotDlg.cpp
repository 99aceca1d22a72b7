#include "zoltScreenshotDlg.h"

#include "zoltWndUtil.h"

RECT ScreenshotWindowRect(int width, int height, DWORD style, DWORD exStyle, bool hasMenu)
{
   RECT rect = {0, 0, width, height};
   ::AdjustWindowRectEx(&rect, style, hasMenu ? TRUE : FALSE, exStyle);
   return rect;
}

LRESULT CZOLTScreenshot::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   BITMAP info = {};
   if (bitmap_ && ::GetObjectA(bitmap_, sizeof(info), &info)) {
      RECT rect = ScreenshotWindowRect(info.bmWidth, info.bmHeight, ::GetWindowLongA(m_hWnd, GWL_STYLE),
                                       ::GetWindowLongA(m_hWnd, GWL_EXSTYLE), ::GetMenu(m_hWnd) != nullptr);
      SetWindowPos(nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER);
   }
   CenterOnOwner();
   HWND picture = ::GetDlgItem(m_hWnd, kPictureId);
   ::SetWindowPos(picture, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOZORDER);
   ::SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
   SetWindowTextUtf8(m_hWnd, caption_);
   return TRUE;
}

void CZOLTScreenshot::CenterOnOwner()
{
   HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
   RECT area = {};
   if (!owner || !::GetWindowRect(owner, &area)) {
      ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
   }
   RECT rect = {};
   GetWindowRect(&rect);
   int x = area.left + ((area.right - area.left) - (rect.right - rect.left)) / 2;
   int y = area.top + ((area.bottom - area.top) - (rect.bottom - rect.top)) / 2;
   SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CZOLTScreenshot::OnCancel(WORD, WORD, HWND, BOOL &)
{
   EndDialog(IDCANCEL);
   return 0;
}

LRESULT CZOLTScreenshot::OnPictureClicked(WORD, WORD, HWND, BOOL &)
{
   EndDialog(0);
   return 0;
}

LRESULT CZOLTScreenshot::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL &)
{
   EndDialog(0);
   return 0;
}
