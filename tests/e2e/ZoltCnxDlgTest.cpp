// zolt.exe's VM > Connected Users as a user meets it: a running machine with its remote display
// on that the host has other sessions with (the simulated host's "test.machine.otherUsers"), the
// window chosen from the menu with the keyboard, its rows read, the window following the machine of the tab that becomes current, and
// Escape closing it.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoltrun::MachineVmx;

// The list of the window (wui::dialog::CnxDlg::kList).
const int kCnxList = 1002;

std::string Utf8(const wchar_t *text)
{
   int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
   std::string out(size > 0 ? size - 1 : 0, '\0');
   if (size > 1) {
      WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], size, nullptr, nullptr);
   }
   return out;
}

// The Windows user and the computer, as the host names the session of this desktop's user.
std::string UserName()
{
   wchar_t name[256] = L"";
   DWORD size = 256;
   return GetUserNameW(name, &size) ? Utf8(name) : std::string();
}

std::string ComputerName()
{
   wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
   DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
   return GetComputerNameW(name, &size) ? Utf8(name) : std::string();
}

bool StartsWith(const std::string &text, const std::string &start)
{
   return text.compare(0, start.size(), start) == 0;
}

// The whole window as it shows on the screen, beside the test program and in the folder.
void Screenshot(const e2e::TestFolder &folder, HWND window, const std::string &name)
{
   e2e::KeepWindowScreenshot(folder.Path(), window, name);
}

TEST(ZoltCnxDlg, ConnectedUsersListsTheSessionsAndFollowsTheCurrentMachine)
{
   e2e::TestFolder folder;
   // The menu offers the item for a running machine whose remote display is on.
   const std::string remoteDisplay = "remoteDisplay.enabled = \"TRUE\"\n";
   std::string desk = folder.WriteFile("Shared Desk.vmx", MachineVmx("Shared Desk", remoteDisplay));
   std::string lab = folder.WriteFile("Lab.vmx", MachineVmx("Lab", remoteDisplay));
   zoltrun::ZoltRun run(folder, "test.machine.otherUsers = \"ann@LAB-7, bob@desk\"\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(desk));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("Shared Desk.vmx as /vm/#0001/")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("OnCtxCurrentObj: /vm/#0001/")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
   ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_OFF)) << run.Log();

   // VM (Alt+M) > Connected Users (N).
   ASSERT_TRUE(e2e::PressKey(frame, 'M', e2e::kAlt)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForPopupMenu(zolt.Id())) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(frame, 'N')) << e2e::LastFailure();
   HWND dlg = e2e::WaitForWindow({"#32770", "Connected Users - Shared Desk", false, zolt.Id()});
   ASSERT_TRUE(dlg) << run.Log();
   HWND list = e2e::WaitForChild(dlg, kCnxList);
   ASSERT_TRUE(list);

   std::vector<std::string> rows;
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (rows = zoltpage::ListViewRows(list)).size() == 3; },
                              e2e::kReplyTimeoutMs))
      << rows.size();
   std::string own = UserName() + " | " + ComputerName() + " | ";
   ASSERT_NE(" | ", own.substr(0, 3)) << "the test knows the Windows user";
   EXPECT_TRUE(StartsWith(rows[0], own)) << rows[0];
   EXPECT_GT(rows[0].size(), own.size()) << "the session's start shows: " << rows[0];
   EXPECT_TRUE(StartsWith(rows[1], "ann | LAB-7 | ")) << rows[1];
   EXPECT_TRUE(StartsWith(rows[2], "bob | desk | ")) << rows[2];
   EXPECT_EQ(rows[0].substr(own.size()), rows[2].substr(std::string("bob | desk | ").size()))
      << "connected with the registration";
   Screenshot(folder, dlg, "connected-users.png");

   // Powered off, the machine keeps its sessions and the window stays.
   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_POWER_OFF));
   ASSERT_TRUE(run.WaitForLog("powerOff done, poweredOff")) << run.Log();
   EXPECT_TRUE(IsWindow(dlg));

   // Another machine handed over becomes the current tab: the window shows its users instead.
   ASSERT_TRUE(run.HandOver("-H -t " + e2e::QuoteArgument(lab)));
   ASSERT_TRUE(run.WaitForLog("OnCtxCurrentObj: /vm/#0002/")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadText(dlg).value_or("") == "Connected Users - Lab"; },
                              e2e::kReplyTimeoutMs))
      << e2e::ReadText(dlg).value_or("<no answer>");
   EXPECT_EQ(1u, e2e::FindTopLevelWindows({"#32770", "Connected Users - ", true, zolt.Id()}).size());
   EXPECT_EQ(3u, zoltpage::ListViewRows(list).size());

   // Escape, typed into the window, closes it.
   ASSERT_TRUE(e2e::PressKey(list, VK_ESCAPE)) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitForWindowGone(dlg)) << run.Log();
   run.Close(zolt, frame);
}

}  // namespace
