// The frame: where its children go, which mode the fit flags give, the private messages it
// trusts, the system menu's window-controls item and the session-end answer.
#include "FrameTestEnv.h"
#include "resource.h"
#include "zoltFrame.h"

#include <gtest/gtest.h>

#include <string>

namespace {

FrameLayoutInput Input(bool sidebar, bool statusBar, bool chrome, int mode)
{
   FrameLayoutInput input;
   input.client = {0, 0, 800, 600};
   input.cmdbarHeight = 56;
   input.sidebarWidth = 270;
   input.statusHeight = 22;
   input.sidebar = sidebar;
   input.statusBar = statusBar;
   input.chrome = chrome;
   input.mode = mode;
   return input;
}

bool SameRect(const RECT &a, const RECT &b)
{
   return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(FrameLayout, ViewTakesWhatTheBarsLeave)
{
   FrameLayout all = ComputeFrameLayout(Input(true, true, true, MODE_NORMAL));
   EXPECT_TRUE(SameRect(all.cmdbar, RECT{0, 0, 800, 56}));
   EXPECT_TRUE(SameRect(all.sidebar, RECT{0, 56, 270, 578}));
   EXPECT_TRUE(SameRect(all.view, RECT{270, 56, 800, 578}));
   EXPECT_TRUE(SameRect(all.status, RECT{0, 578, 800, 600}));

   FrameLayout bare = ComputeFrameLayout(Input(false, false, true, MODE_GUEST_FOLLOWS_WINDOW));
   EXPECT_FALSE(bare.showSidebar);
   EXPECT_FALSE(bare.showStatus);
   EXPECT_TRUE(SameRect(bare.view, RECT{0, 56, 800, 600}));

   // Hidden controls, quick switch and full screen leave the whole client area to the view.
   for (FrameLayout layout : {ComputeFrameLayout(Input(true, true, false, MODE_NORMAL)),
                              ComputeFrameLayout(Input(true, true, true, MODE_QUICK_SWITCH)),
                              ComputeFrameLayout(Input(true, true, true, MODE_FULL_SCREEN))}) {
      EXPECT_FALSE(layout.showCmdbar || layout.showSidebar || layout.showStatus);
      EXPECT_TRUE(SameRect(layout.view, RECT{0, 0, 800, 600}));
   }

   FrameLayoutInput tiny = Input(true, true, true, MODE_NORMAL);
   tiny.client = {0, 0, 200, 60};
   FrameLayout squeezed = ComputeFrameLayout(tiny);
   EXPECT_LE(squeezed.sidebar.right, 200) << "the side bar never passes the client area";
   EXPECT_GE(squeezed.view.bottom, squeezed.view.top);
}

TEST(FrameLayout, ModeFollowsTheFitFlagsInOrder)
{
   EXPECT_EQ(ComputeWindowMode(0, false, false), MODE_NORMAL);
   EXPECT_EQ(ComputeWindowMode(FIT_QUICK_SWITCH | FIT_FULL_SCREEN, false, false), MODE_QUICK_SWITCH);
   EXPECT_EQ(ComputeWindowMode(FIT_FULL_SCREEN | FIT_GUEST, false, false), MODE_FULL_SCREEN);
   EXPECT_EQ(ComputeWindowMode(FIT_GUEST | FIT_WINDOW, true, false), MODE_NORMAL) << "a fit is in progress";
   EXPECT_EQ(ComputeWindowMode(FIT_GUEST | FIT_WINDOW, false, false), MODE_GUEST_FOLLOWS_WINDOW);
   EXPECT_EQ(ComputeWindowMode(FIT_WINDOW, false, false), MODE_WINDOW_FOLLOWS_GUEST);
   EXPECT_EQ(ComputeWindowMode(FIT_WINDOW, false, true), MODE_NORMAL) << "a maximised window follows nothing";
}

TEST(FrameLayout, StoredSideBarWidthIsKeptUsable)
{
   EXPECT_EQ(ClampNavbarWidth(0, 0), CZOLTFrame::kDefaultNavbarWidth);
   EXPECT_EQ(ClampNavbarWidth(-40, 800), CZOLTFrame::kDefaultNavbarWidth);
   EXPECT_EQ(ClampNavbarWidth(20, 800), 100);
   EXPECT_EQ(ClampNavbarWidth(5000, 800), 800);
   EXPECT_EQ(ClampNavbarWidth(300, 800), 300);
}

TEST(FrameSession, BlockReasonNamesOneOrManyMachines)
{
   EXPECT_EQ(RunningMachinesReason(0), "");
   EXPECT_EQ(RunningMachinesReason(1), "A virtual machine is in use. Close it before you end the session.");
   EXPECT_EQ(RunningMachinesReason(3), "3 virtual machines are in use. Close them before you end the session.");
}

TEST(FrameMessages, FileImportRecordsAreTakenOnlyWhenThisProcessMadeThem)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   int errors = 0;

   // A pointer the frame never handed out (another process's lParam) is left alone.
   FileImportRecord foreign;
   foreign.error = [&errors](cui::Error) { ++errors; };
   SendMessageA(frame.m_hWnd, CZOLTFrame::WM_FILE_IMPORT_DONE, 0, reinterpret_cast<LPARAM>(&foreign));
   SendMessageA(frame.m_hWnd, CZOLTFrame::WM_FILE_IMPORT_DONE, 0, 0x1234);
   SendMessageA(frame.m_hWnd, CZOLTFrame::WM_FILE_IMPORT_DONE, 0, 0);
   EXPECT_EQ(errors, 0);

   // A failed import of ours reports through its error slot, once; the record is gone after.
   FileImportRecord *mine = CZOLTFrame::NewFileImportRecord();
   mine->success = false;
   mine->error = [&errors](cui::Error error) {
      ++errors;
      EXPECT_TRUE(error.IsEmpty());
   };
   SendMessageA(frame.m_hWnd, CZOLTFrame::WM_FILE_IMPORT_DONE, 0, reinterpret_cast<LPARAM>(mine));
   EXPECT_EQ(errors, 1);
   SendMessageA(frame.m_hWnd, CZOLTFrame::WM_FILE_IMPORT_DONE, 0, reinterpret_cast<LPARAM>(mine));
   EXPECT_EQ(errors, 1) << "a record taken once is never read again";
   EXPECT_TRUE(IsWindow(frame.m_hWnd));
   frame.DestroyWindow();
}

TEST(FrameMessages, MovingKeepsTheWindowsSize)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   frame.SetWindowPos(nullptr, 10, 10, 640, 480, SWP_NOZORDER);
   RECT proposed = {100, 100, 300, 900};
   SendMessageA(frame.m_hWnd, WM_MOVING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&proposed));
   EXPECT_TRUE(SameRect(proposed, RECT{100, 100, 740, 580}));
   frame.DestroyWindow();
}

TEST(FrameWindow, ChildrenArePlacedAndTheControlsItemHidesThem)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   frame.SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOZORDER);
   RECT client = {};
   frame.GetClientRect(&client);
   RECT cmdbar = {};
   frame.GetCmdbar().GetWindowRect(&cmdbar);
   MapWindowPoints(nullptr, frame.m_hWnd, reinterpret_cast<POINT *>(&cmdbar), 2);
   EXPECT_EQ(cmdbar.top, 0);
   EXPECT_EQ(cmdbar.right, client.right);
   EXPECT_GT(cmdbar.bottom, 20) << "the menu bar and the toolbars' rows";
   ASSERT_TRUE(frame.GetStatusBarHost());
   RECT status = {};
   GetWindowRect(frame.GetStatusBarHost(), &status);
   MapWindowPoints(nullptr, frame.m_hWnd, reinterpret_cast<POINT *>(&status), 2);
   EXPECT_EQ(status.bottom, client.bottom);
   EXPECT_EQ(status.bottom - status.top, CZOLTFrame::kStatusBarHeight);
   EXPECT_EQ(frame.GetViewRect().top, cmdbar.bottom);
   EXPECT_EQ(frame.GetViewRect().bottom, status.top);
   EXPECT_EQ(frame.GetViewRect().left, frame.GetNavbarWidth()) << "the side bar is shown by default";

   HMENU system = GetSystemMenu(frame.m_hWnd, FALSE);
   SendMessageA(frame.m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, 1));
   char text[64] = {};
   GetMenuStringA(system, CZOLTFrame::kSysToggleChrome, text, sizeof text, MF_BYCOMMAND);
   EXPECT_STREQ(text, "Hide &Controls");
   SendMessageA(frame.m_hWnd, WM_SYSCOMMAND, CZOLTFrame::kSysToggleChrome, 0);
   EXPECT_FALSE(env.prefs->GetShowChrome());
   EXPECT_FALSE(frame.GetCmdbar().IsWindowVisible());
   EXPECT_FALSE(IsWindowVisible(frame.GetStatusBarHost()));
   SendMessageA(frame.m_hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, 1));
   GetMenuStringA(system, CZOLTFrame::kSysToggleChrome, text, sizeof text, MF_BYCOMMAND);
   EXPECT_STREQ(text, "Show &Controls");
   SendMessageA(frame.m_hWnd, WM_SYSCOMMAND, CZOLTFrame::kSysToggleChrome, 0);
   EXPECT_TRUE(env.prefs->GetShowChrome());
   frame.DestroyWindow();
}

TEST(FrameWindow, PlacementAndSideBarWidthGoToThePreferences)
{
   FrameTestEnv env;
   env.ctx.Set(env.prefs->GetRequestPath() + "val/zolt/view/navBar/width", "20");
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   EXPECT_EQ(frame.GetNavbarWidth(), 100) << "a stored width too small to use is widened";
   frame.SetWindowPos(nullptr, 30, 40, 700, 500, SWP_NOZORDER);
   frame.SavePlacement(false);
   EXPECT_EQ(env.Pref("val/zolt/placement/left"), "30");
   EXPECT_EQ(env.Pref("val/zolt/placement/bottom"), "540");
   EXPECT_EQ(env.Pref("val/zolt/view/navBar/width"), "100");

   frame.SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOZORDER);
   frame.RestorePlacement();
   RECT window = {};
   frame.GetWindowRect(&window);
   EXPECT_TRUE(SameRect(window, RECT{30, 40, 730, 540}));
   frame.DestroyWindow();
}

TEST(FrameSession, SessionMayEndWhenNoMachineRuns)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   EXPECT_EQ(SendMessageA(frame.m_hWnd, WM_QUERYENDSESSION, 0, 0), TRUE);
   frame.OnMenuTracking(true);
   frame.OnMenuTracking(false);
   frame.OnMenuTracking(false);
   EXPECT_EQ(frame.GetOpenMenuCount(), 0) << "an extra close never takes the count below zero";
   frame.DestroyWindow();
}

}  // namespace
