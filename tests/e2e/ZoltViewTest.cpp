// The tabbed view as a user meets it: every opened machine has a tab, choosing a tab shows that
// machine's page, a machine that powers on shows its console and one that powers off its summary
// again. Screenshots of the tabs and of a running machine's console are kept for a look.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"

#include "e2e/Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const DWORD kWaitMs = 20000;
const WORD kPowerOn = 40062;
const WORD kPowerOff = 40019;
const WORD kNextTab = 40087;

// The child of `view` that hosts a control whose window has the class `controlClass`.
HWND HostOf(HWND view, const char *controlClass)
{
   for (HWND host = FindWindowExA(view, nullptr, "AtlAxWin71", nullptr); host;
        host = FindWindowExA(view, host, "AtlAxWin71", nullptr)) {
      if (FindWindowExA(host, nullptr, controlClass, nullptr)) {
         return host;
      }
   }
   return nullptr;
}

class ZoltView {
public:
   // The machines are registered with the local host, as the host's own inventory would have them.
   ZoltView(const e2e::TestFolder &folder, const std::vector<std::string> &machines)
       : folder_(folder), log_(folder.PathOf("zolt.log"))
   {
      config_ = zoltpage::WriteConfig(folder, log_, zoltrun::RegisteredMachinesConfig(folder, machines));
   }

   bool Start()
   {
      e2e::ProcessOptions options;
      // -l: a session with the local host, without the login dialog.
      options.arguments = "-l";
      options.environment = {{"TREMORY_CONFIG", config_}};
      if (!process.Start(ZOLT_EXE, options)) {
         return false;
      }
      frame = e2e::WaitForWindow({"ZOLTFrame", "", false, process.Id()});
      return frame && e2e::WaitUntil(
                         [this]() {
                            view = FindWindowExA(frame, nullptr, "ZOLTView", nullptr);
                            cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
                            pane = view ? FindWindowExA(view, nullptr, "ZOLTStatusPane", nullptr) : nullptr;
                            tabs = view ? HostOf(view, "TremappsdkSwitch") : nullptr;
                            console = view ? HostOf(view, "TremappsdkMks") : nullptr;
                            return cmdbar && pane && tabs && console;
                         },
                         e2e::kStartTimeoutMs);
   }

   // Opens a machine as a second instance hands it over: in a tab of its own, made current.
   bool Open(const std::string &path, const std::string &name)
   {
      std::optional<LRESULT> answer =
         e2e::SendCopyDataText(frame, 1, e2e::QuoteArgument(e2e::ToWindowsPath(path)));
      return answer == std::optional<LRESULT>(1) && WaitForPage(name);
   }

   // True once the shown summary page names `part`.
   bool WaitForPage(const std::string &part) const
   {
      return e2e::WaitUntil([&]() { return PageTexts().find(part) != std::string::npos; }, kWaitMs);
   }
   bool Command(WORD id) const { return PostMessageA(cmdbar, WM_COMMAND, MAKEWPARAM(id, 1), 0) != FALSE; }
   bool ShowsSummary() const { return IsWindowVisible(pane) && !IsWindowVisible(console); }
   bool ShowsConsole() const { return IsWindowVisible(console) && !IsWindowVisible(pane); }

   // The texts of the visible windows under the pane (the shown page's labels).
   std::string PageTexts() const
   {
      std::string texts;
      for (const e2e::ChildWindow &child : e2e::ListChildren(pane)) {
         if (child.visible && IsWindowVisible(child.window)) {
            texts += child.text + "\n";
         }
      }
      return texts;
   }

   std::string Log() const { return e2e::ReadTextFile(log_).value_or(""); }

   void Screenshot(HWND window, const std::string &name) const { zoltpage::KeepScreenshot(folder_, window, name); }

   e2e::Process process;
   HWND frame = nullptr;
   HWND cmdbar = nullptr;
   HWND view = nullptr;
   HWND pane = nullptr;
   HWND tabs = nullptr;
   HWND console = nullptr;

private:
   const e2e::TestFolder &folder_;
   std::string log_;
   std::string config_;
};

bool ClickAt(HWND window, int x, int y, bool right = false)
{
   POINT point = {x, y};
   ClientToScreen(window, &point);
   return e2e::ClickAtScreen(point, right);
}

TEST(ZoltView, EachMachineHasATabAndChoosingATabShowsItsPage)
{
   e2e::TestFolder folder;
   std::string alpha = folder.WriteFile("Alpha.vmx", zoltpage::VmxText("Alpha Machine", 256));
   std::string beta = folder.WriteFile("Beta.vmx", zoltpage::VmxText("Beta Machine", 512));
   ZoltView zolt(folder, {alpha, beta});
   ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();

   // The tab strip is the view's top row, the summary below it.
   RECT view = {}, tabs = {}, pane = {};
   GetWindowRect(zolt.view, &view);
   GetWindowRect(zolt.tabs, &tabs);
   GetWindowRect(zolt.pane, &pane);
   EXPECT_TRUE(IsWindowVisible(zolt.tabs));
   EXPECT_EQ(tabs.top, view.top);
   EXPECT_EQ(tabs.bottom - tabs.top, 24);
   EXPECT_EQ(tabs.right - tabs.left, view.right - view.left);
   EXPECT_EQ(pane.top, tabs.bottom);
   EXPECT_EQ(pane.bottom, view.bottom);
   EXPECT_TRUE(zolt.ShowsSummary());

   ASSERT_TRUE(zolt.Open(alpha, "Alpha Machine")) << zolt.PageTexts() << "\n" << zolt.Log();
   ASSERT_TRUE(zolt.Open(beta, "Beta Machine")) << zolt.PageTexts() << "\n" << zolt.Log();
   EXPECT_TRUE(zolt.ShowsSummary()) << "powered-off machines show their summary";
   zolt.Screenshot(zolt.frame, "view-tabs.png");
   // Each tab is named after its object (the tab strip's tips carry the full names).
   HWND strip = FindWindowExA(zolt.tabs, nullptr, "TremappsdkSwitch", nullptr);
   std::vector<std::string> names;
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (names = zoltpage::ToolTextsOf(strip)).size() == 3; }, kWaitMs));
   EXPECT_EQ(names, (std::vector<std::string>{"Home", "Alpha Machine", "Beta Machine"}));

   // A right click on a tab opens its context menu; Escape dismisses it and nothing runs.
   ASSERT_TRUE(ClickAt(zolt.tabs, 20, 12, true));
   HWND popup = e2e::WaitForPopupMenu(zolt.process.Id());
   ASSERT_TRUE(popup) << "the home tab's context menu";
   ASSERT_TRUE(e2e::PressKey(zolt.frame, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup));
   EXPECT_TRUE(zolt.WaitForPage("Beta Machine")) << "the menu left the current tab alone";

   // The first tab (the home tab) by a click, then the next tabs in their order.
   ASSERT_TRUE(ClickAt(zolt.tabs, 20, 12));
   EXPECT_TRUE(e2e::WaitUntil([&]() {
      const std::string texts = zolt.PageTexts();
      return texts.find("Alpha Machine") == std::string::npos && texts.find("Beta Machine") == std::string::npos &&
             texts.find("New Virtual Machine") != std::string::npos;
   }, kWaitMs)) << "the home tab shows the home page, no machine's: " << zolt.PageTexts();
   ASSERT_TRUE(zolt.Command(kNextTab));
   EXPECT_TRUE(zolt.WaitForPage("Alpha Machine")) << zolt.PageTexts();
   EXPECT_EQ(zolt.PageTexts().find("Beta Machine"), std::string::npos) << zolt.PageTexts();
   ASSERT_TRUE(zolt.Command(kNextTab));
   EXPECT_TRUE(zolt.WaitForPage("Beta Machine")) << zolt.PageTexts();
   EXPECT_EQ(zolt.PageTexts().find("Alpha Machine"), std::string::npos) << zolt.PageTexts();
   EXPECT_TRUE(zolt.ShowsSummary());

   zolt.process.Kill();
}

TEST(ZoltView, PowerOnShowsTheConsoleAndPowerOffTheSummary)
{
   e2e::TestFolder folder;
   std::string gamma = folder.WriteFile("Gamma.vmx", zoltpage::VmxText("Gamma Machine", 384));
   ZoltView zolt(folder, {gamma});
   ASSERT_TRUE(zolt.Start()) << e2e::LastFailure();
   ASSERT_TRUE(zolt.Open(gamma, "Gamma Machine")) << zolt.PageTexts() << "\n" << zolt.Log();
   EXPECT_TRUE(zolt.ShowsSummary());

   ASSERT_TRUE(zolt.Command(kPowerOn));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.ShowsConsole(); }, kWaitMs)) << zolt.Log();
   RECT console = {}, tabs = {};
   GetWindowRect(zolt.console, &console);
   GetWindowRect(zolt.tabs, &tabs);
   EXPECT_EQ(console.top, tabs.bottom) << "the console sits under the tabs";
   EXPECT_GT(console.bottom - console.top, 100);
   EXPECT_EQ(zolt.Log().find("CZOLTView::UpdateView: Invalid viewType state."), std::string::npos);
   EXPECT_EQ(zolt.Log().find("Cannot show the console"), std::string::npos) << zolt.Log();

   // The guest's screen draws a moment after the console shows: the console is then not one flat
   // colour. A picture of it is kept.
   e2e::ScreenImage screen;
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() {
         screen = e2e::CaptureClientFromScreen(zolt.console);
         return !screen.Empty() && screen.CountColour(RGB(64, 64, 64)) < screen.pixels.size() * 9 / 10;
      },
      kWaitMs, 100))
      << "the guest's screen covers the console's background";
   zolt.Screenshot(zolt.frame, "view-console.png");

   ASSERT_TRUE(zolt.Command(kPowerOff));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.ShowsSummary(); }, kWaitMs)) << zolt.Log();
   EXPECT_TRUE(zolt.WaitForPage("Gamma Machine")) << zolt.PageTexts();

   // On again: the same tab goes back to its console.
   ASSERT_TRUE(zolt.Command(kPowerOn));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return zolt.ShowsConsole(); }, kWaitMs)) << zolt.Log();

   zolt.process.Kill();
}

}  // namespace
