// A failing command ends in one warning line, whatever it throws.
#include "zoltCommandRoute.h"

#include "cui/Error.h"
#include "tremorybase/Log.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <comdef.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::string ReadFile(const std::string &path)
{
   std::ifstream in(path);
   std::stringstream text;
   text << in.rdbuf();
   return text.str();
}

}  // namespace

TEST(CommandGuard, NoFailureOfACommandGoesFurtherThanTheWarningLog)
{
   char folder[MAX_PATH] = {};
   ASSERT_TRUE(GetTempPathA(MAX_PATH, folder));
   const std::string log = std::string(folder) + "dispatch-guard-" + std::to_string(GetCurrentProcessId()) + ".log";
   ASSERT_TRUE(Log_Start("dispatch_tests", "dispatch.test.unsetLogName", log.c_str()));

   bool ran = false;
   EXPECT_TRUE(RunCommandGuarded([&ran]() { ran = true; }));
   EXPECT_TRUE(ran);
   EXPECT_FALSE(RunCommandGuarded([]() { throw cui::Error("The machine is locked."); }));
   EXPECT_FALSE(RunCommandGuarded([]() { _com_issue_error(E_POINTER); }));
   EXPECT_FALSE(RunCommandGuarded([]() { throw std::runtime_error("bad state"); }));
   EXPECT_FALSE(RunCommandGuarded([]() { throw 42; }));
   Log_Stop();

   const std::string text = ReadFile(log);
   DeleteFileA(log.c_str());
   EXPECT_NE(std::string::npos, text.find("CZOLTApp::MenuButtonClicked failed: The machine is locked.\n")) << text;
   EXPECT_NE(std::string::npos, text.find("CZOLTApp::MenuButtonClicked failed: bad state\n")) << text;
   EXPECT_NE(std::string::npos, text.find("CZOLTApp::MenuButtonClicked failed: unknown exception\n")) << text;
   // A COM error without a description of its own is told by its code's message.
   EXPECT_EQ(std::string::npos, text.find("MenuButtonClicked failed: \n")) << text;
   size_t lines = 0;
   for (size_t at = text.find("MenuButtonClicked failed"); at != std::string::npos;
        at = text.find("MenuButtonClicked failed", at + 1)) {
      lines++;
   }
   EXPECT_EQ(4u, lines) << text;
}
