#include "cui/Navbar.h"

#include "cui/Registry.h"

namespace wui {

Navbar::Navbar() = default;

Navbar::~Navbar()
{
   if (GetNavbar() == this) {
      SetNavbar(nullptr);
   }
}

void Navbar::SetPane(Pane pane)
{
   if (pane == pane_) {
      return;
   }
   pane_ = pane;
   changed.emit();
}

}  // namespace wui
