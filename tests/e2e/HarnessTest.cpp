// The harness driving the fixture program the way later tests drive zolt.exe.
#include "e2e/Harness.h"

#include "FixtureIds.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

const DWORD kShortMs = 500;

// Starts the fixture with its own window class and waits for its main window.
HWND StartFixture(e2e::Process &process, const std::string &className, const std::string &more = "")
{
   e2e::ProcessOptions options;
   options.arguments = "--class " + className + " --title \"Fixture " + className + "\" " + more;
   if (!process.Start(E2EFIXTURE_EXE, options)) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   HWND frame = e2e::WaitForWindow({className, "", false, process.Id()});
   EXPECT_TRUE(frame) << e2e::LastFailure();
   return frame;
}

ULONGLONG MillisecondsSince(ULONGLONG start)
{
   return GetTickCount64() - start;
}

TEST(Harness, FindsProgramWindowByClassTitleAndProcess)
{
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.Find");
   ASSERT_TRUE(frame);

   EXPECT_EQ(e2e::WaitForWindow({"", "Fixture E2E.Find", false, fixture.Id()}), frame);
   EXPECT_EQ(e2e::WaitForWindow({"e2e.find", "E2E.F", true, 0}), frame) << "class is case-blind";
   EXPECT_TRUE(e2e::FindTopLevelWindows({"E2E.Find", "Fixture", false, 0}).empty())
      << "a title matches whole unless titleContains";
   EXPECT_TRUE(e2e::FindTopLevelWindows({"E2E.Find", "", false, fixture.Id() + 4}).empty());

   HWND edit = e2e::WaitForChild(frame, IDC_FIXTURE_EDIT);
   ASSERT_TRUE(edit) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PostChars(edit, "abc"));
   ASSERT_TRUE(e2e::PostKey(edit, 'D'));
   EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadText(edit) == std::optional<std::string>("abcd"); }, 5000))
      << "edit holds \"" << e2e::ReadText(edit).value_or("<no answer>") << "\"";
   EXPECT_EQ(e2e::ReadText(frame), std::optional<std::string>("Fixture E2E.Find"));
   EXPECT_FALSE(e2e::WaitForChild(frame, 4242, kShortMs));
   EXPECT_NE(e2e::LastFailure().find("4242"), std::string::npos) << e2e::LastFailure();

   ASSERT_TRUE(e2e::RequestClose(frame));
   EXPECT_TRUE(e2e::WaitForWindowGone(frame)) << e2e::LastFailure();
   ASSERT_TRUE(fixture.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(fixture.ExitCode(), 0);
   EXPECT_FALSE(fixture.IsRunning());
}

TEST(Harness, HandOffAnswersFollowTheDataSent)
{
   e2e::TestFolder folder;
   ASSERT_FALSE(folder.Path().empty()) << e2e::LastFailure();
   std::string record = folder.PathOf("record.txt");
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.HandOff", "--record " + e2e::QuoteArgument(record));
   ASSERT_TRUE(frame);

   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "-x yes.vmx"), std::optional<LRESULT>(1));
   EXPECT_EQ(e2e::SendCopyDataText(frame, 1, "-x yes.vmx"), std::optional<LRESULT>(1));
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "no.vmx"), std::optional<LRESULT>(0));
   EXPECT_EQ(e2e::SendCopyDataText(frame, 2, "yes"), std::optional<LRESULT>(0)) << "unknown dwData";
   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "yes", false), std::optional<LRESULT>(0))
      << "no terminator within cbData";
   const char embedded[] = {'y', 'e', 's', '\0', 'x', 'x'};
   EXPECT_EQ(e2e::SendCopyData(frame, 0, embedded, sizeof embedded), std::optional<LRESULT>(1))
      << "a zero before the end still terminates";
   EXPECT_EQ(e2e::SendCopyData(frame, 0, nullptr, 16), std::optional<LRESULT>(0)) << "no data";
   EXPECT_TRUE(e2e::WaitForFileText(record, "0 -x yes.vmx\n1 -x yes.vmx\n0 no.vmx\n2 yes\n"
                                            "0 unterminated 3\n0 yes\n0 unterminated 0\n", 5000))
      << e2e::LastFailure();

   e2e::Process refusing;
   HWND second = StartFixture(refusing, "E2E.Refuse", "--refuse-handover");
   ASSERT_TRUE(second);
   EXPECT_EQ(e2e::SendCopyDataText(second, 0, "yes"), std::optional<LRESULT>(1));
   EXPECT_EQ(e2e::SendCopyDataText(second, 1, "yes"), std::optional<LRESULT>(0));
}

TEST(Harness, MenuStatesAreReadInsideTheProgramAndFollowCommands)
{
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.Menu");
   ASSERT_TRUE(frame);

   auto bar = e2e::ReadMenu(frame);
   ASSERT_TRUE(bar) << e2e::LastFailure();
   ASSERT_EQ(bar->size(), 1u);
   EXPECT_EQ((*bar)[0].text, "&File");
   ASSERT_TRUE((*bar)[0].submenu);
   auto file = e2e::ReadMenu(frame, (*bar)[0].submenu);
   ASSERT_TRUE(file) << e2e::LastFailure();
   ASSERT_EQ(file->size(), 6u);
   EXPECT_TRUE((*file)[3].separator);
   EXPECT_EQ((*file)[5].text, "E&xit\tCtrl+Q");
   EXPECT_EQ((*file)[5].id, static_cast<UINT>(ID_FIXTURE_EXIT));

   auto checked = e2e::FindMenuItem(frame, ID_FIXTURE_CHECKED);
   ASSERT_TRUE(checked) << e2e::LastFailure();
   EXPECT_TRUE(checked->checked);
   EXPECT_TRUE(checked->enabled);
   auto disabled = e2e::FindMenuItem(frame, ID_FIXTURE_DISABLED);
   ASSERT_TRUE(disabled) << e2e::LastFailure();
   EXPECT_FALSE(disabled->enabled);
   EXPECT_FALSE(disabled->checked);
   EXPECT_FALSE(e2e::FindMenuItem(frame, 4242));
   EXPECT_NE(e2e::LastFailure().find("4242"), std::string::npos) << e2e::LastFailure();

   auto state = [&](UINT id) {
      auto item = e2e::FindMenuItem(frame, id);
      return item ? std::string(item->checked ? "checked" : "") + (item->enabled ? "enabled" : "")
                  : e2e::LastFailure();
   };
   ASSERT_TRUE(e2e::PostCommand(frame, ID_FIXTURE_TOGGLE));
   EXPECT_TRUE(e2e::WaitUntil([&] { return state(ID_FIXTURE_CHECKED) == "enabled"; }, 5000))
      << state(ID_FIXTURE_CHECKED);
   EXPECT_EQ(state(ID_FIXTURE_DISABLED), "enabled");
   // F5 is an accelerator without modifiers: a posted key reaches TranslateAccelerator.
   ASSERT_TRUE(e2e::PostKey(frame, VK_F5));
   EXPECT_TRUE(e2e::WaitUntil([&] { return state(ID_FIXTURE_CHECKED) == "checkedenabled"; }, 5000))
      << state(ID_FIXTURE_CHECKED);
   EXPECT_EQ(state(ID_FIXTURE_DISABLED), "");

   // A menu the program opens itself is read through its popup window.
   ASSERT_TRUE(e2e::PressKey(frame, 'F', e2e::kAlt)) << e2e::LastFailure();
   HWND popup = e2e::WaitForPopupMenu(fixture.Id());
   ASSERT_TRUE(popup) << e2e::LastFailure();
   HMENU opened = e2e::PopupMenuOf(popup);
   ASSERT_TRUE(opened) << e2e::LastFailure();
   auto items = e2e::ReadMenu(frame, opened);
   ASSERT_TRUE(items) << e2e::LastFailure();
   ASSERT_EQ(items->size(), 6u);
   EXPECT_EQ((*items)[0].text, "&Checked item");
   EXPECT_TRUE((*items)[0].checked);
   ASSERT_TRUE(e2e::PressKey(frame, VK_ESCAPE)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(frame, VK_ESCAPE)) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitForWindowGone(popup)) << e2e::LastFailure();
}

TEST(Harness, MessageBoxIsReadAndItsOkEndsTheProgram)
{
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.Box", "--box-exit-code 7");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(e2e::PostCommand(frame, ID_FIXTURE_SHOW_BOX));
   HWND box = e2e::WaitForDialog(fixture.Id(), "Fixture E2E.Box");
   ASSERT_TRUE(box) << e2e::LastFailure();
   EXPECT_EQ(e2e::DialogMessage(box), FIXTURE_BOX_TEXT);
   EXPECT_FALSE(e2e::ClickButton(box, IDCANCEL)) << "a box with OK only has no Cancel";
   ASSERT_TRUE(e2e::ClickButton(box, IDOK)) << e2e::LastFailure();
   ASSERT_TRUE(fixture.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(fixture.ExitCode(), 7);

   e2e::Process second;
   frame = StartFixture(second, "E2E.Box2", "--box-exit-code -1");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(e2e::PostCommand(frame, ID_FIXTURE_SHOW_BOX));
   box = e2e::WaitForDialog(second.Id());
   ASSERT_TRUE(box) << e2e::LastFailure();
   EXPECT_FALSE(e2e::ClickButtonByText(box, "Retry"));
   ASSERT_TRUE(e2e::ClickButtonByText(box, "&OK")) << e2e::LastFailure();
   ASSERT_TRUE(second.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(second.ExitCode(), -1);
}

TEST(Harness, ExitCommandAndItsAcceleratorEndWithTheGivenCode)
{
   e2e::Process byCommand;
   HWND frame = StartFixture(byCommand, "E2E.Exit", "--exit-code 3");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(e2e::PostCommand(frame, ID_FIXTURE_EXIT));
   ASSERT_TRUE(byCommand.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(byCommand.ExitCode(), 3);

   // Ctrl+Q needs Ctrl held down, which only real input gives.
   e2e::Process byKey;
   frame = StartFixture(byKey, "E2E.Key", "--exit-code 4");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(e2e::PressKey(frame, 'Q', e2e::kControl)) << e2e::LastFailure();
   ASSERT_TRUE(byKey.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(byKey.ExitCode(), 4);
}

TEST(Harness, ProgramGetsEnvironmentFolderAndArgumentsAndItsOutputIsRead)
{
   e2e::TestFolder folder;
   std::string config = folder.WriteFile("config", "ui.log.filename = \"zolt.log\"\n");
   ASSERT_FALSE(config.empty()) << e2e::LastFailure();
   EXPECT_EQ(e2e::ReadTextFile(config), std::optional<std::string>("ui.log.filename = \"zolt.log\"\n"));

   e2e::Process printer;
   e2e::ProcessOptions options;
   const std::string awkward = "say \"hi\" to C:\\a b\\";
   options.arguments = "--print " + e2e::QuoteArgument("two words") + " --print " +
                       e2e::QuoteArgument(awkward) + " --print " + e2e::QuoteArgument("plain") +
                       " --print-env TREMORY_CONFIG --print-cwd --exit-code -1";
   options.environment = {{"TREMORY_CONFIG", config}};
   options.workingDirectory = folder.Path();
   options.captureOutput = true;
   ASSERT_TRUE(printer.Start(E2EFIXTURE_EXE, options)) << e2e::LastFailure();
   ASSERT_TRUE(printer.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(printer.ExitCode(), -1);
   EXPECT_EQ(printer.Output(), "two words\r\n" + awkward + "\r\nplain\r\n" + config + "\r\n" +
                                  folder.Path() + "\r\n");
   EXPECT_EQ(e2e::QuoteArgument("plain"), "plain");

   e2e::Process missing;
   EXPECT_FALSE(missing.Start(folder.PathOf("missing.exe")));
   EXPECT_NE(e2e::LastFailure().find("missing.exe"), std::string::npos) << e2e::LastFailure();
   EXPECT_FALSE(missing.WaitForExit(0));
   EXPECT_FALSE(e2e::ReadTextFile(folder.PathOf("missing.txt")));
}

TEST(Harness, TestFolderAndPathsOfTheBuild)
{
   std::string path;
   {
      e2e::TestFolder folder;
      path = folder.Path();
      ASSERT_FALSE(path.empty()) << e2e::LastFailure();
      ASSERT_FALSE(folder.MakeFolder("sub").empty()) << e2e::LastFailure();
      ASSERT_FALSE(folder.WriteFile("sub/a.txt", "a").empty()) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitForFileText(folder.PathOf("sub\\a.txt"), "a", 1000)) << e2e::LastFailure();
      e2e::TestFolder other;
      EXPECT_NE(other.Path(), path);
   }
   EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << path << " was left behind";

   std::string fixture = e2e::ToWindowsPath(E2EFIXTURE_EXE);
   EXPECT_NE(GetFileAttributesA(fixture.c_str()), INVALID_FILE_ATTRIBUTES) << fixture;
   EXPECT_EQ(e2e::ToWindowsPath("C:/a/b.txt"), "C:\\a\\b.txt");
   EXPECT_EQ(e2e::TestProgramFolder(), fixture.substr(0, fixture.find("\\fixture\\")))
      << "the fixture is built below the test program's folder";
}

TEST(Harness, WaitsGiveUpWithinTheirBound)
{
   ULONGLONG start = GetTickCount64();
   EXPECT_FALSE(e2e::WaitForWindow({"E2E.Never", "", false, 0}, kShortMs));
   ULONGLONG waited = MillisecondsSince(start);
   EXPECT_GE(waited, kShortMs);
   EXPECT_LT(waited, 3000u);
   EXPECT_NE(e2e::LastFailure().find("E2E.Never"), std::string::npos) << e2e::LastFailure();

   e2e::TestFolder folder;
   start = GetTickCount64();
   EXPECT_FALSE(e2e::WaitForFileText(folder.PathOf("log.txt"), "never", kShortMs));
   EXPECT_LT(MillisecondsSince(start), 3000u);
   folder.WriteFile("log.txt", "something else");
   EXPECT_FALSE(e2e::WaitForFileText(folder.PathOf("log.txt"), "never", kShortMs));
   EXPECT_NE(e2e::LastFailure().find("something else"), std::string::npos) << e2e::LastFailure();

   // A program that stopped reading its messages answers nothing, and nothing waits for it.
   e2e::Process hung;
   HWND frame = StartFixture(hung, "E2E.Hung", "--hang");
   ASSERT_TRUE(frame);
   start = GetTickCount64();
   EXPECT_FALSE(hung.WaitForExit(kShortMs));
   EXPECT_FALSE(e2e::SendCopyDataText(frame, 0, "yes", true, kShortMs));
   EXPECT_FALSE(e2e::ReadText(frame, kShortMs));
   EXPECT_FALSE(e2e::ReadMenu(frame, nullptr, kShortMs));
   EXPECT_LT(MillisecondsSince(start), 6000u);
   EXPECT_TRUE(hung.IsRunning());
}

TEST(Harness, HungProgramIsKilledWhenItsOwnerEnds)
{
   HANDLE watched = nullptr;
   {
      e2e::Process owner;
      {
         e2e::Process hung;
         ASSERT_TRUE(StartFixture(hung, "E2E.Killed", "--hang"));
         watched = OpenProcess(SYNCHRONIZE, FALSE, hung.Id());
         ASSERT_TRUE(watched);
         owner = std::move(hung);
      }
      EXPECT_EQ(WaitForSingleObject(watched, 300), static_cast<DWORD>(WAIT_TIMEOUT))
         << "a moved-from process must not kill what it handed on";
      EXPECT_TRUE(owner.IsRunning());
   }
   EXPECT_EQ(WaitForSingleObject(watched, 5000), WAIT_OBJECT_0);
   CloseHandle(watched);

   e2e::Process killed;
   ASSERT_TRUE(StartFixture(killed, "E2E.Killed2", "--hang"));
   ASSERT_TRUE(killed.Kill()) << e2e::LastFailure();
   EXPECT_FALSE(killed.IsRunning());
   EXPECT_EQ(killed.ExitCode(), 1);
}

} // namespace
