// The harness driving the fixture program the way later tests drive zolt.exe.
#include "e2e/Harness.h"

#include "FixtureIds.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

TEST(Harness, NonEnglishArgumentsEnvironmentAndFolderReachTheProgramIntact)
{
   e2e::TestFolder folder;
   const std::string place = folder.MakeFolder("Máquinas virtuales");
   ASSERT_FALSE(place.empty()) << e2e::LastFailure();
   e2e::Process printer;
   e2e::ProcessOptions options;
   options.arguments = "--print " + e2e::QuoteArgument("Prüfung Δοκιμή") + " --print Проверка_日本語" +
                       " --print-env E2E_PLACE --print-cwd";
   options.environment = {{"E2E_PLACE", place + "\\Ωμέγα"}};
   options.workingDirectory = place;
   options.captureOutput = true;
   ASSERT_TRUE(printer.Start(E2EFIXTURE_EXE, options)) << e2e::LastFailure();
   ASSERT_TRUE(printer.WaitForExit(10000)) << e2e::LastFailure();
   EXPECT_EQ(printer.ExitCode(), 0) << printer.Output();
   EXPECT_EQ(printer.Output(), "Prüfung Δοκιμή\r\nПроверка_日本語\r\n" + place + "\\Ωμέγα\r\n" + place + "\r\n");
}

TEST(Harness, FilesAndFoldersWithNonEnglishNamesAreWrittenListedReadAndRemoved)
{
   e2e::TestFolder folder;
   const std::string place = folder.MakeFolder("Máquinas virtuales");
   ASSERT_FALSE(place.empty()) << e2e::LastFailure();
   ASSERT_FALSE(folder.MakeFolder("Máquinas virtuales/Εικονικές").empty()) << e2e::LastFailure();
   // Missing folders above are made; folders already there are kept.
   const std::string deep = folder.MakeFolder("Documents/Виртуальные машины/Проверка");
   EXPECT_EQ(deep, folder.Path() + "\\Documents\\Виртуальные машины\\Проверка") << e2e::LastFailure();
   EXPECT_TRUE(e2e::PathExists(deep));
   EXPECT_EQ(folder.MakeFolder("Documents/Виртуальные машины"), folder.PathOf("Documents\\Виртуальные машины"))
      << e2e::LastFailure();
   EXPECT_TRUE(e2e::PathExists(deep)) << "an existing folder is left as it is";
   const std::string file = folder.WriteFile("Máquinas virtuales/Prüfung.vmx", "displayName = \"Prüfung\"\n");
   EXPECT_EQ(file, place + "\\Prüfung.vmx") << e2e::LastFailure();
   EXPECT_TRUE(e2e::PathExists(file));
   EXPECT_TRUE(folder.MakeFolder("Máquinas virtuales/Prüfung.vmx").empty()) << "a file is in the way";
   EXPECT_EQ(e2e::ReadTextFile(file), std::optional<std::string>("displayName = \"Prüfung\"\n"));
   EXPECT_EQ(e2e::ListFolder(place), std::optional<std::vector<std::string>>({"Prüfung.vmx", "Εικονικές"}));
   // Windows knows the file by the name the user reads, not by its UTF-8 bytes taken as a code page.
   WIN32_FIND_DATAW found;
   HANDLE search = FindFirstFileW(WideFromUtf8(place + "\\*.vmx").c_str(), &found);
   ASSERT_NE(search, INVALID_HANDLE_VALUE) << "no machine file in " << place;
   EXPECT_EQ(std::wstring(found.cFileName), std::wstring(L"Pr\u00fcfung.vmx"));
   FindClose(search);

   EXPECT_EQ(e2e::QuoteValue("C:\\Máquinas \"Ω\"\t1\n"), "\"C:\\\\Máquinas \\\"Ω\\\"\\t1\\n\"")
      << "UTF-8 bytes are not escapes";
   EXPECT_TRUE(e2e::RemovePath(place)) << e2e::LastFailure();
   EXPECT_FALSE(e2e::PathExists(place));
   EXPECT_EQ(e2e::ListFolder(folder.Path()), std::optional<std::vector<std::string>>({"Documents"}));
   EXPECT_FALSE(e2e::ListFolder(place));
   EXPECT_NE(e2e::LastFailure().find("Máquinas virtuales"), std::string::npos) << e2e::LastFailure();
}

TEST(Harness, WindowsWithNonEnglishTextsAreFoundReadTypedIntoAndTheirMenusRead)
{
   e2e::TestFolder folder;
   const std::string record = folder.PathOf("Prüfung.txt");
   const std::string title = "Fixture Δοκιμή Prüfung";
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.Unicode",
                             "--title " + e2e::QuoteArgument(title) + " --menu-item " +
                                e2e::QuoteArgument("&Übersicht Ωμέγα") + " --record " + e2e::QuoteArgument(record));
   ASSERT_TRUE(frame);
   EXPECT_EQ(e2e::WaitForWindow({"", title, false, fixture.Id()}), frame) << e2e::LastFailure();
   EXPECT_EQ(e2e::WaitForWindow({"", "Δοκιμή", true, 0}), frame) << e2e::LastFailure();
   EXPECT_EQ(e2e::ReadText(frame), std::optional<std::string>(title));

   // Typed as a user types: click into the edit, then the keys.
   HWND edit = e2e::WaitForChild(frame, IDC_FIXTURE_EDIT);
   ASSERT_TRUE(edit) << e2e::LastFailure();
   ASSERT_TRUE(e2e::Click(edit, 5, 5)) << e2e::LastFailure();
   const std::string typed = "Ñandú Ωμέγα Жук 日本";
   ASSERT_TRUE(e2e::TypeText(edit, typed)) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadText(edit) == std::optional<std::string>(typed); }, 5000))
      << "edit holds \"" << e2e::ReadText(edit).value_or("<no answer>") << "\"";
   ASSERT_TRUE(e2e::PostChars(edit, " ÿ€"));
   EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadText(edit) == std::optional<std::string>(typed + " ÿ€"); }, 5000))
      << "edit holds \"" << e2e::ReadText(edit).value_or("<no answer>") << "\"";
   ASSERT_TRUE(e2e::SetText(edit, "Проверка")) << e2e::LastFailure();
   EXPECT_EQ(e2e::ReadText(edit), std::optional<std::string>("Проверка"));
   // Keys go to the focus only: the frame does not have it.
   EXPECT_FALSE(e2e::TypeText(frame, "x"));
   EXPECT_NE(e2e::LastFailure().find("keyboard focus"), std::string::npos) << e2e::LastFailure();

   auto item = e2e::FindMenuItem(frame, ID_FIXTURE_EXTRA);
   ASSERT_TRUE(item) << e2e::LastFailure();
   EXPECT_EQ(item->text, "&Übersicht Ωμέγα");

   EXPECT_EQ(e2e::SendCopyDataText(frame, 0, "yes Máquinas virtuales\\Prüfung.vmx"), std::optional<LRESULT>(1));
   EXPECT_TRUE(e2e::WaitForFileText(record, "0 yes Máquinas virtuales\\Prüfung.vmx\n", 5000)) << e2e::LastFailure();
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
   EXPECT_EQ(GetFileAttributesW(WideFromUtf8(path).c_str()), INVALID_FILE_ATTRIBUTES) << path << " was left behind";

   std::string fixture = e2e::ToWindowsPath(E2EFIXTURE_EXE);
   EXPECT_NE(GetFileAttributesW(WideFromUtf8(fixture).c_str()), INVALID_FILE_ATTRIBUTES) << fixture;
   EXPECT_EQ(e2e::ToWindowsPath("C:/a/b.txt"), "C:\\a\\b.txt");
   EXPECT_EQ(e2e::TestProgramFolder(), fixture.substr(0, fixture.find("\\fixture\\")))
      << "the fixture is built below the test program's folder";
}

TEST(Harness, AClickReachesOnlyAPointNoOtherWindowCovers)
{
   e2e::Process fixture;
   HWND frame = StartFixture(fixture, "E2E.Covered");
   ASSERT_TRUE(frame);
   HWND edit = e2e::WaitForChild(frame, IDC_FIXTURE_EDIT);
   ASSERT_TRUE(edit) << e2e::LastFailure();
   // A topmost window of this process over the edit stays above it when the fixture comes forward
   // (SS_NOTIFY: a plain static lets the mouse through).
   RECT rect = {};
   GetWindowRect(edit, &rect);
   HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"Ωmega", WS_POPUP | WS_VISIBLE | SS_NOTIFY,
                                rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                nullptr, nullptr);
   ASSERT_TRUE(cover);
   EXPECT_FALSE(e2e::Click(edit, 5, 5, false, kShortMs));
   EXPECT_NE(e2e::LastFailure().find("covered by"), std::string::npos) << e2e::LastFailure();

   // Once the cover is gone the point is the edit's, and a click gives it the keyboard.
   DestroyWindow(cover);
   ASSERT_TRUE(e2e::Click(edit, 5, 5)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(edit, "Ünder")) << e2e::LastFailure();
   EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadText(edit) == std::optional<std::string>("Ünder"); }, 5000))
      << "edit holds \"" << e2e::ReadText(edit).value_or("<no answer>") << "\"";
}

TEST(Harness, AFileReplacedWhileWaitedForIsReadOnceItChanged)
{
   // A program saves as the stand-ins do: a temporary file renamed over the old one. The rename
   // fails while anyone holds the file open, so the wait must not keep reading an unchanged file.
   e2e::TestFolder folder;
   const std::string path = folder.WriteFile("Máquina.vmx", "annotation = \"state 1\"\n");
   ASSERT_FALSE(path.empty()) << e2e::LastFailure();
   DWORD renameError = ERROR_SUCCESS;
   std::thread writer([&] {
      Sleep(300);
      const std::string temporary = path + ".tmp";
      if (!e2e::WriteTextFile(temporary, "annotation = \"state 2\"\n") ||
          !MoveFileExW(WideFromUtf8(temporary).c_str(), WideFromUtf8(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
         renameError = GetLastError();
      }
   });
   EXPECT_TRUE(e2e::WaitForFileText(path, "state 2", 5000)) << e2e::LastFailure();
   writer.join();
   EXPECT_EQ(renameError, static_cast<DWORD>(ERROR_SUCCESS)) << "the wait held the file open";
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
