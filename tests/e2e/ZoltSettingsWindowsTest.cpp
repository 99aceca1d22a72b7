// zolt.exe's host settings and preferences windows driven as a user drives them: Host > Host
// Settings through the menu by keyboard, a changed value confirmed with OK and still there after
// a restart, a value the host refuses shown in an error box that leaves nothing open, and the
// preference pages. Pictures of every page are kept for a look.
#include "ZoltPageSupport.h"
#include "e2e/Harness.h"

#include "tremappcfg/TremAppCfgRes.h"

#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const DWORD kHostMs = 20000;

// Opens a menu of the frame by its mnemonic and chooses the item by its own.
bool ChooseMenuItem(HWND frame, DWORD pid, char menu, char item)
{
   if (!e2e::PressKey(frame, menu, e2e::kAlt)) {
      return false;
   }
   HWND popup = e2e::WaitForPopupMenu(pid);
   return popup && e2e::PressKey(frame, item);
}

HWND WaitForSheet(DWORD pid, const std::string &title)
{
   return e2e::WaitForWindow({"#32770", title, false, pid}, kHostMs);
}

HWND SelectPage(HWND sheet, int index)
{
   SendMessageW(sheet, PSM_SETCURSEL, index, 0);
   return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int PageCount(HWND sheet)
{
   HWND tabs = FindWindowExW(sheet, nullptr, WC_TABCONTROLW, nullptr);
   return tabs ? static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string Text(HWND page, int id)
{
   return e2e::ReadText(GetDlgItem(page, id)).value_or("<none>");
}

// Every page of the sheet, each kept as a picture named after `name` and the page's number.
void KeepPages(const e2e::TestFolder &folder, HWND sheet, const std::string &name)
{
   for (int i = 0, count = PageCount(sheet); i < count; ++i) {
      SelectPage(sheet, i);
      Sleep(150);
      zoltpage::KeepScreenshot(folder, sheet, name + "-" + std::to_string(i + 1) + ".png");
   }
}

class ZoltSettingsWindows : public ::testing::Test {
protected:
   HWND Start(e2e::Process &zolt)
   {
      HWND frame = run_.Start(zolt, "");
      // The host's settings are loaded a poll step after the session starts.
      Sleep(300);
      return frame;
   }
   HWND OpenHostSettings(HWND frame, const e2e::Process &zolt)
   {
      if (!ChooseMenuItem(frame, zolt.Id(), 'O', 'H')) {
         ADD_FAILURE() << e2e::LastFailure();
         return nullptr;
      }
      HWND sheet = WaitForSheet(zolt.Id(), "Host Settings");
      EXPECT_TRUE(sheet) << e2e::LastFailure() << run_.Log();
      return sheet;
   }

   e2e::TestFolder folder_;
   zoltrun::ZoltRun run_{folder_, "", false};
};

}  // namespace

TEST_F(ZoltSettingsWindows, HostSettingsChangedThroughTheMenuStayAfterARestart)
{
   e2e::Process zolt;
   HWND frame = Start(zolt);
   ASSERT_TRUE(frame);
   HWND sheet = OpenHostSettings(frame, zolt);
   ASSERT_TRUE(sheet);
   ASSERT_EQ(5, PageCount(sheet)) << "General, Memory, Priority, Devices, Connections";
   KeepPages(folder_, sheet, "host-settings");
   HWND general = SelectPage(sheet, 0);
   EXPECT_NE(std::string::npos, Text(general, IDC_CFG_VM_FOLDER).find("Machines")) << Text(general, IDC_CFG_VM_FOLDER);
   HWND memory = SelectPage(sheet, 1);
   EXPECT_NE(std::string::npos, Text(memory, IDC_CFG_HOST_MEMORY).find("MB of memory"));
   ASSERT_TRUE(e2e::SetText(GetDlgItem(memory, IDC_CFG_MEMORY_MAX), "2048"));
   HWND connections = SelectPage(sheet, 4);
   ASSERT_TRUE(e2e::SetText(GetDlgItem(connections, IDC_CFG_PORT), "4100"));
   ASSERT_TRUE(e2e::ClickButton(sheet, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));
   EXPECT_TRUE(run_.WaitForLog("SimHost: 2 host settings of /host2/#0000/ changed")) << run_.Log();
   run_.Close(zolt, frame);

   auto file = e2e::ReadTextFile(folder_.PathOf("Hosts/localhost.settings"));
   ASSERT_TRUE(file) << "the host keeps its settings in a file";
   EXPECT_NE(std::string::npos, file->find("memory/max = \"2048\"")) << *file;

   e2e::Process again;
   frame = Start(again);
   ASSERT_TRUE(frame);
   sheet = OpenHostSettings(frame, again);
   ASSERT_TRUE(sheet);
   EXPECT_EQ("2048", Text(SelectPage(sheet, 1), IDC_CFG_MEMORY_MAX));
   EXPECT_EQ("4100", Text(SelectPage(sheet, 4), IDC_CFG_PORT));
   ASSERT_TRUE(e2e::ClickButton(sheet, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));
   run_.Close(again, frame);
}

TEST_F(ZoltSettingsWindows, ARefusedValueIsShownAndLeavesNothingOpen)
{
   e2e::Process zolt;
   HWND frame = Start(zolt);
   ASSERT_TRUE(frame);
   HWND sheet = OpenHostSettings(frame, zolt);
   ASSERT_TRUE(sheet);
   ASSERT_TRUE(e2e::SetText(GetDlgItem(SelectPage(sheet, 1), IDC_CFG_MEMORY_MAX), "99999999"));
   ASSERT_TRUE(e2e::ClickButton(sheet, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));

   HWND box = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (HWND window : e2e::FindTopLevelWindows({"#32770", "", false, zolt.Id()})) {
            if (e2e::DialogMessage(window).find("Saving the settings failed") != std::string::npos) {
               box = window;
               return true;
            }
         }
         return false;
      },
      kHostMs, 100))
      << run_.Log();
   EXPECT_NE(std::string::npos, e2e::DialogMessage(box).find("99999999 MB is more than")) << e2e::DialogMessage(box);
   zoltpage::KeepScreenshot(folder_, box, "host-settings-refused.png");
   ASSERT_TRUE(e2e::ClickButtonByText(box, "OK"));
   EXPECT_TRUE(e2e::WaitForWindowGone(box));

   // Nothing was left open: the window opens again and shows the host's value unchanged.
   sheet = OpenHostSettings(frame, zolt);
   ASSERT_TRUE(sheet);
   EXPECT_NE("99999999", Text(SelectPage(sheet, 1), IDC_CFG_MEMORY_MAX));
   ASSERT_TRUE(e2e::ClickButton(sheet, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));
   run_.Close(zolt, frame);
}

TEST_F(ZoltSettingsWindows, PreferencesShowTheirPagesAndSaveAChange)
{
   e2e::Process zolt;
   HWND frame = Start(zolt);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(ChooseMenuItem(frame, zolt.Id(), 'E', 'R')) << e2e::LastFailure();
   HWND sheet = WaitForSheet(zolt.Id(), "Preferences");
   ASSERT_TRUE(sheet) << run_.Log();
   ASSERT_EQ(5, PageCount(sheet)) << "the preference pages only, in this mode";
   KeepPages(folder_, sheet, "preferences");
   HWND autofit = SelectPage(sheet, 3);
   ASSERT_TRUE(e2e::ClickButton(autofit, IDC_CFG_AUTOFIT_WINDOW));
   Sleep(200);
   ASSERT_TRUE(e2e::ClickButton(sheet, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));
   EXPECT_TRUE(run_.WaitForLog("CZOLTApp::EditPreferences: submitted the preferences")) << run_.Log();
   run_.Close(zolt, frame);

   e2e::Process again;
   frame = Start(again);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(ChooseMenuItem(frame, again.Id(), 'E', 'R')) << e2e::LastFailure();
   sheet = WaitForSheet(again.Id(), "Preferences");
   ASSERT_TRUE(sheet);
   EXPECT_EQ(BST_CHECKED, SendMessageW(GetDlgItem(SelectPage(sheet, 3), IDC_CFG_AUTOFIT_WINDOW), BM_GETCHECK, 0, 0))
      << "the preference was saved with the user's data";
   ASSERT_TRUE(e2e::ClickButton(sheet, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet));
   run_.Close(again, frame);
}
