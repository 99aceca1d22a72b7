#include "SnapshotToolbarCtl.h"

#include "resource.h"
#include "zoltResources.h"

#include "cui/Util.h"

namespace {

const UINT kNormal[] = {12066, 12063, 12060};
const UINT kDisabled[] = {12067, 12064, 12061};
const UINT kHot[] = {12068, 12065, 12062};

}  // namespace

bool SnapshotCommandEnabled(const cui::VM *vm, CommandId command)
{
   // The library's rules, as the VM > Snapshot menu asks them.
   auto *machine = const_cast<cui::VM *>(vm);
   switch (command) {
   case IDM_VM_SNAPSHOT_TAKE:
      return wui::util::snapshot::CanTakeSnapshot(machine);
   case IDM_VM_SNAPSHOT_REVERT:
      return wui::util::snapshot::CanRestoreSnapshot(machine);
   case IDM_VM_SNAPSHOT_MANAGER:
      return wui::util::snapshot::CanManageSnapshot(machine);
   default:
      return false;
   }
}

void CSnapshotToolbarCtl::AddButtons()
{
   AddButton(IDM_VM_SNAPSHOT_TAKE, 13, 0, IDS_TB_SNAPSHOT_TAKE);
   AddButton(IDM_VM_SNAPSHOT_REVERT, 14, 1, IDS_TB_SNAPSHOT_REVERT);
   AddButton(IDM_VM_SNAPSHOT_MANAGER, 15, 2, IDS_TB_SNAPSHOT_MANAGER);
}

HWND CSnapshotToolbarCtl::Init(HWND rebar)
{
   if (!CreateWithItems(rebar, kCommonStyle, kNormal, kDisabled, kHot, 3, {13, 14, 15})) {
      return nullptr;
   }
   FollowCurrentObject();
   return m_hWnd;
}

void CSnapshotToolbarCtl::UpdateButtons()
{
   // A team whose file is not open gives no machine.
   const cui::VM *vm = isTeam_ && !team_ ? nullptr : vm_;
   for (const auto &record : buttons_) {
      SetButtonState(record->command, SnapshotCommandEnabled(vm, record->command), false);
   }
   AutoSizeBand();
}

bool CSnapshotToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   switch (command) {
   case IDM_VM_SNAPSHOT_REVERT:
      text = LoadResString(IDS_TIP_SNAPSHOT_REVERT);
      return true;
   case IDM_VM_SNAPSHOT_TAKE:
      text = LoadResString(IDS_TIP_SNAPSHOT_TAKE);
      return true;
   case IDM_VM_SNAPSHOT_MANAGER:
      text = LoadResString(IDS_TIP_SNAPSHOT_MANAGER);
      return true;
   default:
      return false;
   }
}

LRESULT CSnapshotToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   CommandId command = LOWORD(wParam);
   if (SendMessage(TB_ISBUTTONCHECKED, command)) {
      return 0;
   }
   switch (command) {
   case IDM_VM_SNAPSHOT_REVERT:
      EmitClicked(CLICK_SNAPSHOT_REVERT, "CSnapshotToolbarCtl");
      break;
   case IDM_VM_SNAPSHOT_TAKE:
      EmitClicked(CLICK_SNAPSHOT_TAKE, "CSnapshotToolbarCtl");
      break;
   case IDM_VM_SNAPSHOT_MANAGER:
      EmitClicked(CLICK_SNAPSHOT_MANAGER, "CSnapshotToolbarCtl");
      break;
   default:
      break;
   }
   return 0;
}
