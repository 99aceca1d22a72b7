// The record and replay toolbar: play, record and stop of the current machine's session recording.
#pragma once

#include "ToolbarBaseCtl.h"

class CVPlayToolbarCtl : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return 7; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CVPlayToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      MESSAGE_HANDLER(OCM_NOTIFY, OnNotify)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
};
