#include "TempFile.h"
#include "zoltCommandLine.h"
#include "zoltResources.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

// Catches the message boxes this thread opens while it lives: a timer, run by the box's own modal
// loop, records each box's caption and text and closes it.
class BoxCatcher {
public:
   BoxCatcher()
   {
      current_ = this;
      timer_ = SetTimer(nullptr, 0, 50, OnTimer);
   }
   ~BoxCatcher()
   {
      KillTimer(nullptr, timer_);
      current_ = nullptr;
   }

   int count = 0;
   std::string caption;
   std::string text;

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
   {
      EnumThreadWindows(GetCurrentThreadId(), OnWindow, 0);
   }

   static BOOL CALLBACK OnWindow(HWND window, LPARAM)
   {
      char buffer[4096] = "";
      GetClassNameA(window, buffer, sizeof buffer);
      if (current_ == nullptr || std::string(buffer) != "#32770" || !IsWindowVisible(window)) {
         return TRUE;
      }
      GetWindowTextA(window, buffer, sizeof buffer);
      current_->caption = buffer;
      // The message text is the box's static control with id 0xFFFF.
      GetDlgItemTextA(window, 0xFFFF, buffer, sizeof buffer);
      current_->text = buffer;
      current_->count++;
      // Hidden at once, so the next tick does not count it again.
      ShowWindow(window, SW_HIDE);
      PostMessageA(window, WM_COMMAND, IDOK, 0);
      return TRUE;
   }

   UINT_PTR timer_;
   static BoxCatcher *current_;
};

BoxCatcher *BoxCatcher::current_ = nullptr;

}  // namespace

TEST(StartupBox, ErrorsShowOneBoxWithTheApplicationTitle)
{
   ASSERT_FALSE(LoadAppTitle().empty());
   BoxCatcher boxes;
   CommandLineOptions options;
   EXPECT_EQ(PARSE_FAILED, ParseCommandLine("-p", true, options));
   EXPECT_EQ(1, boxes.count);
   EXPECT_EQ(LoadAppTitle(), boxes.caption);
   EXPECT_EQ(0u, boxes.text.find("Invalid option: -p"));

   ShowStartupError("Could not initialize logging.");
   EXPECT_EQ(2, boxes.count);
   EXPECT_EQ(LoadAppTitle(), boxes.caption);
   EXPECT_EQ("Could not initialize logging.", boxes.text);
}

TEST(StartupBox, QuietParseShowsNothing)
{
   BoxCatcher boxes;
   CommandLineOptions options;
   EXPECT_EQ(PARSE_FAILED, ParseCommandLine("-p", false, options));
   EXPECT_EQ(PARSE_STOP, ParseCommandLine("-?", false, options));
   EXPECT_EQ(PARSE_FAILED, ParseCommandLine("\"\"", false, options));
   EXPECT_EQ(PARSE_GO_ON, ParseCommandLine("-r a.vmx", false, options));
   EXPECT_EQ(PARSE_FAILED, ReadOptionsFile(TempFile::MissingPath().c_str(), "zolt.exe", false, options));
   EXPECT_EQ(0, boxes.count);
}

TEST(StartupBox, OptionsFileErrorsNameTheRunningProgram)
{
   std::string program = GetProgramPath();
   EXPECT_NE(std::string::npos, program.find("zoltcore_tests.exe"));

   BoxCatcher boxes;
   std::string missing = TempFile::MissingPath();
   CommandLineOptions options;
   std::string text = "-o \"" + missing + "\"";
   EXPECT_EQ(PARSE_FAILED, ParseCommandLine(text.c_str(), true, options));
   EXPECT_EQ(1, boxes.count);
   EXPECT_EQ(program + ": Cannot open command line options file \"" + missing + "\"", boxes.text);
}
