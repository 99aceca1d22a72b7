// One run of zolt.exe for the end-to-end tests: its configuration and log in a test folder,
// starting it and waiting for its window, closing it, reading its log, and sending it commands.
#pragma once

#include "e2e/Harness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace zoltrun {

// Bound for the host's operations (opens, power changes) to show in the log.
const DWORD kHostMs = 20000;
// Bound for zolt to end once asked.
const DWORD kExitMs = 30000;

// Writes the configuration of a run into the folder and returns its path: the log at `log`, the
// user's data in the folder, silent COM failures, message boxes answered 0 (when
// `answerMessages`), and `extra` lines.
std::string WriteConfig(const e2e::TestFolder &folder, const std::string &log, const std::string &extra = "",
                        bool answerMessages = true);

// The configuration line that preloads the local host's list of registered machines (the
// configuration files `machines`), for runs over a connection to it.
std::string RegisteredMachinesConfig(const e2e::TestFolder &folder, const std::vector<std::string> &machines);

// How often `part` stands in `text`.
size_t Count(const std::string &text, const std::string &part);

// `text` with its ASCII letters in lower case and every other byte as it is: paths compared as
// the host compares them, which may write a path it was given in another letter case.
std::string LowerAscii(std::string text);

// A machine configuration of version 8 with a Windows XP guest and 256 MB of memory; `extra`
// lines ("key = \"value\"\n") are added as they are.
std::string MachineVmx(const std::string &name, const std::string &extra = "");

// `arguments` with "-l" (a session with the local host, without the login dialog) unless they
// name a host with "-h".
std::string LocalSession(const std::string &arguments);

// Sends a command as an accelerator does: to the command bar, which hands it to the dispatcher.
bool Command(HWND frame, WORD id);

// Waits until the command bar's toolbars offer `command` as a button that can be clicked (enabled,
// not pushed). The frame follows a machine's state a poll step after the host's log line and drops
// a command it does not offer yet, so a test waits for this before a command that needs the new state.
bool WaitForToolbarButton(HWND frame, WORD command, DWORD ms = kHostMs);

// Waits for a message box of the process whose text holds `part`; null when none came.
HWND WaitForBoxSaying(const e2e::Process &process, const std::string &part);

// Presses Alt with the menu's key, then the keys of the items down to the command; false (the
// failure added) when a key cannot be pressed or the menu does not open.
bool ChooseMenu(HWND frame, DWORD processId, char menu, const std::string &items);

// Answers the close question of a running machine or team (radio choices suspend, power off, run in
// background, cancel) once it shows `expected`: radio `choice`, or -1 for the Cancel button.
void AnswerCloseQuestion(const e2e::Process &process, const std::string &expected, int choice);

// The database path a machine was registered under, from the host's log line; empty when none.
std::string VmPathOf(const std::string &log, const std::string &fileName);

class ZoltRun {
public:
   // A run logging to "zolt.log" of the folder, with its user data there and silent COM
   // failures; message boxes are answered 0 when `answerMessages`, and `extraConfig` lines
   // are added to the configuration.
   explicit ZoltRun(const e2e::TestFolder &folder, const std::string &extraConfig = "", bool answerMessages = true);

   // Starts zolt with LocalSession(`arguments`) and waits for its window; null (the failure added)
   // when either fails.
   HWND Start(e2e::Process &process, const std::string &arguments) const;
   // Starts zolt in the desktop mode with the machine `vmx` and waits until its tab offers
   // power-on; null (the failure added, with the log) when it does not come up.
   HWND StartOnMachine(e2e::Process &process, const std::string &vmx) const;
   // Starts another instance with `arguments` without waiting for it; with `captureOutput` its
   // output is kept (e2e::Process::Output).
   bool StartSecond(e2e::Process &second, const std::string &arguments, bool captureOutput = false) const;
   // A second instance that hands its command line over and ends with 0.
   bool HandOver(const std::string &arguments) const;
   // Closes the main window and expects zolt to end with 0.
   void Close(e2e::Process &process, HWND frame) const;

   std::string Log() const;
   // Waits until `text` appears in the log `times` times in all.
   bool WaitForLog(const std::string &text, size_t times = 1, DWORD ms = kHostMs) const;

protected:
   const std::string &LogPath() const { return log_; }

private:
   std::string log_;
   std::string config_;
};

}  // namespace zoltrun
