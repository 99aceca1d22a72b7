// The command bar: toolbar codes become commands, bands take their stored places and rows, hiding
// the first toolbar of a row keeps the row, and tooltips reach the toolbar that owns the command.
#include "FrameTestEnv.h"
#include "resource.h"
#include "zoltFrame.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

bool BandStyle(HWND rebar, int id, UINT style)
{
   int index = static_cast<int>(SendMessageA(rebar, RB_IDTOINDEX, id, 0));
   REBARBANDINFOA band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE;
   SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
   return index >= 0 && (band.fStyle & style) != 0;
}

TEST(CmdbarCodes, EachCodeGivesItsCommandAndTeamsGetTheTeamPowerCommands)
{
   const struct {
      long code;
      CommandId vm;
      CommandId team;
   } rows[] = {
      {1, IDM_VIEW_SIDEBAR, IDM_VIEW_SIDEBAR},
      {2, IDM_VIEW_QUICK_SWITCH, IDM_VIEW_QUICK_SWITCH},
      {3, IDM_ZEPHRO_POLICIES, IDM_ZEPHRO_POLICIES},
      {4, IDM_ZEPHRO_NEW_PACKAGE, IDM_ZEPHRO_NEW_PACKAGE},
      {5, IDM_VIEW_FULL_SCREEN, IDM_VIEW_FULL_SCREEN},
      {6, IDM_VM_POWER_ON, IDM_TEAM_POWER_ON},
      {7, IDM_VM_POWER_OFF, IDM_TEAM_POWER_OFF},
      {8, IDM_VM_SUSPEND, IDM_TEAM_SUSPEND},
      {9, IDM_VM_RESET, IDM_TEAM_RESET},
      {10, IDM_VM_SNAPSHOT_REVERT, IDM_VM_SNAPSHOT_REVERT},
      {11, IDM_VM_SNAPSHOT_TAKE, IDM_VM_SNAPSHOT_TAKE},
      {12, IDM_ZEPHRO_PREVIEW, IDM_ZEPHRO_PREVIEW},
      {13, IDM_VIEW_SUMMARY, IDM_VIEW_SUMMARY},
      {14, IDM_VIEW_APPLIANCE, IDM_VIEW_APPLIANCE},
      {15, IDM_VIEW_CONSOLE, IDM_VIEW_CONSOLE},
      {16, IDM_VM_SNAPSHOT_MANAGER, IDM_VM_SNAPSHOT_MANAGER},
      {20, IDM_ZEPHRO_PACKAGE_SETTINGS, IDM_ZEPHRO_PACKAGE_SETTINGS},
      {21, IDM_VM_REPLAY_PLAY, IDM_VM_REPLAY_PLAY},
      {26, IDM_VM_REPLAY_RECORD, IDM_VM_REPLAY_RECORD},
      {28, IDM_VM_REPLAY_STOP, IDM_VM_REPLAY_STOP},
      {29, IDM_ZEPHRO_NEW_PORTABLE_PACKAGE, IDM_ZEPHRO_NEW_PORTABLE_PACKAGE},
   };
   for (const auto &row : rows) {
      EXPECT_EQ(ToolbarCodeToCommand(row.code, false), row.vm) << "code " << row.code;
      EXPECT_EQ(ToolbarCodeToCommand(row.code, true), row.team) << "code " << row.code;
   }
   for (long code : {0L, 17L, 18L, 19L, 22L, 27L, 30L, -1L}) {
      EXPECT_EQ(ToolbarCodeToCommand(code, false), 0) << "code " << code << " names no command";
   }
}

TEST(CmdbarBands, NewBandsGoBeforeTheFirstBandStoredFurtherOn)
{
   EXPECT_EQ(FindBandInsertPosition({}, 3), -1);
   EXPECT_EQ(FindBandInsertPosition({0, 2, 5}, 3), 2);
   EXPECT_EQ(FindBandInsertPosition({0, 2, 5}, 9), -1);
   EXPECT_EQ(FindBandInsertPosition({-1, -1}, -1), -1) << "never stored: appended in insertion order";
}

TEST(CmdbarBands, FirstRunPutsTheMenuBarAloneOnTheFirstRow)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("command bar test"));
   HWND rebar = frame.GetCmdbar().GetRebar();
   ASSERT_TRUE(rebar);
   EXPECT_EQ(frame.GetCmdbar().GetBandIds(), (std::vector<int>{0, 1, 3, 4, 7})) << "no Zephro band";
   EXPECT_TRUE(BandStyle(rebar, 0, RBBS_BREAK));
   EXPECT_TRUE(BandStyle(rebar, 1, RBBS_BREAK));
   EXPECT_FALSE(BandStyle(rebar, 3, RBBS_BREAK));
   EXPECT_FALSE(BandStyle(rebar, 7, RBBS_BREAK));
   EXPECT_EQ(frame.GetCmdbar().GetToolbar(2), nullptr) << "the Zephro toolbar is never made";
   frame.DestroyWindow();
}

TEST(CmdbarBands, StoredPlacesAndRowsAreRestoredAndSaved)
{
   FrameTestEnv env;
   // The view toolbar first on row two, then power; snapshot on a row of its own.
   const int layout[][3] = {{0, 0, 1}, {4, 1, 1}, {1, 2, 0}, {3, 3, 1}, {7, 4, 0}};
   for (const auto &band : layout) {
      env.prefs->SetToolbarIndex(band[0], band[1]);
      env.prefs->SetToolbarLength(band[0], 150);
      env.prefs->SetToolbarNewLine(band[0], band[2] != 0);
   }
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("command bar test"));
   CZOLTCmdbar &cmdbar = frame.GetCmdbar();
   EXPECT_EQ(cmdbar.GetBandIds(), (std::vector<int>{0, 4, 1, 3, 7}));
   EXPECT_TRUE(BandStyle(cmdbar.GetRebar(), 3, RBBS_BREAK));
   EXPECT_FALSE(BandStyle(cmdbar.GetRebar(), 1, RBBS_BREAK));

   SendMessageA(cmdbar.GetRebar(), RB_MOVEBAND, 4, 1);   // the replay toolbar to the front of row two
   cmdbar.SaveToolbarPositions();
   EXPECT_EQ(env.prefs->GetToolbarIndex(7), 1);
   EXPECT_EQ(env.prefs->GetToolbarIndex(4), 2);
   EXPECT_EQ(env.prefs->GetToolbarIndex(5), -1) << "the quick-switch band is never stored";
   frame.DestroyWindow();
}

TEST(CmdbarBands, HidingTheFirstToolbarOfARowKeepsTheRow)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("command bar test"));
   HWND rebar = frame.GetCmdbar().GetRebar();
   env.prefs->SetToolbarShow(1, false);
   FrameTestEnv::Drain();
   EXPECT_TRUE(BandStyle(rebar, 1, RBBS_HIDDEN));
   EXPECT_TRUE(BandStyle(rebar, 3, RBBS_BREAK)) << "the next toolbar begins the row now";
   EXPECT_TRUE(env.prefs->GetToolbarNewLine(3));

   env.prefs->SetToolbarShow(1, true);
   FrameTestEnv::Drain();
   EXPECT_FALSE(BandStyle(rebar, 1, RBBS_HIDDEN));

   // Quick switch brings its band, before the first shown band that begins a row; its toolbar is
   // made then, once.
   CToolbarBaseCtl *quick = frame.GetCmdbar().GetToolbar(wui::Prefs::TOOLBAR_QUICK_SWITCH);
   ASSERT_TRUE(quick);
   EXPECT_FALSE(quick->m_hWnd) << "start-up leaves it for later";
   env.prefs->SetQuickSwitch(true);
   FrameTestEnv::Drain();
   std::vector<int> ids = frame.GetCmdbar().GetBandIds();
   ASSERT_EQ(ids.size(), 6u);
   EXPECT_EQ(ids[1], 5);
   HWND made = quick->m_hWnd;
   ASSERT_TRUE(made);
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_CHILD;
   SendMessageW(rebar, RB_GETBANDINFOW, 1, reinterpret_cast<LPARAM>(&band));
   EXPECT_EQ(band.hwndChild, made);
   env.prefs->SetQuickSwitch(false);
   FrameTestEnv::Drain();
   EXPECT_EQ(frame.GetCmdbar().GetBandIds().size(), 5u);
   env.prefs->SetQuickSwitch(true);
   FrameTestEnv::Drain();
   EXPECT_EQ(frame.GetCmdbar().GetBandIds().size(), 6u);
   EXPECT_EQ(quick->m_hWnd, made);
   env.prefs->SetQuickSwitch(false);
   FrameTestEnv::Drain();
   frame.DestroyWindow();
}

TEST(CmdbarTooltips, TheToolbarOwningTheCommandFillsTheText)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("command bar test"));
   NMTTDISPINFOW info = {};
   info.hdr.hwndFrom = frame.m_hWnd;
   info.hdr.idFrom = IDM_VM_SNAPSHOT_TAKE;
   info.hdr.code = TTN_GETDISPINFOW;
   SendMessageW(frame.GetCmdbar().m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
   EXPECT_STREQ(info.lpszText, L"Take a snapshot of this virtual machine");
   info = {};
   info.hdr.hwndFrom = frame.m_hWnd;
   info.hdr.idFrom = IDM_VM_POWER_OFF;
   info.hdr.code = TTN_GETDISPINFOW;
   SendMessageW(frame.GetCmdbar().m_hWnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
   EXPECT_STREQ(info.lpszText, L"Power off this virtual machine");

   // The toolbars and the rebar were told to notify in the wide form, so a button's own tooltip
   // asks the command bar for its text and gets it.
   CToolbarBaseCtl *snapshot = frame.GetCmdbar().GetToolbar(3);
   ASSERT_TRUE(snapshot && snapshot->m_hWnd);
   EXPECT_EQ(SendMessageW(frame.GetCmdbar().GetRebar(), WM_NOTIFYFORMAT,
                          reinterpret_cast<WPARAM>(frame.GetCmdbar().GetRebar()), NF_REQUERY),
             NFR_UNICODE);
   HWND tips = reinterpret_cast<HWND>(SendMessageW(snapshot->m_hWnd, TB_GETTOOLTIPS, 0, 0));
   ASSERT_TRUE(tips);
   wchar_t tip[128] = {};
   TTTOOLINFOW tool = {};
   tool.cbSize = sizeof tool;
   tool.hwnd = snapshot->m_hWnd;
   tool.uId = IDM_VM_SNAPSHOT_TAKE;
   tool.lpszText = tip;
   SendMessageW(tips, TTM_GETTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
   EXPECT_STREQ(tip, L"Take a snapshot of this virtual machine");
   frame.DestroyWindow();
}

TEST(CmdbarClicks, AToolbarButtonClickReachesTheCommandBarsSlot)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("command bar test"));
   CToolbarBaseCtl *view = frame.GetCmdbar().GetToolbar(4);
   ASSERT_TRUE(view && view->m_hWnd);
   std::vector<long> codes;
   view->clicked.connect([&codes](long code) { codes.push_back(code); });

   // A click on the side-bar button, as the mouse gives it.
   RECT button = {};
   ASSERT_TRUE(SendMessageA(view->m_hWnd, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button)));
   LPARAM at = MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
   SendMessageA(view->m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
   SendMessageA(view->m_hWnd, WM_LBUTTONUP, 0, at);
   FrameTestEnv::Drain();
   EXPECT_EQ(codes, (std::vector<long>{1}));

   // The toolbar's command as the window it sits in receives it.
   SendMessageA(GetParent(view->m_hWnd), WM_COMMAND, MAKEWPARAM(IDM_VIEW_SUMMARY, BN_CLICKED),
                reinterpret_cast<LPARAM>(view->m_hWnd));
   EXPECT_EQ(codes, (std::vector<long>{1, 13}));
   frame.DestroyWindow();
}

}  // namespace
