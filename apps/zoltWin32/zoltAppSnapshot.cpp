// Snapshot commands of the VM menu, the snapshot toolbar and the context menus. A machine that
// keeps a tree of snapshots goes through its cui::SnapshotTree and the snapshot windows; one that
// keeps a single snapshot gets a command written into its queue, after a hint question.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltDlgMgr.h"
#include "zoltGuard.h"
#include "zoltMsg.h"
#include "zoltResources.h"
#include "zoltSnapshotMgr.h"
#include "zoltSnapshotTake.h"

#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

namespace {

const char kCloneToZephro[] = ZOLT_MSG("msg.zolt.cloneToZephro",
                                       "A Pocket Zephro package can be made only from a Zephro template. Do you "
                                       "want to clone this virtual machine into a Zephro template?");
const char kYes[] = ZOLT_MSG("msg.zolt.yes", "Yes");
const char kNo[] = ZOLT_MSG("msg.zolt.no", "No");

// Configuration versions below this one keep no snapshot of a running machine with its disks.
const int kSnapshotConfigVersion = 7;
// The hint box's answer index of No in the "yesNo" set.
const long kHintAnswerNo = 1;

bool LockoutAllows(const IVmdbContextPtr &ctx, const char *policy)
{
   cui::Host *host = wui::GetCurrentHost();
   std::string hostPath = host ? host->GetPath() : std::string();
   return TremAppUtil_CheckLockout(ctx, hostPath.c_str(), policy) != FALSE;
}

HWND ActiveOwner()
{
   HWND owner = ::GetActiveWindow();
   return owner ? owner : gApp->GetFrameWindow();
}

// The single snapshot's operation for a command, its hint key and question.
struct SingleSnapshotOp {
   CommandId id;
   const char *op;
   const char *hintKey;
   UINT question;
   bool lockout;   // asks the administrator lockout first
};

const SingleSnapshotOp kSingleOps[] = {
   {IDM_VM_SNAPSHOT_TAKE, "createSnapshot", "snapshotSave", IDS_SNAPSHOT_SAVE_QUESTION, true},
   {IDM_VM_SNAPSHOT_REVERT, "revertToSnapshot", "snapshotRevert", IDS_SNAPSHOT_REVERT_QUESTION, false},
   {IDM_VM_SNAPSHOT_DELETE, "removeSnapshot", "snapshotRemove", IDS_SNAPSHOT_REMOVE_QUESTION, true},
};

const SingleSnapshotOp *FindSingleOp(CommandId id)
{
   for (const SingleSnapshotOp &op : kSingleOps) {
      if (op.id == id) {
         return &op;
      }
   }
   return nullptr;
}

}  // namespace

void CZOLTApp::OnSnapshotCommand(CommandId id, wui::VM *vm)
{
   if (!vm || !db_) {
      return;
   }
   Log("CZOLTApp::OnSnapshotCommand %u %s\n", static_cast<unsigned>(id), vm->GetVmPath().c_str());
   IVmdbContextPtr ctx = db_->NewContext();
   ctx->ChangePath(_bstr_t(vm->GetVmPath().c_str()));
   const std::string name = vm->GetName();
   if (ctx->TestNode(L"vmx/cfgState/val/undopoint/disabled") != VARIANT_FALSE) {
      return;
   }
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   if (tree && tree->IsMultipleEnabled()) {
      OnSnapshotTreeCommand(id, vm, tree);
      return;
   }
   if (vm->IsReadOnly()) {
      return;
   }
   // The single form has no snapshot manager (Ctrl+M reaches here too).
   const SingleSnapshotOp *single = FindSingleOp(id);
   if (!single) {
      if (id != IDM_VM_SNAPSHOT_MANAGER) {
         NOT_IMPLEMENTED();
      }
      return;
   }
   if ((vm->GetConfigVersion() < kSnapshotConfigVersion || vm->HasIndependentDisk()) && id == IDM_VM_SNAPSHOT_TAKE &&
       vm->GetPowerState() != cui::VM::POWERED_OFF) {
      return;
   }
   const bool exists = zoltdb::Text(ctx->NextElement(L"vmx/chkptState/val/item/#")).size() > 0;
   if (!exists && id != IDM_VM_SNAPSHOT_TAKE) {
      return;
   }
   // Every question comes before the command element exists: a No leaves nothing in the queue
   // and no group of writes stays open while the box is up.
   if (exists || id != IDM_VM_SNAPSHOT_TAKE) {
      if (single->lockout && !LockoutAllows(ctx_, "lockoutEditVM")) {
         return;
      }
      if (msg_ && msg_->Message(LoadResString(single->question).c_str(), name.c_str(), "yesNo", "hintQuestion",
                                single->hintKey) == kHintAnswerNo) {
         return;
      }
   }
   ctx->OpenBatch();
   _bstr_t element;
   try {
      ctx->ChangePath(ctx->AppendElement(L"cmd/##"));
      element = ctx->CurrentPath();
      ctx->WriteValue(L"op", _variant_t(single->op));
      if (msg_) {
         msg_->FollowRequest(element);
      }
   } catch (const _com_error &) {
      if (element.length() > 0) {
         ctx->RemoveNode(element, VARIANT_TRUE);
      }
      ctx->CloseBatch(-1, 0);
      throw;
   }
   // The command becomes visible to the machine only now, complete.
   ctx->CloseBatch(-1, 0);
}

void CZOLTApp::OnSnapshotTreeCommand(CommandId id, wui::VM *vm, cui::SnapshotTree *tree)
{
   cui::MVMTemplate *mvmt = GetMVMTForVM(vm);
   ClearTransientObjIfSame(mvmt ? mvmt->GetFilename() : vm->GetVmPath());
   switch (id) {
   case IDM_VM_SNAPSHOT_TAKE:
      if (tree->IsCmdEnabled(cui::SnapshotTree::CMD_TAKE) && LockoutAllows(ctx_, "lockoutEditVM")) {
         // The machine may close before the take is ready: the dialog finds it again by path.
         std::string vmPath = vm->GetVmPath();
         tree->BeginTake(sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
                         [this, vmPath]() { RunTakeSnapshotDialog(vmPath); });
      }
      break;
   case IDM_VM_SNAPSHOT_REVERT:
      if (tree->IsCmdEnabled(cui::SnapshotTree::CMD_REVERT) && tree->GetCurrent()) {
         PlayRecording(vm, tree->GetCurrent());
      }
      break;
   case IDM_VM_SNAPSHOT_MANAGER:
      if (tree->IsCmdEnabled(cui::SnapshotTree::CMD_MANAGER)) {
         sigc::slot<void> restoreOwner;
         if (GetDlgMgr()) {
            GetDlgMgr()->GetRestoreOwnerSlot(restoreOwner);
         }
         sigc::slot<void> restoreModal;
         BeginModal(restoreModal);
         {
            CZOLTSnapshotMgr manager(vm);
            manager.DoModal(ActiveOwner());
         }
         Guard(restoreOwner);
         Guard(restoreModal);
      }
      break;
   case IDM_VM_SNAPSHOT_DELETE:
      // Deleting from a tree is the snapshot manager's.
      break;
   default:
      NOT_IMPLEMENTED();
      break;
   }
}

void CZOLTApp::RunTakeSnapshotDialog(const std::string &vmPath)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(vmPath) : nullptr;
   if (!vm) {
      return;   // closed meanwhile: its tree, and the take it had begun, went with it
   }
   sigc::slot<void> restore;
   BeginModal(restore);
   {
      CZOLTSnapshotTake take(vm, IDM_VM_SNAPSHOT_TAKE);
      take.DoModal(ActiveOwner());
   }
   Guard(restore);
}

void CZOLTApp::PlayRecording(cui::VM *vm, cui::Snapshot *snapshot)
{
   if (!vm || !snapshot) {
      return;
   }
   if (snapshot->HasRecordings()) {
      if (cui::SessionRecordMgr *recorder = vm->GetSessionRecordMgr()) {
         recorder->Play(recorder->GetRecordingWithUID(snapshot->GetUID()), true, cui::AbortSlot(), cui::DoneSlot());
      }
   } else if (cui::SnapshotTree *tree = vm->GetSnapshotTree()) {
      tree->Restore(snapshot->GetUID(), false, true, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
                    cui::DoneSlot());
   }
}

void CZOLTApp::AskCloneToZephro(cui::VM *vm)
{
   if (!vm || !GetDlgMgr()) {
      return;
   }
   std::vector<std::string> choices = {cui::GetLocalString(kYes), cui::GetLocalString(kNo)};
   cui::DlgQuestion *dlg =
      GetDlgMgr()->NewQuestion(cui::GetLocalString(kCloneToZephro), choices, -1, -1, "", cui::DlgQuestion::Icon(0));
   if (!dlg) {
      return;
   }
   // The question is bound to the machine's path: a machine closed meanwhile is not asked about.
   dlg->cui::Dlg::ConnectReply(
      sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnCloneToZephroReplied), dlg, vm->GetVmPath()));
}

cui::Dlg::RepliedAction CZOLTApp::OnCloneToZephroReplied(cui::DlgQuestion *dlg, std::string vmPath)
{
   if (dlg->GetChoice() == 0) {
      // The wizard starts once the question's window is gone.
      dlg->destroyed.connect([this, vmPath]() {
         wui::VMMgr *vmMgr = wui::GetVMMgr();
         if (cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(vmPath) : nullptr) {
            CloneVMToZephro(vm);
         }
      });
   }
   return cui::Dlg::DESTROY;
}
