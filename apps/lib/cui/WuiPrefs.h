// The Windows side of the preferences: window chrome and full screen, the application's current
// and transient object, and the session.
//
// The current and transient objects are the links cui::appdata::kCurrentObj and kTransientObj,
// whose value is a record of cui::appdata::kOpenedObj ("openedObj/#0001/"); the record's `type`
// and `path` nodes describe the object.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/AppDataPaths.h"
#include "cui/Prefs.h"

namespace wui {

class Prefs : public cui::Prefs {
public:
   Prefs();
   explicit Prefs(const vmdb::Ctx &ctx);
   ~Prefs() override;

   // In memory, true until set (the command line's "show controls").
   void SetShowChrome(bool on) { showChrome_ = on; }
   bool GetShowChrome() const { return showChrome_; }

   bool GetFullScreen() const;                      // "val/zolt/view/fullScreen"
   void SetFullScreen(bool on);
   // The full-screen toolbar stays shown ("val/zolt/fsToolbar/pin"); the frame stays above
   // other windows in quick switch and full screen ("val/zolt/fsToolbar/topmost", default true).
   bool GetFullScreenPin() const;
   void SetFullScreenPin(bool on);
   bool GetTopmostEnabled() const;
   bool GetTabShow() const;                         // "val/zolt/view/tabs", default true
   void SetTabShow(bool on);
   // The current record's "viewType": "summary", "appliance" or "console" ("summary" when unset).
   std::string GetViewType() const;
   // Nothing without a current record.
   void SetViewType(const std::string &type);
   // One-shot requests to fit the window to the guest ("val/zolt/view/fitWindowEvent") and the
   // guest to the window ("val/zolt/view/fitGuestEvent/": "on", "width", "height"; a zero size
   // means the console's size). The frame reads and clears them.
   bool GetFitWindowEvent() const;
   void SetFitWindowEvent(bool on);
   bool GetFitGuestEvent(int *width, int *height) const;
   void SetFitGuestEvent(bool on, int width, int height);

   // The record path the link points at; empty when the link is unset.
   std::string GetCurrentObj() const;
   std::string GetCurrentObjType() const;           // the record's "type"; empty when unset
   std::string GetCurrentObjPath() const;           // the record's "path"; empty when unset
   void SetCurrentObj(const std::string &recordPath);
   std::string GetTransientObj() const;
   std::string GetTransientObjType() const;
   std::string GetTransientObjPath() const;
   void SetTransientObj(const std::string &recordPath);
   void UnsetTransientObj();                        // removes the link node

   // Raised from a poll step after the currentObj link changed (written or removed).
   sigc::signal<void> currentObjChanged;

   // The command bar's layout, per toolbar (band id), under "val/zolt/toolbar/<type>/": the band's
   // position ("index", -1 when never saved), width ("length", 0 when never saved), row break
   // ("newLine"), shown ("show", default true) and button order ("items", numbers joined by ",").
   enum Toolbar {
      TOOLBAR_MENU = 0, TOOLBAR_POWER = 1, TOOLBAR_ZEPHRO = 2, TOOLBAR_SNAPSHOT = 3, TOOLBAR_VIEW = 4,
      TOOLBAR_QUICK_SWITCH = 5, TOOLBAR_INSTANCE = 6, TOOLBAR_VPLAY = 7
   };
   typedef int ToolbarItem;
   static std::string ToolbarPath(int type);
   int GetToolbarIndex(int type) const;
   void SetToolbarIndex(int type, int index);
   int GetToolbarLength(int type) const;
   void SetToolbarLength(int type, int length);
   bool GetToolbarNewLine(int type) const;
   void SetToolbarNewLine(int type, bool on);
   bool GetToolbarShow(int type) const;
   void SetToolbarShow(int type, bool on);
   // Replaces `items` with the stored list when one is stored (unparsable entries are dropped).
   void GetToolbarItems(int type, std::vector<ToolbarItem> &items) const;
   void SetToolbarItems(int type, const std::vector<ToolbarItem> &items);
   // Keeps only the stored button lists that name buttons (rewritten without unreadable
   // entries); a toolbar whose list names none goes back to its own default buttons.
   void SetDefaultToolbarButtons();

   // The snapshot manager's normal-position rectangle ("val/zolt/snapshotMgr/placement/": left,
   // top, right, bottom, flags). False when none was saved or it is empty.
   bool GetSnapshotManagerPlacement(RECT &rect) const;
   void SetSnapshotManagerPlacement(const RECT &rect, int flags);

   // In memory, false until set.
   bool GetRemoteSession() const { return remoteSession_; }
   void SetRemoteSession(bool remote) { remoteSession_ = remote; }
   // The link cui::appdata::kSessionCnxPath; empty when unset.
   std::string GetSessionPath() const;
   void SetSessionPath(const std::string &cnxPath);

private:
   void WatchCurrentObj();
   std::string LinkValue(const std::string &link) const;
   std::string RecordField(const std::string &link, const char *field) const;

   sigc::connection currentObjWatch_;
   bool showChrome_ = true;
   bool remoteSession_ = false;
};

}  // namespace wui
