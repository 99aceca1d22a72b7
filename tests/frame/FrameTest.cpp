// The frame: where its children go, which mode the fit flags give, the private messages it
// trusts, the system menu's window-controls item and the session-end answer.
#include "FrameTestEnv.h"
#include "resource.h"
#include "zoltCommandLine.h"
#include "zoltFrame.h"
#include "zoltHandOff.h"

#include "cui/NotificationMgr.h"
#include "cui/ToolTipWnd.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(FrameWindow, TheFullScreenToolbarIsMadeOnceWhenFullScreenFirstNeedsIt)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   EXPECT_FALSE(frame.GetFSToolbar().m_hWnd) << "start-up leaves it for later";
   // The quiet moments make the pages start-up left, never the toolbar.
   int pieces = 0;
   while (frame.DoIdleWork() && pieces < 100) {
      ++pieces;
   }
   ASSERT_LT(pieces, 100);
   EXPECT_FALSE(frame.GetFSToolbar().m_hWnd);

   env.prefs->SetFullScreen(true);
   env.Drain();
   HWND toolbar = frame.GetFSToolbar().m_hWnd;
   ASSERT_TRUE(toolbar);
   EXPECT_EQ(GetParent(toolbar), frame.m_hWnd);
   env.prefs->SetFullScreen(false);
   env.Drain();
   EXPECT_FALSE(IsWindowVisible(toolbar)) << "hidden once full screen is left";
   env.prefs->SetFullScreen(true);
   env.Drain();
   EXPECT_EQ(frame.GetFSToolbar().m_hWnd, toolbar) << "made once";
   env.prefs->SetFullScreen(false);
   env.Drain();
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

TEST(FrameNotifications, ManagerKeepsTheNewestAndMarksOnlyWhatItKnows)
{
   cui::NotificationMgr mgr;
   std::vector<int> heard;
   mgr.notified.connect([&heard](int id) { heard.push_back(id); });
   int first = mgr.Post(cui::Notification::TYPE_INFO, "first");
   int second = mgr.Post(cui::Notification::TYPE_ERROR, "second", "more");
   EXPECT_EQ(heard, (std::vector<int>{first, second}));
   ASSERT_TRUE(mgr.Get(second));
   EXPECT_EQ(mgr.Get(second)->GetDetail(), "more");
   EXPECT_EQ(mgr.Get(second)->GetType(), cui::Notification::TYPE_ERROR);
   mgr.MarkRead(first);
   mgr.MarkRead(12345);
   EXPECT_EQ(mgr.GetUnread(), std::vector<int>{second});
   for (size_t i = 0; i < cui::NotificationMgr::kMaxKept; ++i) {
      mgr.Post(cui::Notification::TYPE_INFO, "flood");
   }
   EXPECT_EQ(mgr.Get(first), nullptr) << "the oldest go once the list is full";
   EXPECT_EQ(mgr.GetUnread().size(), cui::NotificationMgr::kMaxKept);
   EXPECT_GT(mgr.Post(cui::Notification::TYPE_INFO, "later"), second) << "ids are never reused";
}

TEST(FrameNotifications, ANotificationShowsOverTheStatusBarAndClosingItMarksItRead)
{
   FrameTestEnv env;
   cui::NotificationMgr *mgr = cui::GetNotificationMgr();
   mgr->Clear();
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   frame.SetWindowPos(nullptr, 20, 20, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
   frame.ShowWindow(SW_SHOWNOACTIVATE);
   EXPECT_FALSE(frame.GetNotificationTip()) << "nothing to tell yet: made with the first notification";

   int first = mgr->Post(cui::Notification::TYPE_WARNING, "The shared folder is unavailable",
                         "The folder \"data\" could not be reached.");
   wui::control::ToolTipWnd *tip = frame.GetNotificationTip();
   ASSERT_TRUE(tip);
   int second = mgr->Post(cui::Notification::TYPE_INFO, "A device was taken back by the host");
   EXPECT_EQ(frame.GetNotificationTip(), tip) << "made once";
   ASSERT_TRUE(tip->IsVisible());
   EXPECT_EQ(tip->GetText(), "A device was taken back by the host") << "the newest shows";
   EXPECT_EQ(frame.GetShownNotifications(), (std::vector<int>{first, second}));
   RECT status = {};
   GetWindowRect(frame.GetStatusBarHost(), &status);
   RECT shown = {};
   GetWindowRect(tip->GetWindow(), &shown);
   EXPECT_EQ(shown.bottom, status.top) << "over the status bar";
   EXPECT_EQ(shown.right, status.right);

   // It follows the frame when it moves.
   frame.SetWindowPos(nullptr, 60, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   GetWindowRect(frame.GetStatusBarHost(), &status);
   GetWindowRect(tip->GetWindow(), &shown);
   EXPECT_EQ(shown.bottom, status.top);
   EXPECT_EQ(shown.right, status.right);

   // A click closes the tip: what it held is read.
   SendMessageA(tip->GetWindow(), WM_LBUTTONUP, 0, 0);
   EXPECT_FALSE(tip->IsVisible());
   EXPECT_TRUE(mgr->GetUnread().empty());
   EXPECT_TRUE(frame.GetShownNotifications().empty());
   frame.DestroyWindow();

   // A notification after the frame is gone reaches nobody.
   int later = mgr->Post(cui::Notification::TYPE_INFO, "after the frame");
   EXPECT_EQ(mgr->GetUnread(), std::vector<int>{later});
   mgr->Clear();
}

TEST(FrameWindow, AGrabbedConsoleEndsTheMenuBarsKeyboardMode)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));

   // Alt released alone makes the first menu hot.
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   MSG alt = {};
   alt.hwnd = frame.m_hWnd;
   alt.message = WM_SYSKEYUP;
   alt.wParam = VK_MENU;
   alt.lParam = static_cast<LPARAM>(0xC0000001);
   EXPECT_TRUE(menubar.PreTranslateMessage(&alt));
   ASSERT_EQ(menubar.GetMode(), CZOLTMenubar::MODE_KEYBOARD);
   frame.GetView().consoleSignal.emit(false);
   EXPECT_EQ(menubar.GetMode(), CZOLTMenubar::MODE_KEYBOARD) << "a released console leaves it";
   frame.GetView().consoleSignal.emit(true);
   EXPECT_EQ(menubar.GetMode(), CZOLTMenubar::MODE_IDLE) << "the console takes the keys";
   EXPECT_EQ(SendMessageA(menubar.m_hWnd, TB_GETHOTITEM, 0, 0), -1);
   frame.DestroyWindow();
}

TEST(FrameWindow, PlacementOnAMonitorThatIsGoneKeepsOnlyItsSize)
{
   FrameTestEnv env;
   const std::string base = env.prefs->GetRequestPath() + "val/zolt/placement/";
   env.ctx.Set(base + "left", "-9000");
   env.ctx.Set(base + "top", "-9000");
   env.ctx.Set(base + "right", "-8300");
   env.ctx.Set(base + "bottom", "-8500");
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("frame test"));
   frame.RestorePlacement();
   RECT window = {};
   frame.GetWindowRect(&window);
   EXPECT_EQ(window.right - window.left, 700);
   EXPECT_EQ(window.bottom - window.top, 500);
   EXPECT_TRUE(MonitorFromRect(&window, MONITOR_DEFAULTTONULL)) << "the window opens where it can be seen";
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

// Stands in for the running instance's answer: keeps the text a hand-off brings, read as the frame
// reads it, and takes it.
LRESULT CALLBACK KeepHandedOffText(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR kept)
{
   if (msg != WM_COPYDATA) {
      return DefSubclassProc(wnd, msg, wParam, lParam);
   }
   std::string text;
   if (!ReadCopyDataText(reinterpret_cast<const COPYDATASTRUCT *>(lParam), text)) {
      return 0;
   }
   *reinterpret_cast<std::string *>(kept) = text;
   return 1;
}

TEST(FrameHandOff, ACommandLineOutsideAsciiArrivesAsTheSameUtf8Path)
{
   const std::wstring path = L"C:\\M\u00e1quinas virtuales\\Pr\u00fcfung.vmx";
   const std::string utf8Path = u8"C:\\M\u00e1quinas virtuales\\Pr\u00fcfung.vmx";
   // The whole command line the system gives the second instance, its own name first.
   const std::string arguments =
      ArgumentsOfCommandLine(Utf8FromWide(L"\"C:\\Program Files\\Tremory\\zolt.exe\"  -x \"" + path + L"\""));
   EXPECT_EQ(arguments, "-x \"" + utf8Path + "\"");

   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("hand-off test"));
   std::string kept;
   ASSERT_TRUE(SetWindowSubclass(frame.m_hWnd, KeepHandedOffText, 1, reinterpret_cast<DWORD_PTR>(&kept)));
   EXPECT_TRUE(HandOffCommandLine(arguments.c_str()));
   EXPECT_EQ(kept, arguments) << "UTF-8, with its terminating zero inside the data";
   CommandLineOptions options;
   ASSERT_EQ(ParseCommandLine(kept.c_str(), false, options), PARSE_GO_ON);
   ASSERT_EQ(options.files.size(), 1u);
   EXPECT_EQ(options.files[0], utf8Path);
   EXPECT_TRUE(options.powerOn);
   RemoveWindowSubclass(frame.m_hWnd, KeepHandedOffText, 1);
   frame.DestroyWindow();
}

TEST(FrameWindow, TheCaptionShowsAnyScriptAsWritten)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame(u8"\u0395\u03b9\u03ba\u03bf\u03bd\u03b9\u03ba\u03ad\u03c2 \u4eee\u60f3\u30de\u30b7\u30f3"));
   wchar_t caption[64] = L"";
   GetWindowTextW(frame.m_hWnd, caption, 64);
   EXPECT_STREQ(caption, L"\u0395\u03b9\u03ba\u03bf\u03bd\u03b9\u03ba\u03ad\u03c2 \u4eee\u60f3\u30de\u30b7\u30f3");
   frame.DestroyWindow();
}

}  // namespace
