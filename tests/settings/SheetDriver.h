// Drives the property sheets a test raises on its own thread, as a user would: from a thread
// timer that runs inside the sheet's modal loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class SheetDriver {
public:
   // Runs `drive` once on the first visible property sheet of this thread that appears while the
   // driver lives.
   explicit SheetDriver(std::function<void(HWND)> drive);
   ~SheetDriver();
   bool Driven() const { return driven_; }

   SheetDriver(const SheetDriver &) = delete;
   SheetDriver &operator=(const SheetDriver &) = delete;

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
   std::function<void(HWND)> drive_;
   UINT_PTR timer_ = 0;
   bool driven_ = false;
};

// The captions of the sheet's tabs, in order.
std::vector<std::string> TabCaptions(HWND sheet);
// Selects page `index` and returns its window.
HWND SelectPage(HWND sheet, int index);
// The text of a page's control.
std::string ItemText(HWND page, int id);
void SetItemText(HWND page, int id, const std::string &text);
// OK (PSBTN_OK) or Cancel (PSBTN_CANCEL), as a click would.
void PressSheetButton(HWND sheet, int button);
