// The console side of a machine: the guest's screen size, the input grab, the keys the console
// hands back to the program, and resizing the guest's screen. Reached through cui::VM::GetMKS.
//
// Nodes under the machine's "mks/": "guestWidth" and "guestHeight" (the guest's screen),
// "virtualScreen/width" and "height", "grabState/..." (the grab request form), "hookedKeys" (what
// SetHookedKeys wrote) and "hookedKeyEvent" (written by the console: "<key>,<scan code>").
#pragma once

#include <string>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VmdbCtx.h"

namespace cui {

class MKS : public sigc::trackable {
public:
   enum GrabState { GRAB_UNGRABBED = 0, GRAB_SOFT = 1, GRAB_GRABBED = 2 };
   // The smallest and largest guest screen a fit asks for.
   static const int kMinWidth = 320;
   static const int kMinHeight = 200;
   static const int kMaxSize = 8192;
   // How long the simulated guest takes to change its screen size.
   static const unsigned kFitMs = 150;

   MKS(const vmdb::Ctx &ctx, const std::string &vmPath);
   ~MKS();

   // False (sizes untouched) while the guest shows no screen.
   bool GetGuestResolution(int &width, int &height) const;
   // "key,mask;key,mask;..." of the keys the console gives back while it has the input.
   void SetHookedKeys(const std::string &keys);
   std::string GetHookedKeys() const;
   // Asks the console to take (GRAB_GRABBED, GRAB_SOFT) or give back the input.
   void SetGrabState(int state, const AbortSlot &abort, const DoneSlot &done);
   // Asks the guest for a screen of width x height. `done` once the guest has it; `error` when
   // the machine is not running or the size is outside what a guest screen can be.
   void FitGuest(int width, int height, const DoneSlot &done, const sigc::slot<void, Error> &error);

   // A key the console handed back, as the console wrote it ("13,28").
   sigc::signal<void, std::string> hookedKey;

   MKS(const MKS &) = delete;
   MKS &operator=(const MKS &) = delete;

private:
   void OnHookedKeyEvent();

   vmdb::Ctx ctx_;
   std::string mksPath_;
   sigc::connection watch_;
   unsigned fitTimer_ = 0;
};

// The key code of a hooked-key text "<key>,<scan code>": two decimal or 0x numbers and nothing
// else. False for anything else.
bool ParseHookedKey(const std::string &text, int &key);

}  // namespace cui
