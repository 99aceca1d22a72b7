// The screenshot window: a small modal dialog that shows one bitmap at its natural size under a
// caption and closes on a click anywhere in it.
#pragma once

#include "atl/Atl.h"
#include "resource.h"

#include <string>

class CZOLTScreenshot : public CDialogImpl<CZOLTScreenshot> {
public:
   enum { IDD = IDD_SCREENSHOT };
   static constexpr int kPictureId = 4027;

   // The bitmap stays the caller's.
   CZOLTScreenshot(HBITMAP bitmap, const std::string &caption) : bitmap_(bitmap), caption_(caption) {}

   BEGIN_MSG_MAP(CZOLTScreenshot)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      COMMAND_HANDLER(kPictureId, STN_CLICKED, OnPictureClicked)
      MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);
   LRESULT OnPictureClicked(WORD, WORD, HWND, BOOL &);
   LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL &);
   void CenterOnOwner();

   HBITMAP bitmap_;
   std::string caption_;
};

// The window rectangle whose client area is exactly `width` by `height` for the given styles.
RECT ScreenshotWindowRect(int width, int height, DWORD style, DWORD exStyle, bool hasMenu);
