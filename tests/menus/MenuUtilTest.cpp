// The menu functions the menu bar, the full-screen toolbar and the menu state share.
#include "zoltMenuUtil.h"

#include "res/resource.h"

#include "cui/AppDataPaths.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A popup of string items and separators (id 0) in order.
HMENU MakeMenu(const std::vector<UINT> &ids)
{
   HMENU menu = CreatePopupMenu();
   for (UINT id : ids) {
      if (id == 0) {
         AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      } else {
         AppendMenuA(menu, MF_STRING, id, std::to_string(id).c_str());
      }
   }
   return menu;
}

// The ids in order, 0 for a separator.
std::vector<UINT> Ids(HMENU menu)
{
   std::vector<UINT> ids;
   for (int pos = 0; pos < GetMenuItemCount(menu); ++pos) {
      ids.push_back(IsMenuSeparatorAt(menu, pos) ? 0 : GetMenuItemID(menu, pos));
   }
   return ids;
}

// A text in Latin-1, Greek, Cyrillic, CJK and beyond the 16-bit plane: in UTF-8, as the program
// holds it, and wide, as the system does.
struct WorldText {
   const char *utf8;
   const wchar_t *wide;
};
const WorldText kWorldTexts[] = {
   {u8"M\u00e1quinas virtuales", L"M\u00e1quinas virtuales"},
   {u8"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac", L"\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac"},
   {u8"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430", L"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430"},
   {u8"\u4eee\u60f3\u30de\u30b7\u30f3 \U0001d11e", L"\u4eee\u60f3\u30de\u30b7\u30f3 \U0001d11e"},
};

std::wstring Label(HMENU menu, int pos)
{
   wchar_t text[256] = L"";
   GetMenuStringW(menu, pos, text, 256, MF_BYPOSITION);
   return text;
}

TEST(MenuUtil, NumberedLabelsStopAfterNineDigitsOrTwentySixLetters)
{
   EXPECT_EQ(MakeNumberedLabel(L"First", 0, false), L"&1   First");
   EXPECT_EQ(MakeNumberedLabel(L"Ninth", 8, false), L"&9   Ninth");
   EXPECT_EQ(MakeNumberedLabel(L"Tenth", 9, false), L"Tenth");
   EXPECT_EQ(MakeNumberedLabel(L"LAN", 0, true), L"&A   LAN");
   EXPECT_EQ(MakeNumberedLabel(L"LAN", 25, true), L"&Z   LAN");
   EXPECT_EQ(MakeNumberedLabel(L"LAN", 26, true), L"LAN");
}

TEST(MenuUtil, NumberedListIsPartedFromKeptItemsAndCarriesPaths)
{
   HMENU menu = MakeMenu({IDM_WINDOW_NEXT_TAB, IDM_WINDOW_PREVIOUS_TAB});
   const std::string second = std::string(cui::appdata::kOpenedObjElements) + "0001/";
   const char *paths[] = {cui::appdata::kHomeObj, second.c_str()};
   ASSERT_TRUE(InsertNumberedMenuItem(menu, L"Home", 0, 0, paths[0], IDM_WINDOW_FIRST_TAB, false));
   ASSERT_TRUE(InsertNumberedMenuItem(menu, L"A & B", 0, 1, paths[1], 0x10000 + IDM_WINDOW_FIRST_TAB + 1, false));

   EXPECT_EQ(Ids(menu), (std::vector<UINT>{IDM_WINDOW_FIRST_TAB, IDM_WINDOW_FIRST_TAB + 1, 0, IDM_WINDOW_NEXT_TAB,
                                           IDM_WINDOW_PREVIOUS_TAB}))
      << "the list first, then one separator, then the kept items; ids keep their low 16 bits";
   EXPECT_EQ(Label(menu, 0), L"&1   Home");
   EXPECT_EQ(GetMenuItemPath(menu, 1, true), paths[1]);
   EXPECT_EQ(GetMenuItemPath(menu, IDM_WINDOW_FIRST_TAB, false), paths[0]);
   EXPECT_EQ(GetMenuItemPath(menu, IDM_WINDOW_NEXT_TAB, false), "") << "resource items carry no path";

   ASSERT_TRUE(RemoveMenuItemWithData(menu, 0));
   EXPECT_EQ(GetMenuItemPath(menu, 0, true), paths[1]) << "the other item keeps its own copy";
   EXPECT_TRUE(RemoveMenuItemWithData(menu, 0));
   EXPECT_EQ(GetMenuItemCount(menu), 3);
   DestroyMenu(menu);

   HMENU empty = CreatePopupMenu();
   ASSERT_TRUE(InsertNumberedMenuItem(empty, L"Only", 0, 0, nullptr, 41601, true));
   EXPECT_EQ(Ids(empty), std::vector<UINT>{41601}) << "no separator when nothing follows the list";
   EXPECT_EQ(GetMenuItemPath(empty, 0, true), "") << "no path gives an empty one";
   RemoveMenuItemWithData(empty, 0);
   DestroyMenu(empty);
}

TEST(MenuUtil, FindAndAssignPopupIdsOnTheMainMenu)
{
   HMENU main = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
   ASSERT_NE(main, nullptr);
   HMENU vmMenu = GetSubMenu(main, 6);
   HMENU power = GetSubMenu(vmMenu, 0);
   EXPECT_EQ(FindMenuHoldingItem(IDM_VM_POWER_OFF, vmMenu, true), power);
   EXPECT_EQ(FindMenuHoldingItem(IDM_VM_POWER_OFF, vmMenu, false), nullptr) << "an item in a submenu is not seen";
   EXPECT_EQ(FindMenuHoldingItem(IDM_VM_SETTINGS, main, true), vmMenu);
   EXPECT_EQ(FindMenuHoldingItem(IDM_VM_SETTINGS, nullptr, true), nullptr);

   const PopupIdPair table[] = {{IDM_VM_POWER_MENU, IDM_VM_POWER_ON}, {IDM_VM_DEVICES_MENU, IDM_VM_DEVICE_FIRST},
                                {IDM_VM_SNAPSHOT_MENU, IDM_VM_SNAPSHOT_TAKE}, {IDM_VM_REPLAY_MENU, IDM_VM_REPLAY_PLAY},
                                {IDM_TEAM_SWITCH_MENU, IDM_TEAM_NEXT_VM}, {0, 0}};
   AssignPopupIds(main, table);
   auto popupId = [](HMENU menu, int pos) {
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_ID;
      GetMenuItemInfoA(menu, pos, TRUE, &info);
      return info.wID;
   };
   EXPECT_EQ(popupId(vmMenu, 0), static_cast<UINT>(IDM_VM_POWER_MENU));
   EXPECT_EQ(popupId(vmMenu, 1), static_cast<UINT>(IDM_VM_SNAPSHOT_MENU));
   EXPECT_EQ(popupId(vmMenu, 2), static_cast<UINT>(IDM_VM_DEVICES_MENU));
   EXPECT_EQ(popupId(vmMenu, 3), static_cast<UINT>(IDM_VM_REPLAY_MENU));
   EXPECT_EQ(popupId(GetSubMenu(main, 7), 1), static_cast<UINT>(IDM_TEAM_SWITCH_MENU));
   EXPECT_EQ(popupId(main, 6), kNoPopupId) << "the VM menu holds none of the members directly";
   EXPECT_EQ(popupId(GetSubMenu(main, 0), 0), kNoPopupId) << "File > New is named by no row";
   DestroyMenu(main);
}

TEST(MenuUtil, TakingAnItemOutTidiesOneSeparator)
{
   struct Case {
      std::vector<UINT> before;
      UINT removed;
      std::vector<UINT> after;
      const char *what;
   } cases[] = {
      {{10, 0, 20, 30}, 10, {20, 30}, "the first item takes the separator after it"},
      {{10, 0, 20, 0, 30}, 20, {10, 0, 30}, "an item between separators takes the one before it"},
      {{10, 0, 20}, 20, {10}, "the last item takes the separator before it"},
      {{10, 0, 20, 30}, 20, {10, 0, 30}, "an item followed by another keeps the separator before it"},
      {{10, 20, 0}, 20, {10, 0}, "a separator left at the end stays"},
      {{10, 20}, 99, {10, 20}, "an unknown id removes nothing"},
   };
   for (const Case &c : cases) {
      HMENU menu = MakeMenu(c.before);
      EXPECT_EQ(RemoveMenuItemAndSeparator(menu, c.removed), c.removed != 99) << c.what;
      EXPECT_EQ(Ids(menu), c.after) << c.what;
      DestroyMenu(menu);
   }
}

TEST(MenuUtil, ItemTextsAreSetByIdAndKeepTheItem)
{
   HMENU menu = MakeMenu({10, 20});
   ASSERT_TRUE(SetMenuItemText(menu, 20, "Remove from &Favorites"));
   EXPECT_EQ(GetMenuItemText(menu, 20), "Remove from &Favorites");
   EXPECT_EQ(GetMenuItemID(menu, 1), 20u);
   EXPECT_EQ(GetMenuItemText(menu, 30), "");
   DestroyMenu(menu);
}

TEST(MenuUtil, TextsOutsideAsciiReachTheMenuAndComeBackAsWritten)
{
   HMENU menu = MakeMenu({10, 20});
   for (const WorldText &text : kWorldTexts) {
      ASSERT_TRUE(SetMenuItemText(menu, 20, text.utf8));
      EXPECT_EQ(Label(menu, 1), text.wide) << "what the menu shows";
      ASSERT_TRUE(ModifyMenuW(menu, 10, MF_BYCOMMAND | MF_STRING, 10, text.wide));
      EXPECT_EQ(GetMenuItemText(menu, 10), text.utf8) << "what the program reads of a text the system holds";
   }
   const std::string path = std::string(u8"C:\\M\u00e1quinas virtuales\\Pr\u00fcfung.vmx");
   ASSERT_TRUE(InsertNumberedMenuItem(menu, WideFromUtf8(kWorldTexts[3].utf8), 0, 0, path.c_str(),
                                      IDM_WINDOW_FIRST_TAB, false));
   EXPECT_EQ(Label(menu, 0), std::wstring(L"&1   ") + kWorldTexts[3].wide);
   EXPECT_EQ(GetMenuItemPath(menu, IDM_WINDOW_FIRST_TAB, false), path) << "the item's path is kept as bytes";
   RemoveMenuItemWithData(menu, 0);
   DestroyMenu(menu);
}

TEST(MenuUtil, AcceleratorTextsComeFromTheProgramsTable)
{
   HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCEL_NORMAL));
   ASSERT_NE(table, nullptr);
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VM_POWER_ON), "\tCtrl+B");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VM_POWER_OFF), "\tCtrl+E");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VM_SUSPEND), "\tCtrl+Z");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VM_RESET), "\tCtrl+R");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_TEAM_POWER_ON), "\tCtrl+Shift+B");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VIEW_QUICK_SWITCH), "\tF11");
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_VM_START_GUEST), "") << "a command without a key";
   EXPECT_EQ(AcceleratorMenuSuffix(table, IDM_WINDOW_NEXT_TAB), "") << "a key that has no name here";
   EXPECT_EQ(AcceleratorMenuSuffix(nullptr, IDM_VM_POWER_ON), "");

   EXPECT_EQ(AcceleratorKeyText(ACCEL{FVIRTKEY | FCONTROL | FALT, '7', 0}), "Ctrl+Alt+7");
   EXPECT_EQ(AcceleratorKeyText(ACCEL{FCONTROL, 'B', 0}), "") << "a character, not a virtual key";
}

}  // namespace
