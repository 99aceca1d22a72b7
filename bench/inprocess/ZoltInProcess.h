// Runs zolt inside the benchmark's own process, through the program's own entry point, so a
// benchmark can time what happens between two moments no outside observer sees exactly. A
// driver learns when the frame is first shown, then runs once per pass of zolt's main loop
// until it is done; the frame is then closed as the user would close it.
#pragma once

#include "e2e/TestFolder.h"

#include <windows.h>

#include <string>

namespace bench {

class ZoltDriver {
public:
   virtual ~ZoltDriver() = default;
   // The frame has just become visible: called from inside the call that showed it.
   virtual void OnFrameShown(HWND frame) { (void)frame; }
   // Once per pass of the main loop, from its poll step. Answers false once done; `failed`
   // then says whether the driver failed (it writes why to standard error).
   virtual bool Tick(HWND frame) = 0;
   bool failed = false;
};

// Points zolt's configuration at a file in `folder`: its log and user data in the folder, COM
// failures not shown, machine messages answered with their first button.
bool ConfigureZolt(const e2e::TestFolder &folder);

// Writes a machine named `name` into `folder`, with the hardware the sample machine has (a
// disk, a CD drive, a network card, sound and USB); answers its configuration file's path.
std::string WriteMachine(const e2e::TestFolder &folder, const std::string &name);

// Runs zolt with `arguments` (UTF-8, as its command line would give them) and `driver`. True
// when the driver finished without failing and zolt ended with 0; a run that takes longer than
// `timeoutMs` ends the process with 1.
bool RunZolt(const std::string &arguments, ZoltDriver &driver, DWORD timeoutMs = 60000);

// Whether the frame's shown page is the summary of a machine named `name`: the title of the
// status pane's shown page carries the name. The console page of a running machine shows no summary.
bool ShowsSummaryOf(HWND frame, const std::string &name);
// The frame's command bar, which takes commands as an accelerator sends them.
HWND CommandBarOf(HWND frame);
// Paints at once whatever in the frame still waits for its WM_PAINT.
void PaintNow(HWND frame);

}  // namespace bench
