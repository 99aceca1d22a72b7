// The quick-switch toolbar: minimise, leave quick switch and exit, in its own band while quick
// switch is on. Not customizable; its buttons keep a fixed width.
#pragma once

#include "ToolbarBaseCtl.h"

class CQuickSwitchToolbarCtl : public CToolbarBaseCtl {
public:
   static constexpr int kButtonWidth = 29;

   HWND Init(HWND rebar) override;
   void UpdateButtons() override {}
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_QUICK_SWITCH; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CQuickSwitchToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);
};
