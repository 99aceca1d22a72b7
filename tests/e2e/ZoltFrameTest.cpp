// The main window as a user meets it: the menu bar opens by keyboard and by mouse, a chosen item
// and a toolbar button reach the dispatcher, the power buttons follow the open machine, and the
// frame looks like a desktop program's window (screenshots are kept for a look).
#include "ScreenImage.h"

#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const DWORD kExitMs = 20000;

const char kMachine[] =
   "configVersion = \"8\"\nhardwareVersion = \"4\"\ndisplayName = \"Frame Test Machine\"\nguestOS = \"winxp\"\n"
   "memoryMB = \"256\"\ncpuCount = \"1\"\n";

class ZoltFrame {
public:
   explicit ZoltFrame(const e2e::TestFolder &folder) : folder_(folder), log_(folder.PathOf("zolt.log"))
   {
      config_ = folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(log_) + "\n" + "vmdb.userFile = " +
                                              e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                              "test.comFailure.silent = \"true\"\n");
   }

   bool Start(const std::string &arguments = "")
   {
      // The pointer waits in the screen's far corner: left over a button by an earlier test, it
      // would make that button hot as soon as the new window shows under it.
      SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
      e2e::ProcessOptions options;
      options.environment = {{"TREMORY_CONFIG", config_}};
      // -l: a session with the local host, without the login dialog.
      options.arguments = "-l " + arguments;
      if (!process.Start(ZOLT_EXE, options)) {
         return false;
      }
      frame = e2e::WaitForWindow({"ZOLTFrame", "", false, process.Id()});
      if (!frame) {
         return false;
      }
      // The toolbars of the command bar: the menu bar is the one whose buttons are the menus.
      return e2e::WaitUntil(
         [this]() {
            HWND cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
            HWND rebar = cmdbar ? FindWindowExA(cmdbar, nullptr, REBARCLASSNAMEA, nullptr) : nullptr;
            for (HWND bar = rebar ? FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr; bar;
                 bar = FindWindowExA(rebar, bar, TOOLBARCLASSNAMEA, nullptr)) {
               if (GetWindowLongA(bar, GWL_STYLE) & TBSTYLE_LIST) {
                  menubar = bar;
               } else if (SendMessageA(bar, TB_COMMANDTOINDEX, 40062, 0) >= 0) {
                  power = bar;
               } else if (SendMessageA(bar, TB_COMMANDTOINDEX, 40065, 0) >= 0) {
                  view = bar;
               }
            }
            return menubar && power && view;
         },
         e2e::kStartTimeoutMs);
   }

   bool WaitForLog(const std::string &text) const { return e2e::WaitForFileText(log_, text, kExitMs); }
   std::string Log() const { return e2e::ReadTextFile(log_).value_or(""); }
   int HotButton() const { return static_cast<int>(SendMessageA(menubar, TB_GETHOTITEM, 0, 0)); }
   LRESULT ButtonState(HWND toolbar, int command) const { return SendMessageA(toolbar, TB_GETSTATE, command, 0); }

   void Close()
   {
      if (frame && IsWindow(frame)) {
         e2e::RequestClose(frame);
      }
      process.WaitForExit(kExitMs);
   }

   void Screenshot(const std::string &name) const
   {
      e2e::ScreenImage image = e2e::CaptureClientFromScreen(frame);
      e2e::SavePng(image, folder_.PathOf(name));
      e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
   }

   e2e::Process process;
   HWND frame = nullptr;
   HWND menubar = nullptr;
   HWND power = nullptr;
   HWND view = nullptr;

private:
   const e2e::TestFolder &folder_;
   std::string log_;
   std::string config_;
};

// A mouse click at a point of a window's client area, through the system's input queue.
bool ClickAt(HWND window, int x, int y)
{
   POINT point = {x, y};
   ClientToScreen(window, &point);
   return e2e::ClickAtScreen(point);
}

// How often a text occurs in another.
int CountOf(const std::string &text, const std::string &part)
{
   int count = 0;
   for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
      ++count;
   }
   return count;
}

// The middle of a toolbar's first button (the window rectangle is readable across processes).
POINT FirstButtonCentre(HWND toolbar)
{
   RECT client = {};
   GetClientRect(toolbar, &client);
   return {12, (client.bottom - client.top) / 2};
}

TEST(ZoltFrame, MenuBarOpensByKeyboardAndMouseAndChoicesReachTheDispatcher)
{
   e2e::TestFolder folder;
   ZoltFrame zolt(folder);
   ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();
   zolt.Screenshot("frame.png");
   DWORD pid = zolt.process.Id();

   // Alt alone makes the first menu hot; Right moves on; Down opens; Escape closes the popup.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_MENU)) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.HotButton() == 0; }, kExitMs)) << "Alt: the File menu is hot";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_RIGHT));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.HotButton() == 1; }, kExitMs)) << "Right: the Edit menu";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_DOWN));
   HWND popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "Down opens the hot menu";
   zolt.Screenshot("frame-menu.png");
   // Right in a popup with no submenu moves to the next menu.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_RIGHT));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.HotButton() == 2; }, kExitMs)) << "Right: the View menu";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << "Escape closes the popup";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.HotButton() < 0; }, kExitMs)) << "Escape leaves the menu bar";

   // Alt+V opens the View menu by its mnemonic.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'V', e2e::kAlt));
   popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "Alt+V opens the View menu";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup));
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_ESCAPE));

   // A click on the File button opens its menu; a second click on it closes it again.
   POINT file = FirstButtonCentre(zolt.menubar);
   ASSERT_TRUE(ClickAt(zolt.menubar, file.x, file.y));
   popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "a click opens the File menu";
   ASSERT_TRUE(ClickAt(zolt.menubar, file.x, file.y));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << "a click on its own button closes it";

   EXPECT_TRUE(IsWindow(zolt.frame));
   zolt.Close();
   EXPECT_EQ(zolt.process.ExitCode(), 0);
}

TEST(ZoltFrame, MenuItemsChosenByKeyboardAndByMouseReachTheDispatcher)
{
   e2e::TestFolder folder;
   ZoltFrame zolt(folder);
   // The desktop mode, whose View menu names the side bar "Side&bar" (the remote-host mode calls
   // it "&Inventory").
   ASSERT_TRUE(zolt.Start("-H")) << e2e::LastFailure();
   DWORD pid = zolt.process.Id();

   // Alt+V opens the View menu; B chooses "Side&bar". The menu bar hands it to the dispatcher
   // with its empty path, and no toolbar click is involved.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'V', e2e::kAlt)) << e2e::LastFailure();
   HWND popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "Alt+V opens the View menu";
   std::optional<e2e::MenuItem> sidebar = e2e::FindMenuItem(zolt.frame, 40065, e2e::PopupMenuOf(popup));
   ASSERT_TRUE(sidebar) << e2e::LastFailure();
   EXPECT_EQ(sidebar->text, "Side&bar\tF9");
   EXPECT_TRUE(sidebar->enabled);
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'B'));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << "a chosen item closes the menu";
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40065 \n")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::HandleViewMenuOps 40065\n")) << zolt.Log();
   EXPECT_EQ(zolt.HotButton(), -1) << "the menu bar is idle after a choice";

   // Up and Enter in an open menu: the highlighted item, the last one shown ("T&abs"), is chosen.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'V', e2e::kAlt));
   popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup);
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_UP));
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_RETURN));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40077 \n")) << zolt.Log();

   // By mouse: a click opens the File menu, a click on its last item chooses Exit, which ends
   // the program.
   POINT file = FirstButtonCentre(zolt.menubar);
   ASSERT_TRUE(ClickAt(zolt.menubar, file.x, file.y));
   popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "a click opens the File menu";
   RECT rect = {};
   ASSERT_TRUE(GetWindowRect(popup, &rect));
   POINT exitItem = {(rect.left + rect.right) / 2, rect.bottom - 4 - GetSystemMetrics(SM_CYMENU) / 2};
   ASSERT_TRUE(e2e::ClickAtScreen(exitItem));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << "a clicked item closes the menu";
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40002 \n")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::OnFileCommand 40002\n")) << zolt.Log();
   EXPECT_EQ(CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked"), 0) << zolt.Log();
   ASSERT_TRUE(zolt.process.WaitForExit(kExitMs)) << e2e::LastFailure() << zolt.Log();
   EXPECT_EQ(zolt.process.ExitCode(), 0);
}

TEST(ZoltFrame, ToolbarClicksReachTheDispatcherThroughTheCommandBar)
{
   e2e::TestFolder folder;
   ZoltFrame zolt(folder);
   ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();

   // The view toolbar's first button is the side bar: code 1, command 40065.
   ASSERT_EQ(SendMessageA(zolt.view, TB_COMMANDTOINDEX, 40065, 0), 0);
   ASSERT_TRUE(zolt.ButtonState(zolt.view, 40065) & TBSTATE_ENABLED);
   // Clicked once the start-up has placed the bands (the current object is known), in the active
   // window: the click that activates a window may end the toolbar's capture before the release.
   ASSERT_TRUE(zolt.WaitForLog("CZOLTApp::OnCtxCurrentObj: ")) << zolt.Log();
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         SetForegroundWindow(zolt.frame);
         return GetForegroundWindow() == zolt.frame;
      },
      kExitMs, 50));
   POINT sidebar = FirstButtonCentre(zolt.view);
   POINT onScreen = sidebar;
   ClientToScreen(zolt.view, &onScreen);
   zolt.Screenshot("frame-toolbars.png");
   ASSERT_EQ(WindowFromPoint(onScreen), zolt.view) << "the side-bar button is in sight";
   ASSERT_TRUE(ClickAt(zolt.view, sidebar.x, sidebar.y));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTCmdbar::OnButtonClicked: 1\n")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40065 ")) << zolt.Log();

   // The toolbar's command as its parent window receives it.
   HWND parent = GetParent(zolt.view);
   ASSERT_TRUE(parent);
   ASSERT_TRUE(PostMessageA(parent, WM_COMMAND, MAKEWPARAM(40065, BN_CLICKED), reinterpret_cast<LPARAM>(zolt.view)));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked: 1\n") == 2; },
                              kExitMs))
       << zolt.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return CountOf(zolt.Log(), "CZOLTApp::MenuButtonClicked: 40065 ") == 2; },
                              kExitMs))
       << zolt.Log();

   EXPECT_TRUE(IsWindow(zolt.frame));
   zolt.Close();
   EXPECT_EQ(zolt.process.ExitCode(), 0);
}

// The enabled state of a menu item in the open popup, read in the program's process.
std::optional<bool> ItemEnabled(HWND frame, HWND popup, UINT id)
{
   std::optional<e2e::MenuItem> item = e2e::FindMenuItem(frame, id, e2e::PopupMenuOf(popup));
   return item ? std::optional<bool>(item->enabled) : std::nullopt;
}

// Waits until the item shows the enabled state wanted (the state is set as its popup opens).
bool WaitForItem(HWND frame, HWND popup, UINT id, bool enabled)
{
   return e2e::WaitUntil([&]() { return ItemEnabled(frame, popup, id) == std::optional<bool>(enabled); }, 5000, 100);
}

// Alt+M opens the VM menu and P its Power submenu; the VM menu's popup window.
HWND OpenPowerMenu(const ZoltFrame &zolt)
{
   if (!e2e::PressKey(zolt.frame, 'M', e2e::kAlt)) {
      return nullptr;
   }
   HWND popup = e2e::WaitForPopupMenu(zolt.process.Id());
   if (!popup || !e2e::PressKey(zolt.frame, 'P')) {
      return nullptr;
   }
   return popup;
}

// Escape until the menus are closed and the menu bar is idle.
void CloseMenus(const ZoltFrame &zolt, HWND popup)
{
   for (int i = 0; i < 3 && IsWindow(popup) && IsWindowVisible(popup); ++i) {
      e2e::PressKey(zolt.frame, VK_ESCAPE);
      e2e::WaitForWindowGone(popup, 1500);
   }
   EXPECT_FALSE(IsWindow(popup) && IsWindowVisible(popup)) << "the menus close";
   e2e::PressKey(zolt.frame, VK_ESCAPE);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.HotButton() < 0; }, kExitMs)) << "the menu bar is idle";
}

// The middle of a toolbar button by command (buttons of a toolbar are of equal width).
POINT ButtonCentre(HWND toolbar, int command)
{
   int index = static_cast<int>(SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0));
   DWORD size = static_cast<DWORD>(SendMessageA(toolbar, TB_GETBUTTONSIZE, 0, 0));
   return {LOWORD(size) * index + LOWORD(size) / 2, HIWORD(size) / 2};
}

TEST(ZoltFrame, OpenMachineMenusToolbarAndAcceleratorsFollowItsPower)
{
   e2e::TestFolder folder;
   std::string machine = folder.WriteFile("Frame Test Machine.vmx", kMachine);
   ZoltFrame zolt(folder);
   // The desktop mode opens the machine of the command line in a tab of its own.
   ASSERT_TRUE(zolt.Start("-H " + e2e::QuoteArgument(machine))) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_ENABLED) != 0; },
                              kExitMs))
       << zolt.Log();

   // VM > Power (Alt+M, P): a powered-off machine can be powered on, not off nor reset.
   HWND popup = OpenPowerMenu(zolt);
   ASSERT_TRUE(popup) << "Alt+M, P opens VM > Power";
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40062, true));
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40019, false));
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40021, false));
   CloseMenus(zolt, popup);

   // Ctrl+B of the accelerator table powers it on; the menu and the toolbar follow.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'B', e2e::kControl));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40062 ")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("powerOn done, poweredOn")) << zolt.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_CHECKED) != 0; },
                              kExitMs));
   zolt.Screenshot("frame-machine-on.png");
   popup = OpenPowerMenu(zolt);
   ASSERT_TRUE(popup);
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40062, false)) << "already on";
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40019, true));
   EXPECT_TRUE(WaitForItem(zolt.frame, popup, 40021, true));
   zolt.Screenshot("frame-vm-menu.png");
   CloseMenus(zolt, popup);

   // A movie capture shows its indicator in the status bar; a click on it stops the capture.
   HWND cmdbar = FindWindowExA(zolt.frame, nullptr, "ZOLTCmdbar", nullptr);
   ASSERT_TRUE(PostMessageA(cmdbar, WM_COMMAND, MAKEWPARAM(IDM_VM_CAPTURE_MOVIE, 1), 0));
   HWND save = e2e::WaitForDialog(zolt.process.Id(), "", kExitMs);
   ASSERT_TRUE(save) << zolt.Log();
   HWND name = GetDlgItem(save, 0x47c) ? GetDlgItem(save, 0x47c) : GetDlgItem(save, 0x480);
   ASSERT_TRUE(name);
   std::string movie = folder.PathOf("frame.avi");
   ASSERT_TRUE(e2e::SetText(name, movie)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::ClickButton(save, IDOK));
   ASSERT_TRUE(e2e::WaitForWindowGone(save));
   ASSERT_TRUE(zolt.WaitForLog("capturing a movie to")) << zolt.Log();
   HWND statusHost = FindWindowExA(zolt.frame, nullptr, "AtlAxWin71", nullptr);
   HWND statusbar = statusHost ? FindWindowExA(statusHost, nullptr, "TremappsdkStatusbar", nullptr) : nullptr;
   ASSERT_TRUE(statusbar);
   RECT bar = {};
   GetClientRect(statusbar, &bar);
   // The bar learns of the capture from the database a poll step after the host's log line: the
   // click waits until the indicator's red dot shows.
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() { return e2e::CaptureClientFromScreen(statusbar).CountColour(RGB(210, 20, 20)) > 0; }, kExitMs))
      << "the capture's indicator shows\n" << zolt.Log();
   // The indicator stands left of the size grip (16 pixels) and is 90 pixels wide.
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         SetForegroundWindow(zolt.frame);
         return GetForegroundWindow() == zolt.frame;
      },
      kExitMs, 50));
   ASSERT_TRUE(ClickAt(statusbar, bar.right - 16 - 45, bar.bottom / 2));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTFrame::OnStatusbarCaptureMovie: /vm/#")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("movie capture to")) << "the click stopped the capture\n" << zolt.Log();

   // While it runs the Windows session may not end.
   EXPECT_EQ(SendMessageA(zolt.frame, WM_QUERYENDSESSION, 0, 0), FALSE);
   EXPECT_TRUE(zolt.WaitForLog("CZOLTFrame::OnQueryEndSession: A virtual machine is in use.")) << zolt.Log();
   // Where the system keeps no block reason the user is told in a box, which holds the frame
   // disabled until it is closed.
   HWND box = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, zolt.process.Id()})) {
            if (w != zolt.frame && IsWindowVisible(w) && GetDlgItem(w, IDC_VMDLG_FIRST)) {
               box = w;
            }
         }
         return box != nullptr;
      },
      kExitMs));
   ASSERT_TRUE(e2e::ClickButton(box, IDC_VMDLG_FIRST));
   EXPECT_TRUE(e2e::WaitForWindowGone(box));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(zolt.frame) != FALSE; }, kExitMs));

   // The power-off button does what VM > Power > Power Off does: code 7, command 40019.
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         SetForegroundWindow(zolt.frame);
         return GetForegroundWindow() == zolt.frame;
      },
      kExitMs, 50));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40019) & TBSTATE_ENABLED) != 0; },
                              kExitMs));
   POINT off = ButtonCentre(zolt.power, 40019);
   // The first click after a menu may only give the window back its capture: click until heard.
   bool heard = false;
   for (int attempt = 0; attempt < 3 && !heard; ++attempt) {
      ASSERT_TRUE(ClickAt(zolt.power, off.x, off.y));
      heard = e2e::WaitUntil([&]() { return CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked: 7\n") > 0; }, 3000);
   }
   EXPECT_TRUE(heard) << zolt.Log();
   EXPECT_EQ(CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked: 7\n"), 1);
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40019 ")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("powerOff done, poweredOff")) << zolt.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40019) & TBSTATE_CHECKED) != 0; },
                              kExitMs));
   // The machine's state reaches the model a poll step after the host's line: power-on is offered
   // again once no power operation is pending.
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() { return (zolt.ButtonState(zolt.power, IDM_VM_POWER_ON) & TBSTATE_ENABLED) != 0; }, kExitMs));
   EXPECT_EQ(SendMessageA(zolt.frame, WM_QUERYENDSESSION, 0, 0), TRUE) << "nothing runs any more";

   // F9 toggles the side bar through the View menu's command.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_F9));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::HandleViewMenuOps 40065\n")) << zolt.Log();
   EXPECT_EQ(CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked"), 1) << "keys do not go through the toolbars";

   // The end of the session: the frame answers only once the running machine is handled.
   ASSERT_TRUE(e2e::PressKey(zolt.frame, 'B', e2e::kControl));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return CountOf(zolt.Log(), "powerOn done, poweredOn") == 2; }, kExitMs));
   // As above, the model learns of the state a poll step after the host's line: the session's end
   // is asked once the frame offers power-off again.
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40019) & TBSTATE_ENABLED) != 0; },
                              kExitMs));
   DWORD_PTR answer = 0;
   ASSERT_TRUE(SendMessageTimeoutA(zolt.frame, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 60000, &answer));
   EXPECT_EQ(CountOf(zolt.Log(), "suspend done, suspended"), 1) << "handled before the answer\n" << zolt.Log();
   zolt.process.Kill();
}

TEST(ZoltFrame, PlacementSurvivesARestart)
{
   e2e::TestFolder folder;
   RECT placed = {60, 50, 760, 540};
   {
      ZoltFrame zolt(folder);
      ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();
      ASSERT_TRUE(SetWindowPos(zolt.frame, nullptr, placed.left, placed.top, placed.right - placed.left,
                               placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE));
      zolt.Close();
      ASSERT_EQ(zolt.process.ExitCode(), 0) << zolt.Log();
   }
   ZoltFrame again(folder);
   ASSERT_TRUE(again.Start()) << e2e::LastFailure();
   RECT shown = {};
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() {
         GetWindowRect(again.frame, &shown);
         return EqualRect(&shown, &placed) != FALSE;
      },
      kExitMs))
       << shown.left << "," << shown.top << " " << shown.right << "," << shown.bottom;
   again.Close();
   EXPECT_EQ(again.process.ExitCode(), 0);
}

TEST(ZoltFrame, PowerButtonsFollowTheOpenMachine)
{
   e2e::TestFolder folder;
   std::string machine = folder.WriteFile("Frame Test Machine.vmx", kMachine);
   ZoltFrame zolt(folder);
   ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();
   EXPECT_FALSE(zolt.ButtonState(zolt.power, 40062) & TBSTATE_ENABLED) << "no machine: power on is off";

   // Hand the machine over as a second instance would; it opens in a tab and becomes current.
   ASSERT_EQ(e2e::SendCopyDataText(zolt.frame, 1, e2e::QuoteArgument(e2e::ToWindowsPath(machine))),
             std::optional<LRESULT>(1));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_ENABLED) != 0; }, kExitMs))
      << "the handed-over machine becomes the current object\n" << zolt.Log();
   EXPECT_TRUE(zolt.ButtonState(zolt.power, 40019) & TBSTATE_CHECKED) << "powered off: power off is pushed";
   EXPECT_FALSE(zolt.ButtonState(zolt.power, 40021) & TBSTATE_ENABLED) << "reset needs a running machine";

   // The power-on button: the dispatcher powers the machine on, and the buttons follow.
   int index = static_cast<int>(SendMessageA(zolt.power, TB_COMMANDTOINDEX, 40062, 0));
   ASSERT_GE(index, 0);
   // Buttons are of equal width: the index's share of the buttons' row.
   int count = static_cast<int>(SendMessageA(zolt.power, TB_BUTTONCOUNT, 0, 0));
   DWORD size = static_cast<DWORD>(SendMessageA(zolt.power, TB_GETBUTTONSIZE, 0, 0));
   ASSERT_GT(count, index);
   ASSERT_TRUE(ClickAt(zolt.power, LOWORD(size) * index + LOWORD(size) / 2, HIWORD(size) / 2));
   EXPECT_TRUE(zolt.WaitForLog("CZOLTCmdbar::OnButtonClicked: 6\n")) << zolt.Log();
   // A machine of a local session runs within the user's log-on session: the hint says so once.
   HWND hint = e2e::WaitForDialog(zolt.process.Id(), "Frame Test Machine");
   ASSERT_TRUE(hint) << e2e::LastFailure() << zolt.Log();
   ASSERT_TRUE(e2e::ClickButton(hint, IDOK));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_CHECKED) != 0; },
                              kExitMs))
       << "powered on: power on is pushed\n" << zolt.Log();
   // The button is pushed while the operation runs; reset waits for the machine to run.
   EXPECT_TRUE(zolt.WaitForLog("powerOn done, poweredOn")) << zolt.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40021) & TBSTATE_ENABLED) != 0; }, kExitMs))
      << "a running machine can be reset";
   zolt.Screenshot("frame-machine.png");

   // While a machine runs, the end of the Windows session is refused.
   EXPECT_EQ(SendMessageA(zolt.frame, WM_QUERYENDSESSION, 0, 0), FALSE);
   EXPECT_TRUE(zolt.WaitForLog("CZOLTFrame::OnQueryEndSession: A virtual machine is in use.")) << zolt.Log();

   zolt.process.Kill();
}

}  // namespace
