// The host's clone operation through the machine model: what a full and a linked clone write,
// the snapshot a linked clone of the current state takes, the clone's ancestry as the model then
// reads it, the refusals, and the host's check that a folder can be written.
#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/Host.h"
#include "cui/PathText.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremsim/SimClone.h"

namespace {

class CloneHost : public MachineTest {
protected:
   // A machine with one disk (and its file), a CD image and a generated network address.
   std::string WriteSource(const std::string &name, const std::vector<KeyValueEntry> &extra = {})
   {
      std::string error;
      EXPECT_TRUE(File_Replace(Path(name + ".vmdk"), "DISK OF " + name, error)) << error;
      EXPECT_TRUE(File_Replace(Path("install.iso"), "ISO", error)) << error;
      EXPECT_TRUE(File_Replace(Path("readme.txt"), "not named by the configuration", error)) << error;
      std::vector<KeyValueEntry> entries = {
         {"configVersion", "8"},
         {"displayName", name},
         {"guestOS", "winxp"},
         {"memoryMB", "256"},
         {"uuid.bios", "56 4d 00 11 22 33 44 55-66 77 88 99 aa bb cc dd"},
         {"disk0.present", "TRUE"},
         {"disk0.fileName", name + ".vmdk"},
         {"cdrom0.present", "TRUE"},
         {"cdrom0.fileName", "install.iso"},
         {"ethernet0.present", "TRUE"},
         {"ethernet0.generatedAddress", "00:0c:29:aa:bb:cc"},
      };
      entries.insert(entries.end(), extra.begin(), extra.end());
      return WriteVmx(name + ".vmx", entries);
   }

   struct CloneOutcome {
      Outcome outcome;
      int steps = 0;
      bool stepBeforeEnd = false;
   };

   // Clones and waits for the end; the snapshot step is counted.
   void Clone(cui::VM *vm, int uid, bool full, const std::string &name, const std::string &cfgPath,
              CloneOutcome &result)
   {
      vm->Clone(uid, full, name, cfgPath, result.outcome.Abort(), result.outcome.Done(), [&result]() {
         ++result.steps;
         result.stepBeforeEnd = !result.outcome.finished;
      });
      EXPECT_FALSE(result.outcome.finished) << "answered inside the call";
      EXPECT_TRUE(Until([&]() { return result.outcome.finished; }));
   }

   static std::string Read(const std::string &path)
   {
      std::string bytes;
      std::string error;
      return File_Read(path, bytes, error) ? bytes : "<unreadable: " + error + ">";
   }
};

TEST_F(CloneHost, FullCloneCopiesTheConfigurationAndItsDisksUnderANewNameAndIdentity)
{
   std::string source = WriteSource("Desk");
   cui::VM *vm = Open(source);
   ASSERT_NE(nullptr, vm);
   EXPECT_TRUE(vm->IsCloneable(0, cui::VM::CLONE_FULL));
   EXPECT_EQ(static_cast<int>(std::string("Desk.vmdk").size()), vm->GetLongestHardDiskNameLength());

   std::string target = Path("Copies\\Desk Copy\\Desk Copy.vmx");
   CloneOutcome result;
   Clone(vm, 0, true, "Desk Copy", target, result);
   ASSERT_TRUE(result.outcome.done) << result.outcome.error;
   EXPECT_EQ(0, result.steps) << "a full clone takes no snapshot";

   std::vector<KeyValueEntry> clone = ReadEntries(target);
   EXPECT_EQ("Desk Copy", Value(clone, "displayName"));
   EXPECT_NE("56 4d 00 11 22 33 44 55-66 77 88 99 aa bb cc dd", Value(clone, "uuid.bios"));
   EXPECT_EQ(47u, Value(clone, "uuid.bios").size()) << Value(clone, "uuid.bios");
   EXPECT_EQ("", Value(clone, "ethernet0.generatedAddress")) << "the copy must not share the network address";
   EXPECT_EQ("Desk Copy.vmdk", Value(clone, "disk0.fileName"));
   EXPECT_EQ("DISK OF Desk", Read(Path("Copies\\Desk Copy\\Desk Copy.vmdk")));
   // Only what the configuration names as a disk is copied; shared media stay where they are.
   EXPECT_EQ("install.iso", Value(clone, "cdrom0.fileName"));
   EXPECT_FALSE(FileExists(Path("Copies\\Desk Copy\\install.iso")));
   EXPECT_FALSE(FileExists(Path("Copies\\Desk Copy\\readme.txt")));
   EXPECT_TRUE(Value(clone, "cloneOf0") == "<missing>" || Value(clone, "cloneOf0").empty()) << Value(clone, "cloneOf0");
   EXPECT_EQ("Desk", Value(ReadEntries(source), "displayName")) << "the source is left as it was";
   EXPECT_EQ(0u, vm->GetSnapshotTree()->GetCount());

   cui::VM *copy = Open(target);
   ASSERT_NE(nullptr, copy);
   EXPECT_EQ("Desk Copy", copy->GetName());
   EXPECT_FALSE(copy->IsClone()) << "a full clone stands on its own";
}

TEST_F(CloneHost, LinkedCloneOfTheCurrentStateTakesASnapshotAndRecordsItsParent)
{
   std::string source = WriteSource("Base");
   cui::VM *vm = Open(source);
   ASSERT_NE(nullptr, vm);
   std::string target = Path("Linked\\Linked.vmx");
   CloneOutcome result;
   Clone(vm, 0, false, "Linked", target, result);
   ASSERT_TRUE(result.outcome.done) << result.outcome.error;
   EXPECT_EQ(1, result.steps);
   EXPECT_TRUE(result.stepBeforeEnd) << "the snapshot step comes before the end";

   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   ASSERT_TRUE(Until([&]() { return tree->GetCount() == 1; }));
   cui::Snapshot *taken = tree->GetCurrent();
   ASSERT_NE(nullptr, taken);
   EXPECT_EQ("Before cloning to Linked", taken->GetDisplayName());

   std::vector<KeyValueEntry> clone = ReadEntries(target);
   EXPECT_EQ("Linked", Value(clone, "displayName"));
   EXPECT_TRUE(cuiutil::SameFilePath(source, Value(clone, "cloneOf0"))) << Value(clone, "cloneOf0");
   EXPECT_EQ(std::to_string(taken->GetUID()), Value(clone, "cloneOf0.snapshotUID"));
   // The clone's disk is a delta that names the source's disk as its parent.
   EXPECT_EQ("Linked.vmdk", Value(clone, "disk0.fileName"));
   std::string delta = Read(Path("Linked\\Linked.vmdk"));
   EXPECT_NE(std::string::npos, delta.find("parentFileName")) << delta;
   EXPECT_NE(std::string::npos, delta.find("Base.vmdk")) << delta;

   cui::VM *linked = Open(target);
   ASSERT_NE(nullptr, linked);
   EXPECT_TRUE(linked->IsClone());
   ASSERT_EQ(1u, linked->GetAncestors().size());
   EXPECT_EQ("Base", linked->GetAncestors()[0]);
}

TEST_F(CloneHost, SnapshotsCloneOnlyWhenTakenPoweredOffAndTakeNoNewSnapshot)
{
   std::string source = WriteSource("Snappy");
   std::string error;
   ASSERT_TRUE(File_Replace(Path("Snappy.snapshot"),
                            "snapshot.lastUID = \"2\"\nsnapshot.current = \"2\"\n"
                            "snapshot1.displayName = \"Off point\"\nsnapshot1.powerState = \"1\"\n"
                            "snapshot2.parent = \"1\"\nsnapshot2.displayName = \"Running point\"\n"
                            "snapshot2.powerState = \"3\"\n",
                            error))
      << error;
   cui::VM *vm = Open(source);
   ASSERT_NE(nullptr, vm);
   ASSERT_EQ(2u, vm->GetSnapshotTree()->GetCount());
   int code = 0;
   EXPECT_TRUE(vm->IsCloneable(1, cui::VM::CLONE_LINKED, &code)) << code;
   EXPECT_FALSE(vm->IsCloneable(2, cui::VM::CLONE_EITHER, &code));
   EXPECT_EQ(cui::VM::CLONE_ERR_SNAPSHOT_NOT_OFF, code);
   EXPECT_FALSE(vm->IsCloneable(7, cui::VM::CLONE_EITHER, &code));
   EXPECT_EQ(cui::VM::CLONE_ERR_NO_SNAPSHOT, code);

   CloneOutcome refused;
   Clone(vm, 2, false, "From running", Path("Running\\From running.vmx"), refused);
   EXPECT_FALSE(refused.outcome.done);
   EXPECT_EQ(cui::VM::GetErrorText(cui::VM::CLONE_ERR_SNAPSHOT_NOT_OFF), refused.outcome.error);
   EXPECT_FALSE(FileExists(Path("Running")));

   std::string target = Path("Off\\From off.vmx");
   CloneOutcome result;
   Clone(vm, 1, false, "From off", target, result);
   ASSERT_TRUE(result.outcome.done) << result.outcome.error;
   EXPECT_EQ(0, result.steps) << "the snapshot exists already";
   EXPECT_EQ("1", Value(ReadEntries(target), "cloneOf0.snapshotUID"));
   EXPECT_EQ(2u, vm->GetSnapshotTree()->GetCount());
}

TEST_F(CloneHost, DestinationsThatCannotTakeACloneAreRefusedAndNothingIsLeftBehind)
{
   std::string source = WriteSource("Dest");
   cui::VM *vm = Open(source);
   ASSERT_NE(nullptr, vm);
   std::string error;

   // A folder that holds something already.
   ASSERT_TRUE(File_MakeFolders(Path("Busy")));
   ASSERT_TRUE(File_Replace(Path("Busy\\other.txt"), "someone's file", error)) << error;
   CloneOutcome busy;
   Clone(vm, 0, true, "Busy", Path("Busy\\Busy.vmx"), busy);
   EXPECT_FALSE(busy.outcome.done);
   EXPECT_NE(std::string::npos, busy.outcome.error.find("is not empty")) << busy.outcome.error;
   EXPECT_FALSE(FileExists(Path("Busy\\Busy.vmx")));

   // A folder below a file cannot be made.
   CloneOutcome blocked;
   Clone(vm, 0, true, "Blocked", Path("readme.txt\\Blocked\\Blocked.vmx"), blocked);
   EXPECT_FALSE(blocked.outcome.done);
   EXPECT_NE(std::string::npos, blocked.outcome.error.find("cannot be made")) << blocked.outcome.error;

   // A relative path names no place on the host.
   CloneOutcome relative;
   Clone(vm, 0, true, "Relative", "Relative\\Relative.vmx", relative);
   EXPECT_NE(std::string::npos, relative.outcome.error.find("not a full path")) << relative.outcome.error;

   // A missing disk: the copy is given up and the folder it made goes again.
   ASSERT_TRUE(File_Delete(Path("Dest.vmdk")));
   CloneOutcome missing;
   Clone(vm, 0, true, "Missing", Path("Missing\\Missing.vmx"), missing);
   EXPECT_FALSE(missing.outcome.done);
   EXPECT_NE(std::string::npos, missing.outcome.error.find("cannot be found")) << missing.outcome.error;
   EXPECT_FALSE(FileExists(Path("Missing"))) << "the half-made clone's folder stays behind";

   // The host's configured failure reaches the caller as it is.
   Config_Set("test.host.fail", "cloneVM");
   Config_Set("test.host.failText", "The host ran out of disk space.");
   CloneOutcome failing;
   Clone(vm, 0, true, "Failing", Path("Failing\\Failing.vmx"), failing);
   EXPECT_EQ("The host ran out of disk space.", failing.outcome.error);
}

TEST_F(CloneHost, TheCurrentStateOfARunningSingleSnapshotOrTemplateMachineIsNotCloned)
{
   cui::VM *vm = Open(WriteSource("Runner"));
   ASSERT_NE(nullptr, vm);
   Outcome on;
   vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_HARD, on.Abort(), on.Done());
   ASSERT_TRUE(Until([&]() { return on.finished; }));
   ASSERT_TRUE(on.done) << on.error;
   int code = 0;
   EXPECT_FALSE(vm->IsCloneable(0, cui::VM::CLONE_LINKED, &code));
   EXPECT_EQ(cui::VM::CLONE_ERR_NOT_POWERED_OFF, code);
   // The host refuses it too when asked without the model's check.
   std::string errMsg;
   EXPECT_EQ("error", SendCommand(vm->GetVmPath() + "cmd/##", "cloneVM",
                                  {{"uid", "0"}, {"full", "0"}, {"name", "Hot"}, {"cfgPath", Path("Hot\\Hot.vmx")}},
                                  &errMsg));
   EXPECT_NE(std::string::npos, errMsg.find("while the virtual machine is powered on")) << errMsg;
   EXPECT_FALSE(FileExists(Path("Hot")));

   cui::VM *single = Open(WriteSource("Single", {{"snapshot.multiple", "FALSE"}}));
   ASSERT_NE(nullptr, single);
   EXPECT_FALSE(single->IsCloneable(0, cui::VM::CLONE_LINKED, &code));
   EXPECT_EQ(cui::VM::CLONE_ERR_SINGLE_SNAPSHOT, code);
   EXPECT_TRUE(single->IsCloneable(0, cui::VM::CLONE_FULL));

   cui::VM *master = Open(WriteSource("Master", {{"templateVM", "TRUE"}}));
   ASSERT_NE(nullptr, master);
   EXPECT_TRUE(master->IsTemplate());
   EXPECT_FALSE(master->IsCloneable(0, cui::VM::CLONE_EITHER, &code));
   EXPECT_EQ(cui::VM::CLONE_ERR_TEMPLATE, code);
   EXPECT_FALSE(cui::VM::GetErrorText(code).empty());
}

TEST_F(CloneHost, TheHostTellsWhetherAFolderCanBeWrittenAndLeavesNoFolderBehind)
{
   // The local host, as the program follows it.
   cui::Host local(nullptr, run_->ctx, "/host2/#0000/");
   cui::Host *host = &local;
   WriteSource("Checker");
   struct Answer {
      bool answered = false;
      bool writable = false;
      std::string folder;
      std::string reason;
   };
   auto check = [&](const std::string &path) {
      Answer answer;
      Outcome failed;
      host->GetWritablePath(path, failed.Abort(), [&answer](bool writable, std::string folder, std::string reason) {
         answer = {true, writable, folder, reason};
      });
      EXPECT_TRUE(Until([&]() { return answer.answered || failed.finished; }));
      EXPECT_FALSE(failed.finished) << failed.error;
      return answer;
   };
   Answer fresh = check(Path("New\\Deeper"));
   EXPECT_TRUE(fresh.writable) << fresh.reason;
   EXPECT_TRUE(cuiutil::SameFilePath(Path("New\\Deeper"), fresh.folder)) << fresh.folder;
   EXPECT_FALSE(FileExists(Path("New"))) << "the folders made for the check go again";

   Answer blocked = check(Path("readme.txt\\Below"));
   EXPECT_FALSE(blocked.writable);
   EXPECT_FALSE(blocked.reason.empty());

   // With or without its trailing separator, an existing folder is the same answer.
   Answer existing = check(folder_ + "\\");
   EXPECT_TRUE(existing.writable) << existing.reason;
}

TEST(CloneConfig, CloneConfigurationsDropTheSourcesIdentityAndTemplateMode)
{
   cuisim::SimVmxConfig source;
   source.SetPath("C:\\VMs\\Base\\Base.vmx");
   source.Set("displayName", "Base");
   source.Set("uuid.bios", "56 4d 00 00 00 00 00 00-00 00 00 00 00 00 00 01");
   source.Set("templateVM", "TRUE");
   source.Set("cloneOf0", "C:\\VMs\\Root\\Root.vmx");
   source.Set("ethernet1.present", "TRUE");
   source.Set("ethernet1.generatedAddress", "00:0c:29:00:00:01");

   cuisim::SimVmxConfig linked = cuisim::MakeCloneConfig(source, "C:\\VMs\\L\\L.vmx", "L", false, 4);
   EXPECT_EQ("C:\\VMs\\L\\L.vmx", linked.GetPath());
   EXPECT_EQ("L", linked.GetDisplayName());
   EXPECT_FALSE(linked.GetBool("templateVM", false));
   EXPECT_EQ("", linked.Get("ethernet1.generatedAddress"));
   EXPECT_EQ("4", linked.Get("cloneOf0.snapshotUID"));
   EXPECT_TRUE(cuiutil::SameFilePath("C:\\VMs\\Base\\Base.vmx", linked.Get("cloneOf0"))) << linked.Get("cloneOf0");

   cuisim::SimVmxConfig full = cuisim::MakeCloneConfig(source, "C:\\VMs\\F\\F.vmx", "F", true, 0);
   EXPECT_EQ("", full.Get("cloneOf0")) << "a full clone of a clone is no clone";
   EXPECT_NE(source.Get("uuid.bios"), full.Get("uuid.bios"));
   EXPECT_NE(linked.Get("uuid.bios"), full.Get("uuid.bios"));
}

}  // namespace
