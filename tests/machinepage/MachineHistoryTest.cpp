// A clone names its parent's configuration ("cloneOf0"); the machine model gives the names of
// the whole chain, nearest first. The snapshot file beside a configuration names the current
// snapshot; the configuration switches remote display on. A chain that loops or a parent that has gone ends the ancestry soundly.
#include "MachineTestSupport.h"
#include "tremsim/SimMachineHistory.h"
#include "tremsim/SimVmxConfig.h"

#include "cui/VM.h"

#include <string>
#include <vector>

namespace {

using MachineHistory = MachineTest;

std::vector<KeyValueEntry> Vmx(const std::string &name, const std::string &parent = "")
{
   std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"}};
   if (!parent.empty()) {
      entries.push_back({"cloneOf0", parent});
   }
   return entries;
}

TEST_F(MachineHistory, AClonesAncestorsAndItsCurrentSnapshotReachTheModel)
{
   std::string root = WriteVmx("root.vmx", Vmx("Root Box"));
   // One parent by a path relative to the child's folder, one by its full path.
   std::string middle = WriteVmx("middle.vmx", Vmx("Middle Box", "root.vmx"));
   std::vector<KeyValueEntry> leafEntries = Vmx("Leaf Box", middle);
   leafEntries.push_back({"remoteDisplay.enabled", "TRUE"});
   std::string leaf = WriteVmx("leaf.vmx", leafEntries);
   std::string error;
   ASSERT_TRUE(KeyValueFile::Write(Path("leaf.snapshot"), {{"displayName", "Before the update"}}, error)) << error;

   cui::VM *vm = Open(leaf);
   ASSERT_NE(nullptr, vm);
   EXPECT_TRUE(vm->IsClone());
   EXPECT_EQ((std::vector<std::string>{"Middle Box", "Root Box"}), vm->GetAncestors());
   EXPECT_EQ("Before the update", vm->GetCurrentSnapshotName());
   // The snapshot is the machine's single snapshot in the database too.
   std::vector<std::string> items = run_->ctx.Elements(vm->GetVmPath() + "vmx/chkptState/val/item/#");
   ASSERT_EQ(1u, items.size());
   EXPECT_EQ("Before the update", run_->raw->Read(items[0] + "displayName"));

   // Remote display on, at the default port, with nobody connected.
   EXPECT_TRUE(vm->IsVNCEnabled());
   EXPECT_EQ(5900, vm->GetVNCPort());
   EXPECT_TRUE(vm->GetUsers().empty());

   cui::VM *original = Open(root);
   ASSERT_NE(nullptr, original);
   EXPECT_FALSE(original->IsVNCEnabled());
   EXPECT_FALSE(original->IsClone());
   EXPECT_TRUE(original->GetAncestors().empty());
   EXPECT_EQ("", original->GetCurrentSnapshotName());
   EXPECT_TRUE(run_->ctx.Elements(original->GetVmPath() + "vmx/chkptState/val/item/#").empty());
}

TEST_F(MachineHistory, LoopsMissingParentsAndEmptySnapshotFilesEndSoundly)
{
   // Two machines naming each other: each ancestor once, the machine itself never.
   std::string a = Path("a.vmx");
   std::string b = WriteVmx("b.vmx", Vmx("B Box", a));
   WriteVmx("a.vmx", Vmx("A Box", b));
   cuisim::SimVmxConfig config;
   std::string error;
   ASSERT_TRUE(config.Load(a, error)) << error;
   std::vector<cuisim::SimAncestor> ancestors = cuisim::ReadAncestors(config);
   ASSERT_EQ(1u, ancestors.size());
   EXPECT_EQ("B Box", ancestors[0].name);

   // A parent that has gone keeps its place under its file's name, and ends the chain.
   std::string orphan = WriteVmx("orphan.vmx", Vmx("Orphan", "gone parent.vmx"));
   ASSERT_TRUE(KeyValueFile::Write(Path("orphan.snapshot"), {{"description", "no name"}}, error)) << error;
   cui::VM *vm = Open(orphan);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ((std::vector<std::string>{"gone parent"}), vm->GetAncestors());
   EXPECT_EQ("", vm->GetCurrentSnapshotName()) << "a snapshot file that names none";

   // A long chain is cut at the bound.
   std::string parent;
   for (size_t i = 0; i <= cuisim::kMaxAncestors + 2; ++i) {
      std::string name = "chain" + std::to_string(i) + ".vmx";
      WriteVmx(name, Vmx("Chain " + std::to_string(i), parent));
      parent = name;
   }
   ASSERT_TRUE(config.Load(Path(parent), error)) << error;
   EXPECT_EQ(cuisim::kMaxAncestors, cuisim::ReadAncestors(config).size());
}

}  // namespace
