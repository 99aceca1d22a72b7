// The library's hardware-upgrade wizard: one modal page that shows a machine's virtual hardware
// now and after the upgrade and asks before the host raises it ("upgradeHardware"). The host
// refuses a machine that is not powered off and one that has the newest hardware already.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {
class VM;
}

namespace wui {
namespace wizard {

class ConvertHardware {
public:
   // Control ids of the page, for the code and the tests that drive it.
   enum { kChangeText = 1001, kWarningText = 1002 };
   // Given the converted configuration's path once the host has upgraded it.
   typedef sigc::slot<void, std::string> ConvertedSlot;

   // The wizard of `vm`; null without a machine.
   static std::unique_ptr<ConvertHardware> CreateInstance(cui::VM *vm);

   // Runs the page modally (owner null: the library dialog manager's default owner). `center`
   // centres it on its owner; `flags` is reserved (0). Upgrade sends the request and returns
   // true; the host's answer comes later: `converted`, or its refusal shown as the library's
   // error dialog. Cancel returns false.
   bool DoModal(HWND owner, int startPage, bool center, int flags, const ConvertedSlot &converted);

   // What the page says: the hardware now and after the upgrade.
   static std::string ChangeText(cui::VM *vm);

   ConvertHardware(const ConvertHardware &) = delete;
   ConvertHardware &operator=(const ConvertHardware &) = delete;

private:
   explicit ConvertHardware(cui::VM *vm) : vm_(vm) {}
   static INT_PTR CALLBACK DialogProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

   cui::VM *vm_;
   bool center_ = true;
};

}  // namespace wizard
}  // namespace wui
