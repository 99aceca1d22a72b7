// The side bar of zolt's window as a user meets it: the bar itself, the tree of the list it
// holds (registered machines or favourites), its close button, and mouse gestures a click does
// not cover (a double-click, a drag of the sizing edge).
#pragma once

#include "e2e/Harness.h"

#include <windows.h>

#include <string>
#include <vector>

namespace zoltside {

// A descendant of `parent` of the window class; null when there is none.
HWND FindDescendant(HWND parent, const std::string &className);
// The side bar ("ZOLTNavbar") of the frame once it exists; null after the start bound.
HWND WaitForSidebar(HWND frame);
bool IsShown(HWND window);

struct TreeRow {
   std::string text;
   RECT rect;   // of the item's text, in the tree's client coordinates
};

// The tree of the list control the side bar holds ("TremappsdkRegVms" or "TremappsdkVMList").
HWND ListTree(HWND sidebar, const std::string &controlClass);
// The rows a user sees in the tree (expanded items only), top to bottom.
std::vector<TreeRow> VisibleRows(HWND tree);
// Waits until a visible row shows `text`; false after the bound.
bool WaitForRow(HWND tree, const std::string &text, TreeRow &row, DWORD ms);

// A client rectangle that another process's control writes through a message (TB_GETITEMRECT,
// TVM_GETITEMRECT): `input` is placed in the rectangle first. Empty on failure.
RECT RemoteRect(HWND control, UINT message, WPARAM wParam, const RECT &input = RECT());

// Clicks the point of the window's client area twice within the double-click time, through the
// system's input queue.
bool DoubleClick(HWND window, int x, int y);
// Presses the left button at `from` (client coordinates of the window), moves to `to` in a few
// steps and releases it, through the system's input queue.
bool Drag(HWND window, POINT from, POINT to);

// Width of the window on the screen.
int WidthOf(HWND window);

}  // namespace zoltside
