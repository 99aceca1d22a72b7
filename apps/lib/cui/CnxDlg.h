// The library's window of the users connected to a machine: a modeless window titled
// "Connected Users - <machine name>" listing each session's user, the computer it comes from and
// when it connected (local time). One window at a time: asking for another machine switches the
// window that is up to it. The list follows the machine's sessions; the window closes when its
// machine is closed, and with Close, Escape or its close box.
#pragma once

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/VM.h"

namespace wui {
namespace dialog {

class CCnxDlgWindow;

// The local date and time of `since` (seconds since 1970, UTC) as the user's locale writes it;
// empty for 0 or a time Windows cannot convert.
std::string ConnectionTimeText(time_t since);

class CnxDlg : public sigc::trackable {
public:
   // Control ids, for the code and the tests that drive the window.
   enum { kIntro = 1001, kList = 1002 };
   // The list's columns.
   enum { kColumnUser = 0, kColumnFrom = 1, kColumnSince = 2 };

   // Shows the window for `vm` (made on first use) and brings it to the front; a window that is
   // up for another machine switches to `vm`. Nothing without an open machine.
   static void ShowDialog(cui::VM *vm);
   // When the window is up, it shows `vm`'s users from now on; otherwise nothing. A null or
   // closed machine leaves the window as it is.
   static void UpdateDialog(cui::VM *vm);
   // The window's object while it is up; null otherwise.
   static CnxDlg *Get();

   HWND GetWindow() const;
   cui::VM *GetVM() const { return vm_; }
   // Closes the window and deletes the object.
   void Close();

   // What the window asks of its object.
   void OnWindowGone();

   CnxDlg(const CnxDlg &) = delete;
   CnxDlg &operator=(const CnxDlg &) = delete;

private:
   CnxDlg();
   ~CnxDlg();

   bool Create();
   // Follows `vm` from now on (none: null) and shows what it has.
   void Follow(cui::VM *vm);
   void ShowConnections();
   void OnVMRemoved();
   static void *OnVMDestroyed(void *self);

   cui::VM *vm_ = nullptr;
   CCnxDlgWindow *window_;
   std::vector<sigc::connection> connections_;
};

}  // namespace dialog
}  // namespace wui
