#include "resource.h"
#include "zoltResources.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <regex>
#include <set>
#include <utility>
#include <vector>

namespace {

std::vector<ACCEL> LoadAccelerators(int id)
{
   HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
   std::vector<ACCEL> entries;
   if (table != nullptr) {
      entries.resize(CopyAcceleratorTableA(table, nullptr, 0));
      CopyAcceleratorTableA(table, entries.data(), static_cast<int>(entries.size()));
      DestroyAcceleratorTable(table);
   }
   return entries;
}

// The command of a virtual key with exactly these modifiers, or 0.
WORD CommandOf(const std::vector<ACCEL> &table, WORD key, BYTE modifiers)
{
   for (const ACCEL &entry : table) {
      if (entry.key == key && (entry.fVirt & ~FNOINVERT) == (FVIRTKEY | modifiers)) {
         return entry.cmd;
      }
   }
   return 0;
}

// The menu directly holding an item with `id`, searching submenus too; null when none does.
HMENU MenuHolding(HMENU menu, UINT id)
{
   for (int i = 0; i < GetMenuItemCount(menu); i++) {
      if (HMENU sub = GetSubMenu(menu, i)) {
         if (HMENU found = MenuHolding(sub, id)) {
            return found;
         }
      } else if (GetMenuItemID(menu, i) == id) {
         return menu;
      }
   }
   return nullptr;
}

class MainMenu : public ::testing::Test {
protected:
   void SetUp() override { menu_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU)); }
   void TearDown() override { DestroyMenu(menu_); }
   HMENU menu_ = nullptr;
};

}  // namespace

TEST(Resources, TitleAndVersionText)
{
   EXPECT_FALSE(LoadAppTitle().empty());
   EXPECT_TRUE(std::regex_match(LoadResString(IDS_APP_VERSION), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+ build-[0-9]+")));
   EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZOLT)));
   EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_ZOLT_ZEPHRO)));
}

TEST(Resources, AcceleratorKeysReachTheirCommands)
{
   std::vector<ACCEL> normal = LoadAccelerators(IDR_ACCEL_NORMAL);
   std::vector<ACCEL> full = LoadAccelerators(IDR_ACCEL_FULLSCREEN);
   ASSERT_FALSE(normal.empty());
   ASSERT_FALSE(full.empty());

   EXPECT_EQ(IDM_VM_POWER_ON, CommandOf(normal, 'B', FCONTROL));
   EXPECT_EQ(IDM_TEAM_POWER_ON, CommandOf(normal, 'B', FCONTROL | FSHIFT));
   EXPECT_EQ(IDM_VIEW_FULL_SCREEN, CommandOf(normal, VK_RETURN, FCONTROL | FALT));
   EXPECT_EQ(IDM_FILE_CLOSE, CommandOf(normal, 'W', FCONTROL));
   EXPECT_EQ(IDM_FILE_CLOSE, CommandOf(normal, VK_F4, FCONTROL));
   EXPECT_EQ(IDM_VIEW_QUICK_SWITCH, CommandOf(normal, VK_F11, 0));
   EXPECT_EQ(IDM_WINDOW_PREVIOUS_TAB, CommandOf(normal, VK_TAB, FCONTROL | FSHIFT | FALT));
   EXPECT_EQ(0, CommandOf(normal, 'B', 0));

   // Full screen keeps only the machine's commands, with the same keys as normally.
   EXPECT_EQ(IDM_VM_POWER_ON, CommandOf(full, 'B', FCONTROL));
   EXPECT_EQ(0, CommandOf(full, 'B', FCONTROL | FSHIFT));
   EXPECT_EQ(0, CommandOf(full, 'O', FCONTROL));
   EXPECT_EQ(0, CommandOf(full, VK_RETURN, FCONTROL | FALT));
   for (const ACCEL &entry : full) {
      EXPECT_EQ(entry.cmd, CommandOf(normal, entry.key, entry.fVirt & ~(FVIRTKEY | FNOINVERT))) << entry.cmd;
   }
}

TEST(Resources, NoKeyIsGivenTwice)
{
   for (int id : {IDR_ACCEL_NORMAL, IDR_ACCEL_FULLSCREEN}) {
      std::set<std::pair<WORD, BYTE>> keys;
      for (const ACCEL &entry : LoadAccelerators(id)) {
         EXPECT_TRUE(entry.fVirt & FVIRTKEY) << entry.cmd;
         EXPECT_TRUE(keys.insert({entry.key, entry.fVirt}).second) << "table " << id << " command " << entry.cmd;
      }
   }
}

TEST_F(MainMenu, TopLevelMenusStandInTheirPositions)
{
   ASSERT_NE(nullptr, menu_);
   ASSERT_EQ(11, GetMenuItemCount(menu_));
   // File, Edit, View, Favorites, Inventory, Host, VM, Team, Zephro, Window, Help.
   const UINT member[] = {IDM_FILE_EXIT, IDM_EDIT_PREFERENCES, IDM_VIEW_FULL_SCREEN,
                          IDM_FAVORITES_PLACEHOLDER, IDM_INVENTORY_PLACEHOLDER, IDM_HOST_SWITCH,
                          IDM_VM_SETTINGS, IDM_TEAM_SETTINGS, IDM_ZEPHRO_POLICIES,
                          IDM_WINDOW_NEXT_TAB, IDM_HELP_ABOUT};
   for (int i = 0; i < 11; i++) {
      HMENU sub = GetSubMenu(menu_, i);
      ASSERT_NE(nullptr, sub) << i;
      EXPECT_NE(nullptr, MenuHolding(sub, member[i])) << "menu " << i << " lacks " << member[i];
   }
   // The Window menu ends with the two tab commands; tab items are inserted before them.
   HMENU window = GetSubMenu(menu_, 9);
   int count = GetMenuItemCount(window);
   EXPECT_EQ(IDM_WINDOW_NEXT_TAB, GetMenuItemID(window, count - 2));
   EXPECT_EQ(IDM_WINDOW_PREVIOUS_TAB, GetMenuItemID(window, count - 1));
}

TEST_F(MainMenu, EveryPopupHoldsTheItemThatNamesIt)
{
   // The menu bar gives each popup the id of the first pair whose item lies directly in it.
   const UINT members[] = {IDM_VM_POWER_ON, IDM_VM_DEVICE_FIRST, IDM_VM_SNAPSHOT_TAKE,
                           IDM_VM_REPLAY_PLAY, IDM_TEAM_POWER_ON, IDM_TEAM_NEXT_VM,
                           IDM_TEAM_ADD_NEW_VM, IDM_TEAM_REMOVE_FIRST_VM, IDM_VIEW_SUMMARY};
   std::set<HMENU> popups;
   for (UINT member : members) {
      HMENU holder = MenuHolding(menu_, member);
      ASSERT_NE(nullptr, holder) << member;
      EXPECT_TRUE(popups.insert(holder).second) << member << " shares its popup";
   }
}

TEST_F(MainMenu, EveryKeyHasItsMenuItem)
{
   for (const ACCEL &entry : LoadAccelerators(IDR_ACCEL_NORMAL)) {
      EXPECT_NE(nullptr, MenuHolding(menu_, entry.cmd)) << entry.cmd;
   }
}
