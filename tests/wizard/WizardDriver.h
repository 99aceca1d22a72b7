// Drives a modal wizard or dialog of this thread as a user would: once the window is up (found
// from a thread timer while the modal loop runs), a script types into its controls and presses
// its buttons through messages.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>

namespace wiztest {

class WizardDriver {
public:
   // The script runs once, inside the modal loop, when a visible top-level dialog of this thread
   // with `caption` appears.
   WizardDriver(const std::wstring &caption, std::function<void(HWND)> script);
   ~WizardDriver();

   bool Ran() const { return ran_; }

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);

   std::wstring caption_;
   std::function<void(HWND)> script_;
   UINT_PTR timer_ = 0;
   bool ran_ = false;
   int ticks_ = 0;
};

// The page the sheet shows, and its dialog template id.
HWND CurrentPage(HWND sheet);
int CurrentPageId(HWND sheet);
void Press(HWND sheet, int button);   // PSBTN_NEXT, PSBTN_BACK, PSBTN_FINISH, PSBTN_CANCEL
void SetItemText(HWND sheet, int id, const std::wstring &text);
std::wstring ItemText(HWND window, int id);
void Check(HWND sheet, int id, bool on);
// Clicks a button of the current page (BN_CLICKED to the page, as a mouse click sends).
void Click(HWND sheet, int id);
// Selects the list box entry with `text` and tells the page.
bool SelectListItem(HWND sheet, int id, const std::wstring &text);
// Saves a picture of the window as "<ZOLT_WIZARD_SHOTS>/<name>.bmp" when that variable names a
// folder; does nothing otherwise.
void SaveShot(HWND window, const std::string &name);

}  // namespace wiztest
