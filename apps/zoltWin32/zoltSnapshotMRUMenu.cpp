#include "zoltSnapshotMRUMenu.h"

#include "resource.h"
#include "zoltApp.h"
#include "zoltMenuUtil.h"
#include "zoltWndUtil.h"

#include "cui/Registry.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/Text.h"

#include <algorithm>

static_assert(IDM_VM_SNAPSHOT_RECENT_LAST - IDM_VM_SNAPSHOT_RECENT_FIRST + 1 == CZOLTSnapshotMRUMenu::kMaxItems,
              "one id for each recent snapshot");

namespace {

cui::VM *CurrentMachine()
{
   std::string path = gApp ? gApp->GetCurrentObjPath() : std::string();
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   return path.empty() || !vmMgr ? nullptr : vmMgr->GetVMByVMPath(path);
}

}  // namespace

void CZOLTSnapshotMRUMenu::Rebuild(HMENU menu)
{
   uids_.clear();
   int anchor = FindMenuItemPosition(menu, IDM_VM_SNAPSHOT_MANAGER);
   // Without the manager's item there is no place for the list: the popup is left alone.
   if (anchor < 0) {
      return;
   }
   for (int i = GetMenuItemCount(menu) - anchor - 1; i > 0; --i) {
      DeleteMenu(menu, static_cast<UINT>(anchor + 1), MF_BYPOSITION);
   }
   if (!gApp || gApp->IsCurrentVMGUIRestricted()) {
      return;
   }
   cui::VM *vm = CurrentMachine();
   cui::SnapshotTree *tree = vm ? vm->GetSnapshotTree() : nullptr;
   if (!tree) {
      return;
   }
   int count = std::min(tree->GetMaxMRU(), kMaxItems);
   bool inserted = false;
   for (cui::SnapshotTree::MRUIterator it = tree->MRUBegin(); it.IsValid() && it.GetIndex() < count; ++it) {
      int index = it.GetIndex();
      cui::Snapshot *snapshot = tree->GetSnapshot(*it);
      if (!snapshot) {
         continue;
      }
      UINT id = IDM_VM_SNAPSHOT_RECENT_FIRST + static_cast<UINT>(index);
      std::wstring label =
         MakeNumberedLabel(WideFromUtf8(EscapeAmpersands(snapshot->GetDisplayName())), static_cast<unsigned>(index), false);
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID;
      info.fType = MFT_STRING;
      info.wID = id;
      info.dwTypeData = &label[0];
      info.cch = static_cast<UINT>(label.size());
      // A UID the tree no longer has leaves its number unused; what follows the manager's item is
      // the list alone, so its end is the next place.
      if (InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info)) {
         uids_[id] = *it;
         inserted = true;
      }
   }
   if (inserted) {
      InsertMenuSeparator(menu, static_cast<UINT>(anchor + 1));
   }
}

bool CZOLTSnapshotMRUMenu::ExecCommand(UINT command)
{
   UINT id = command & 0xFFFF;
   if (id < IDM_VM_SNAPSHOT_RECENT_FIRST || id > IDM_VM_SNAPSHOT_RECENT_LAST) {
      return false;
   }
   auto found = uids_.find(id);
   int uid = found == uids_.end() ? 0 : found->second;
   cui::VM *vm = uid ? CurrentMachine() : nullptr;
   cui::SnapshotTree *tree = vm ? vm->GetSnapshotTree() : nullptr;
   if (cui::Snapshot *snapshot = tree ? tree->GetSnapshot(uid) : nullptr) {
      gApp->PlayRecording(vm, snapshot);
   }
   return true;
}
