// zolt.exe started on many files at once: the files it cannot open are named in one message at
// the end, past the argument limit and the limit of open machines too; a file named again opens
// once; the log names every file not opened with its reason.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using zoltrun::Count;

const char kOneMessage[] = "files given on the command line could not be opened";
const char kLimitSaid[] = "The limit of open virtual machines was reached";
const char kNotOpened[] = " was not opened: ";

// "<prefix>NNN.vmx" for 1 to `count`.
std::vector<std::string> Numbered(const std::string &prefix, int count)
{
   std::vector<std::string> names;
   for (int i = 1; i <= count; ++i) {
      char number[8];
      snprintf(number, sizeof number, "%03d", i);
      names.push_back(prefix + number + ".vmx");
   }
   return names;
}

std::string Arguments(const std::vector<std::string> &paths)
{
   std::string arguments = "-H";
   for (const std::string &path : paths) {
      arguments += " " + e2e::QuoteArgument(path);
   }
   return arguments;
}

// The boxes and message windows the process shows.
std::vector<HWND> Boxes(const e2e::Process &process)
{
   return e2e::FindTopLevelWindows({"#32770", "", false, process.Id()});
}

std::string BoxTexts(const e2e::Process &process)
{
   std::string shown;
   for (HWND box : Boxes(process)) {
      HWND text = GetDlgItem(box, IDC_VMDLG_TEXT);
      shown += (text ? e2e::ReadText(text).value_or("") : e2e::DialogMessage(box)) + "\n--\n";
   }
   return shown;
}

// The tabs of the frame's tab strip, the home tab among them when it shows.
size_t TabCount(HWND frame)
{
   for (const e2e::ChildWindow &child : e2e::ListChildren(frame)) {
      if (child.className == "TremappsdkSwitch") {
         return zoltpage::ToolTextsOf(child.window).size();
      }
   }
   return 0;
}

// The log's lines that say `path` was not opened.
size_t NotOpenedLines(const std::string &log, const std::string &path)
{
   return Count(zoltrun::LowerAscii(log), zoltrun::LowerAscii(path + kNotOpened));
}

// The one message, once the opens are done: it fits the screen, and a picture of it is kept.
HWND CheckOneMessage(const e2e::TestFolder &folder, const e2e::Process &zolt, const std::string &picture)
{
   HWND box = zoltrun::WaitForBoxSaying(zolt, kOneMessage);
   if (!box) {
      ADD_FAILURE() << "no message\n" << BoxTexts(zolt);
      return nullptr;
   }
   RECT place = {};
   GetWindowRect(box, &place);
   EXPECT_GE(place.left, 0);
   EXPECT_GE(place.top, 0);
   EXPECT_LE(place.right, GetSystemMetrics(SM_CXSCREEN));
   EXPECT_LE(place.bottom, GetSystemMetrics(SM_CYSCREEN));
   e2e::KeepWindowScreenshot(folder.Path(), box, picture);
   return box;
}

// Answers the message as a user does, then closes zolt.
void AnswerAndClose(const zoltrun::ZoltRun &run, e2e::Process &zolt, HWND frame, HWND box)
{
   EXPECT_TRUE(e2e::ClickButtonByText(box, "OK")) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitForWindowGone(box)) << e2e::LastFailure();
   run.Close(zolt, frame);
}

}  // namespace

TEST(ZoltManyFiles, MissingFilesAreNamedInOneMessageAndEachInTheLog)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   const std::vector<std::string> missing = Numbered(folder.PathOf("missing-"), 300);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, Arguments(missing));
   ASSERT_TRUE(frame);
   // "-l -H" and 253 files fill the 256 arguments read; the other 47 are named all the same. The
   // message names 19 of the missing files and one of those past the arguments.
   ASSERT_TRUE(run.WaitForLog("CommandLineOpens: 300 of 300 files were not opened")) << run.Log();
   HWND box = CheckOneMessage(folder, zolt, "many-missing-files.png");
   ASSERT_TRUE(box);
   EXPECT_EQ(1u, Boxes(zolt).size()) << BoxTexts(zolt);

   const std::string text = e2e::ReadText(GetDlgItem(box, IDC_VMDLG_TEXT)).value_or("");
   EXPECT_EQ(0u, text.find("300 of the 300 " + std::string(kOneMessage))) << text;
   EXPECT_NE(text.find("was not found"), std::string::npos) << text;
   EXPECT_NE(text.find(missing[0]), std::string::npos) << text;
   EXPECT_NE(text.find(missing[18]), std::string::npos) << text;
   EXPECT_EQ(text.find(missing[19]), std::string::npos) << text;
   EXPECT_NE(text.find("came after them"), std::string::npos) << text;
   EXPECT_NE(text.find(missing[253]), std::string::npos) << text;
   EXPECT_NE(text.find("missing-019.vmx\r\n    and 234 more."), std::string::npos) << text;
   EXPECT_NE(text.find("missing-254.vmx\r\n    and 46 more."), std::string::npos) << text;
   EXPECT_EQ(text.find(kLimitSaid), std::string::npos) << "missing files are no open machines\n" << text;

   const std::string log = run.Log();
   for (const std::string &path : missing) {
      EXPECT_EQ(1u, NotOpenedLines(log, path)) << path;
   }
   EXPECT_EQ(253u, Count(log, kNotOpened + std::string("The virtual machine configuration file \""))) << log;

   AnswerAndClose(run, zolt, frame, box);
}

TEST(ZoltManyFiles, TheSameMachineNamedAgainOpensOneTabAndNoMessage)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   const std::string vmx = folder.WriteFile("Repeated.vmx", zoltrun::MachineVmx("Repeated"));
   // The same file in other letter cases and with forward slashes.
   std::vector<std::string> paths;
   for (int i = 0; i < 299; ++i) {
      std::string path = vmx;
      if (i % 3 == 1) {
         path = zoltrun::LowerAscii(path);
      } else if (i % 3 == 2) {
         for (char &c : path) {
            c = c == '\\' ? '/' : c;
         }
      }
      paths.push_back(path);
   }
   e2e::Process zolt;
   HWND frame = run.Start(zolt, Arguments(paths));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
   // The tab strip follows the opened objects a poll step later.
   EXPECT_TRUE(e2e::WaitUntil([&]() { return TabCount(frame) == 1; }, zoltrun::kHostMs, 100)) << TabCount(frame);
   Sleep(1000);
   EXPECT_EQ(1u, TabCount(frame));
   EXPECT_TRUE(Boxes(zolt).empty()) << BoxTexts(zolt);
   const std::string log = run.Log();
   EXPECT_EQ(1u, Count(log, "CZOLTApp::OpenVM ")) << log;
   EXPECT_EQ(0u, Count(log, kNotOpened)) << log;
   run.Close(zolt, frame);
}

TEST(ZoltManyFiles, MachinesPastTheLimitAreNamedOnceInOneMessage)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   std::vector<std::string> machines;
   for (const std::string &name : Numbered("machine-", 30)) {
      machines.push_back(folder.WriteFile(name, zoltrun::MachineVmx(name.substr(0, name.size() - 4))));
   }
   e2e::Process zolt;
   HWND frame = run.Start(zolt, Arguments(machines));
   ASSERT_TRUE(frame);
   // No home tab opens with the command line's machines: all 28 places of the limit are theirs.
   ASSERT_TRUE(run.WaitForLog("CommandLineOpens: 2 of 30 files were not opened")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return TabCount(frame) == 28; }, zoltrun::kHostMs, 100)) << TabCount(frame);
   HWND box = CheckOneMessage(folder, zolt, "machines-past-the-limit.png");
   ASSERT_TRUE(box);
   EXPECT_EQ(1u, Boxes(zolt).size()) << BoxTexts(zolt);

   const std::string text = e2e::ReadText(GetDlgItem(box, IDC_VMDLG_TEXT)).value_or("");
   EXPECT_EQ(0u, text.find("2 of the 30 " + std::string(kOneMessage))) << text;
   EXPECT_EQ(1u, Count(text, kLimitSaid)) << text;
   const std::string log = run.Log();
   for (size_t i = 0; i < machines.size(); ++i) {
      const bool refused = i >= 28;
      EXPECT_EQ(refused, text.find(machines[i]) != std::string::npos) << machines[i] << "\n" << text;
      EXPECT_EQ(refused ? 1u : 0u, NotOpenedLines(log, machines[i])) << machines[i];
   }
   EXPECT_EQ(2u, Count(log, std::string(kLimitSaid) + ".\n")) << log;
   EXPECT_TRUE(e2e::ClickButtonByText(box, "OK")) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitForWindowGone(box)) << e2e::LastFailure();

   // At the limit, a machine that is open already is made current again, with no refusal.
   ASSERT_TRUE(run.HandOver("-t " + e2e::QuoteArgument(machines[0])));
   EXPECT_TRUE(e2e::WaitForWindow({"ZOLTFrame", "machine-001 - ", true, zolt.Id()}, zoltrun::kHostMs))
      << e2e::ReadText(frame).value_or("");
   EXPECT_TRUE(Boxes(zolt).empty()) << BoxTexts(zolt);
   EXPECT_EQ(28u, TabCount(frame));
   run.Close(zolt, frame);
}

TEST(ZoltManyFiles, AHandedOverCommandLineIsAnsweredInOneMessageToo)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   const std::string first = folder.WriteFile("First.vmx", zoltrun::MachineVmx("First"));
   const std::string second = folder.WriteFile("Second.vmx", zoltrun::MachineVmx("Second"));
   const std::vector<std::string> missing = Numbered(folder.PathOf("gone-"), 3);
   e2e::Process zolt;
   HWND frame = run.StartOnMachine(zolt, first);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(e2e::WaitUntil([&]() { return TabCount(frame) == 1; }, zoltrun::kHostMs, 100)) << TabCount(frame);

   // The open machine is named again: it is made current, not counted as a failure.
   std::vector<std::string> handed = {first, second};
   handed.insert(handed.end(), missing.begin(), missing.end());
   ASSERT_TRUE(run.HandOver("-t " + Arguments(handed)));
   HWND box = CheckOneMessage(folder, zolt, "handed-over-files.png");
   ASSERT_TRUE(box) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return TabCount(frame) == 2; }, zoltrun::kHostMs, 100)) << TabCount(frame);
   EXPECT_EQ(1u, Boxes(zolt).size()) << BoxTexts(zolt);
   const std::string text = e2e::ReadText(GetDlgItem(box, IDC_VMDLG_TEXT)).value_or("");
   EXPECT_EQ(0u, text.find("3 of the 5 " + std::string(kOneMessage))) << text;
   for (const std::string &path : missing) {
      EXPECT_NE(text.find(path), std::string::npos) << path << "\n" << text;
   }
   EXPECT_EQ(text.find(first), std::string::npos) << text;
   EXPECT_EQ(text.find(second), std::string::npos) << text;

   AnswerAndClose(run, zolt, frame, box);
}

TEST(ZoltManyFiles, OverAConnectionARefusedRegistrationIsTheFilesReasonInTheOneMessage)
{
   e2e::TestFolder folder;
   zoltrun::ZoltRun run(folder);
   std::vector<std::string> files = Numbered(folder.PathOf("unknown-"), 5);
   files.push_back(folder.WriteFile("Known.vmx", zoltrun::MachineVmx("Known")));
   std::string arguments;
   for (const std::string &path : files) {
      arguments += " " + e2e::QuoteArgument(path);
   }
   e2e::Process zolt;
   // Without -H the files are registered on the local host before they open.
   HWND frame = run.Start(zolt, arguments);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("CommandLineOpens: 5 of 6 files were not opened")) << run.Log();
   HWND box = CheckOneMessage(folder, zolt, "files-refused-by-the-host.png");
   ASSERT_TRUE(box);
   EXPECT_EQ(1u, Boxes(zolt).size()) << BoxTexts(zolt);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return TabCount(frame) == 1; }, zoltrun::kHostMs, 100)) << TabCount(frame);
   const std::string text = e2e::ReadText(GetDlgItem(box, IDC_VMDLG_TEXT)).value_or("");
   EXPECT_NE(text.find("5 of the 6 " + std::string(kOneMessage) + ".\r\n\r\nThe virtual machine configuration file "
                       "was not found."),
             std::string::npos)
      << text;
   for (size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(i < 5, text.find(files[i]) != std::string::npos) << files[i] << "\n" << text;
   }
   AnswerAndClose(run, zolt, frame, box);
}
