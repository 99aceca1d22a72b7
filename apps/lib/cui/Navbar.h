// The model of the side bar: which of its panes is shown and how wide it is.
#pragma once

#include <string>

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
   // Opens the side bar's lists ask for, each with the object's path (a server's address).
   sigc::signal<void, std::string> openVM;
   sigc::signal<void, std::string> openTeam;
   sigc::signal<void, std::string> openMVMT;
   sigc::signal<void, std::string> openZephroServer;

private:
   Pane pane_ = PANE_FAVORITES;
};

}  // namespace wui
