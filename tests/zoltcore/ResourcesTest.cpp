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
