// Shared by the view and page tests: machine configurations, the screenshots kept for a look,
// and reading the list views and tooltips of zolt's window.
#pragma once

#include "ZoltRun.h"
#include "e2e/Harness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace zoltpage {

using zoltrun::WriteConfig;

// A machine configuration of version 8 with hardware version 4, a Windows XP guest, one
// processor and `memoryMB`; `extra` lines ("key = \"value\"\n") are added as they are.
std::string VmxText(const std::string &name, int memoryMB = 384, const std::string &extra = "");

// The machine page of zolt's window: the shown page that holds the notes editor; null when none
// shows within the start bound.
HWND WaitForMachinePage(HWND frame);

// Saves the window's client area as the user sees it, in the folder and beside the test program.
void KeepScreenshot(const e2e::TestFolder &folder, HWND window, const std::string &name);

// The rows of a report list view of another process, each row's columns joined by " | ".
std::vector<std::string> ListViewRows(HWND list);

// The rectangle of a row of such a list view, in the list's client coordinates (empty when it
// cannot be read).
RECT ListViewRowRect(HWND list, int row);

// A point in the middle of `column` of `row` of such a list view, in its client coordinates.
POINT ListViewCellPoint(HWND list, int row, int column);

// The tip texts of the tools of `window` (a window of another process), in their tooltip's
// order; empty when it has none.
std::vector<std::string> ToolTextsOf(HWND window);

}  // namespace zoltpage
