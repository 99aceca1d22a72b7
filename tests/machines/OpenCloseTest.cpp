#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/VM.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachines.h"

namespace {

const std::vector<KeyValueEntry> kSample = {
   {"configVersion", "8"},       {"displayName", "Build Box"}, {"guestOS", "linux26"},
   {"memoryMB", "384"},          {"cpuCount", "2"},            {"annotation", "nightly builds"},
   {"disk0.present", "TRUE"},    {"disk0.fileName", "box-disk1.img"},
   {"cdrom0.present", "TRUE"},   {"cdrom0.fileName", ""},
   {"net0.present", "FALSE"},    {"gui.powerOnAtStartup", "TRUE"},
   {"someFutureKey", "kept"},
};

using OpenCloseTest = MachineTest;

TEST_F(OpenCloseTest, OpenRegistersTheMachineAndCloseLetsItGo)
{
   std::string file = WriteVmx("box.vmx", kSample);
   std::vector<cui::VM *> added;
   run_->mgr->vmAdded.connect([&added](cui::VM *vm) { added.push_back(vm); });

   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(std::vector<cui::VM *>{vm}, added);
   EXPECT_NE(nullptr, dynamic_cast<wui::VM *>(vm)) << "the manager hands out the Windows side's machines";

   // What the host registered, and what the machine object reads from it.
   const std::string vmPath = vm->GetVmPath();
   EXPECT_EQ(file, run_->raw->Read(vmPath + "cfgFile"));
   EXPECT_EQ("poweredOff", run_->raw->Read(vmPath + "vmx/execState/val"));
   EXPECT_EQ("Build Box", run_->raw->Read(vmPath + "vmx/cfgState/val/displayName"));
   EXPECT_EQ("384", run_->raw->Read(vmPath + "vmx/cfgState/val/memoryMB"));
   EXPECT_EQ("nightly builds", run_->raw->Read(vmPath + "vmx/cfgState/val/annotation"));
   EXPECT_EQ("1", run_->raw->Read(vmPath + "vmx/cfgState/val/gui/powerOnAtStartup"));
   std::vector<std::string> devices;
   for (const std::string &dev : run_->ctx.Elements(vmPath + "vmx/cfgState/val/dev/#")) {
      devices.push_back(run_->raw->Read(dev + "key") + " " + run_->raw->Read(dev + "type") + " " +
                        run_->raw->Read(dev + "media") + " " + run_->raw->Read(dev + "fileName") + " " +
                        run_->raw->Read(dev + "present"));
      EXPECT_FALSE(run_->raw->Read(dev + "label").empty());
   }
   EXPECT_EQ((std::vector<std::string>{"disk0 disk  box-disk1.img 1", "cdrom0 cdrom removable  1",
                                       "net0 ethernet   0"}),
             devices);

   EXPECT_EQ("Build Box", vm->GetName());
   EXPECT_EQ(file, vm->GetFilename());
   EXPECT_EQ("linux26", vm->GetGuestOS());
   EXPECT_EQ("Linux (2.6 kernel)", vm->GetGuestOSName());
   EXPECT_EQ(384, vm->GetMemoryMB());
   EXPECT_EQ(2, vm->GetCPUCount());
   EXPECT_EQ("nightly builds", vm->GetNotes());
   EXPECT_EQ(8, vm->GetConfigVersion());
   EXPECT_TRUE(vm->GetPowerOnAtStartup());
   EXPECT_FALSE(vm->GetGUIRestricted());
   EXPECT_FALSE(vm->GetInTeam());
   EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState());
   EXPECT_EQ(cui::VM::ACTION_AVAILABLE, vm->GetPowerOnActionState());
   EXPECT_EQ(cui::VM::ACTION_UNAVAILABLE, vm->GetPowerOffActionState());
   EXPECT_FALSE(vm->GetBusy(cui::VM::BUSY_ANY));

   // Found by either path; the configuration file without regard to case and slashes.
   EXPECT_EQ(vm, run_->mgr->GetVMByVMPath(vmPath));
   std::string other = file;
   for (char &c : other) {
      c = c == '\\' ? '/' : static_cast<char>(toupper(static_cast<unsigned char>(c)));
   }
   EXPECT_EQ(vm, run_->mgr->GetVMByCfgPath(other));

   // A second open through the same manager is the same machine, not a second registration.
   EXPECT_EQ(vm, Open(file));
   EXPECT_EQ(1u, run_->mgr->GetVMs().size());
   EXPECT_EQ(1u, run_->ctx.Elements("/vm/#").size());
   EXPECT_TRUE(FileExists(cuisim::SimMachines::LockPath(file))) << "an open machine holds its lock file";

   int removedSignals = 0;
   std::vector<cui::VM *> managerRemoved;
   vm->removed.connect([&removedSignals]() { ++removedSignals; });
   run_->mgr->vmRemoved.connect([&managerRemoved](cui::VM *gone) { managerRemoved.push_back(gone); });
   Outcome closed;
   run_->mgr->CloseVM(vm, closed.Abort(), closed.Done());
   EXPECT_EQ(nullptr, run_->mgr->GetVMByVMPath(vmPath)) << "a closed machine leaves the manager at once";
   EXPECT_EQ(1, removedSignals);
   EXPECT_EQ(std::vector<cui::VM *>{vm}, managerRemoved);
   ASSERT_TRUE(Until([&]() { return closed.finished; }));
   EXPECT_TRUE(closed.done) << closed.error;
   EXPECT_FALSE(run_->ctx.Exists(vmPath + "cfgFile"));
   EXPECT_FALSE(FileExists(cuisim::SimMachines::LockPath(file)));

   // Written back untouched: the open does not rewrite the file.
   EXPECT_EQ("kept", Value(ReadEntries(file), "someFutureKey"));
}

TEST_F(OpenCloseTest, MissingUnreadableAndDamagedFilesFailWithTextsUsersUnderstand)
{
   Outcome missing;
   EXPECT_EQ(nullptr, Open(Path("nowhere.vmx"), &missing));
   EXPECT_FALSE(missing.done);
   EXPECT_FALSE(missing.cancelled);
   EXPECT_NE(std::string::npos, missing.error.find("nowhere.vmx\" was not found")) << missing.error;

   ASSERT_TRUE(File_MakeFolders(Path("folder.vmx")));
   Outcome folder;
   EXPECT_EQ(nullptr, Open(Path("folder.vmx"), &folder));
   EXPECT_NE(std::string::npos, folder.error.find("cannot be read")) << folder.error;

   HANDLE garbage =
      CreateFileW(WidePathFromUtf8(Path("garbage.vmx")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
   DWORD written = 0;
   const char text[] = "memoryMB = 256 without quotes\n";
   WriteFile(garbage, text, sizeof text - 1, &written, nullptr);
   CloseHandle(garbage);
   Outcome damaged;
   EXPECT_EQ(nullptr, Open(Path("garbage.vmx"), &damaged));
   EXPECT_NE(std::string::npos, damaged.error.find("is damaged")) << damaged.error;
   EXPECT_NE(std::string::npos, damaged.error.find("line 1")) << damaged.error;

   Outcome empty;
   EXPECT_EQ(nullptr, Open("", &empty));
   EXPECT_FALSE(empty.error.empty());

   EXPECT_TRUE(run_->mgr->GetVMs().empty());
   EXPECT_TRUE(run_->ctx.Elements("/vm/#").empty()) << "a failed open registers nothing";
   EXPECT_FALSE(FileExists(cuisim::SimMachines::LockPath(Path("garbage.vmx"))));
}

TEST_F(OpenCloseTest, AFileInUseElsewhereIsRefusedUntilItIsLetGo)
{
   std::string file = WriteVmx("shared.vmx", kSample);
   ASSERT_NE(nullptr, Open(file));

   // Another manager on the same host: the machine is registered already.
   wui::VMMgr other(nullptr);
   Outcome second;
   other.OpenVM(file, nullptr, second.Abort(), second.Done());
   ASSERT_TRUE(Until([&]() { return second.finished; }));
   EXPECT_FALSE(second.done);
   EXPECT_NE(std::string::npos, second.error.find("is in use by another program")) << second.error;
   EXPECT_EQ(1u, run_->ctx.Elements("/vm/#").size());

   // Another process holds the lock file of a machine this host has not opened.
   std::string locked = WriteVmx("locked.vmx", kSample);
   HANDLE lock = CreateFileW(WidePathFromUtf8(cuisim::SimMachines::LockPath(locked)).c_str(),
                             GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, lock);
   Outcome held;
   EXPECT_EQ(nullptr, Open(locked, &held));
   EXPECT_NE(std::string::npos, held.error.find("is in use")) << held.error;
   CloseHandle(lock);
   EXPECT_NE(nullptr, Open(locked)) << "a lock that was let go no longer stands in the way";

   // A lock file left behind by a process that ended is no obstacle.
   std::string stale = WriteVmx("stale.vmx", kSample);
   HANDLE leftOver = CreateFileW(WidePathFromUtf8(cuisim::SimMachines::LockPath(stale)).c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_ALWAYS, 0, nullptr);
   CloseHandle(leftOver);
   EXPECT_NE(nullptr, Open(stale));
}

TEST_F(OpenCloseTest, AMachineTheHostDropsLeavesTheManagerWithItsSignals)
{
   std::string file = WriteVmx("dropped.vmx", kSample);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   std::string vmPath = vm->GetVmPath();
   bool removed = false;
   vm->removed.connect([&removed]() { removed = true; });

   // Someone else closes it on the host.
   EXPECT_EQ("ok", SendCommand("/host2/#0000/util/vm/cmd/##/", "closeVM", {{"vmPath", vmPath}}));
   ASSERT_TRUE(Until([&]() { return run_->mgr->GetVMByVMPath(vmPath) == nullptr; }));
   EXPECT_TRUE(removed);
   EXPECT_TRUE(run_->mgr->GetVMs().empty());

   // Closing what is already gone completes without a failure.
   EXPECT_EQ("ok", SendCommand("/host2/#0000/util/vm/cmd/##/", "closeVM", {{"vmPath", vmPath}}));
   EXPECT_NE(nullptr, Open(file)) << "and it can be opened again";
}

TEST_F(OpenCloseTest, OpensOfTheSameFileWhileOneIsUnderWayShareItsOutcome)
{
   std::string file = WriteVmx("twice.vmx", kSample);
   Outcome first, second;
   run_->mgr->OpenVM(file, nullptr, first.Abort(), first.Done());
   run_->mgr->OpenVM(file, nullptr, second.Abort(), second.Done());
   ASSERT_TRUE(Until([&]() { return first.finished && second.finished; }));
   EXPECT_TRUE(first.done) << first.error;
   EXPECT_TRUE(second.done) << second.error;
   EXPECT_EQ(1u, run_->mgr->GetVMs().size());
}

}  // namespace

TEST_F(OpenCloseTest, ABatchOfHostWritesReachesTheMachineOnceWithItsLastValues)
{
   cui::VM *vm = Open(WriteVmx("batched.vmx", kSample));
   ASSERT_NE(nullptr, vm);
   const std::string val = vm->GetVmPath() + "vmx/cfgState/val/";
   int changes = 0;
   std::vector<std::string> namesSeen;
   vm->changed.connect([&]() { ++changes; });
   vm->nameChanged.connect([&]() { namesSeen.push_back(vm->GetName()); });

   run_->raw->OpenBatch();
   for (int i = 0; i < 40; ++i) {
      run_->raw->Write(val + "annotation", "note " + std::to_string(i));
   }
   run_->raw->Write(val + "displayName", "Renamed");
   run_->raw->Write(val + "memoryMB", "2048");
   run_->raw->CloseBatch();
   ASSERT_TRUE(Until([&]() { return changes > 0; }));
   // The rest of that delivery brings nothing new.
   Poll_RunUntil([]() { return false; }, 100);
   EXPECT_EQ(1, changes);
   EXPECT_EQ((std::vector<std::string>{"Renamed"}), namesSeen);
   EXPECT_EQ("note 39", vm->GetNotes());

   // A write one of the machine's own listeners makes while that delivery runs comes with the next.
   bool wrote = false;
   sigc::connection writer = vm->changed.connect([&]() {
      if (!wrote) {
         wrote = true;
         run_->raw->Write(val + "displayName", "Renamed again");
      }
   });
   run_->raw->OpenBatch();
   run_->raw->Write(val + "annotation", "first");
   run_->raw->Write(val + "memoryMB", "4096");
   run_->raw->CloseBatch();
   ASSERT_TRUE(Until([&]() { return vm->GetName() == "Renamed again"; })) << vm->GetName();
   EXPECT_EQ("first", vm->GetNotes());
   EXPECT_EQ(3, changes);
   writer.disconnect();
}
