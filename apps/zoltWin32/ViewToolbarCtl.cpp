#include "ViewToolbarCtl.h"

#include "resource.h"
#include "zoltResources.h"

#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "cui/WuiPrefs.h"

namespace {

const UINT kNormal[] = {12159, 12162, 12156, 12165, 12150, 12153};
const UINT kDisabled[] = {12160, 12163, 12157, 12166, 12151, 12154};
const UINT kHot[] = {12161, 12164, 12158, 12167, 12152, 12155};

}  // namespace

void CViewToolbarCtl::AddButtons()
{
   AddButton(IDM_VIEW_SIDEBAR, 16, 0, IDS_TB_SIDEBAR);
   if (quickSwitchEnabled_) {
      AddButton(IDM_TB_QUICK_SWITCH, kQuickSwitchItem, 1, IDS_TB_QUICK_SWITCH);
   }
   AddButton(IDM_TB_FULL_SCREEN, 18, 2, IDS_TB_FULL_SCREEN);
   AddButton(IDM_VIEW_SUMMARY, 19, 3, IDS_TB_SUMMARY);
   AddButton(IDM_VIEW_APPLIANCE, 20, 4, IDS_TB_APPLIANCE);
   AddButton(IDM_VIEW_CONSOLE, 21, 5, IDS_TB_CONSOLE);
}

HWND CViewToolbarCtl::Init(HWND rebar)
{
   wui::Prefs *prefs = wui::GetPrefs();
   quickSwitchEnabled_ = !prefs || prefs->GetQuickSwitchEnabled();
   std::vector<int> defaults = {16};
   if (quickSwitchEnabled_) {
      defaults.push_back(kQuickSwitchItem);
   }
   defaults.insert(defaults.end(), {18, kSeparatorItem, 19, 20, 21});
   // Without quick switch there is no record for item 17, so a stored 17 is dropped as unknown.
   if (!CreateWithItems(rebar, kCommonStyle, kNormal, kDisabled, kHot, 6, defaults)) {
      return nullptr;
   }
   if (prefs) {
      // Side bar, quick switch, full screen and the view type all live under the view settings.
      prefsWatch_ = prefs->GetCtx().Watch(prefs->GetRequestPath() + "val/zolt/view", vmdb::Ctx::kWatchSubtree,
                                          [this](const std::string &) { UpdateButtons(); });
   }
   FollowCurrentObject();
   return m_hWnd;
}

void CViewToolbarCtl::UpdateButtons()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs) {
      return;
   }
   std::string type = prefs->GetCurrentObjType();
   std::string viewType = prefs->GetViewType();
   bool machineObject = type == "vm" || type == "mvmt";
   bool poweredOn = vm_ && vm_->GetPowerState() == cui::VM::POWERED_ON;
   bool teamOn = team_ && team_->GetPowerState() == cui::VM::POWERED_ON;
   SetButtonState(IDM_VIEW_SIDEBAR, !(vm_ && vm_->GetGUIRestricted()), prefs->GetSidebar());
   SetButtonState(IDM_TB_QUICK_SWITCH, true, prefs->GetQuickSwitch());
   SetButtonState(IDM_TB_FULL_SCREEN, (machineObject || type == "team") && poweredOn, prefs->GetFullScreen());
   SetButtonState(IDM_VIEW_SUMMARY, true, viewType == "summary");
   SetButtonState(IDM_VIEW_APPLIANCE, type != "team" && machineObject && vm_, viewType == "appliance");
   SetButtonState(IDM_VIEW_CONSOLE, (machineObject && poweredOn) || (type == "team" && teamOn), viewType == "console");
   AutoSizeBand();
}

bool CViewToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   if (!OwnsCommand(command)) {
      return false;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   UINT id = 0;
   switch (command) {
   case IDM_VIEW_SIDEBAR:
      id = prefs && prefs->GetUIMode() == cui::Prefs::UI_MODE_REMOTE ? IDS_TIP_SIDEBAR_REMOTE : IDS_TIP_SIDEBAR;
      break;
   case IDM_TB_QUICK_SWITCH:
      id = prefs && prefs->GetQuickSwitch() ? IDS_TIP_LEAVE_QUICK_SWITCH : IDS_TIP_QUICK_SWITCH;
      break;
   case IDM_TB_FULL_SCREEN:
      id = IDS_TIP_FULL_SCREEN;
      break;
   case IDM_VIEW_SUMMARY:
      id = IDS_TIP_SUMMARY;
      break;
   case IDM_VIEW_APPLIANCE:
      id = IDS_TIP_APPLIANCE;
      break;
   default:
      id = IDS_TIP_CONSOLE;
      break;
   }
   text = LoadResString(id);
   return true;
}

LRESULT CViewToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   switch (LOWORD(wParam)) {
   case IDM_VIEW_SIDEBAR:
      EmitClicked(CLICK_SIDEBAR, "CViewToolbarCtl");
      break;
   case IDM_TB_QUICK_SWITCH:
      EmitClicked(CLICK_QUICK_SWITCH, "CViewToolbarCtl");
      break;
   case IDM_TB_FULL_SCREEN:
      EmitClicked(CLICK_FULL_SCREEN, "CViewToolbarCtl");
      break;
   case IDM_VIEW_SUMMARY:
      EmitClicked(CLICK_VIEW_SUMMARY, "CViewToolbarCtl");
      break;
   case IDM_VIEW_APPLIANCE:
      EmitClicked(CLICK_VIEW_APPLIANCE, "CViewToolbarCtl");
      break;
   case IDM_VIEW_CONSOLE:
      EmitClicked(CLICK_VIEW_CONSOLE, "CViewToolbarCtl");
      break;
   default:
      break;
   }
   return 0;
}
