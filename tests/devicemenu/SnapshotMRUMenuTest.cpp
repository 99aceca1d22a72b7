// The recently used snapshots below VM > Snapshot > Snapshot Manager: how many, in which order,
// with which ids and labels, what choosing one does, and when the list stays away.
#include "DeviceMenuFixture.h"

#include "zoltMenuUtil.h"
#include "zoltSnapshotMRUMenu.h"

#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "res/resource.h"

#include <memory>

class SnapshotMRUMenu : public DeviceMenuFixture {
protected:
   void SetUp() override
   {
      DeviceMenuFixture::SetUp();
      main_ = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAIN_MENU));
      ASSERT_TRUE(main_);
      popup_ = FindMenuHoldingItem(IDM_VM_SNAPSHOT_MANAGER, main_, true);
      ASSERT_TRUE(popup_);
      anchor_ = FindMenuItemPosition(popup_, IDM_VM_SNAPSHOT_MANAGER);
   }
   void TearDown() override
   {
      DestroyMenu(main_);
      DeviceMenuFixture::TearDown();
   }

   // A machine with `count` snapshots "S1".. whose recently used list is newest first "S<count>".. "S1".
   cui::VM *WithSnapshots(const std::string &name, int count, int maxMRU, bool restricted = false)
   {
      std::vector<KeyValueEntry> snapshots = {{"snapshot.lastUID", std::to_string(count)},
                                              {"snapshot.current", std::to_string(count)}};
      std::string mru;
      for (int uid = count; uid >= 1; --uid) {
         mru += (mru.empty() ? "" : " ") + std::to_string(uid);
      }
      snapshots.push_back({"snapshot.mru", mru});
      for (int uid = 1; uid <= count; ++uid) {
         std::string key = "snapshot" + std::to_string(uid) + ".";
         snapshots.push_back({key + "parent", std::to_string(uid - 1)});
         snapshots.push_back({key + "displayName", "S" + std::to_string(uid)});
         snapshots.push_back({key + "powerState", "1"});
      }
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(folder_ + "\\" + name + ".snapshot", snapshots, error)) << error;
      std::vector<KeyValueEntry> extra = {{"snapshot.maxMRU", std::to_string(maxMRU)}};
      if (restricted) {
         extra.push_back({"gui.restricted", "TRUE"});
      }
      cui::VM *vm = Machine(name, extra, false);
      EXPECT_TRUE(vm && vm->GetSnapshotTree() && vm->GetSnapshotTree()->GetCount() == static_cast<size_t>(count));
      return vm;
   }
   int ListLength() const { return GetMenuItemCount(popup_) - anchor_ - 1; }

   HMENU main_ = nullptr;
   HMENU popup_ = nullptr;
   int anchor_ = -1;
};

TEST_F(SnapshotMRUMenu, ShowsAtMostTenNewestFirstBelowTheManager)
{
   ASSERT_TRUE(WithSnapshots("Twelve", 12, 15));
   CZOLTSnapshotMRUMenu mru;
   mru.Rebuild(popup_);
   ASSERT_EQ(11, ListLength()) << "a separator and ten snapshots";
   EXPECT_TRUE(IsSeparator(popup_, anchor_ + 1));
   for (int i = 0; i < 10; ++i) {
      EXPECT_EQ(IDM_VM_SNAPSHOT_RECENT_FIRST + static_cast<UINT>(i), Id(popup_, anchor_ + 2 + i));
   }
   EXPECT_EQ(Text(popup_, anchor_ + 2), L"&1   S12");
   EXPECT_EQ(Text(popup_, anchor_ + 10), L"&9   S4");
   EXPECT_EQ(Text(popup_, anchor_ + 11), L"S3") << "the tenth has no mnemonic";
   EXPECT_EQ(mru.GetEntries().at(IDM_VM_SNAPSHOT_RECENT_LAST), 3);

   // Rebuilding replaces the list rather than adding to it.
   mru.Rebuild(popup_);
   EXPECT_EQ(11, ListLength());
}

TEST_F(SnapshotMRUMenu, ShowsNoMoreThanTheMachineAsksFor)
{
   ASSERT_TRUE(WithSnapshots("Few", 5, 3));
   CZOLTSnapshotMRUMenu mru;
   mru.Rebuild(popup_);
   ASSERT_EQ(4, ListLength());
   EXPECT_EQ(Text(popup_, anchor_ + 4), L"&3   S3");
   EXPECT_EQ(3u, mru.GetEntries().size());
}

TEST_F(SnapshotMRUMenu, ChoosingOneGoesToThatSnapshot)
{
   cui::VM *vm = WithSnapshots("Choose", 4, 10);
   ASSERT_TRUE(vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   CZOLTSnapshotMRUMenu mru;
   mru.Rebuild(popup_);
   ASSERT_EQ(mru.GetEntries().at(IDM_VM_SNAPSHOT_RECENT_FIRST + 2), 2);
   EXPECT_TRUE(mru.ExecCommand(0x10000 | (IDM_VM_SNAPSHOT_RECENT_FIRST + 2)));
   ASSERT_TRUE(PollUntil([&]() { return tree->GetCurrent() && tree->GetCurrent()->GetUID() == 2 && !tree->IsBusy(); }));
   EXPECT_EQ(2, *tree->MRUBegin()) << "the snapshot gone to is the most recent now";
   mru.Rebuild(popup_);
   EXPECT_EQ(Text(popup_, anchor_ + 2), L"&1   S2");

   EXPECT_FALSE(mru.ExecCommand(IDM_VM_SNAPSHOT_RECENT_LAST + 1));
   EXPECT_FALSE(mru.ExecCommand(IDM_VM_SNAPSHOT_MANAGER));
}

TEST_F(SnapshotMRUMenu, ARestrictedMachineGetsNoListAndItsIdsDoNothing)
{
   ASSERT_TRUE(WithSnapshots("Open", 3, 10));
   CZOLTSnapshotMRUMenu mru;
   mru.Rebuild(popup_);
   ASSERT_EQ(4, ListLength());

   cui::VM *restricted = WithSnapshots("Restricted", 3, 10, true);
   ASSERT_TRUE(restricted);
   ASSERT_TRUE(restricted->GetGUIRestricted());
   mru.Rebuild(popup_);
   EXPECT_EQ(0, ListLength()) << "the popup ends at the manager's item";
   EXPECT_TRUE(mru.GetEntries().empty());
   EXPECT_TRUE(mru.ExecCommand(IDM_VM_SNAPSHOT_RECENT_FIRST)) << "its id, with nothing behind it";
   Poll(50);
   EXPECT_EQ(3, restricted->GetSnapshotTree()->GetCurrent()->GetUID());

   // A popup without the manager's item is left as it is.
   HMENU other = CreatePopupMenu();
   AppendMenuW(other, MF_STRING, IDM_VM_SNAPSHOT_TAKE, L"Take");
   AppendMenuW(other, MF_STRING, IDM_VM_SNAPSHOT_RECENT_FIRST, L"Old");
   mru.Rebuild(other);
   EXPECT_EQ(2, GetMenuItemCount(other));
   DestroyMenu(other);
}
