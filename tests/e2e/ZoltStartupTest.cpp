// zolt.exe from start to exit: options, start-up failures, the single-instance hand-off, closing
// the main window and the placement kept between runs. Every run has its own configuration
// file, log and user data.
#include "FakeFrames.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <regex>
#include <string>

namespace {

const DWORD kExitMs = 20000;

// The shared run, with the boxes left to the tests (they read and answer them), a start that does
// not wait for the window, and waits as long as a start may take.
class ZoltRun : public zoltrun::ZoltRun {
public:
   explicit ZoltRun(const e2e::TestFolder &folder, const std::string &extraConfig = "")
      : zoltrun::ZoltRun(folder, extraConfig, false)
   {
   }

   bool Start(e2e::Process &process, const std::string &arguments, bool captureOutput = false) const
   {
      return StartSecond(process, zoltrun::LocalSession(arguments), captureOutput);
   }

   // The program's main window, once it is shown.
   static HWND WaitForFrame(const e2e::Process &process)
   {
      return e2e::WaitForWindow({"ZOLTFrame", "", false, process.Id()});
   }

   bool WaitForLog(const std::string &text) const { return zoltrun::ZoltRun::WaitForLog(text, 1, kExitMs); }
};

// The window's text once it is `wanted`, or the last text read when it did not become that in time
// (a title follows the session from the program's poll steps).
std::string WaitForTitle(HWND window, const std::string &wanted)
{
   std::string text;
   for (DWORD waited = 0; waited <= kExitMs; waited += 100) {
      text = e2e::ReadText(window).value_or("");
      if (text == wanted) {
         break;
      }
      Sleep(100);
   }
   return text;
}

// Reads the box the process shows, presses its button and returns the box's text.
std::string AnswerBox(const e2e::Process &process, const std::string &button)
{
   HWND box = e2e::WaitForDialog(process.Id(), "", e2e::kStartTimeoutMs);
   if (!box) {
      ADD_FAILURE() << e2e::LastFailure();
      return "";
   }
   std::string text = e2e::DialogMessage(box);
   EXPECT_EQ(e2e::ReadText(box), std::optional<std::string>("Tremory Deskmoor")) << "the box's caption";
   EXPECT_TRUE(e2e::ClickButtonByText(box, button)) << e2e::LastFailure();
   return text;
}

TEST(ZoltOptions, PrintTitleAndVersionAndExitZero)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-T", true)) << e2e::LastFailure();
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_TRUE(std::regex_search(zolt.Output(), std::regex("(^|\n)Tremory Deskmoor Console [0-9]+\\.[0-9]+\\.[0-9]+ build-[0-9]+\r?\n")))
      << zolt.Output();
   EXPECT_TRUE(e2e::FindTopLevelWindows({"ZOLTFrame", "", false, zolt.Id(), false}).empty());
}

TEST(ZoltOptions, VersionOptionShowsTheAboutBoxAndExitsZero)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-v")) << e2e::LastFailure();
   HWND box = e2e::WaitForDialog(zolt.Id(), "About Tremory Deskmoor Console", e2e::kStartTimeoutMs);
   ASSERT_TRUE(box) << e2e::LastFailure();
   // The about page over the box's frame names the product, its version and the host's memory.
   auto pageText = [box](int id) { return e2e::ReadText(e2e::WaitForChild(box, id)).value_or(""); };
   EXPECT_EQ(pageText(1124), "Tremory Deskmoor Console") << "the remote-host mode is the console product";
   EXPECT_TRUE(std::regex_match(pageText(1059), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+ build-[0-9]+"))) << pageText(1059);
   EXPECT_TRUE(std::regex_match(pageText(1063), std::regex("[1-9][0-9]* MB"))) << pageText(1063);
   EXPECT_TRUE(e2e::ClickButtonByText(box, "OK")) << e2e::LastFailure();
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_TRUE(e2e::FindTopLevelWindows({"ZOLTFrame", "", false, zolt.Id(), false}).empty());
}

TEST(ZoltOptions, InvalidOptionShowsItsBoxAndExitsOne)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-Z")) << e2e::LastFailure();
   std::string text = AnswerBox(zolt, "OK");
   EXPECT_EQ(text.rfind("Invalid option: -Z", 0), 0u) << text;
   EXPECT_NE(text.find("Usage: tremory"), std::string::npos) << text;
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 1);
}

TEST(ZoltOptions, HelpShowsTheUsageAndExitsZero)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-?")) << e2e::LastFailure();
   std::string text = AnswerBox(zolt, "OK");
   EXPECT_EQ(text.rfind("Usage: tremory [OPTION ...] [--] [configuration file(s)]", 0), 0u) << text;
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
}

TEST(ZoltOptions, RefreshAloneEndsWithoutAWindow)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-r " + e2e::QuoteArgument(folder.PathOf("a.vmx")))) << e2e::LastFailure();
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_TRUE(e2e::FindTopLevelWindows({"ZOLTFrame", "", false, zolt.Id(), false}).empty());
}

// A refused library start-up shows its text in a box and ends the process with 1.
void ExpectStartupRefusal(const char *configLine, const char *boxText)
{
   e2e::TestFolder folder;
   ZoltRun run(folder, configLine);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "")) << e2e::LastFailure();
   std::string text = AnswerBox(zolt, "OK");
   EXPECT_NE(text.find(boxText), std::string::npos) << text;
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 1);
}

TEST(ZoltStartupFailures, RefusedFipsModeShowsItsBoxAndExitsOne)
{
   ExpectStartupRefusal("test.fips.fail = \"true\"\n", "Failed to enable FIPS-mode, check your installation.");
}

TEST(ZoltStartupFailures, RefusedLoggingShowsItsBoxAndExitsOne)
{
   ExpectStartupRefusal("test.log.fail = \"true\"\n", "Could not initialize logging.");
}

TEST(ZoltStartupFailures, RefusedKeyLocatorShowsItsBoxAndExitsOne)
{
   ExpectStartupRefusal("test.keyLocator.fail = \"true\"\n", "Could not initialize KeyLocator module.");
}

TEST(ZoltMainWindow, ClosingTheFrameExitsNormally)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "")) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(zolt);
   ASSERT_TRUE(frame) << e2e::LastFailure();
   // The host mode is the default: the title names the local session's host.
   EXPECT_EQ(WaitForTitle(frame, "Local Host - Tremory Deskmoor Console"), "Local Host - Tremory Deskmoor Console");

   // Idle, the main loop sleeps in its poll step instead of spinning.
   FILETIME created, ended, kernelBefore, userBefore, kernelAfter, userAfter;
   ASSERT_TRUE(GetProcessTimes(zolt.Handle(), &created, &ended, &kernelBefore, &userBefore));
   Sleep(2000);
   ASSERT_TRUE(GetProcessTimes(zolt.Handle(), &created, &ended, &kernelAfter, &userAfter));
   auto ticks = [](const FILETIME &t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
   ULONGLONG busy = ticks(kernelAfter) - ticks(kernelBefore) + ticks(userAfter) - ticks(userBefore);
   EXPECT_LT(busy / 10000, 500u) << "milliseconds of CPU in 2 idle seconds";

   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_NE(run.Log().find("Exited normally.\n"), std::string::npos) << run.Log();
}

TEST(ZoltMainWindow, DesktopModeTitleIsTheProgramNameAndClosingAsksNothingWithoutMachines)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-H")) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(zolt);
   ASSERT_TRUE(frame) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: home\n")) << run.Log();
   // The home tab is current: no object name, no host part.
   EXPECT_EQ(e2e::ReadText(frame), std::optional<std::string>("Tremory Deskmoor"));

   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure() << run.Log();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_NE(run.Log().find("Exited normally.\n"), std::string::npos) << run.Log();
}

TEST(ZoltMainWindow, PlacementSavedAtExitIsRestoredAtTheNextStart)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   RECT moved = {};
   {
      e2e::Process zolt;
      ASSERT_TRUE(run.Start(zolt, "")) << e2e::LastFailure();
      HWND frame = ZoltRun::WaitForFrame(zolt);
      ASSERT_TRUE(frame) << e2e::LastFailure();
      ASSERT_TRUE(SetWindowPos(frame, nullptr, 120, 90, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE));
      ASSERT_TRUE(SetWindowPos(frame, nullptr, 150, 110, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE));
      ASSERT_TRUE(GetWindowRect(frame, &moved));
      ASSERT_TRUE(e2e::RequestClose(frame));
      ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
      ASSERT_EQ(zolt.ExitCode(), 0);
   }
   EXPECT_EQ(moved.left, 150);
   EXPECT_EQ(moved.right - moved.left, 700);

   e2e::Process again;
   ASSERT_TRUE(run.Start(again, "")) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(again);
   ASSERT_TRUE(frame) << e2e::LastFailure();
   RECT restored = {};
   EXPECT_TRUE(e2e::WaitUntil([&] { return GetWindowRect(frame, &restored) && EqualRect(&restored, &moved); }, 5000))
      << "restored at (" << restored.left << ", " << restored.top << ")-(" << restored.right << ", " << restored.bottom
      << "), moved to (" << moved.left << ", " << moved.top << ")-(" << moved.right << ", " << moved.bottom << ")";
   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(again.WaitForExit(kExitMs)) << e2e::LastFailure();
}

TEST(ZoltHandOff, SecondInstanceHandsItsFilesToTheRunningOne)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process first;
   ASSERT_TRUE(run.Start(first, "")) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(first);
   ASSERT_TRUE(frame) << e2e::LastFailure();

   std::string file = folder.PathOf("handed.vmx");
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "-t " + e2e::QuoteArgument(file)), std::optional<LRESULT>(1));
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "-t"), std::optional<LRESULT>(0)) << "-t without a file is refused";
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "-Z a.vmx"), std::optional<LRESULT>(0)) << "a line that does not parse";

   e2e::Process second;
   ASSERT_TRUE(run.Start(second, "-t " + e2e::QuoteArgument(file))) << e2e::LastFailure();
   ASSERT_TRUE(second.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(second.ExitCode(), 0);
   EXPECT_TRUE(run.WaitForLog("handed.vmx")) << run.Log();
   EXPECT_TRUE(first.IsRunning());

   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(first.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(first.ExitCode(), 0);
}

TEST(ZoltHandOff, EmptyCommandLineStartsAnInstanceOfItsOwn)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process first;
   ASSERT_TRUE(run.Start(first, "")) << e2e::LastFailure();
   HWND firstFrame = ZoltRun::WaitForFrame(first);
   ASSERT_TRUE(firstFrame) << e2e::LastFailure();

   e2e::TestFolder otherFolder;
   ZoltRun otherRun(otherFolder);
   e2e::Process second;
   ASSERT_TRUE(otherRun.Start(second, "")) << e2e::LastFailure();
   HWND secondFrame = ZoltRun::WaitForFrame(second);
   ASSERT_TRUE(secondFrame) << e2e::LastFailure();
   EXPECT_NE(secondFrame, firstFrame);

   for (auto closing : {std::make_pair(secondFrame, &second), std::make_pair(firstFrame, &first)}) {
      ASSERT_TRUE(e2e::RequestClose(closing.first));
      ASSERT_TRUE(closing.second->WaitForExit(kExitMs)) << e2e::LastFailure();
      EXPECT_EQ(closing.second->ExitCode(), 0);
   }
}

// A new instance started while `others` stand for running ones shows its own frame and ends when
// it is closed.
void ExpectANewInstanceOfItsOwn(const FakeFrames &others)
{
   ASSERT_TRUE(others.WaitUntilReady(5000));
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "-t " + e2e::QuoteArgument(folder.PathOf("a.vmx")))) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(zolt);
   EXPECT_TRUE(frame) << "the new instance starts by itself: " << e2e::LastFailure();
   if (frame) {
      EXPECT_TRUE(e2e::RequestClose(frame));
      EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   }
}

TEST(ZoltHandOff, HungInstanceDoesNotHangTheNewOne)
{
   // A frame window on a thread that never reads its messages.
   FakeFrames hung(nullptr, {"hung"});
   ExpectANewInstanceOfItsOwn(hung);
}

// Instances that would take a command line but then do not: the window procedure of two fake
// frames on a thread of their own, counting what they are asked.
std::atomic<int> gQueries{0};
std::atomic<int> gHandOvers{0};

LRESULT CALLBACK RefusingFrameProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (msg == WM_COPYDATA) {
      const COPYDATASTRUCT *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
      if (data->dwData == 0) {
         gQueries++;
         return 1;
      }
      gHandOvers++;
      return 0;
   }
   return DefWindowProcA(window, msg, wParam, lParam);
}

TEST(ZoltHandOff, RefusedHandOverEndsTheSearch)
{
   FakeFrames refusing(RefusingFrameProc, {"refusing 1", "refusing 2"});
   ExpectANewInstanceOfItsOwn(refusing);
   EXPECT_EQ(gQueries.load(), 1) << "no window is asked after a refused hand-over";
   EXPECT_EQ(gHandOvers.load(), 1);
}

TEST(ZoltHandOff, MalformedDataIsRefusedAndPasswordsStayOutOfTheLog)
{
   e2e::TestFolder folder;
   ZoltRun run(folder);
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt, "")) << e2e::LastFailure();
   HWND frame = ZoltRun::WaitForFrame(zolt);
   ASSERT_TRUE(frame) << e2e::LastFailure();

   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "-t a.vmx", false), std::optional<LRESULT>(0))
      << "no terminator within cbData";
   EXPECT_EQ(e2e::SendCopyDataText(frame, 1, "-t a.vmx", false), std::optional<LRESULT>(0));
   EXPECT_EQ(e2e::SendCopyData(frame, 0, nullptr, 64), std::optional<LRESULT>(0)) << "no data at all";
   EXPECT_EQ(e2e::SendCopyDataText(frame, 7, "-t a.vmx"), std::optional<LRESULT>(0)) << "unknown dwData";

   EXPECT_EQ(e2e::SendCopyDataText(frame, 1, "-t -w s3cr3t-pw b.vmx"), std::optional<LRESULT>(1));
   EXPECT_TRUE(run.WaitForLog("b.vmx")) << run.Log();
   EXPECT_EQ(run.Log().find("s3cr3t-pw"), std::string::npos) << run.Log();

   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   EXPECT_EQ(zolt.ExitCode(), 0);
}

}  // namespace
