// The toolbars: stored button orders are repaired before use, texts fit their buffers, the
// power buttons follow a machine's or a team's state, and clicks carry the right codes.
#include "FrameTestEnv.h"
#include "PowerToolbarCtl.h"
#include "QuickSwitchToolbarCtl.h"
#include "ViewToolbarCtl.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cwchar>
#include <string>
#include <vector>

namespace {

// A rebar in a plain top-level window to put toolbars in.
class RebarHost {
public:
   RebarHost()
   {
      INITCOMMONCONTROLSEX init = {sizeof init, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
      InitCommonControlsEx(&init);
      top_ = CreateWindowExA(0, "STATIC", "toolbar test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 200, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
      rebar = CreateWindowExA(0, REBARCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 600, 60, top_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
   }
   ~RebarHost() { DestroyWindow(top_); }
   HWND rebar = nullptr;

private:
   HWND top_ = nullptr;
};

std::vector<int> ButtonCommands(HWND toolbar)
{
   std::vector<int> commands;
   int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
   for (int i = 0; i < count; ++i) {
      TBBUTTON button = {};
      SendMessageA(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      commands.push_back((button.fsStyle & TBSTYLE_SEP) ? 1 : button.idCommand);
   }
   return commands;
}

TEST(ToolbarItems, StoredOrderLosesUnknownItemsAndSecondMentions)
{
   const std::vector<int> known = {2, 3, 4, 5};
   const std::vector<int> defaults = {2, 3, 4, 5};
   EXPECT_EQ(RepairToolbarItems({5, 4, 3, 2}, known, defaults), (std::vector<int>{5, 4, 3, 2}))
       << "a valid order is kept as the user left it";
   EXPECT_EQ(RepairToolbarItems({4, 4, 2, 99, 4}, known, defaults), (std::vector<int>{4, 2}));
   EXPECT_EQ(RepairToolbarItems({1, 3, 1, 2}, known, defaults), (std::vector<int>{1, 3, 1, 2}))
       << "separators may repeat";
   EXPECT_EQ(RepairToolbarItems({1, 99, -7}, known, defaults), defaults) << "no button left: the defaults";
   EXPECT_EQ(RepairToolbarItems({}, known, defaults), defaults);
}

TEST(ToolbarItems, PreferencesKeepTheListAndDropWhatIsNoNumber)
{
   FrameTestEnv env;
   std::vector<int> items = {7};
   env.prefs->GetToolbarItems(1, items);
   EXPECT_EQ(items, (std::vector<int>{7})) << "nothing stored: the caller's list stays";
   env.prefs->SetToolbarItems(1, {4, 1, 2});
   EXPECT_EQ(env.Pref("val/zolt/toolbar/1/items"), "4,1,2");
   env.prefs->GetToolbarItems(1, items);
   EXPECT_EQ(items, (std::vector<int>{4, 1, 2}));
   env.ctx.Set(env.prefs->GetRequestPath() + "val/zolt/toolbar/1/items", "3,x,,5z,2");
   env.prefs->GetToolbarItems(1, items);
   EXPECT_EQ(items, (std::vector<int>{3, 2}));
}

TEST(ToolbarItems, TextsAreCutToLeaveRoomForTheTerminatorAndNeverSplitACharacter)
{
   wchar_t buffer[8];
   wmemset(buffer, L'x', 8);
   CopyTruncated(buffer, 8, "0123456789");
   EXPECT_STREQ(buffer, L"0123456");
   CopyTruncated(buffer, 8, "abc");
   EXPECT_STREQ(buffer, L"abc");
   // The buffer counts characters, not the bytes of UTF-8.
   CopyTruncated(buffer, 8, u8"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430");
   EXPECT_STREQ(buffer, L"\u041f\u0440\u043e\u0432\u0435\u0440\u043a");
   // A character past the 16-bit plane takes two; it goes whole or not at all.
   CopyTruncated(buffer, 8, u8"\u4eee\u60f3\u30de\u30b7\u30f3 \U0001d11e");
   EXPECT_STREQ(buffer, L"\u4eee\u60f3\u30de\u30b7\u30f3 ");
   CopyTruncated(buffer, 8, u8"\u4eee\u60f3\u30de\u30b7\u30f3\U0001d11e");
   EXPECT_STREQ(buffer, L"\u4eee\u60f3\u30de\u30b7\u30f3\U0001d11e");
}

TEST(ToolbarWindow, AStoredLayoutNamingItemsTwiceOrUnknownItemsIsRepaired)
{
   FrameTestEnv env;
   env.prefs->SetToolbarItems(1, {4, 4, 99, 2, 4});
   RebarHost host;
   CVMToolbarCtl power;
   ASSERT_TRUE(power.Init(host.rebar));
   EXPECT_EQ(ButtonCommands(power.m_hWnd), (std::vector<int>{IDM_VM_POWER_ON, IDM_VM_POWER_OFF}));
   EXPECT_EQ(power.FindItem(4)->position, 0);
   EXPECT_EQ(power.FindItem(2)->position, 1);
   EXPECT_EQ(power.FindItem(3)->position, -1) << "a button left out is not inserted";

   // Saving writes back what the toolbar shows, not what was stored.
   power.SaveItems();
   EXPECT_EQ(env.Pref("val/zolt/toolbar/1/items"), "4,2");
   power.DestroyWindow();
}

TEST(ToolbarWindow, ResetGivesTheDefaultsAndCustomizingDefersSaving)
{
   FrameTestEnv env;
   RebarHost host;
   CViewToolbarCtl view;
   ASSERT_TRUE(view.Init(host.rebar));
   const std::vector<int> defaults = {IDM_VIEW_SIDEBAR, IDM_TB_QUICK_SWITCH, IDM_TB_FULL_SCREEN, 1,
                                      IDM_VIEW_SUMMARY, IDM_VIEW_APPLIANCE, IDM_VIEW_CONSOLE};
   EXPECT_EQ(ButtonCommands(view.m_hWnd), defaults);

   NMHDR begin = {view.m_hWnd, 0, static_cast<UINT>(TBN_BEGINADJUST)};
   SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&begin));
   EXPECT_TRUE(view.IsCustomizing());
   SendMessageA(view.m_hWnd, TB_DELETEBUTTON, 0, 0);
   view.SaveItems();
   EXPECT_EQ(env.Pref("val/zolt/toolbar/4/items"), "") << "nothing is stored while customizing";

   NMHDR reset = {view.m_hWnd, 0, static_cast<UINT>(TBN_RESET)};
   SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&reset));
   NMHDR end = {view.m_hWnd, 0, static_cast<UINT>(TBN_ENDADJUST)};
   SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&end));
   EXPECT_FALSE(view.IsCustomizing());
   EXPECT_EQ(ButtonCommands(view.m_hWnd), defaults) << "reset puts a separator before the summary button";
   EXPECT_EQ(env.Pref("val/zolt/toolbar/4/items"), "16,17,18,1,19,20,21");

   // The customization dialog's enumeration ends past the last record.
   wchar_t text[64] = {};
   NMTOOLBARW info = {};
   info.hdr = {view.m_hWnd, 0, static_cast<UINT>(TBN_GETBUTTONINFOW)};
   info.pszText = text;
   info.cchText = 4;
   info.iItem = 0;
   EXPECT_TRUE(SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)));
   EXPECT_EQ(info.tbButton.idCommand, IDM_VIEW_SIDEBAR);
   EXPECT_STREQ(text, L"Sid") << "the text is cut to the dialog's buffer";
   info.iItem = 6;
   EXPECT_FALSE(SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)));
   info.iItem = -1;
   EXPECT_FALSE(SendMessageA(view.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)));
   view.DestroyWindow();
}

// A toolbar whose buttons carry texts given by the test.
class NamedButtonsToolbar : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override
   {
      const std::vector<int> defaults = {2, 3};
      return CreateWithItems(rebar, kCommonStyle, nullptr, nullptr, nullptr, 0, defaults);
   }
   void UpdateButtons() override {}
   int GetToolbarType() const override { return 6; }

protected:
   void AddButtons() override
   {
      AddButton(IDM_VM_POWER_ON, 2, 0, u8"\u0395\u03ba\u03ba\u03af\u03bd\u03b7\u03c3\u03b7", BTNS_SHOWTEXT);
      AddButton(IDM_VM_POWER_OFF, 3, 1, u8"\u505c\u6b62 \u0421\u0442\u043e\u043f", BTNS_SHOWTEXT);
   }
};

TEST(ToolbarWindow, ButtonTextsAndTheCustomizeListShowTextsOutsideAscii)
{
   FrameTestEnv env;
   RebarHost host;
   NamedButtonsToolbar toolbar;
   ASSERT_TRUE(toolbar.Init(host.rebar));
   wchar_t shown[64] = {};
   ASSERT_GT(SendMessageW(toolbar.m_hWnd, TB_GETBUTTONTEXTW, IDM_VM_POWER_ON, reinterpret_cast<LPARAM>(shown)), 0);
   EXPECT_STREQ(shown, L"\u0395\u03ba\u03ba\u03af\u03bd\u03b7\u03c3\u03b7");
   ASSERT_GT(SendMessageW(toolbar.m_hWnd, TB_GETBUTTONTEXTW, IDM_VM_POWER_OFF, reinterpret_cast<LPARAM>(shown)), 0);
   EXPECT_STREQ(shown, L"\u505c\u6b62 \u0421\u0442\u043e\u043f");

   // The customization dialog's list asks for each row.
   wchar_t row[64] = {};
   NMTOOLBARW info = {};
   info.hdr = {toolbar.m_hWnd, 0, static_cast<UINT>(TBN_GETBUTTONINFOW)};
   info.pszText = row;
   info.cchText = 64;
   info.iItem = 1;
   ASSERT_TRUE(SendMessageW(toolbar.m_hWnd, OCM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)));
   EXPECT_STREQ(row, L"\u505c\u6b62 \u0421\u0442\u043e\u043f");
   toolbar.DestroyWindow();
}

TEST(ToolbarWindow, ViewToolbarHasNoQuickSwitchButtonWhenQuickSwitchIsDisabled)
{
   FrameTestEnv env;
   env.prefs->SetBool("val/zolt/view/quickSwitchEnabled", false);
   env.prefs->SetToolbarItems(4, {17, 16, 18});
   RebarHost host;
   CViewToolbarCtl view;
   ASSERT_TRUE(view.Init(host.rebar));
   EXPECT_EQ(ButtonCommands(view.m_hWnd), (std::vector<int>{IDM_VIEW_SIDEBAR, IDM_TB_FULL_SCREEN}));
   EXPECT_FALSE(view.OwnsCommand(IDM_TB_QUICK_SWITCH));
   view.DestroyWindow();
}

TEST(ToolbarWindow, ClicksCarryTheirCodesAndACheckedPowerButtonDoesNothing)
{
   FrameTestEnv env;
   RebarHost host;
   CVMToolbarCtl power;
   CQuickSwitchToolbarCtl quick;
   ASSERT_TRUE(power.Init(host.rebar));
   ASSERT_TRUE(quick.Init(host.rebar));
   std::vector<long> codes;
   power.clicked.connect([&codes](long code) { codes.push_back(code); });
   quick.clicked.connect([&codes](long code) { codes.push_back(code); });
   for (int command : {IDM_VM_POWER_ON, IDM_VM_POWER_OFF, IDM_VM_SUSPEND, IDM_VM_RESET}) {
      SendMessageA(power.m_hWnd, OCM_COMMAND, command, reinterpret_cast<LPARAM>(power.m_hWnd));
   }
   for (int command : {IDM_TB_MINIMIZE, IDM_TB_LEAVE_QUICK_SWITCH, IDM_FILE_EXIT}) {
      SendMessageA(quick.m_hWnd, OCM_COMMAND, command, reinterpret_cast<LPARAM>(quick.m_hWnd));
   }
   EXPECT_EQ(codes, (std::vector<long>{6, 7, 8, 9, 17, 2, 18}));

   codes.clear();
   SendMessageA(power.m_hWnd, TB_SETSTATE, IDM_VM_POWER_ON, MAKELONG(TBSTATE_ENABLED | TBSTATE_CHECKED, 0));
   SendMessageA(power.m_hWnd, OCM_COMMAND, IDM_VM_POWER_ON, reinterpret_cast<LPARAM>(power.m_hWnd));
   EXPECT_TRUE(codes.empty());

   // The quick-switch toolbar cannot be customized and keeps its buttons narrow.
   EXPECT_FALSE(GetWindowLongA(quick.m_hWnd, GWL_STYLE) & CCS_ADJUSTABLE);
   RECT rect = {};
   SendMessageA(quick.m_hWnd, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
   EXPECT_EQ(rect.right - rect.left, CQuickSwitchToolbarCtl::kButtonWidth);
   power.DestroyWindow();
   quick.DestroyWindow();
}

TEST(PowerButtons, FollowTheMachineAndOnlyThePushedOneStaysEnabledWhileBusy)
{
   VMPowerFacts off;
   off.power = cui::VM::POWERED_OFF;
   off.onAction = cui::VM::ACTION_AVAILABLE;
   PowerButtonState on = VMPowerButtonState(off, IDM_VM_POWER_ON);
   EXPECT_TRUE(on.enabled);
   EXPECT_FALSE(on.pushed);
   PowerButtonState offButton = VMPowerButtonState(off, IDM_VM_POWER_OFF);
   EXPECT_TRUE(offButton.pushed);
   EXPECT_TRUE(offButton.enabled) << "pushed and no action under way";
   EXPECT_FALSE(VMPowerButtonState(off, IDM_VM_SUSPEND).enabled);
   EXPECT_FALSE(VMPowerButtonState(off, IDM_VM_RESET).enabled);

   VMPowerFacts running;
   running.power = cui::VM::POWERED_ON;
   running.offAction = cui::VM::ACTION_AVAILABLE;
   running.suspendAction = cui::VM::ACTION_AVAILABLE;
   EXPECT_TRUE(VMPowerButtonState(running, IDM_VM_POWER_ON).pushed);
   EXPECT_TRUE(VMPowerButtonState(running, IDM_VM_POWER_OFF).enabled);
   EXPECT_TRUE(VMPowerButtonState(running, IDM_VM_SUSPEND).enabled);
   EXPECT_TRUE(VMPowerButtonState(running, IDM_VM_RESET).enabled);
   EXPECT_FALSE(VMPowerButtonState(running, IDM_VM_RESET).pushed) << "reset is never pushed";

   // Powering off: the off button is pushed while its action runs; everything else is disabled.
   VMPowerFacts stopping = running;
   stopping.offAction = cui::VM::ACTION_RUNNING;
   stopping.busyPower = true;
   stopping.busy = true;
   PowerButtonState stoppingOff = VMPowerButtonState(stopping, IDM_VM_POWER_OFF);
   EXPECT_TRUE(stoppingOff.pushed);
   EXPECT_FALSE(stoppingOff.enabled) << "its own action runs";
   EXPECT_FALSE(VMPowerButtonState(stopping, IDM_VM_POWER_ON).pushed) << "not settled while busy";
   EXPECT_FALSE(VMPowerButtonState(stopping, IDM_VM_SUSPEND).enabled);
   EXPECT_FALSE(VMPowerButtonState(stopping, IDM_VM_RESET).enabled);

   VMPowerFacts configuring = running;
   configuring.busy = true;
   EXPECT_TRUE(VMPowerButtonState(configuring, IDM_VM_POWER_ON).enabled) << "the pushed button stays enabled";
   EXPECT_FALSE(VMPowerButtonState(configuring, IDM_VM_POWER_OFF).enabled);
}

TEST(PowerButtons, TeamButtonsFollowTheTeamsPowerState)
{
   PowerButtonState on = TeamPowerButtonState(cui::VM::POWERED_ON, true, IDM_VM_POWER_ON);
   EXPECT_TRUE(on.pushed);
   EXPECT_FALSE(on.enabled);
   EXPECT_TRUE(TeamPowerButtonState(cui::VM::POWERED_ON, true, IDM_VM_POWER_OFF).enabled);
   EXPECT_FALSE(TeamPowerButtonState(cui::VM::POWERED_ON, false, IDM_VM_POWER_OFF).enabled);
   EXPECT_FALSE(TeamPowerButtonState(cui::VM::POWERED_ON, true, IDM_VM_RESET).pushed);
   EXPECT_EQ(PowerOperationOf(IDM_VM_RESET), 4);
   EXPECT_EQ(PowerOperationOf(IDM_VM_SUSPEND), 2);
   EXPECT_EQ(PowerOperationOf(IDM_VM_SNAPSHOT_TAKE), -1);
}

}  // namespace
