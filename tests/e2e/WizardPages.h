// The pages of a wizard (a property sheet) of another process: zolt's new-machine wizard opened,
// the page shown, waiting for a page by its template's marker control, and typing into a page.
#pragma once

#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremhwcfg/TremHwCfgRes.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <prsht.h>

#include <string>

namespace zoltrun {

inline HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

inline bool WaitForPageWith(HWND sheet, int controlId)
{
   return e2e::WaitUntil([&]() { return GetDlgItem(CurrentPage(sheet), controlId) != nullptr; }, e2e::kReplyTimeoutMs);
}

// Presses Next and waits for the page with the control.
inline bool NextPageWith(HWND sheet, int controlId)
{
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   return WaitForPageWith(sheet, controlId);
}

// Opens the new-machine wizard with File > New and waits for its name page; null (the failure
// added) when it does not show.
inline HWND OpenNewMachineWizard(HWND frame, const e2e::Process &process)
{
   if (!Command(frame, IDM_FILE_NEW_VM)) {
      ADD_FAILURE() << "the command was not sent";
      return nullptr;
   }
   HWND sheet = e2e::WaitForWindow({"#32770", "New Virtual Machine Wizard", false, process.Id()});
   if (!sheet) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   if (!WaitForPageWith(sheet, IDC_NWZ_NAME)) {
      ADD_FAILURE() << "the wizard shows no name page";
      return nullptr;
   }
   return sheet;
}

inline void SetPageText(HWND sheet, int controlId, const std::string &text)
{
   EXPECT_TRUE(e2e::SetText(GetDlgItem(CurrentPage(sheet), controlId), text)) << e2e::LastFailure();
}

}  // namespace zoltrun
