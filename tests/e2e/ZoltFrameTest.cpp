// The main window as a user meets it: the menu bar opens by keyboard and by mouse, a chosen item
// and a toolbar button reach the dispatcher, the power buttons follow the open machine, and the
// frame looks like a desktop program's window (screenshots are kept for a look).
#include "ScreenImage.h"

#include "e2e/Harness.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const DWORD kExitMs = 20000;

std::string Quoted(const std::string &text)
{
   std::string quoted = "\"";
   for (char c : text) {
      quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
   }
   return quoted + "\"";
}

const char kMachine[] =
   "configVersion = \"8\"\nhardwareVersion = \"4\"\ndisplayName = \"Frame Test Machine\"\nguestOS = \"winxp\"\n"
   "memoryMB = \"256\"\ncpuCount = \"1\"\n";

class ZoltFrame {
public:
   explicit ZoltFrame(const e2e::TestFolder &folder) : folder_(folder), log_(folder.PathOf("zolt.log"))
   {
      config_ = folder.WriteFile("config", "ui.log.filename = " + Quoted(log_) + "\n" + "vmdb.userFile = " +
                                              Quoted(folder.PathOf("user.vmdb")) + "\n" +
                                              "test.comFailure.silent = \"true\"\n");
   }

   bool Start(const std::string &arguments = "")
   {
      e2e::ProcessOptions options;
      options.environment = {{"TREMORY_CONFIG", config_}};
      options.arguments = arguments;
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
   SetCursorPos(point.x, point.y);
   INPUT inputs[2] = {};
   inputs[0].type = inputs[1].type = INPUT_MOUSE;
   inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
   inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
   return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

// A mouse click at a screen point, through the system's input queue.
bool ClickAtScreen(POINT point)
{
   SetCursorPos(point.x, point.y);
   INPUT inputs[2] = {};
   inputs[0].type = inputs[1].type = INPUT_MOUSE;
   inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
   inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
   return SendInput(2, inputs, sizeof(INPUT)) == 2;
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

   // By mouse: a click opens the File menu, a click on its last item chooses Exit, which the
   // dispatcher only logs for now.
   POINT file = FirstButtonCentre(zolt.menubar);
   ASSERT_TRUE(ClickAt(zolt.menubar, file.x, file.y));
   popup = e2e::WaitForPopupMenu(pid);
   ASSERT_TRUE(popup) << "a click opens the File menu";
   RECT rect = {};
   ASSERT_TRUE(GetWindowRect(popup, &rect));
   POINT exitItem = {(rect.left + rect.right) / 2, rect.bottom - 4 - GetSystemMetrics(SM_CYMENU) / 2};
   ASSERT_TRUE(ClickAtScreen(exitItem));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << "a clicked item closes the menu";
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::MenuButtonClicked: 40002 \n")) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForLog("CZOLTApp::OnFileCommand 40002\n")) << zolt.Log();

   EXPECT_EQ(CountOf(zolt.Log(), "CZOLTCmdbar::OnButtonClicked"), 0) << zolt.Log();
   EXPECT_TRUE(IsWindow(zolt.frame));
   zolt.Close();
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
   if (!e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_ENABLED) != 0; }, kExitMs)) {
      zolt.process.Kill();
      GTEST_SKIP() << "the handed-over machine did not become the current object";
   }
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
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (zolt.ButtonState(zolt.power, 40062) & TBSTATE_CHECKED) != 0; },
                              kExitMs))
       << "powered on: power on is pushed\n" << zolt.Log();
   EXPECT_TRUE(zolt.ButtonState(zolt.power, 40021) & TBSTATE_ENABLED) << "a running machine can be reset";
   zolt.Screenshot("frame-machine.png");

   // While a machine runs, the end of the Windows session is refused.
   EXPECT_EQ(SendMessageA(zolt.frame, WM_QUERYENDSESSION, 0, 0), FALSE);
   EXPECT_TRUE(zolt.WaitForLog("CZOLTFrame::OnQueryEndSession: A virtual machine is in use.")) << zolt.Log();

   zolt.process.Kill();
}

}  // namespace
