// The view toolbar: side bar, quick switch (when enabled in the preferences), full screen and the
// summary, appliance and console views of the current object.
#pragma once

#include "ToolbarBaseCtl.h"

class CViewToolbarCtl : public CToolbarBaseCtl {
public:
   static constexpr int kQuickSwitchItem = 17;

   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_VIEW; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CViewToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);

   bool quickSwitchEnabled_ = true;
   sigc::connection prefsWatch_;
};
