// The about box: the application's icon, title and version.
#pragma once

#include "atl/Atl.h"

#include "resource.h"

class CZOLTAbout : public CDialogImpl<CZOLTAbout> {
public:
   enum { IDD = IDD_ABOUT };

   BEGIN_MSG_MAP(CZOLTAbout)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      COMMAND_ID_HANDLER(IDOK, OnClose)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(WORD, WORD id, HWND, BOOL &);

   HICON large_ = nullptr;
   HICON small_ = nullptr;
};
