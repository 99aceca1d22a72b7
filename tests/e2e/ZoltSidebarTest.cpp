// zolt.exe's side bar as a user meets it: the host's registered sample machine listed at the first
// start of the remote-host mode and opened by a double-click; a machine added to the favourites in
// the desktop mode, listed again after a restart, opened from there and removed; the close button
// hiding the bar, View bringing it back, and the width dragged at its edge kept across a restart.
#include "SidebarSupport.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdlib>
#include <string>

namespace {

const char kRegVmsClass[] = "TremappsdkRegVms";
const char kFavoritesClass[] = "TremappsdkVMList";

// Runs on one user folder; the desktop mode comes from the user's preference, as a user who
// chose it has it.
class SidebarRun : public zoltrun::ZoltRun {
public:
   SidebarRun(const e2e::TestFolder &folder, bool desktopMode, bool answerMessages = true)
      : ZoltRun(folder, desktopMode ? Preload(folder) : std::string(), answerMessages), folder_(folder)
   {
   }

   HWND Start(e2e::Process &process, const std::string &arguments = "")
   {
      e2e::RemovePath(LogPath());
      return ZoltRun::Start(process, arguments);
   }
   void Screenshot(HWND window, const std::string &name) const { zoltpage::KeepScreenshot(folder_, window, name); }

private:
   static std::string Preload(const e2e::TestFolder &folder)
   {
      return "vmdb.preload = " +
             e2e::QuoteValue(folder.WriteFile("preload.vmdb", "/user/prefState/val/zolt/deskmoorMode = \"1\"\n")) +
             "\n";
   }

   const e2e::TestFolder &folder_;
};

// The sample machine as a first start finds it: its configuration in the user's machines folder
// and its path in the local host's list beside the user data.
std::string PlaceSampleMachine(const e2e::TestFolder &folder)
{
   folder.MakeFolder("Virtual Machines\\Sample Machine");
   folder.MakeFolder("Hosts");
   const std::string vmx = folder.WriteFile("Virtual Machines\\Sample Machine\\Sample Machine.vmx",
                                            zoltrun::MachineVmx("Sample Machine"));
   folder.WriteFile("Hosts\\localhost.vms", e2e::ToWindowsPath(vmx) + "\r\n");
   return vmx;
}

POINT Centre(const RECT &rect)
{
   return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool OpenByDoubleClick(HWND tree, const zoltside::TreeRow &row)
{
   POINT centre = Centre(row.rect);
   return zoltside::DoubleClick(tree, centre.x, centre.y);
}

bool HasRow(HWND tree, const std::string &text)
{
   for (const zoltside::TreeRow &row : zoltside::VisibleRows(tree)) {
      if (row.text == text) {
         return true;
      }
   }
   return false;
}

}  // namespace

TEST(ZoltSidebar, TheSampleMachineIsListedAtTheFirstStartAndOpensByDoubleClick)
{
   e2e::TestFolder folder;
   PlaceSampleMachine(folder);
   SidebarRun run(folder, false);
   e2e::Process zolt;
   HWND frame = run.Start(zolt);
   ASSERT_TRUE(frame);
   HWND sidebar = zoltside::WaitForSidebar(frame);
   ASSERT_TRUE(sidebar) << run.Log();
   EXPECT_TRUE(zoltside::IsShown(sidebar));
   ASSERT_EQ(zoltside::FindDescendant(sidebar, kFavoritesClass), nullptr) << "the remote-host mode lists the host";
   HWND tree = zoltside::ListTree(sidebar, kRegVmsClass);
   ASSERT_TRUE(tree) << run.Log();

   zoltside::TreeRow row;
   ASSERT_TRUE(zoltside::WaitForRow(tree, "Sample Machine", row, zoltrun::kHostMs)) << run.Log();
   run.Screenshot(sidebar, "sidebar-registered.png");
   EXPECT_EQ(run.Log().find("Sample Machine.vmx as /vm/"), std::string::npos) << "nothing opens before the click";

   ASSERT_TRUE(OpenByDoubleClick(tree, row)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("Sample Machine.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened /appdata/Tremory/zolt/openedObj/")) << run.Log();
   EXPECT_TRUE(zoltpage::WaitForMachinePage(frame)) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltSidebar, AFavouriteSurvivesARestartOpensFromTheSidebarAndIsRemoved)
{
   e2e::TestFolder folder;
   const std::string vmx = folder.WriteFile("Favourite.vmx", zoltrun::MachineVmx("Favourite"));
   SidebarRun run(folder, true, false);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("Favourite.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      HWND sidebar = zoltside::WaitForSidebar(frame);
      ASSERT_TRUE(sidebar) << run.Log();
      ASSERT_EQ(zoltside::FindDescendant(sidebar, kRegVmsClass), nullptr) << "the desktop mode lists the favourites";
      HWND tree = zoltside::ListTree(sidebar, kFavoritesClass);
      ASSERT_TRUE(tree) << run.Log();
      EXPECT_FALSE(HasRow(tree, "Favourite")) << "opening alone adds nothing";

      ASSERT_TRUE(zoltrun::Command(frame, IDM_FILE_FAVORITES));
      zoltside::TreeRow row;
      EXPECT_TRUE(zoltside::WaitForRow(tree, "Favourite", row, zoltrun::kHostMs)) << run.Log();
      // Added twice, listed once.
      ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_FAVORITES));
      Sleep(500);
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt);
      ASSERT_TRUE(frame);
      HWND sidebar = zoltside::WaitForSidebar(frame);
      ASSERT_TRUE(sidebar) << run.Log();
      HWND tree = zoltside::ListTree(sidebar, kFavoritesClass);
      ASSERT_TRUE(tree) << run.Log();
      zoltside::TreeRow row;
      ASSERT_TRUE(zoltside::WaitForRow(tree, "Favourite", row, zoltrun::kHostMs)) << run.Log();
      size_t listed = 0;
      for (const zoltside::TreeRow &each : zoltside::VisibleRows(tree)) {
         listed += each.text == "Favourite";
      }
      EXPECT_EQ(listed, 1u);
      run.Screenshot(sidebar, "sidebar-favourites.png");

      ASSERT_TRUE(OpenByDoubleClick(tree, row)) << e2e::LastFailure();
      ASSERT_TRUE(run.WaitForLog("Favourite.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: /vm/#0001/")) << run.Log();

      // The menu's command asks first; Yes removes the entry.
      ASSERT_TRUE(zoltrun::Command(frame, IDM_FILE_FAVORITES));
      HWND question = e2e::WaitForDialog(zolt.Id());
      ASSERT_TRUE(question) << e2e::LastFailure() << run.Log();
      // The message dialog's text and its first (Yes) button.
      const std::string text = e2e::ReadText(GetDlgItem(question, 1182)).value_or("");
      EXPECT_NE(text.find("Favourite"), std::string::npos) << text;
      ASSERT_TRUE(e2e::ClickButton(question, 1241)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitUntil([&]() { return !HasRow(tree, "Favourite"); }, zoltrun::kHostMs, 100)) << run.Log();
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt);
      ASSERT_TRUE(frame);
      HWND sidebar = zoltside::WaitForSidebar(frame);
      HWND tree = sidebar ? zoltside::ListTree(sidebar, kFavoritesClass) : nullptr;
      ASSERT_TRUE(tree) << run.Log();
      Sleep(1000);
      EXPECT_FALSE(HasRow(tree, "Favourite")) << "the removal was kept";
      run.Close(zolt, frame);
   }
}

TEST(ZoltSidebar, TheCloseButtonHidesItViewBringsItBackAndItsWidthSurvivesARestart)
{
   e2e::TestFolder folder;
   SidebarRun run(folder, false);
   int sized = 0;
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt);
      ASSERT_TRUE(frame);
      HWND sidebar = zoltside::WaitForSidebar(frame);
      ASSERT_TRUE(sidebar) << run.Log();
      ASSERT_TRUE(e2e::WaitUntil([&]() { return zoltside::IsShown(sidebar); }, e2e::kReplyTimeoutMs));
      HWND toolbar = zoltside::FindDescendant(sidebar, TOOLBARCLASSNAMEA);
      ASSERT_TRUE(toolbar);
      RECT button = zoltside::RemoteRect(toolbar, TB_GETITEMRECT, 0);
      ASSERT_GT(button.right, button.left);
      POINT centre = Centre(button);
      ASSERT_TRUE(e2e::Click(toolbar, centre.x, centre.y)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitForWindowGone(sidebar)) << "the close button hides the side bar";

      ASSERT_TRUE(zoltrun::Command(frame, IDM_VIEW_SIDEBAR));
      ASSERT_TRUE(e2e::WaitUntil([&]() { return zoltside::IsShown(sidebar); }, e2e::kReplyTimeoutMs))
         << "View > Sidebar shows it again";

      // The sizing edge: the few pixels at the right that the list does not cover.
      RECT client = {};
      GetClientRect(sidebar, &client);
      const int before = zoltside::WidthOf(sidebar);
      const POINT edge = {client.right - 2, client.bottom / 2};
      ASSERT_TRUE(zoltside::Drag(sidebar, edge, POINT{edge.x + 90, edge.y}));
      EXPECT_TRUE(e2e::WaitUntil([&]() { return std::abs(zoltside::WidthOf(sidebar) - (before + 90)) <= 6; },
                                 e2e::kReplyTimeoutMs))
         << "width " << zoltside::WidthOf(sidebar) << ", was " << before;
      sized = zoltside::WidthOf(sidebar);

      // Never narrower than 100 pixels.
      GetClientRect(sidebar, &client);
      const POINT newEdge = {client.right - 2, client.bottom / 2};
      ASSERT_TRUE(zoltside::Drag(sidebar, newEdge, POINT{newEdge.x - client.right, newEdge.y}));
      EXPECT_GE(zoltside::WidthOf(sidebar), 100);
      ASSERT_TRUE(zoltside::Drag(sidebar, POINT{zoltside::WidthOf(sidebar) - 2, newEdge.y},
                                 POINT{sized - 2, newEdge.y}));
      EXPECT_TRUE(e2e::WaitUntil([&]() { return std::abs(zoltside::WidthOf(sidebar) - sized) <= 6; },
                                 e2e::kReplyTimeoutMs));
      sized = zoltside::WidthOf(sidebar);
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt);
      ASSERT_TRUE(frame);
      HWND sidebar = zoltside::WaitForSidebar(frame);
      ASSERT_TRUE(sidebar) << run.Log();
      EXPECT_TRUE(e2e::WaitUntil([&]() { return zoltside::IsShown(sidebar) && zoltside::WidthOf(sidebar) == sized; },
                                 e2e::kReplyTimeoutMs))
         << "width " << zoltside::WidthOf(sidebar) << ", kept " << sized;
      run.Close(zolt, frame);
   }
}
