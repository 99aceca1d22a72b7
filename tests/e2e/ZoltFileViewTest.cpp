// The File and View menus chosen as a user does, with the keyboard: the side bar, status bar and a
// toolbar switched off from the View menu stay off after a restart and come back from it; File >
// Open of a local session types a machine's path into the common file dialog and opens it.
#include "SidebarSupport.h"
#include "ZoltRun.h"

#include "e2e/Harness.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace {

const int kFileNameCombo = 0x47c;   // the open dialog's file name: a combo box, or
const int kFileNameEdit = 0x480;    // an edit control
const WORD kPowerOnCommand = 40062;

// The toolbar of the command bar that holds the power buttons.
HWND PowerToolbar(HWND frame)
{
   HWND cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
   HWND rebar = cmdbar ? FindWindowExA(cmdbar, nullptr, REBARCLASSNAMEA, nullptr) : nullptr;
   for (HWND bar = rebar ? FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr; bar;
        bar = FindWindowExA(rebar, bar, TOOLBARCLASSNAMEA, nullptr)) {
      const bool menubar = (GetWindowLongA(bar, GWL_STYLE) & TBSTYLE_LIST) != 0;
      if (!menubar && SendMessageA(bar, TB_COMMANDTOINDEX, kPowerOnCommand, 0) >= 0) {
         return bar;
      }
   }
   return nullptr;
}

// The frame's status bar control.
HWND StatusBar(HWND frame)
{
   for (HWND host = FindWindowExA(frame, nullptr, "AtlAxWin71", nullptr); host;
        host = FindWindowExA(frame, host, "AtlAxWin71", nullptr)) {
      if (HWND bar = FindWindowExA(host, nullptr, "TremappsdkStatusbar", nullptr)) {
         return bar;
      }
   }
   return nullptr;
}

bool Shown(HWND window)
{
   return window && IsWindowVisible(window);
}

// Opens the menu of `menuKey` with Alt and types `keys` into it, each once the popup is there.
bool ChooseByKeyboard(HWND frame, DWORD processId, char menuKey, std::initializer_list<UINT> keys)
{
   if (!e2e::PressKey(frame, menuKey, e2e::kAlt) || !e2e::WaitForPopupMenu(processId)) {
      ADD_FAILURE() << "no menu for Alt+" << menuKey << ": " << e2e::LastFailure();
      return false;
   }
   for (UINT key : keys) {
      if (!e2e::PressKey(frame, key)) {
         ADD_FAILURE() << e2e::LastFailure();
         return false;
      }
   }
   return true;
}

// What the user sees of the three switches.
struct Chrome {
   bool sidebar;
   bool statusBar;
   bool powerToolbar;
};

Chrome ChromeOf(HWND frame)
{
   return {zoltside::IsShown(zoltside::FindDescendant(frame, "ZOLTNavbar")), Shown(StatusBar(frame)),
           Shown(PowerToolbar(frame))};
}

bool WaitForChrome(HWND frame, bool on)
{
   return e2e::WaitUntil(
      [&]() {
         Chrome chrome = ChromeOf(frame);
         return chrome.sidebar == on && chrome.statusBar == on && chrome.powerToolbar == on;
      },
      zoltrun::kHostMs, 100);
}

}  // namespace

TEST(ZoltFileView, ViewSwitchesChosenByKeyboardStayAcrossARestart)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H");
      ASSERT_TRUE(frame);
      ASSERT_TRUE(WaitForChrome(frame, true)) << "side bar, status bar and power toolbar show at first\n" << run.Log();

      // View > Side&bar, View > &Status Bar, View > &Toolbars > &Power.
      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'B'}));
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::HandleViewMenuOps 40065\n")) << run.Log();
      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'S'}));
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::HandleViewMenuOps 40030\n")) << run.Log();
      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'T', 'P'}));
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::HandleViewMenuOps 469\n")) << run.Log();
      EXPECT_TRUE(WaitForChrome(frame, false)) << "all three are gone\n" << run.Log();
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H");
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: ")) << run.Log();
      Sleep(500);
      Chrome chrome = ChromeOf(frame);
      EXPECT_FALSE(chrome.sidebar) << "the side bar stays off";
      EXPECT_FALSE(chrome.statusBar) << "the status bar stays off";
      EXPECT_FALSE(chrome.powerToolbar) << "the power toolbar stays off";

      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'B'}));
      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'S'}));
      ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'V', {'T', 'P'}));
      EXPECT_TRUE(WaitForChrome(frame, true)) << "the View menu brings them back\n" << run.Log();
      run.Close(zolt, frame);
   }
}

TEST(ZoltFileView, FileOpenOfALocalSessionOpensTheMachineTypedIntoTheFileDialog)
{
   e2e::TestFolder folder;
   const std::string vmx = folder.WriteFile("Opened Box.vmx", zoltrun::MachineVmx("Opened Box"));
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: ")) << run.Log();

   ASSERT_TRUE(ChooseByKeyboard(frame, zolt.Id(), 'F', {'O'}));
   HWND dialog = e2e::WaitForDialog(zolt.Id(), "", zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << e2e::LastFailure() << run.Log();
   HWND name = GetDlgItem(dialog, kFileNameCombo) ? GetDlgItem(dialog, kFileNameCombo) : GetDlgItem(dialog, kFileNameEdit);
   ASSERT_TRUE(name);
   RECT box = {};
   GetClientRect(name, &box);
   ASSERT_TRUE(e2e::Click(name, 10, box.bottom / 2)) << e2e::LastFailure();
   // A combo box takes the text in its edit control.
   HWND edit = zoltside::FindDescendant(name, "Edit");
   ASSERT_TRUE(e2e::TypeText(edit ? edit : name, vmx)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(dialog, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog, zoltrun::kHostMs));

   EXPECT_TRUE(run.WaitForLog("Opened Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: /vm/#0001/")) << run.Log();
   run.Close(zolt, frame);
}
