// The record and replay toolbar: play, record and stop of the current machine's session recording.
#pragma once

#include "ToolbarBaseCtl.h"

namespace cui {
class SessionRecordMgr;
}

// What the record and replay buttons show of a machine's session recorder.
struct VPlayFacts {
   int state = 0;  // cui::SessionRecordMgr::State
   bool canPlay = false;
   bool canRecord = false;
   bool canStop = false;
   bool canGoLive = false;

   static VPlayFacts Of(const cui::SessionRecordMgr &recorder);
};

struct VPlayButtonState {
   bool enabled = false;
   bool pushed = false;
};

// Play is pushed while a recording plays, record while one is made; stop ends either.
VPlayButtonState VPlayButtonStateOf(const VPlayFacts &facts, CommandId command);

class CVPlayToolbarCtl : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_VPLAY; }
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
   // Follows the recorder of the machine the base follows.
   void FollowRecorder(cui::SessionRecordMgr *recorder);

   cui::SessionRecordMgr *recorder_ = nullptr;
   sigc::connection recorderConnection_;
};
