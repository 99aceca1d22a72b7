// The clone wizard's rules without its windows: the page order, the path arithmetic (a folder
// typed with or without its separator), the checks of the name and location, the source list's
// order, and what the type page and an early Finish make of a machine's state.
#include "MachineTestSupport.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <stdexcept>

#include "CloneWz.h"
#include "CloneWzName.h"
#include "CloneWzPath.h"
#include "CloneWzProgress.h"
#include "CloneWzSource.h"
#include "CloneWzType.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "cui/WizardUtil.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"

namespace {

[[noreturn]] void ThrowingPanic(const char *text)
{
   throw std::runtime_error(text);
}

TEST(CloneWzPages, PagesFollowEachOtherAndAnUnknownPageIsAnInternalError)
{
   CCloneWz wizard(nullptr, nullptr, 0);
   std::vector<int> order = {CCloneWz::kWelcomePage};
   while (order.back() != CCloneWz::kProgressPage && order.size() < 10) {
      order.push_back(wizard.GetNextPage(order.back()));
   }
   EXPECT_EQ((std::vector<int>{504, 4124, 505, 506, 507}), order);
   for (size_t i = order.size() - 2; i > 0; --i) {
      EXPECT_EQ(order[i - 1], wizard.GetPrevPage(order[i])) << order[i];
      EXPECT_EQ(static_cast<DWORD>(PSWIZB_BACK | PSWIZB_NEXT), wizard.GetWizardButtons(order[i])) << order[i];
   }
   EXPECT_EQ(10, wizard.GetExtraPathReserve());

   Panic_SetHandler(ThrowingPanic);
   EXPECT_THROW(wizard.GetNextPage(999), std::runtime_error);
   EXPECT_THROW(wizard.GetPrevPage(CCloneWz::kWelcomePage), std::runtime_error);
   EXPECT_THROW(wizard.GetWizardButtons(CCloneWz::kProgressPage), std::runtime_error);
   Panic_SetHandler(nullptr);

   EXPECT_EQ(4u, clonewz::ProgressSteps(true, false).size()) << "a linked clone of the current state takes a snapshot";
   EXPECT_EQ(3u, clonewz::ProgressSteps(true, true).size());
   EXPECT_EQ(3u, clonewz::ProgressSteps(false, false).size());
}

TEST(CloneWzPath, TheFolderIsTakenWithOrWithoutItsSeparator)
{
   for (const char *folder : {"C:\\VMs\\Clone 1", "C:\\VMs\\Clone 1\\", "C:/VMs/Clone 1/", "C:\\VMs\\Clone 1\\\\"}) {
      EXPECT_EQ("C:\\VMs\\Clone 1\\", clonewz::NormalizeFolder(folder, 1)) << folder;
      EXPECT_EQ("C:\\VMs\\Clone 1\\Clone 1.vmx", clonewz::ConfigPath(folder, "Clone 1", 1)) << folder;
   }
   EXPECT_EQ("C:\\", clonewz::NormalizeFolder("C:", 1));
   EXPECT_EQ("\\\\server\\share\\", clonewz::NormalizeFolder("\\\\server\\share", 1));
   EXPECT_EQ("/vms/clone/", clonewz::NormalizeFolder("/vms/clone", 2));
   EXPECT_EQ("/", clonewz::NormalizeFolder("/", 2));
   EXPECT_EQ("", clonewz::NormalizeFolder("", 1));

   // The wizard's own arithmetic: never "...\Clone 1Clone 1.vmx".
   CCloneWz wizard(nullptr, nullptr, 0);
   wizard.SetNameAndPath("Clone 1", "D:\\Machines\\Clone 1");
   EXPECT_EQ("D:\\Machines\\Clone 1\\Clone 1.vmx", wizard.GetPath());
   wizard.SetNameAndPath("Clone 1", "D:\\Machines\\Clone 1\\");
   EXPECT_EQ("D:\\Machines\\Clone 1\\Clone 1.vmx", wizard.GetPath());
   EXPECT_EQ("Clone 1", wizard.GetName());
   EXPECT_EQ(0u, wizard.GetClonePath().length()) << "no path before a clone is made";
   wizard.SetCompleted(true);
   EXPECT_EQ(std::wstring(L"D:\\Machines\\Clone 1\\Clone 1.vmx"), static_cast<const wchar_t *>(wizard.GetClonePath()));
   wizard.SetCancelled(true);
   EXPECT_EQ(0u, wizard.GetClonePath().length());

   EXPECT_EQ("C:\\VMs\\Base\\", clonewz::FolderOf("C:\\VMs\\Base\\Base.vmx"));
   EXPECT_EQ("C:\\VMs\\", clonewz::ParentFolder("C:\\VMs\\Base\\"));
   EXPECT_EQ("C:\\VMs\\", clonewz::ParentFolder("C:\\VMs\\Base"));
   EXPECT_EQ("", clonewz::ParentFolder("C:\\"));
   EXPECT_EQ("C:\\VMs\\", clonewz::DefaultFolder("", "C:\\VMs\\Base\\Base.vmx"));
   EXPECT_EQ("D:\\Mine", clonewz::DefaultFolder("D:\\Mine", "C:\\VMs\\Base\\Base.vmx"));
   EXPECT_EQ("C:\\", clonewz::DefaultFolder("", "C:\\Base.vmx")) << "a machine at the root proposes the root";

   EXPECT_EQ("Clone of a_b_ c_", clonewz::FileNameOf("  Clone of a/b: c?  "));
   EXPECT_EQ("Clone", clonewz::FileNameOf("Clone. "));
   auto taken = [](const std::string &name) { return name == "Clone of Box" || name == "Clone of Box 2"; };
   EXPECT_EQ("Clone of Box 3", clonewz::UniqueName("Clone of Box", taken));
   EXPECT_EQ("Other", clonewz::UniqueName("Other", taken));
}

TEST(CloneWzPath, TheReserveKeepsRoomForTheClonesFiles)
{
   EXPECT_EQ(285, clonewz::PathReserve(std::string(200, 'n'), 0, 10));
   EXPECT_EQ(285, clonewz::PathReserve(std::string(200, 'n'), 150, 10)) << "whatever the disks' names";
   EXPECT_EQ(120, clonewz::PathReserve("ab", 40, 10)) << "a longer disk name wins";
   EXPECT_EQ(85, clonewz::PathReserve("", 0, 10));
   EXPECT_EQ(105, clonewz::PathReserve("", 0, 30));
   // Characters, not bytes: four Cyrillic letters are four.
   EXPECT_EQ(89, clonewz::PathReserve("\xd0\x9a\xd0\xbb\xd0\xbe\xd0\xbd", 0, 10));
}

TEST(CloneWzName, NameAndLocationChecksShowTheLastFailure)
{
   auto nothing = [](const std::string &, const std::string &) { return 0; };
   auto check = [&](const std::string &name, const std::string &location) {
      return clonewz::CheckNameAndLocation(name, location, 1, 0, 10, nothing);
   };
   EXPECT_EQ("", check("Clone 1", "C:\\VMs\\Clone 1"));
   EXPECT_NE(std::string::npos, check("", "C:\\VMs").find("Type a name")) << check("", "C:\\VMs");
   for (const char *bad : {"a<b", "a>b", "a*b", "a:b", "a/b", "a\"b", "a?b", "a|b", "a\\b"}) {
      EXPECT_NE(std::string::npos, check(bad, "C:\\VMs").find("may not contain")) << bad;
   }
   EXPECT_NE(std::string::npos, check("Clone", "C:\\VMs|x").find("folder name may not")) << check("Clone", "C:\\VMs|x");
   EXPECT_NE(std::string::npos, check("Clone", "C:\\VMs\\a:b").find("folder name may not"));
   // The location's message replaces the name's: the last failing test is shown.
   EXPECT_NE(std::string::npos, check("", "").find("Type the folder")) << check("", "");

   // 260 characters at most, with the reserve added to the location.
   int reserve = 0;
   std::string longName(200, 'n');
   std::string message = clonewz::CheckNameAndLocation(longName, "C:\\VMs", 1, 0, 10, nothing, &reserve);
   EXPECT_EQ(285, reserve);
   EXPECT_NE(std::string::npos, message.find("at most 180")) << message;
   std::string folder = "C:\\" + std::string(167, 'f');
   EXPECT_EQ("", clonewz::CheckNameAndLocation("Clone", folder, 1, 0, 10, nothing, &reserve));
   EXPECT_EQ(90, reserve);
   EXPECT_NE(std::string::npos, check("Clone", folder + std::string(10, 'g')).find("at most 180"));
   EXPECT_NE(std::string::npos, clonewz::CheckNameAndLocation(std::string(261, 'n'), "", 1, 0, 10, nothing).find("Type the folder"))
      << "the location's failure is shown last";
   EXPECT_NE(std::string::npos, clonewz::CheckNameAndLocation(std::string(261, 'n'), "C:\\VMs", 1, 0, 10, nothing).find("at most 180"));

   // An existing machine in the location: a folder with a configuration or a disk, or a file.
   auto withVmx = [](const std::string &, const std::string &pattern) { return pattern.empty() || pattern == "*.vmx" ? 1 : 0; };
   auto withDisk = [](const std::string &, const std::string &pattern) { return pattern.empty() || pattern == "*.vmdk" ? 1 : 0; };
   auto emptyFolder = [](const std::string &, const std::string &pattern) { return pattern.empty() ? 1 : 0; };
   auto aFile = [](const std::string &, const std::string &pattern) { return pattern.empty() ? 2 : 0; };
   EXPECT_NE(std::string::npos, clonewz::CheckNameAndLocation("C", "C:\\x", 1, 0, 10, withVmx).find("already exists"));
   EXPECT_NE(std::string::npos, clonewz::CheckNameAndLocation("C", "C:\\x", 1, 0, 10, withDisk).find("already exists"));
   EXPECT_NE(std::string::npos, clonewz::CheckNameAndLocation("C", "C:\\x", 1, 0, 10, aFile).find("already exists"));
   EXPECT_EQ("", clonewz::CheckNameAndLocation("C", "C:\\x", 1, 0, 10, emptyFolder));
}

TEST(CloneWzName, PathTestsAndTrimming)
{
   using namespace wui::util;
   const int all = PATH_BAD_CHARS | PATH_EMPTY | PATH_TOO_LONG;
   EXPECT_EQ(PATH_OK, ValidatePath(1, all, "C:\\VMs\\Box", 0));
   EXPECT_EQ(PATH_OK, ValidatePath(1, all, "\\\\server\\share\\Box", 0));
   EXPECT_EQ(PATH_BAD_CHARS, ValidatePath(1, all, "VMs:Box", 0));
   EXPECT_EQ(PATH_BAD_CHARS, ValidatePath(1, all, "Box\tTab", 0));
   EXPECT_EQ(PATH_OK, ValidatePath(2, all, "/vms/a:b|c", 0)) << "a Linux host takes these";
   EXPECT_EQ(PATH_EMPTY, ValidatePath(1, all, "", 0));
   EXPECT_EQ(PATH_OK, ValidatePath(1, PATH_BAD_CHARS, "", 0)) << "only the tests asked for";
   std::string accents;
   for (int i = 0; i < 260; ++i) {
      accents += "\xc3\xa9";
   }
   EXPECT_EQ(PATH_OK, ValidatePath(1, all, accents, 0)) << "characters, not bytes";
   EXPECT_EQ(PATH_TOO_LONG, ValidatePath(1, all, accents, 1));
   EXPECT_EQ("C:\\VMs\\Box", TrimFilePath("  C:/VMs/Box \t", true));
   EXPECT_EQ("/vms/box", TrimFilePath(" /vms/box ", false));
   EXPECT_EQ("Box  ", TrimLeft(" \t Box  "));
}

TEST(CloneWzName, EnablingTheSheetAgainLeavesWhatItsPagesDisabled)
{
   HWND sheet = CreateWindowExW(0, L"STATIC", L"sheet", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
   ASSERT_NE(nullptr, sheet);
   HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 90, 90, sheet, nullptr, nullptr, nullptr);
   HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, page, nullptr, nullptr, nullptr);
   HWND radio = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_DISABLED | BS_AUTORADIOBUTTON, 0, 30, 50, 20, page,
                                nullptr, nullptr, nullptr);
   wui::util::EnableAllControls(sheet, false);
   EXPECT_FALSE(IsWindowEnabled(page));
   EXPECT_FALSE(IsWindowEnabled(edit));
   wui::util::EnableAllControls(sheet, true);
   EXPECT_TRUE(IsWindowEnabled(page));
   EXPECT_TRUE(IsWindowEnabled(edit));
   EXPECT_FALSE(IsWindowEnabled(radio)) << "the page had disabled it itself";
   DestroyWindow(sheet);
}

TEST(CloneWzSource, SnapshotNamesSortWithoutRegardToCaseShorterFirst)
{
   EXPECT_TRUE(clonewz::SnapshotNameLess("alpha", "Alpha 2"));
   EXPECT_FALSE(clonewz::SnapshotNameLess("Alpha 2", "alpha"));
   EXPECT_TRUE(clonewz::SnapshotNameLess("Alpha", "beta"));
   EXPECT_TRUE(clonewz::SnapshotNameLess("alpha", "Beta"));
   EXPECT_FALSE(clonewz::SnapshotNameLess("ABC", "abc"));
   EXPECT_FALSE(clonewz::SnapshotNameLess("abc", "ABC"));
   // Beyond ASCII too.
   EXPECT_TRUE(clonewz::SnapshotNameLess("\xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89 2"));
}

// With machines of the simulated host.
class CloneWzRules : public MachineTest {
protected:
   cui::VM *OpenWith(const std::string &name, const std::string &snapshots, const std::vector<KeyValueEntry> &extra = {})
   {
      std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"}};
      entries.insert(entries.end(), extra.begin(), extra.end());
      std::string vmx = WriteVmx(name + ".vmx", entries);
      std::string error;
      if (!snapshots.empty()) {
         EXPECT_TRUE(File_Replace(Path(name + ".snapshot"), snapshots, error)) << error;
      }
      return Open(vmx);
   }
};

TEST_F(CloneWzRules, TheSourceListHoldsCloneableSnapshotsInNameOrder)
{
   cui::VM *vm = OpenWith("Lister", "snapshot.lastUID = \"4\"\nsnapshot.current = \"2\"\n"
                                    "snapshot1.displayName = \"beta\"\nsnapshot1.powerState = \"1\"\n"
                                    "snapshot2.displayName = \"Alpha 2\"\nsnapshot2.powerState = \"1\"\n"
                                    "snapshot3.displayName = \"alpha\"\nsnapshot3.powerState = \"1\"\n"
                                    "snapshot4.displayName = \"Awake\"\nsnapshot4.powerState = \"3\"\n");
   ASSERT_NE(nullptr, vm);
   std::vector<std::string> names;
   for (const cui::Snapshot *snapshot : clonewz::CloneableSnapshots(*vm, *vm->GetSnapshotTree())) {
      names.push_back(snapshot->GetDisplayName());
   }
   EXPECT_EQ((std::vector<std::string>{"alpha", "Alpha 2", "beta"}), names) << "a running snapshot is left out";
}

TEST_F(CloneWzRules, TheTypePageFollowsTheSourceChosen)
{
   // One snapshot kept: a linked clone of the current state would have to replace it.
   cui::VM *vm = OpenWith("Single", "displayName = \"The only one\"\n", {{"snapshot.multiple", "FALSE"}});
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   clonewz::TypeChoice current = clonewz::ComputeTypeChoice(wizard);
   EXPECT_FALSE(current.linkedPossible);
   EXPECT_TRUE(current.fullPossible);
   EXPECT_FALSE(current.linked) << "the possible kind is checked";
   EXPECT_EQ(cui::VM::GetErrorText(cui::VM::CLONE_ERR_SINGLE_SNAPSHOT), current.reasons);

   wizard.SetSnapshotUid(1);
   clonewz::TypeChoice snapshot = clonewz::ComputeTypeChoice(wizard);
   EXPECT_TRUE(snapshot.linkedPossible);
   EXPECT_TRUE(snapshot.fullPossible);
   EXPECT_TRUE(snapshot.linked);
   EXPECT_EQ("", snapshot.reasons);

   // The user's choice of a full clone stays while it is possible.
   wizard.SetLinked(false);
   EXPECT_FALSE(clonewz::ComputeTypeChoice(wizard).linked);
}

TEST_F(CloneWzRules, AnEarlyFinishGoesToTheFirstPageWhoseChoiceDoesNotHold)
{
   cui::VM *vm = OpenWith("Finisher", "displayName = \"Kept\"\n", {{"snapshot.multiple", "FALSE"}});
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   EXPECT_EQ(CCloneWz::kTypePage, wizard.FirstPageToFinish()) << "linked is checked but not possible";
   wizard.SetLinked(false);
   EXPECT_EQ(CCloneWz::kNamePage, wizard.FirstPageToFinish()) << "the name and location are not checked yet";
   wizard.SetValidated("Copy", "C:\\VMs\\Copy");
   EXPECT_EQ(CCloneWz::kProgressPage, wizard.FirstPageToFinish());
   EXPECT_TRUE(wizard.IsValidated("Copy", "C:\\VMs\\Copy"));
   EXPECT_FALSE(wizard.IsValidated("Copy", "C:\\VMs\\Copy2")) << "an edit after the check is checked again";
   wizard.ClearValidated();
   EXPECT_EQ(CCloneWz::kNamePage, wizard.FirstPageToFinish());

   wizard.SetSnapshotUid(9);
   EXPECT_EQ(CCloneWz::kSourcePage, wizard.FirstPageToFinish()) << "a snapshot that is gone";
   CCloneWz none(nullptr, nullptr, 0);
   EXPECT_EQ(CCloneWz::kSourcePage, none.FirstPageToFinish());
}

TEST_F(CloneWzRules, TheProposedNameAndFolderComeFromTheSource)
{
   ASSERT_TRUE(File_MakeFolders(Path("Box")));
   std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", "Box: the first"}};
   cui::VM *vm = Open(WriteVmx("Box\\Box.vmx", entries));
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   EXPECT_EQ("Clone of Box_ the first", wizard.GetDefaultName());
   EXPECT_EQ(folder_ + "\\", wizard.GetDefaultFolder()) << "the folder that holds the machine's folder";
   EXPECT_EQ(1, wizard.GetOSType());
   EXPECT_EQ(0, wizard.GetLongestDiskNameLength());
}

}  // namespace
