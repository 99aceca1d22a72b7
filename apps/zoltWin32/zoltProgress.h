// CVMProgress: the progress window of a long operation (IDD_VMPROGRESS): a text, a bar and a
// Cancel button that shows only when the operation can be cancelled. It has no close box.
#pragma once

#include "zoltDlgBase.h"

#include "res/resource.h"

#include <string>

class CVMProgress : public CVMDlgBase<CVMProgress> {
public:
   enum { IDD = IDD_VMPROGRESS };

   CVMProgress() = default;
   ~CVMProgress() override;

   BEGIN_MSG_MAP(CVMProgress)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
   END_MSG_MAP()

   // Creates and shows the window; nonzero on success.
   int ShowDialog(HWND owner, const std::string &title, bool disableOwner);

protected:
   LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
   LRESULT OnCancel(WORD code, WORD id, HWND ctl, BOOL &handled);
};
