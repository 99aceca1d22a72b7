// zolt.exe's home page, none page, about box and tip of the day as a user meets them: each home
// page button clicked starts its command; a window with nothing open shows the none page; `-v`
// shows the about box with the product, its version and the host's memory; the tip of the day
// appears at start-up, Next shows another tip, and a cleared "show at start-up" is remembered.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const int kTipText = 1054;
const int kTipNext = 1055;
const int kTipAtStartup = 1057;

std::string PreloadConfig(const e2e::TestFolder &folder, const std::string &lines)
{
   return "vmdb.preload = " + e2e::QuoteValue(folder.WriteFile("preload.vmdb", lines)) + "\n";
}

// The shown home page button with the control id, once one is there.
HWND WaitForHomeButton(HWND frame, int id)
{
   HWND button = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (const e2e::ChildWindow &child : e2e::ListChildren(frame)) {
            if (child.id == id && child.visible && IsWindowVisible(GetParent(child.window))) {
               button = child.window;
            }
         }
         return button != nullptr;
      },
      e2e::kStartTimeoutMs, 50);
   return button;
}

// A shown top-level window of the process other than `frame` (a dialog, a wizard), once one is there.
HWND WaitForOtherWindow(DWORD processId, HWND frame)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND window : e2e::FindTopLevelWindows({"", "", false, processId})) {
            if (window != frame && GetAncestor(window, GA_ROOT) == window) {
               found = window;
            }
         }
         return found != nullptr;
      },
      zoltrun::kHostMs, 100);
   return found;
}

// A home page button, the line its command leaves in the log and whether it opens a window.
struct HomeButton {
   int id;
   std::string logged;
   bool opensWindow;
};

// Clicks each home page button as a user does and expects its command to run and, where it has
// one, its window to open; the window is then closed.
void ClickEachButton(const zoltrun::ZoltRun &run, e2e::Process &zolt, HWND frame, const std::vector<HomeButton> &buttons)
{
   for (const HomeButton &each : buttons) {
      SCOPED_TRACE("button " + std::to_string(each.id));
      HWND button = WaitForHomeButton(frame, each.id);
      ASSERT_TRUE(button) << run.Log();
      EXPECT_TRUE(IsWindowEnabled(button));
      RECT rect = {};
      GetClientRect(button, &rect);
      ASSERT_TRUE(e2e::Click(button, rect.right / 2, rect.bottom / 2)) << e2e::LastFailure();
      EXPECT_TRUE(run.WaitForLog("CZOLTStatusBase::OnButton " + std::to_string(each.id))) << run.Log();
      EXPECT_TRUE(run.WaitForLog(each.logged)) << run.Log();
      if (!each.opensWindow) {
         continue;
      }
      HWND opened = WaitForOtherWindow(zolt.Id(), frame);
      ASSERT_TRUE(opened) << "the command opened no window\n" << run.Log();
      ASSERT_TRUE(e2e::RequestClose(opened));
      ASSERT_TRUE(e2e::WaitForWindowGone(opened, zoltrun::kHostMs));
   }
}

}  // namespace

TEST(ZoltHome, EachButtonOfTheHomePagesStartsItsCommand)
{
   {
      // The remote-host mode, connected to the local host.
      e2e::TestFolder folder;
      zoltrun::ZoltRun run(folder);
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      HWND button = WaitForHomeButton(frame, 1055);
      ASSERT_TRUE(button) << run.Log();
      zoltpage::KeepScreenshot(folder, GetParent(button), "home-connected.png");
      ClickEachButton(run, zolt, frame,
                      {{1055, "CZOLTApp::MenuButtonClicked: 40043", true},
                       {1056, "CZOLTApp::MenuButtonClicked: 40009", true},
                       {1058, "CZOLTApp::MenuButtonClicked: 40074", true}});
      run.Close(zolt, frame);
   }
   {
      // The desktop mode.
      e2e::TestFolder folder;
      zoltrun::ZoltRun run(folder, PreloadConfig(folder, "/user/prefState/val/zolt/deskmoorMode = \"1\"\n"));
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      HWND button = WaitForHomeButton(frame, 1055);
      ASSERT_TRUE(button) << run.Log();
      zoltpage::KeepScreenshot(folder, GetParent(button), "home-desktop.png");
      ClickEachButton(run, zolt, frame,
                      {{1055, "CZOLTApp::MenuButtonClicked: 40043", true},
                       {1096, "CZOLTApp::MenuButtonClicked: 41400", true},
                       {1214, "CZOLTApp::MenuButtonClicked: 40009", true}});
      run.Close(zolt, frame);
   }
}

TEST(ZoltHome, AWindowWithNothingOpenShowsTheNonePage)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder, PreloadConfig(folder, "/user/prefState/val/zolt/deskmoorMode = \"1\"\n"));
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);
   HWND homeButton = WaitForHomeButton(frame, 1055);
   ASSERT_TRUE(homeButton) << run.Log();
   HWND homePage = GetParent(homeButton);

   // Closing the home tab leaves nothing current.
   ASSERT_TRUE(zoltrun::Command(frame, IDM_FILE_CLOSE));
   ASSERT_TRUE(e2e::WaitForWindowGone(homePage, zoltrun::kHostMs)) << run.Log();
   HWND nonePage = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (const e2e::ChildWindow &child : e2e::ListChildren(frame)) {
            if (child.visible && child.className == "#32770" && IsWindowVisible(child.window)) {
               nonePage = child.window;
            }
         }
         return nonePage != nullptr;
      },
      zoltrun::kHostMs))
      << "a page shows in place of the home page\n" << run.Log();
   for (int id : {1055, 1096, 1214}) {
      HWND button = GetDlgItem(nonePage, id);
      EXPECT_FALSE(button && IsWindowVisible(button)) << "the none page has no home button " << id;
   }
   zoltpage::KeepScreenshot(folder, frame, "none-page.png");
   run.Close(zolt, frame);
}

TEST(ZoltAbout, TheVersionOptionShowsTheAboutBoxWithProductVersionAndMemory)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   e2e::ProcessOptions options;
   options.arguments = "-v";
   options.environment = {{"TREMORY_CONFIG", folder.PathOf("config")}};
   ASSERT_TRUE(zolt.Start(ZOLT_EXE, options)) << e2e::LastFailure();
   HWND about = e2e::WaitForWindow({"#32770", "About", true, zolt.Id()});
   ASSERT_TRUE(about) << e2e::LastFailure() << run.Log();
   const std::string title = e2e::ReadText(about).value_or("");
   EXPECT_NE(title.find("Tremory Deskmoor"), std::string::npos) << title;

   // The page's fields, read where they stand (the page is a child of the box).
   std::string product, version, memory;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (const e2e::ChildWindow &child : e2e::ListChildren(about)) {
            if (child.id == 1124) product = child.text;
            if (child.id == 1059) version = child.text;
            if (child.id == 1063) memory = child.text;
         }
         return !memory.empty();
      },
      e2e::kReplyTimeoutMs))
      << run.Log();
   EXPECT_NE(product.find("Tremory Deskmoor"), std::string::npos) << product;
   EXPECT_EQ(version, "6.0.0 build-45731");
   ASSERT_GT(memory.size(), 3u) << memory;
   EXPECT_EQ(memory.substr(memory.size() - 3), " MB") << memory;
   EXPECT_GT(std::atoi(memory.c_str()), 0) << memory;

   // The page covers the frame, which is hidden.
   HWND frameControl = GetDlgItem(about, 1125);
   EXPECT_FALSE(frameControl && IsWindowVisible(frameControl));

   e2e::ScreenImage image = e2e::CaptureWindowFromScreen(about);
   e2e::SavePng(image, folder.PathOf("about.png"));
   e2e::SavePng(image, e2e::TestProgramFolder() + "\\about.png");
   ASSERT_TRUE(e2e::ClickButton(about, IDOK));
   ASSERT_TRUE(zolt.WaitForExit(zoltrun::kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
}

TEST(ZoltTips, TheTipShowsAtStartUpNextChangesItAndAClearedChoiceIsKept)
{
   e2e::TestFolder folder;
   std::string first, second;
   {
      zoltrun::ZoltRun run(folder, PreloadConfig(folder, "/user/prefState/val/zolt/tip/startup = \"-1\"\n"));
      e2e::Process zolt;
      e2e::ProcessOptions options;
      // -l: a session with the local host, without the login dialog.
      options.arguments = "-l";
      options.environment = {{"TREMORY_CONFIG", folder.PathOf("config")}};
      ASSERT_TRUE(zolt.Start(ZOLT_EXE, options)) << e2e::LastFailure();
      HWND tips = nullptr;
      ASSERT_TRUE(e2e::WaitUntil(
         [&]() {
            for (HWND window : e2e::FindTopLevelWindows({"#32770", "", false, zolt.Id()})) {
               if (GetDlgItem(window, kTipText)) {
                  tips = window;
               }
            }
            return tips != nullptr;
         },
         e2e::kStartTimeoutMs))
         << run.Log();
      HWND text = GetDlgItem(tips, kTipText);
      first = e2e::ReadText(text).value_or("");
      EXPECT_FALSE(first.empty());
      EXPECT_EQ(SendMessageA(GetDlgItem(tips, kTipAtStartup), BM_GETCHECK, 0, 0), BST_CHECKED);
      zoltpage::KeepScreenshot(folder, tips, "tip.png");

      HWND next = GetDlgItem(tips, kTipNext);
      RECT rect = {};
      GetClientRect(next, &rect);
      ASSERT_TRUE(e2e::Click(next, rect.right / 2, rect.bottom / 2)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitUntil(
         [&]() {
            second = e2e::ReadText(text).value_or("");
            return !second.empty() && second != first;
         },
         e2e::kReplyTimeoutMs))
         << "Next shows another tip: " << second;

      // Alt+S, the box's mnemonic, clears it.
      HWND check = GetDlgItem(tips, kTipAtStartup);
      ASSERT_TRUE(e2e::PressKey(tips, 'S', e2e::kAlt)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitUntil([&]() { return SendMessageA(check, BM_GETCHECK, 0, 0) == BST_UNCHECKED; },
                                 e2e::kReplyTimeoutMs));
      ASSERT_TRUE(e2e::ClickButton(tips, IDCANCEL));
      ASSERT_TRUE(e2e::WaitForWindowGone(tips));
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      ASSERT_TRUE(frame) << run.Log();
      run.Close(zolt, frame);
   }
   {
      // No preload now: the user's file alone says whether the tip shows.
      zoltrun::ZoltRun run(folder);
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      Sleep(1500);
      for (HWND window : e2e::FindTopLevelWindows({"#32770", "", false, zolt.Id()})) {
         EXPECT_FALSE(GetDlgItem(window, kTipText)) << "no tip at start-up once the box was cleared";
      }
      // From the Help menu it continues after the last tip shown.
      ASSERT_TRUE(zoltrun::Command(frame, IDM_HELP_TIP_OF_THE_DAY));
      HWND tips = e2e::WaitForDialog(zolt.Id());
      ASSERT_TRUE(tips && GetDlgItem(tips, kTipText)) << e2e::LastFailure() << run.Log();
      const std::string shown = e2e::ReadText(GetDlgItem(tips, kTipText)).value_or("");
      EXPECT_NE(shown, first);
      EXPECT_FALSE(shown.empty());
      EXPECT_EQ(SendMessageA(GetDlgItem(tips, kTipAtStartup), BM_GETCHECK, 0, 0), BST_UNCHECKED);
      ASSERT_TRUE(e2e::RequestClose(tips));
      ASSERT_TRUE(e2e::WaitForWindowGone(tips));
      run.Close(zolt, frame);
   }
}
