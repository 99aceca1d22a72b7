// Commands sent to zolt.exe's main window as the menus and accelerators send them: each reaches
// the dispatcher, which logs it and hands it on, and the program keeps running.
#include "e2e/Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kExitMs = 20000;

}  // namespace

// The command bar: the window the accelerators are translated on, which hands menu commands on.
HWND FindCmdbar(HWND frame)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         found = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
         return found != nullptr;
      },
      e2e::kStartTimeoutMs);
   return found;
}

TEST(ZoltCommands, MenuCommandsReachTheDispatcherAndTheProgramRunsOn)
{
   e2e::TestFolder folder;
   const std::string log = folder.PathOf("zolt.log");
   const std::string config =
      folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(log) + "\n" + "vmdb.userFile = " +
                                    e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                    "test.comFailure.silent = \"true\"\n");
   e2e::Process zolt;
   e2e::ProcessOptions options;
   // -l: a session with the local host, without the login dialog.
   options.arguments = "-l";
   options.environment = {{"TREMORY_CONFIG", config}};
   ASSERT_TRUE(zolt.Start(ZOLT_EXE, options)) << e2e::LastFailure();
   HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
   ASSERT_TRUE(frame) << e2e::LastFailure();
   HWND cmdbar = FindCmdbar(frame);
   ASSERT_TRUE(cmdbar) << "no command bar in the main window";

   // View commands that need no machine and open no window, as an accelerator sends them
   // (sidebar, status bar, tabs, home tab): each is logged by the dispatcher with the menu bar's
   // empty object path.
   for (unsigned id : {40065u, 40030u, 40077u, 40028u}) {
      PostMessageA(cmdbar, WM_COMMAND, MAKEWPARAM(id, 1), 0);
      std::string line = "CZOLTApp::MenuButtonClicked: " + std::to_string(id) + " \n";
      EXPECT_TRUE(e2e::WaitForFileText(log, line, kExitMs)) << line << e2e::ReadTextFile(log).value_or("");
   }
   EXPECT_EQ(std::string::npos, e2e::ReadTextFile(log).value_or("").find("MenuButtonClicked failed"));
   EXPECT_TRUE(IsWindow(frame)) << "the program ended on a command";

   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
}
