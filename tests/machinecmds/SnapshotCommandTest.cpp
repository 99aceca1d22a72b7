// The snapshot commands of a machine that keeps a single snapshot: what each writes into the
// machine's command queue, after which question, and what stops them before anything is written.
#include "MachineCmdsFixture.h"

#include "cui/Registry.h"
#include "cui/SnapshotTree.h"
#include "cui/VmdbCtx.h"
#include "res/resource.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyValueFile.h"

#include <windows.h>

#include <vector>

class SnapshotCommand : public MachineCmds {
protected:
   // A machine of one snapshot, from a configuration with `extra` entries, opened in a tab.
   wui::VM *Single(const std::string &name, const std::vector<KeyValueEntry> &extra = {}, bool readOnly = false)
   {
      std::string path = folder_ + "\\" + name + ".vmx";
      std::vector<KeyValueEntry> entries = {{"displayName", name},
                                            {"guestOS", "other"},
                                            {"configVersion", "8"},
                                            {"snapshot.multiple", "FALSE"}};
      entries.insert(entries.end(), extra.begin(), extra.end());
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
      if (readOnly) {
         EXPECT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
      }
      Outcome outcome;
      EXPECT_TRUE(OpenThroughApp(path, false, true, true, outcome));
      return dynamic_cast<wui::VM *>(wui::GetVMMgr()->GetVMByCfgPath(path));
   }
   // The snapshot operations of the machine's queue, in order (power commands go there too).
   std::vector<std::string> Ops(cui::VM *vm) const
   {
      std::vector<std::string> ops;
      for (const std::string &element : Elements(vm)) {
         std::string op = Read(element + "op");
         if (op.find("Snapshot") != std::string::npos || op.empty()) {
            ops.push_back(op);
         }
      }
      return ops;
   }
   int Commands(cui::VM *vm) const { return static_cast<int>(Ops(vm).size()); }
   std::vector<std::string> Elements(cui::VM *vm) const { return cui::GetVmdbCtx().Elements(vm->GetVmPath() + "cmd/#"); }
   // Waits until the host has answered every command of the machine.
   bool Answered(cui::VM *vm)
   {
      return PollUntil([&]() {
         for (const std::string &element : Elements(vm)) {
            if (Read(element + "status").empty()) {
               return false;
            }
         }
         return true;
      });
   }
   bool HasSnapshot(cui::VM *vm) const { return CountElements(vm->GetVmPath() + "vmx/chkptState/val/item/#") > 0; }
   // Runs the command with the hint answered `answer` (0 yes, 1 no).
   void Run(CommandId id, cui::VM *vm, const char *answer)
   {
      Config_Set("test.vmmsg.answer", answer);
      app_->OnSnapshotCommand(id, static_cast<wui::VM *>(vm));
   }
};

TEST_F(SnapshotCommand, NoToTheQuestionLeavesTheQueueAsItWasAndYesWritesTheOperation)
{
   wui::VM *vm = Single("questions");
   ASSERT_TRUE(vm);
   ASSERT_FALSE(vm->GetSnapshotTree()->IsMultipleEnabled());

   // Without a snapshot: revert and remove write nothing; take asks nothing (a No would stop it).
   Run(IDM_VM_SNAPSHOT_REVERT, vm, "0");
   Run(IDM_VM_SNAPSHOT_DELETE, vm, "0");
   EXPECT_EQ(Commands(vm), 0);
   Run(IDM_VM_SNAPSHOT_TAKE, vm, "1");
   EXPECT_EQ(Ops(vm), std::vector<std::string>{"createSnapshot"});
   ASSERT_TRUE(Answered(vm));
   ASSERT_TRUE(PollUntil([&]() { return HasSnapshot(vm); }));

   // With one: every No leaves no element behind.
   for (CommandId id : {IDM_VM_SNAPSHOT_TAKE, IDM_VM_SNAPSHOT_REVERT, IDM_VM_SNAPSHOT_DELETE}) {
      SCOPED_TRACE(id);
      Run(id, vm, "1");
      EXPECT_EQ(Commands(vm), 1);
   }
   // The manager does not exist for a single snapshot: nothing, and no panic.
   Run(IDM_VM_SNAPSHOT_MANAGER, vm, "0");
   EXPECT_EQ(Commands(vm), 1);

   Run(IDM_VM_SNAPSHOT_REVERT, vm, "0");
   ASSERT_TRUE(Answered(vm));
   Run(IDM_VM_SNAPSHOT_DELETE, vm, "0");
   ASSERT_TRUE(Answered(vm));
   EXPECT_EQ(Ops(vm), (std::vector<std::string>{"createSnapshot", "revertToSnapshot", "removeSnapshot"}));
   EXPECT_TRUE(PollUntil([&]() { return !HasSnapshot(vm); })) << "the removal was carried out";
}

TEST_F(SnapshotCommand, OldConfigurationsAndIndependentDisksTakeOnlyWhilePoweredOff)
{
   wui::VM *old = Single("old", {{"configVersion", "6"}});
   wui::VM *independent = Single("independent", {{"disk0.present", "TRUE"},
                                                  {"disk0.fileName", "independent.vmdk"},
                                                  {"disk0.mode", "independent-persistent"}});
   ASSERT_TRUE(old && independent);
   EXPECT_TRUE(independent->HasIndependentDisk());
   for (wui::VM *vm : {old, independent}) {
      SCOPED_TRACE(vm->GetName());
      ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
      Run(IDM_VM_SNAPSHOT_TAKE, vm, "0");
      EXPECT_EQ(Commands(vm), 0) << "no take of a running machine";
      ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
      Run(IDM_VM_SNAPSHOT_TAKE, vm, "0");
      EXPECT_EQ(Ops(vm), std::vector<std::string>{"createSnapshot"});
   }
}

TEST_F(SnapshotCommand, SwitchedOffSnapshotsAndReadOnlyConfigurationsStopEveryCommand)
{
   wui::VM *disabled = Single("disabled", {{"undopoint.disabled", "TRUE"}});
   ASSERT_TRUE(disabled);
   Run(IDM_VM_SNAPSHOT_TAKE, disabled, "0");
   EXPECT_EQ(Commands(disabled), 0);

   wui::VM *readOnly = Single("readonly", {}, true);
   ASSERT_TRUE(readOnly);
   EXPECT_TRUE(readOnly->IsReadOnly());
   SetFileAttributesA((folder_ + "\\readonly.vmx").c_str(), FILE_ATTRIBUTE_NORMAL);
   Run(IDM_VM_SNAPSHOT_TAKE, readOnly, "0");
   EXPECT_EQ(Commands(readOnly), 0);
}
