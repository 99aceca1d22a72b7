// The program's own window messages: every private message number the program's windows send,
// post or handle, in one place. A number is private to the windows that use it, so two windows
// may share one; the windows' own names for them (CZOLTFrame::WM_RELAYOUT, ...) stand for these.
#pragma once

#include <windows.h>

enum ZoltWindowMessage : UINT {
   // View to frame: the console's size changed, lay the children out again.
   WM_ZOLT_RELAYOUT = WM_USER + 1,
   // View to frame: the user began and ended sizing the console.
   WM_ZOLT_BEGIN_USER_SIZING = WM_USER + 2,
   WM_ZOLT_END_USER_SIZING = WM_USER + 3,
   // Menu bar to itself: open the top-level menu of button wParam.
   WM_ZOLT_TRACK_MENU = WM_USER + 123,
   // A file import to the frame: lParam is a record of CZOLTFrame::NewFileImportRecord.
   WM_ZOLT_FILE_IMPORT_DONE = WM_USER + 500,
   // Frame to itself while a modal loop runs: one step of the poll loop.
   WM_ZOLT_POLL_STEP = WM_APP + 1,
   // Status-page list to itself: the list has scrolled (posted, so it arrives after the move).
   WM_ZOLT_LIST_SCROLLED = WM_APP + 1,
   // Snapshot manager to itself: show the model as it is now (posted after its changes).
   WM_ZOLT_SHOW_MODEL = WM_APP + 2,
};
