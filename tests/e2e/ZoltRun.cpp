#include "ZoltRun.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace zoltrun {

HWND WaitForBoxSaying(const e2e::Process &process, const std::string &part)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
            std::string shown = e2e::DialogMessage(w);
            if (HWND text = GetDlgItem(w, IDC_VMDLG_TEXT)) {
               shown += e2e::ReadText(text).value_or("");
            }
            if (shown.find(part) != std::string::npos) {
               found = w;
            }
         }
         return found != nullptr;
      },
      e2e::kStartTimeoutMs);
   return found;
}

bool ChooseMenu(HWND frame, DWORD processId, char menu, const std::string &items)
{
   // A frame a dialog has just left is enabled again a poll step later; keys reaching it before
   // that are lost, as they would be for a user.
   if (!e2e::WaitUntil([&]() { return IsWindowEnabled(frame) != FALSE; }, kHostMs)) {
      ADD_FAILURE() << "Alt+" << menu << ": the frame stays disabled";
      return false;
   }
   if (!e2e::PressKey(frame, menu, e2e::kAlt) || !e2e::WaitForPopupMenu(processId)) {
      ADD_FAILURE() << "Alt+" << menu << ": " << e2e::LastFailure();
      return false;
   }
   for (char item : items) {
      if (!e2e::PressKey(frame, item)) {
         ADD_FAILURE() << "menu key " << item << ": " << e2e::LastFailure();
         return false;
      }
   }
   return true;
}

std::string WriteConfig(const e2e::TestFolder &folder, const std::string &log, const std::string &extra,
                        bool answerMessages)
{
   return folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(log) + "\n" + "vmdb.userFile = " +
                                        e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                        "test.comFailure.silent = \"true\"\n" +
                                        (answerMessages ? "test.vmmsg.answer = \"0\"\n" : "") + extra);
}

std::string RegisteredMachinesConfig(const e2e::TestFolder &folder, const std::vector<std::string> &machines)
{
   std::string preload;
   for (size_t i = 0; i < machines.size(); ++i) {
      preload += "/host2/%230000/vms/registeredvms/%23000" + std::to_string(i + 1) +
                 "/cfgPath = " + e2e::QuoteValue(e2e::ToWindowsPath(machines[i])) + "\n";
   }
   return "vmdb.preload = " + e2e::QuoteValue(folder.WriteFile("preload", preload)) + "\n";
}

size_t Count(const std::string &text, const std::string &part)
{
   size_t count = 0;
   for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
   }
   return count;
}

std::string LowerAscii(std::string text)
{
   for (char &c : text) {
      if (c >= 'A' && c <= 'Z') {
         c = static_cast<char>(c - 'A' + 'a');
      }
   }
   return text;
}

std::string MachineVmx(const std::string &name, const std::string &extra)
{
   return "configVersion = \"8\"\ndisplayName = " + e2e::QuoteValue(name) +
          "\nguestOS = \"winxp\"\nmemoryMB = \"256\"\n" + extra;
}

bool Command(HWND frame, WORD id)
{
   HWND cmdbar = nullptr;
   e2e::WaitUntil([&]() { return (cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr)) != nullptr; },
                  e2e::kStartTimeoutMs);
   return cmdbar && PostMessageA(cmdbar, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

bool WaitForToolbarButton(HWND frame, WORD command, DWORD ms)
{
   return e2e::WaitUntil(
      [&]() {
         HWND cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
         HWND rebar = cmdbar ? FindWindowExA(cmdbar, nullptr, REBARCLASSNAMEA, nullptr) : nullptr;
         for (HWND bar = rebar ? FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr; bar;
              bar = FindWindowExA(rebar, bar, TOOLBARCLASSNAMEA, nullptr)) {
            // The menu bar's buttons are the menus.
            bool menubar = (GetWindowLongA(bar, GWL_STYLE) & TBSTYLE_LIST) != 0;
            if (menubar || SendMessageA(bar, TB_COMMANDTOINDEX, command, 0) < 0) {
               continue;
            }
            LRESULT state = SendMessageA(bar, TB_GETSTATE, command, 0);
            return (state & TBSTATE_ENABLED) && !(state & TBSTATE_CHECKED);
         }
         return false;
      },
      ms, 50);
}

ZoltRun::ZoltRun(const e2e::TestFolder &folder, const std::string &extraConfig, bool answerMessages)
   : log_(folder.PathOf("zolt.log")), config_(WriteConfig(folder, log_, extraConfig, answerMessages))
{
}

// The program's top-level windows (class and title, hidden ones too), or that it ended.
static std::string DescribeWindows(const e2e::Process &process)
{
   if (!process.IsRunning()) {
      return "none: the program ended";
   }
   std::string text;
   for (HWND window : e2e::FindTopLevelWindows({"", "", false, process.Id(), false})) {
      char className[64] = {};
      char title[128] = {};
      GetClassNameA(window, className, sizeof className);
      GetWindowTextA(window, title, sizeof title);
      text += std::string(text.empty() ? "" : ", ") + className + " \"" + title + "\"" +
              (IsWindowVisible(window) ? "" : " (hidden)");
   }
   return text.empty() ? "none" : text;
}

std::string LocalSession(const std::string &arguments)
{
   return arguments.find("-h ") == std::string::npos ? "-l " + arguments : arguments;
}

HWND ZoltRun::Start(e2e::Process &process, const std::string &arguments) const
{
   e2e::ProcessOptions options;
   options.arguments = LocalSession(arguments);
   options.environment = {{"TREMORY_CONFIG", config_}};
   if (!process.Start(ZOLT_EXE, options)) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, process.Id()});
   // The windows the program shows instead, and its log, tell what held it up.
   EXPECT_TRUE(frame) << e2e::LastFailure() << "\nits windows: " << DescribeWindows(process) << "\nits log:\n" << Log();
   return frame;
}

HWND ZoltRun::StartOnMachine(e2e::Process &process, const std::string &vmx) const
{
   HWND frame = Start(process, "-H " + e2e::QuoteArgument(vmx));
   if (!frame || !WaitForLog("SimHost: registered") || !WaitForToolbarButton(frame, IDM_VM_POWER_ON)) {
      ADD_FAILURE() << "the machine did not come up\n" << Log();
      return nullptr;
   }
   return frame;
}

bool ZoltRun::StartSecond(e2e::Process &second, const std::string &arguments, bool captureOutput) const
{
   e2e::ProcessOptions options;
   options.arguments = arguments;
   options.environment = {{"TREMORY_CONFIG", config_}};
   options.captureOutput = captureOutput;
   return second.Start(ZOLT_EXE, options);
}

bool ZoltRun::HandOver(const std::string &arguments) const
{
   e2e::Process second;
   if (!StartSecond(second, arguments) || !second.WaitForExit(kExitMs)) {
      ADD_FAILURE() << e2e::LastFailure();
      return false;
   }
   EXPECT_EQ(second.ExitCode(), 0);
   return second.ExitCode() == 0;
}

void ZoltRun::Close(e2e::Process &process, HWND frame) const
{
   EXPECT_TRUE(e2e::RequestClose(frame)) << e2e::LastFailure();
   EXPECT_TRUE(process.WaitForExit(kExitMs)) << e2e::LastFailure() << Log();
   EXPECT_EQ(process.ExitCode(), 0);
}

std::string ZoltRun::Log() const
{
   return e2e::ReadTextFile(log_).value_or("");
}

bool ZoltRun::WaitForLog(const std::string &text, size_t times, DWORD ms) const
{
   return e2e::WaitUntil([&]() { return Count(Log(), text) >= times; }, ms, 100);
}

void AnswerCloseQuestion(const e2e::Process &process, const std::string &expected, int choice)
{
   HWND dlg = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
            if (GetDlgItem(w, IDC_VMDLG_CHOICE_FIRST + 2)) {
               dlg = w;
            }
         }
         return dlg != nullptr;
      },
      e2e::kStartTimeoutMs));
   std::string shown;
   for (const e2e::ChildWindow &child : e2e::ListChildren(dlg)) {
      shown += child.text + "\n";
   }
   EXPECT_NE(shown.find(expected), std::string::npos) << shown;
   if (choice < 0) {
      ASSERT_TRUE(e2e::ClickButton(dlg, IDC_VMDLG_SECOND));
   } else {
      SendMessageA(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST + choice), BM_CLICK, 0, 0);
      ASSERT_TRUE(e2e::ClickButton(dlg, IDC_VMDLG_FIRST));
   }
   EXPECT_TRUE(e2e::WaitForWindowGone(dlg));
}

std::string VmPathOf(const std::string &log, const std::string &fileName)
{
   size_t at = log.rfind(fileName + " as /vm/#");
   if (at == std::string::npos) {
      return "";
   }
   at += fileName.size() + 4;
   return log.substr(at, log.find(' ', at) - at);
}

}  // namespace zoltrun
