// A machine's appliance view: the page an appliance machine offers in place of its console.
// The window shows the machine it is given (none: an empty page); a machine without an
// appliance of its own shows its name and that it offers no appliance page.
#pragma once

#include <windows.h>

namespace cui {
class VM;
}

namespace wui {
namespace view {

class ApplianceView {
public:
   // Creates the view's window (class "TremApplianceView") with the given parent, rectangle,
   // title, styles and id; `param` is kept for the window's creation data. Null when the window
   // cannot be created. The caller deletes the object, which destroys the window.
   static ApplianceView *CreateInstance(HWND parent, const RECT &rect, const char *name, DWORD style,
                                        DWORD exStyle, UINT id, void *param);
   virtual ~ApplianceView();

   virtual HWND GetHWND() const = 0;
   // The machine shown; null for none. The view lets go of a machine when it is removed.
   virtual void SetVM(cui::VM *vm) = 0;
   virtual cui::VM *GetVM() const = 0;

protected:
   ApplianceView() = default;
   ApplianceView(const ApplianceView &) = delete;
   ApplianceView &operator=(const ApplianceView &) = delete;
};

}  // namespace view
}  // namespace wui
