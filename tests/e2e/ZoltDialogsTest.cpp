// The model library's dialogs in zolt.exe: a dialog script raises each kind through the
// program's dialog factory; the test reads each window as a user sees it and answers it.
#include "ScreenImage.h"

#include "e2e/Harness.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const DWORD kExitMs = 20000;

class ZoltWithScript {
public:
   ZoltWithScript(const e2e::TestFolder &folder, const std::string &script) : log_(folder.PathOf("zolt.log"))
   {
      std::string scriptPath = folder.WriteFile("dialogs.txt", script);
      config_ = folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(log_) + "\n" +
                                              "vmdb.userFile = " + e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                              "test.comFailure.silent = \"true\"\n" +
                                              "test.dlgScript = " + e2e::QuoteValue(scriptPath) + "\n");
   }

   bool Start(e2e::Process &process) const
   {
      e2e::ProcessOptions options;
      // -l: a session with the local host, without the login dialog.
      options.arguments = "-l";
      options.environment = {{"TREMORY_CONFIG", config_}};
      return process.Start(ZOLT_EXE, options);
   }

   bool WaitForLog(const std::string &text) const { return e2e::WaitForFileText(log_, text, kExitMs); }
   std::string Log() const { return e2e::ReadTextFile(log_).value_or(""); }

private:
   std::string log_;
   std::string config_;
};

struct Seen {
   std::string caption;
   std::string text;
   bool hasIcon = false;
   std::optional<e2e::ChildWindow> first, second, check;
   int visibleChoices = 0;
};

Seen Look(HWND dlg)
{
   Seen seen;
   seen.caption = e2e::ReadText(dlg).value_or("");
   for (const e2e::ChildWindow &child : e2e::ListChildren(dlg)) {
      if (child.id == 1182) {
         seen.text = e2e::ReadText(child.window).value_or("");
      } else if (child.id == 1183) {
         seen.hasIcon = SendMessageA(child.window, STM_GETIMAGE, IMAGE_ICON, 0) != 0;
      } else if (child.id == 1241) {
         seen.first = child;
      } else if (child.id == 1242) {
         seen.second = child;
      } else if (child.id == 1243) {
         seen.check = child;
      } else if (child.id >= 1171 && child.id <= 1181 && child.visible) {
         ++seen.visibleChoices;
      }
   }
   return seen;
}

TEST(ZoltDialogs, EachKindShowsItsWindowAndAnswersTheLibrary)
{
   e2e::TestFolder folder;
   ZoltWithScript run(folder,
                      "info text=\"Copied.\" title=\"Copy\"\n"
                      "question text=\"Keep or replace?\" choice=\"_Keep\" choice=\"_Replace\" choice=\"Cancel\" "
                      "cancel=2 default=0\n"
                      "error text=\"The disk is full.\\nFree some space.\"\n"
                      "squestion text=\"Continue?\" choice=\"_Yes\" choice=\"_No\" cancel=1 default=0\n");
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt)) << e2e::LastFailure();
   HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
   ASSERT_TRUE(frame) << e2e::LastFailure();

   HWND info = e2e::WaitForDialog(zolt.Id(), "Copy - Tremory Deskmoor", e2e::kStartTimeoutMs);
   ASSERT_TRUE(info) << e2e::LastFailure();
   Seen seen = Look(info);
   EXPECT_EQ(seen.text, "Copied.");
   EXPECT_TRUE(seen.hasIcon);
   ASSERT_TRUE(seen.first && seen.second);
   EXPECT_EQ(seen.first->text, "OK");
   EXPECT_TRUE(seen.first->visible);
   EXPECT_FALSE(seen.second->visible);
   EXPECT_FALSE(seen.check && seen.check->visible);
   EXPECT_EQ(GetWindow(info, GW_OWNER), frame);
   EXPECT_FALSE(IsWindowEnabled(frame)) << "the owner is disabled while its dialog is up";
   EXPECT_TRUE(e2e::ClickButton(info, 1241)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 1 info replied")) << run.Log();
   ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(info); }, e2e::kReplyTimeoutMs))
      << "the answered dialog goes before the next one is looked for";

   HWND question = e2e::WaitForDialog(zolt.Id(), "Tremory Deskmoor Console");
   ASSERT_TRUE(question) << e2e::LastFailure();
   seen = Look(question);
   EXPECT_EQ(seen.text, "Keep or replace?");
   EXPECT_EQ(seen.visibleChoices, 2);
   ASSERT_TRUE(seen.first && seen.second);
   EXPECT_EQ(seen.first->text, "OK");
   EXPECT_EQ(seen.second->text, "Cancel");
   EXPECT_TRUE(e2e::PostKey(GetDlgItem(question, 1171), VK_ESCAPE)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 2 question replied choice=2")) << run.Log();
   ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(question); }, e2e::kReplyTimeoutMs))
      << "the answered dialog goes before the next one is looked for";

   HWND error = e2e::WaitForDialog(zolt.Id(), "Tremory Deskmoor Console");
   ASSERT_TRUE(error) << e2e::LastFailure();
   seen = Look(error);
   EXPECT_EQ(seen.text, "The disk is full.\r\nFree some space.") << "the detail on a line of its own";
   EXPECT_TRUE(seen.hasIcon);
   EXPECT_TRUE(e2e::RequestClose(error)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 3 error replied")) << run.Log();
   ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(error); }, e2e::kReplyTimeoutMs))
      << "the answered dialog goes before the next one is looked for";

   HWND squestion = e2e::WaitForDialog(zolt.Id(), "Tremory Deskmoor Console");
   ASSERT_TRUE(squestion) << e2e::LastFailure();
   seen = Look(squestion);
   ASSERT_TRUE(seen.first && seen.second && seen.check);
   EXPECT_EQ(seen.first->text, "&Yes");
   EXPECT_EQ(seen.second->text, "&No");
   EXPECT_TRUE(seen.check->visible);
   EXPECT_EQ(seen.visibleChoices, 0);
   EXPECT_TRUE(e2e::ClickButton(squestion, 1243)) << e2e::LastFailure();
   EXPECT_TRUE(e2e::ClickButton(squestion, 1242)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 4 squestion replied choice=1 suppressed=1")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("DlgScript: done")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(frame) != FALSE; }, e2e::kReplyTimeoutMs))
      << "the owner comes back with its last dialog";

   EXPECT_TRUE(e2e::RequestClose(frame));
   EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
}

TEST(ZoltDialogs, PasswordHintAndProgressAnswerWhatTheUserDid)
{
   e2e::TestFolder folder;
   ZoltWithScript run(folder,
                      "password text=\"Password for the encrypted machine:\"\n"
                      "hint text=\"Press Ctrl+Alt to release the mouse.\" title=\"Hint\"\n"
                      "progress text=\"Copying files\" cancelable=1 percent=40\n");
   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt)) << e2e::LastFailure();
   HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
   ASSERT_TRUE(frame) << e2e::LastFailure();

   HWND password = e2e::WaitForDialog(zolt.Id(), "Tremory Deskmoor Console", e2e::kStartTimeoutMs);
   ASSERT_TRUE(password) << e2e::LastFailure();
   HWND field = e2e::WaitForChild(password, 1170);
   HWND confirm = e2e::WaitForChild(password, 1199);
   ASSERT_TRUE(field && confirm);
   EXPECT_TRUE(IsWindowVisible(field));
   EXPECT_TRUE(GetWindowLongA(field, GWL_STYLE) & ES_PASSWORD);
   ASSERT_TRUE(e2e::SetText(field, "s3cret")) << e2e::LastFailure();
   ASSERT_TRUE(e2e::SetText(confirm, "s3cret")) << e2e::LastFailure();
   EXPECT_TRUE(e2e::ClickButton(password, 1241)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 1 password replied choice=0 password=\"s3cret\" confirmation=\"s3cret\""))
      << run.Log();

   HWND hint = e2e::WaitForDialog(zolt.Id(), "Hint - Tremory Deskmoor");
   ASSERT_TRUE(hint) << e2e::LastFailure();
   Seen seen = Look(hint);
   EXPECT_TRUE(seen.hasIcon);
   ASSERT_TRUE(seen.check);
   EXPECT_TRUE(seen.check->visible);
   EXPECT_TRUE(e2e::RequestClose(hint)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 2 hint replied suppressed=0")) << run.Log();

   HWND progress = e2e::WaitForDialog(zolt.Id(), "Tremory Deskmoor Console");
   ASSERT_TRUE(progress) << e2e::LastFailure();
   HWND cancel = e2e::WaitForChild(progress, IDCANCEL);
   ASSERT_TRUE(cancel);
   EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(cancel) != FALSE; }, e2e::kReplyTimeoutMs));
   EXPECT_EQ(e2e::ReadText(e2e::WaitForChild(progress, 4122)), std::optional<std::string>("Copying files"));
   EXPECT_FALSE(GetWindowLongA(progress, GWL_STYLE) & WS_SYSMENU) << "no close box";
   EXPECT_TRUE(e2e::ClickButton(progress, IDCANCEL)) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("DlgScript: 3 progress replied")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("DlgScript: done")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(frame) != FALSE; }, e2e::kReplyTimeoutMs));

   EXPECT_TRUE(e2e::RequestClose(frame));
   EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
}

TEST(ZoltDialogs, AHintTurnedOffStaysOffAfterARestart)
{
   e2e::TestFolder folder;
   ZoltWithScript run(folder, "hint text=\"Press Ctrl+Alt to release the mouse.\" key=releaseMouse\n"
                              "info text=\"After the hint.\"\n");
   {
      e2e::Process zolt;
      ASSERT_TRUE(run.Start(zolt)) << e2e::LastFailure();
      HWND hint = e2e::WaitForDialog(zolt.Id(), "", e2e::kStartTimeoutMs);
      ASSERT_TRUE(hint) << e2e::LastFailure();
      HWND check = e2e::WaitForChild(hint, 1243);
      ASSERT_TRUE(check && IsWindowVisible(check));
      EXPECT_TRUE(e2e::ClickButton(hint, 1243)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::ClickButton(hint, 1241)) << e2e::LastFailure();
      EXPECT_TRUE(run.WaitForLog("DlgScript: 1 hint replied suppressed=1")) << run.Log();
      HWND info = e2e::WaitForDialog(zolt.Id(), "");
      ASSERT_TRUE(info) << e2e::LastFailure();
      EXPECT_TRUE(e2e::ClickButton(info, 1241)) << e2e::LastFailure();
      EXPECT_TRUE(run.WaitForLog("DlgScript: done")) << run.Log();
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      EXPECT_TRUE(e2e::RequestClose(frame));
      EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   }
   {
      // The same user: the hint is not shown again, the next call comes at once.
      e2e::Process zolt;
      ASSERT_TRUE(run.Start(zolt)) << e2e::LastFailure();
      EXPECT_TRUE(e2e::WaitForFileText(folder.PathOf("zolt.log"), "DlgScript: 1 hint skipped: turned off",
                                       e2e::kStartTimeoutMs))
         << run.Log();
      HWND info = e2e::WaitForDialog(zolt.Id(), "");
      ASSERT_TRUE(info) << e2e::LastFailure();
      EXPECT_EQ(e2e::ReadText(e2e::WaitForChild(info, 1182)), std::optional<std::string>("After the hint."));
      EXPECT_TRUE(e2e::ClickButton(info, 1241)) << e2e::LastFailure();
      EXPECT_TRUE(run.WaitForLog("DlgScript: 2 info replied")) << run.Log();
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      EXPECT_TRUE(e2e::RequestClose(frame));
      EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
   }
}

// The message dialog in its main forms, as the screen shows it: drawn (not a black hole over its
// owner), centred on the frame inside the frame's monitor, and kept as a picture under the build
// folder to be looked at.
struct Form {
   const char *name;
   const char *line;
   int answer;   // the control that answers it
};

TEST(ZoltDialogs, MainFormsAreDrawnCentredOnTheFrameAndPictured)
{
   const std::vector<Form> forms = {
      {"info", "info text=\"All the files were copied.\" title=\"Copy\"", 1241},
      {"warning", "warning text=\"The disk is almost full.\"", 1241},
      {"error", "error text=\"The machine cannot be started.\\nThe file is locked by another program.\"", 1241},
      {"yes-no", "question text=\"Delete the snapshot?\" choice=\"_Yes\" choice=\"_No\" cancel=1", 1242},
      {"choices",
       "question text=\"The configuration file was changed. What should be kept?\" choice=\"_Keep mine\" "
       "choice=\"_Replace with theirs\" choice=\"Merge both\" choice=\"Cancel\" cancel=3 default=0",
       1242},
      {"hint", "hint text=\"Press Ctrl+Alt to release the mouse from the machine.\" title=\"Hint\"", 1241},
      {"hint-question", "squestion text=\"Power off the machine?\" choice=\"_Yes\" choice=\"_No\" cancel=1", 1242},
      {"password", "password text=\"Enter the password of the encrypted machine:\"", 1242},
      {"progress", "progress text=\"Copying the disks\" cancelable=1 percent=40", IDCANCEL},
   };
   std::string script;
   for (const Form &form : forms) {
      script += std::string(form.line) + "\n";
   }
   e2e::TestFolder folder;
   ZoltWithScript run(folder, script);
   const std::string pictures = e2e::TestProgramFolder() + "\\screenshots";
   CreateDirectoryW(WideFromUtf8(pictures).c_str(), nullptr);

   e2e::Process zolt;
   ASSERT_TRUE(run.Start(zolt)) << e2e::LastFailure();
   HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
   ASSERT_TRUE(frame) << e2e::LastFailure();
   const COLORREF face = GetSysColor(COLOR_BTNFACE);
   for (size_t i = 0; i < forms.size(); ++i) {
      const Form &form = forms[i];
      SCOPED_TRACE(form.name);
      HWND dlg = e2e::WaitForDialog(zolt.Id(), "", i == 0 ? e2e::kStartTimeoutMs : e2e::kReplyTimeoutMs);
      ASSERT_TRUE(dlg) << e2e::LastFailure();
      ASSERT_EQ(GetWindow(dlg, GW_OWNER), frame);
      // Its first paint comes a moment after it shows.
      e2e::ScreenImage shown;
      EXPECT_TRUE(e2e::WaitUntil(
         [&]() {
            shown = e2e::CaptureClientFromScreen(dlg);
            return shown.CountColour(face) > shown.pixels.size() / 2;
         },
         e2e::kReplyTimeoutMs, 50))
         << "its face has the dialog colour";
      ASSERT_FALSE(shown.Empty());
      const size_t all = shown.pixels.size();
      EXPECT_LT(shown.CountBlack(), all / 4) << "the screen shows the dialog, not a black rectangle";

      RECT d;
      RECT f;
      GetWindowRect(dlg, &d);
      GetWindowRect(frame, &f);
      MONITORINFO monitor = {};
      monitor.cbSize = sizeof(monitor);
      GetMonitorInfoA(MonitorFromWindow(frame, MONITOR_DEFAULTTONEAREST), &monitor);
      EXPECT_GE(d.left, monitor.rcWork.left);
      EXPECT_GE(d.top, monitor.rcWork.top);
      EXPECT_LE(d.right, monitor.rcWork.right);
      EXPECT_LE(d.bottom, monitor.rcWork.bottom);
      if (d.bottom - d.top < f.bottom - f.top && d.right - d.left < f.right - f.left) {
         EXPECT_NEAR((d.left + d.right) / 2, (f.left + f.right) / 2, 1) << "centred on the frame";
         EXPECT_NEAR((d.top + d.bottom) / 2, (f.top + f.bottom) / 2, 1);
      }

      e2e::ScreenImage picture = e2e::CaptureWindowFromScreen(dlg);
      EXPECT_TRUE(e2e::SavePng(picture, pictures + "\\dialog-" + std::to_string(i + 1) + "-" + form.name + ".png"));

      EXPECT_TRUE(e2e::ClickButton(dlg, form.answer)) << e2e::LastFailure();
      const std::string kind = std::string(form.line).substr(0, std::string(form.line).find(' '));
      EXPECT_TRUE(run.WaitForLog("DlgScript: " + std::to_string(i + 1) + " " + kind + " replied")) << run.Log();
      EXPECT_TRUE(e2e::WaitForWindowGone(dlg));
   }
   EXPECT_TRUE(run.WaitForLog("DlgScript: done")) << run.Log();
   EXPECT_TRUE(e2e::RequestClose(frame));
   EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
}

}  // namespace
