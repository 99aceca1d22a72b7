// The about box: the edition's icon and title, the legal notice, and the about page over its
// frame.
#pragma once

#include "atl/Atl.h"
#include "zoltStatusAbout.h"

#include "resource.h"

class CZOLTAbout : public CDialogImpl<CZOLTAbout> {
public:
   enum { IDD = IDD_ABOUT };

   CZOLTAbout() = default;
   ~CZOLTAbout() override;

   BEGIN_MSG_MAP(CZOLTAbout)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnClose)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

   HWND GetPageWindow() const { return page_.m_hWnd; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(WORD, WORD id, HWND, BOOL &);

   CZOLTStatusAbout page_;
   HWND frame_ = nullptr;
   HWND notice_[4] = {};
   HICON icon_ = nullptr;
   HMODULE resLib_ = nullptr;
};
