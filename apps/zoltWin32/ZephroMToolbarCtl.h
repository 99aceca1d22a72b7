// The Zephro manager toolbar: policies, package settings, new package, new portable package and
// preview of the current managed machine. Only with the Zephro extension.
#pragma once

#include "ToolbarBaseCtl.h"

class CZephroMToolbarCtl : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_ZEPHRO; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CZephroMToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);
};
