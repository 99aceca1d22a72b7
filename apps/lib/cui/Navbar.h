// The model of the side bar: which of its panes is shown and how wide it is.
#pragma once

#include <sigc++/sigc++.h>

namespace wui {

class Navbar : public sigc::trackable {
public:
   enum Pane { PANE_FAVORITES = 0, PANE_REGISTERED = 1 };

   Navbar();
   // Unregisters itself when it is the registered side bar.
   virtual ~Navbar();

   Pane GetPane() const { return pane_; }
   void SetPane(Pane pane);   // raises changed when it differs

   sigc::signal<void> changed;

private:
   Pane pane_ = PANE_FAVORITES;
};

}  // namespace wui
