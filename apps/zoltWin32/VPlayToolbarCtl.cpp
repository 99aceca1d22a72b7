#include "VPlayToolbarCtl.h"

#include "resource.h"
#include "zoltMsg.h"

#include "cui/LocalizedString.h"
#include "cui/SessionRecordMgr.h"
#include "cui/VM.h"

namespace {

const UINT kNormal[] = {12170, 12179, 12182, 12188, 12185, 12191, 12194, 12197, 12173};
const UINT kDisabled[] = {12171, 12180, 12183, 12189, 12186, 12192, 12195, 12198, 12174};
const UINT kHot[] = {12172, 12181, 12184, 12190, 12187, 12193, 12196, 12199, 12175};

const char kPlayText[] = ZOLT_MSG("msg.zolt.toolbar.vplay.vplay", "Play");
const char kRecordText[] = ZOLT_MSG("msg.zolt.toolbar.vplay.record", "Record");
const char kStopText[] = ZOLT_MSG("msg.zolt.toolbar.vplay.stop", "Stop");
const char kPlayTip[] =
   ZOLT_MSG("msg.zolt.toolbar.vplay.tooltipPlay", "Play the last recording of this virtual machine");
const char kRecordTip[] = ZOLT_MSG("msg.zolt.toolbar.vplay.tooltipRecord", "Record this virtual machine's activity");
const char kStopTip[] = ZOLT_MSG("msg.zolt.toolbar.vplay.tooltipStop", "Stop recording or playing");

}  // namespace

void CVPlayToolbarCtl::AddButtons()
{
   AddButton(IDM_VM_REPLAY_PLAY, 28, 0, cui::GetLocalString(kPlayText).c_str(), 0);
   AddButton(IDM_VM_REPLAY_RECORD, 34, 6, cui::GetLocalString(kRecordText).c_str(), 0);
   AddButton(IDM_VM_REPLAY_STOP, 36, 8, cui::GetLocalString(kStopText).c_str(), 0);
}

HWND CVPlayToolbarCtl::Init(HWND rebar)
{
   if (!CreateWithItems(rebar, kCommonStyle, kNormal, kDisabled, kHot, 9, {28, 34, 36})) {
      return nullptr;
   }
   FollowCurrentObject();
   return m_hWnd;
}

VPlayFacts VPlayFacts::Of(const cui::SessionRecordMgr &recorder)
{
   VPlayFacts facts;
   facts.state = recorder.GetState();
   facts.canPlay = recorder.GetCanPlay();
   facts.canRecord = recorder.GetCanRecord();
   facts.canStop = recorder.GetCanStop();
   facts.canGoLive = recorder.GetCanGoLive();
   return facts;
}

VPlayButtonState VPlayButtonStateOf(const VPlayFacts &facts, CommandId command)
{
   VPlayButtonState state;
   switch (command) {
      case IDM_VM_REPLAY_PLAY:
         state.pushed = facts.state == cui::SessionRecordMgr::STATE_PLAYING;
         state.enabled = state.pushed || facts.canPlay;
         break;
      case IDM_VM_REPLAY_RECORD:
         state.pushed = facts.state == cui::SessionRecordMgr::STATE_RECORDING;
         state.enabled = state.pushed || facts.canRecord;
         break;
      case IDM_VM_REPLAY_STOP:
         state.enabled = facts.canStop || facts.canGoLive;
         break;
      default:
         break;
   }
   return state;
}

void CVPlayToolbarCtl::FollowRecorder(cui::SessionRecordMgr *recorder)
{
   if (recorder == recorder_) {
      return;
   }
   recorderConnection_.disconnect();
   recorder_ = recorder;
   if (recorder_) {
      recorderConnection_ = recorder_->stateChanged.connect(sigc::mem_fun(*this, &CVPlayToolbarCtl::UpdateButtons));
   }
}

void CVPlayToolbarCtl::UpdateButtons()
{
   FollowRecorder(vm_ ? vm_->GetSessionRecordMgr() : nullptr);
   VPlayFacts facts;
   if (recorder_) {
      facts = VPlayFacts::Of(*recorder_);
   }
   for (const auto &record : buttons_) {
      VPlayButtonState state = recorder_ ? VPlayButtonStateOf(facts, record->command) : VPlayButtonState();
      SetButtonState(record->command, state.enabled, state.pushed);
   }
   AutoSizeBand();
}

bool CVPlayToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   switch (command) {
      case IDM_VM_REPLAY_PLAY:
         text = cui::GetLocalString(kPlayTip);
         return true;
      case IDM_VM_REPLAY_RECORD:
         text = cui::GetLocalString(kRecordTip);
         return true;
      case IDM_VM_REPLAY_STOP:
         text = cui::GetLocalString(kStopTip);
         return true;
      default:
         return false;
   }
}

LRESULT CVPlayToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   switch (LOWORD(wParam)) {
      case IDM_VM_REPLAY_PLAY:
         EmitClicked(CLICK_REPLAY_PLAY, "CVPlayToolbarCtl");
         break;
      case IDM_VM_REPLAY_RECORD:
         EmitClicked(CLICK_REPLAY_RECORD, "CVPlayToolbarCtl");
         break;
      case IDM_VM_REPLAY_STOP:
         EmitClicked(CLICK_REPLAY_STOP, "CVPlayToolbarCtl");
         break;
      default:
         break;
   }
   return 0;
}

LRESULT CVPlayToolbarCtl::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   if (reinterpret_cast<NMHDR *>(lParam)->code == TBN_DROPDOWN) {
      return TBDDRET_DEFAULT;
   }
   bHandled = FALSE;
   return 0;
}
