// The simulated host's work on a machine's files and hardware, through the model library.
#include "MachineTestSupport.h"

#include "cui/HardwareVersion.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/File.h"
#include "tremsim/SimMachineFiles.h"
#include "tremsim/SimSnapshots.h"
#include "tremsim/SimVmxConfig.h"

#include <algorithm>

namespace {

const char kHost[] = "/host2/#0000/util/vm/cmd/##";

std::string LowerAscii(std::string text)
{
   std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
   return text;
}

class MachineFiles : public MachineTest {
protected:
   // A machine in a folder of its own: "<folder>\<name>\<name>.vmx" with `extra` entries.
   std::string WriteMachine(const std::string &name, std::vector<KeyValueEntry> extra = {})
   {
      std::string folder = Path(name);
      EXPECT_TRUE(File_MakeFolders(folder));
      std::vector<KeyValueEntry> entries = {{"configVersion", "8"},
                                            {"displayName", name},
                                            {"guestOS", "winxp"},
                                            {"memoryMB", "256"},
                                            {"hardwareVersion", "4"}};
      entries.insert(entries.end(), extra.begin(), extra.end());
      std::string path = folder + "\\" + name + ".vmx";
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
      return path;
   }
   void Touch(const std::string &path)
   {
      std::string error;
      EXPECT_TRUE(File_Replace(path, "x", error)) << error;
   }
   Outcome Wait(const std::function<void(cui::AbortSlot, cui::DoneSlot)> &start)
   {
      Outcome outcome;
      start(outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome;
   }
   void Power(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome power =
         Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->SetPowerState(state, cui::VM::POWEROP_HARD, a, d); });
      EXPECT_TRUE(power.done) << power.error;
   }
   static std::vector<std::string> Lower(std::vector<std::string> paths)
   {
      for (std::string &path : paths) {
         path = LowerAscii(path);
      }
      std::sort(paths.begin(), paths.end());
      return paths;
   }
};

TEST_F(MachineFiles, DeletionNamesOnlyTheMachinesOwnFilesInsideItsFolder)
{
   std::string cfg = WriteMachine("desk", {{"disk0.present", "TRUE"},
                                           {"disk0.fileName", "desk.vmdk"},
                                           {"disk1.present", "TRUE"},
                                           {"disk1.fileName", "..\\shared\\base.vmdk"},
                                           {"disk2.present", "TRUE"},
                                           {"disk2.fileName", "C:\\elsewhere\\other.vmdk"},
                                           {"nvram", "bios.nvram"},
                                           {"cdrom0.present", "TRUE"},
                                           {"cdrom0.fileName", "install.iso"}});
   cuisim::SimVmxConfig config;
   std::string error;
   ASSERT_TRUE(config.Load(cfg, error)) << error;
   cuisim::SimSnapshotFile snapshots;
   snapshots.snapshots[1].uid = 1;
   snapshots.snapshots[1].screenshot = "desk-1.bmp";
   snapshots.snapshots[2].uid = 2;
   snapshots.snapshots[2].screenshot = "..\\..\\stolen.bmp";

   std::string d = Path("desk") + "\\";
   EXPECT_EQ(Lower({cfg, d + "bios.nvram", d + "desk.log", d + "desk.snapshot", d + "desk.vmss",
                    d + "desk-suspended.bmp", cfg + ".lck", d + "desk.vmdk", d + "desk-1.bmp"}),
             Lower(cuisim::MachineNamedFiles(config, snapshots)))
      << "the disk outside the folder, the image in the drive and the escaping picture are not the machine's";
}

TEST_F(MachineFiles, DeleteVMRemovesTheNamedFilesAndKeepsEverythingElse)
{
   std::string cfg = WriteMachine("gone", {{"disk0.present", "TRUE"}, {"disk0.fileName", "gone.vmdk"}});
   std::string folder = Path("gone") + "\\";
   Touch(folder + "gone.vmdk");
   Touch(folder + "gone.nvram");
   Touch(folder + "notes.txt");
   Touch(Path("neighbour.vmdk"));
   cui::VM *vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   Power(vm, cui::VM::POWERED_ON);

   std::string errMsg;
   EXPECT_EQ("error", SendCommand(kHost, "deleteVMFromDisk", {{"cfgPath", cfg}}, &errMsg));
   EXPECT_NE(std::string::npos, errMsg.find("powered on")) << errMsg;
   EXPECT_TRUE(FileExists(cfg)) << "a running machine is not deleted";

   Power(vm, cui::VM::POWERED_OFF);
   bool removed = false;
   run_->mgr->vmRemoved.connect([&](cui::VM *) { removed = true; });
   EXPECT_EQ("ok", SendCommand(kHost, "deleteVMFromDisk", {{"cfgPath", cfg}}, &errMsg)) << errMsg;
   EXPECT_FALSE(FileExists(cfg));
   EXPECT_FALSE(FileExists(folder + "gone.vmdk"));
   EXPECT_FALSE(FileExists(folder + "gone.nvram"));
   EXPECT_TRUE(FileExists(folder + "notes.txt")) << "a file the configuration does not name stays";
   EXPECT_TRUE(FileExists(Path("neighbour.vmdk")));
   EXPECT_TRUE(Until([&]() { return removed; })) << "the host closed the machine";

   EXPECT_EQ("error", SendCommand(kHost, "deleteVMFromDisk", {{"cfgPath", cfg}}, &errMsg)) << "nothing left to delete";
}

TEST_F(MachineFiles, HardwareUpgradeRaisesTheVersionOnceAndOnlyWhilePoweredOff)
{
   cui::VM *vm = Open(WriteMachine("old"));
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(4, vm->GetHardwareVersion());
   EXPECT_EQ(0, vm->GetProductCompat());
   EXPECT_TRUE(vm->GetCanUpgradeHardware());
   std::string queue = vm->GetVmPath() + "cmd/##";
   std::string errMsg;

   Power(vm, cui::VM::POWERED_ON);
   EXPECT_FALSE(vm->GetCanUpgradeHardware());
   EXPECT_EQ("error", SendCommand(queue, "upgradeHardware", {}, &errMsg));
   EXPECT_NE(std::string::npos, errMsg.find("only while")) << errMsg;
   Power(vm, cui::VM::POWERED_OFF);

   EXPECT_EQ("ok", SendCommand(queue, "upgradeHardware", {}, &errMsg)) << errMsg;
   ASSERT_TRUE(Until([&]() { return vm->GetHardwareVersion() == cui::HardwareVersion::kNewest; }));
   EXPECT_EQ(6, vm->GetProductCompat());
   EXPECT_EQ("6", Value(ReadEntries(vm->GetFilename()), "hardwareVersion")) << "written to the configuration";
   EXPECT_EQ("6", Value(ReadEntries(vm->GetFilename()), "productCompat"));
   EXPECT_FALSE(vm->GetCanUpgradeHardware()) << "nothing newer to go to";

   EXPECT_EQ("error", SendCommand(queue, "upgradeHardware", {}, &errMsg));
   EXPECT_NE(std::string::npos, errMsg.find("already")) << errMsg;
   EXPECT_EQ("error", SendCommand(queue, "upgradeHardware", {{"version", "9"}}, &errMsg)) << "not offered";

   // A later change through the settings keeps the upgrade.
   EXPECT_EQ("ok", SendCommand(queue, "setCfgState", {{"val/displayName", "Renamed"}}, &errMsg)) << errMsg;
   EXPECT_EQ("6", Value(ReadEntries(vm->GetFilename()), "hardwareVersion"));
}

TEST_F(MachineFiles, TheToolsImageIsMountedForOneBootOfARunningMachine)
{
   cui::VM *vm = Open(WriteMachine("tools"));
   ASSERT_NE(nullptr, vm);
   Outcome off = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->ToggleToolsInstall(a, d); });
   EXPECT_FALSE(off.done);
   EXPECT_NE(std::string::npos, off.error.find("powered on")) << off.error;

   Power(vm, cui::VM::POWERED_ON);
   EXPECT_FALSE(vm->GetToolsISOMounted());
   Outcome mount = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->ToggleToolsInstall(a, d); });
   EXPECT_TRUE(mount.done) << mount.error;
   EXPECT_TRUE(Until([&]() { return vm->GetToolsISOMounted(); }));
   Outcome unmount = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->ToggleToolsInstall(a, d); });
   EXPECT_TRUE(unmount.done) << unmount.error;
   EXPECT_TRUE(Until([&]() { return !vm->GetToolsISOMounted(); }));

   Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->ToggleToolsInstall(a, d); });
   ASSERT_TRUE(Until([&]() { return vm->GetToolsISOMounted(); }));
   Power(vm, cui::VM::POWERED_OFF);
   Power(vm, cui::VM::POWERED_ON);
   EXPECT_FALSE(vm->GetToolsISOMounted()) << "a new boot has no image mounted";
}

TEST_F(MachineFiles, ForksAreLinkedClonesOfTheCurrentSnapshotInFoldersOfTheirOwn)
{
   cui::VM *vm = Open(WriteMachine("parent", {{"disk0.present", "TRUE"}, {"disk0.fileName", "parent.vmdk"}}));
   ASSERT_NE(nullptr, vm);
   EXPECT_FALSE(vm->IsForkable()) << "no snapshot to fork from";
   std::vector<std::string> forks;
   Outcome refused;
   vm->GetSnapshotTree()->Fork(
      2, [&](std::vector<std::string> paths) { forks = paths; }, refused.Abort());
   ASSERT_TRUE(Until([&]() { return refused.finished; }));
   EXPECT_TRUE(forks.empty());

   Outcome taken = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->GetSnapshotTree()->Take("Base", "", a, d); });
   ASSERT_TRUE(taken.done) << taken.error;
   ASSERT_TRUE(vm->IsForkable());
   int uid = vm->GetSnapshotTree()->GetCurrent()->GetUID();
   Outcome failed;
   bool answered = false;
   vm->GetSnapshotTree()->Fork(
      2,
      [&](std::vector<std::string> paths) {
         forks = paths;
         answered = true;
      },
      failed.Abort());
   ASSERT_TRUE(Until([&]() { return answered || failed.finished; })) << failed.error;
   ASSERT_EQ(2u, forks.size()) << failed.error;
   EXPECT_EQ(Path("parent") + "\\parent-fork1\\parent-fork1.vmx", forks[0]);
   EXPECT_EQ(Path("parent") + "\\parent-fork2\\parent-fork2.vmx", forks[1]);
   for (const std::string &fork : forks) {
      std::vector<KeyValueEntry> entries = ReadEntries(fork);
      EXPECT_NE(std::string::npos, LowerAscii(Value(entries, "cloneOf0")).find("parent.vmx")) << fork;
      EXPECT_EQ(std::to_string(uid), Value(entries, "cloneOf0.snapshotUID"));
      std::string delta = cuisim::SimVmxConfig::Folder(fork) + Value(entries, "disk0.fileName");
      EXPECT_NE(std::string::npos, LowerAscii(Value(ReadEntries(delta), "parentFileName")).find("parent.vmdk"));
   }
   cui::VM *child = Open(forks[0]);
   ASSERT_NE(nullptr, child);
   EXPECT_TRUE(child->IsClone());
}

}  // namespace
