// The snapshot toolbar: take, revert and the snapshot manager, for the current machine (a team's
// current machine for a team).
#pragma once

#include "ToolbarBaseCtl.h"

#include "cui/VM.h"

// Whether a snapshot command can run on the machine now (the library's take, restore and
// manage rules); never without a machine.
bool SnapshotCommandEnabled(const cui::VM *vm, CommandId command);

class CSnapshotToolbarCtl : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_SNAPSHOT; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CSnapshotToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);
};
