// The tip-of-the-day dialog: one tip at a time from the model library's tip source, the position
// in the tips and the show-at-start-up choice kept in the user's preferences.
#pragma once

#include "atl/Atl.h"
#include "cui/Error.h"
#include "cui/TipMgr.h"
#include "cui/VmdbCtx.h"

#include "resource.h"

#include <sigc++/sigc++.h>

#include <string>

class CZOLTTips : public CDialogImpl<CZOLTTips>, public cui::TipMgr, public sigc::trackable {
public:
   enum { IDD = IDD_TIPS };

   // Preference nodes under the preference request element.
   static const char kStartupPref[];   // "val/zolt/tip/startup"
   static const char kIndexPref[];     // "val/zolt/tip/index"

   CZOLTTips();
   ~CZOLTTips() override;

   BEGIN_MSG_MAP(CZOLTTips)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_CLOSE, OnCloseBox)
      COMMAND_ID_HANDLER(IDC_TIP_NEXT, OnNextTip)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

   short GetCurrentIndex() const { return index_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCloseBox(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNextTip(WORD, WORD, HWND, BOOL &);
   LRESULT OnClose(WORD, WORD, HWND, BOOL &);

   void AskNextTip();
   void OnTip(std::string text, short newIndex);
   std::string PrefPath(const char *node) const;

   vmdb::Ctx ctx_;
   HWND tipText_ = nullptr;
   atl::ScopedFont headingFont_;
   short index_ = 0;
};
