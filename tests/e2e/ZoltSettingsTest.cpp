// zolt.exe's machine settings: VM > Settings on an opened machine shows the settings window, a
// new memory size confirmed with OK is written to the machine's configuration file and shown on
// the machine page. A picture of the window is kept for a look.
#include "ZoltPageSupport.h"
#include "e2e/Harness.h"

#include "cui/VMSettings.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const DWORD kHostMs = 20000;

// The first row of the page's device list: the machine's memory.
std::string MemoryRow(HWND page)
{
   for (const e2e::ChildWindow &child : e2e::ListChildren(page)) {
      if (child.className == "SysListView32") {
         std::vector<std::string> rows = zoltpage::ListViewRows(child.window);
         return rows.empty() ? std::string() : rows[0];
      }
   }
   return std::string();
}

std::string Text(HWND dialog, int id)
{
   return e2e::ReadText(GetDlgItem(dialog, id)).value_or("<none>");
}

}  // namespace

TEST(ZoltSettings, VMSettingsChangesTheMemoryInTheFileAndOnThePage)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Settings Box.vmx", zoltpage::VmxText("Settings Box", 384));
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   HWND page = zoltpage::WaitForMachinePage(frame);
   ASSERT_TRUE(page) << "no machine page";
   ASSERT_TRUE(e2e::WaitUntil([&]() { return MemoryRow(page) == "Memory | 384 MB"; }, kHostMs, 100))
      << MemoryRow(page);

   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SETTINGS));
   HWND dialog = e2e::WaitForWindow({"#32770", "Settings Box - Virtual Machine Settings", false, zolt.Id()});
   ASSERT_TRUE(dialog) << e2e::LastFailure() << run.Log();
   EXPECT_EQ("Settings Box", Text(dialog, wui::dialog::VMSettings::kNameEdit));
   EXPECT_EQ("384", Text(dialog, wui::dialog::VMSettings::kMemoryEdit));
   // Asked again, the window that is up comes forward; no second one.
   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SETTINGS));
   Sleep(300);
   EXPECT_EQ(1u, e2e::FindTopLevelWindows({"#32770", "Settings Box - Virtual Machine Settings", false, zolt.Id()}).size());

   SetDlgItemTextA(dialog, wui::dialog::VMSettings::kMemoryEdit, "1024");
   zoltpage::KeepScreenshot(folder, dialog, "vm-settings.png");
   ASSERT_TRUE(e2e::ClickButton(dialog, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog, kHostMs));
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() { return e2e::ReadTextFile(vmx).value_or("").find("memoryMB = \"1024\"") != std::string::npos; }, kHostMs,
      100))
      << e2e::ReadTextFile(vmx).value_or("");
   EXPECT_TRUE(e2e::WaitUntil([&]() { return MemoryRow(page) == "Memory | 1024 MB"; }, kHostMs, 100))
      << MemoryRow(page);
   std::string file = e2e::ReadTextFile(vmx).value_or("");
   EXPECT_NE(file.find("displayName = \"Settings Box\""), std::string::npos) << file;

   // Powered on, the machine's hardware is shown but cannot be changed.
   ASSERT_TRUE(e2e::ClickButton(page, 1063));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return Text(page, 1053) == "Powered on"; }, kHostMs, 50)) << Text(page, 1053);
   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SETTINGS));
   dialog = e2e::WaitForWindow({"#32770", "Settings Box - Virtual Machine Settings", false, zolt.Id()});
   ASSERT_TRUE(dialog) << e2e::LastFailure();
   EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, wui::dialog::VMSettings::kMemoryEdit), GWL_STYLE) & ES_READONLY);
   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, wui::dialog::VMSettings::kCPUCombo)));
   Sleep(300);   // the window has painted its controls
   zoltpage::KeepScreenshot(folder, dialog, "vm-settings-running.png");
   ASSERT_TRUE(e2e::ClickButton(dialog, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog, kHostMs));
   zolt.Kill();
}
