// The user's preferences: the application's preference request element
// "/user/prefState/req/#ZOLT/" and its "val/zolt/..." subtree, plus the settings of this run that
// the command line gives (kept in memory, never saved).
//
// Node-backed accessors read and write under the request element; the node each one uses is
// named beside it, relative to the element. A boolean node reads false when it is missing unless
// a default is given beside it. Booleans are written as "1"/"0".
#pragma once

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/MKSKeys.h"
#include "cui/VmdbCtx.h"

namespace cui {

extern const char kPrefsRequestPath[];   // "/user/prefState/req/#ZOLT/"

class Prefs : public sigc::trackable {
public:
   // 0: the desktop mode that works on the local host; 1: a host given on the command line.
   enum UIMode { UI_MODE_LOCAL = 0, UI_MODE_REMOTE = 1 };

   // On a context of its own on the registered model context (cui::GetVmdbCtx; cui::Error when
   // none is registered), or on `ctx`'s database.
   Prefs();
   explicit Prefs(const vmdb::Ctx &ctx);
   // Unregisters itself when it is the registered preferences object.
   virtual ~Prefs();

   const std::string &GetRequestPath() const { return request_; }
   vmdb::Ctx &GetCtx() { return ctx_; }

   // In memory; UI_MODE_LOCAL until set. Any value but 1 is taken as 0.
   UIMode GetUIMode() const { return uiMode_; }
   void SetUIMode(int mode);

   // Settings of this run from the command line, in memory, false until set.
   void SetDebugMks(bool on) { debugMks_ = on; }
   bool GetDebugMks() const { return debugMks_; }
   void SetKeepVmxOnline(bool on) { keepVmxOnline_ = on; }
   bool GetKeepVmxOnline() const { return keepVmxOnline_; }
   void SetAsIfRemote(bool on) { asIfRemote_ = on; }
   bool GetAsIfRemote() const { return asIfRemote_; }
   void SetLocalHeadless(bool on) { localHeadless_ = on; }
   bool GetLocalHeadless() const { return localHeadless_; }

   bool GetTrayIconEnabled() const;                 // "val/zolt/trayIcon/enabled"
   bool GetBackgroundOnClose() const;               // "val/zolt/backgroundOnClose"
   bool GetFullScreenV5() const;                    // "val/zolt/view/fullScreenV5": full screen at power-on
                                                    // is the program's own full-screen mode
   bool GetSidebar() const;                         // "val/zolt/view/sidebar", default true
   void SetSidebar(bool on);
   bool GetStatusBarShow() const;                   // "val/zolt/view/statusBar", default true
   void SetStatusBarShow(bool on);
   bool GetQuickSwitch() const;                     // "val/zolt/view/quickSwitch"
   void SetQuickSwitch(bool on);
   bool GetQuickSwitchEnabled() const;              // "val/zolt/view/quickSwitchEnabled", default true
   bool GetAutofitWindow() const;                   // "val/zolt/view/autofitWindow"
   void SetAutofitWindow(bool on);
   bool GetAutofitGuest() const;                    // "val/zolt/view/autofitGuest"
   void SetAutofitGuest(bool on);
   bool GetCanEnableAllHints() const;               // "val/zolt/hints/canEnableAll"
   bool GetShowEnabledHints() const;                // "val/zolt/hints/showEnabled"
   void SetShowEnabledHints(bool on);
   // Turns on again every hint the user turned off (the message object keeps them under
   // "val/hints/<key>/disabled"); nothing is left to enable afterwards.
   void EnableAllHints();

   // The recent Zephro servers, "val/zolt/quenServer/mru/#", the latest first.
   struct QuenServerMRUEntry {
      std::string address;     // the server's address text
      std::string second;
      std::string directory;   // the localized yes or no of the server's directory support
      int port = 0;
      bool flag = false;
   };
   std::vector<QuenServerMRUEntry> GetQuenServerMRUEntries() const;
   // Puts the server first, replacing an entry of the same address.
   void SetQuenServerMRUEntry(const std::string &address, const std::string &second, const std::string &directory,
                              bool flag, int port);
   // Takes out the entry of that address, or of that address text (zephroutil::AddressToString);
   // no entry is no error.
   void RemoveQuenServerMRUEntry(const std::string &address);

   // Quick switch and full screen: how long the pointer rests on the top edge before the bar
   // slides in, how long it stays once the pointer left, how much of the hidden bar stays
   // visible and how long a tip shows (all in ms or pixels, clamped by their users).
   int GetQuickSwitchMenuDelay() const;             // "val/zolt/fsToolbar/quickSwitchDelay", default 400
   int GetFullScreenShowDelay() const;              // "val/zolt/fsToolbar/showDelay", default 400
   int GetFullScreenHideDelay() const;              // "val/zolt/fsToolbar/hideDelay", default 1000
   int GetFullScreenToolbarPixels() const;          // "val/zolt/fsToolbar/pixels", default 0
   int GetFullScreenTipDelay() const;               // "val/zolt/fsToolbar/tipDelay", default 4000
   // How the console shows a guest screen that does not fill the monitor.
   enum FullScreenAutofit { FS_AUTOFIT_GUEST = 0, FS_STRETCH_GUEST = 1, FS_CENTER_GUEST = 2 };
   int GetFullScreenAutofitMode() const;            // "val/zolt/fsToolbar/autofitMode", default 0
   void SetFullScreenAutofitMode(int mode);

   // The console's key combination ("val/zolt/hotkeys/modifiers": "ctrl-alt", "ctrl-shift-alt",
   // "ctrl-shift"; Ctrl+Alt when unset or unreadable). Each modifier is MKS_UP, MKS_DOWN or
   // MKS_EITHER.
   typedef cui::MKSKeys MKSKeys;
   enum MKSKeyState { MKS_UP = MKSKeys::UP, MKS_DOWN = MKSKeys::DOWN, MKS_EITHER = MKSKeys::EITHER };
   MKSKeys GetMKSKeys() const;
   static bool MKSKeysMatch(const MKSKeys &a, const MKSKeys &b) { return MatchMKSKeys(a, b); }
   // The combination as the user reads it ("Ctrl+Alt").
   std::string GetMKSKeySequence() const;

   // Any "val/..." node as a flag or a text (tests and later accessors).
   bool GetBool(const std::string &valPath, bool defaultValue) const;
   void SetBool(const std::string &valPath, bool on);
   std::string GetString(const std::string &valPath) const;
   void SetString(const std::string &valPath, const std::string &value);

protected:
   vmdb::Ctx ctx_;
   std::string request_;

private:
   void WriteQuenServerMRU(const std::vector<QuenServerMRUEntry> &entries);

   UIMode uiMode_ = UI_MODE_LOCAL;
   bool debugMks_ = false;
   bool keepVmxOnline_ = false;
   bool asIfRemote_ = false;
   bool localHeadless_ = false;
};

}  // namespace cui
