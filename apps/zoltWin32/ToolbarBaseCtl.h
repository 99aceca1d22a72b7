// The base of every toolbar of the command bar: a "ToolbarWindow32" child with a table of button
// records, normal, disabled and hot image lists, the user's button order from the preferences and
// the common-control customization dialog wired to them.
#pragma once

#include "atl/Atl.h"

#include "zoltCommandId.h"

#include "cui/WuiPrefs.h"

#include <windows.h>
#include <commctrl.h>

#include <list>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
class VM;
}  // namespace cui

// What a toolbar's click signal carries to the command bar, which turns it into a command (the
// log shows the number). Minimise and exit act without a command.
enum ToolbarButtonCode : long {
   CLICK_SIDEBAR = 1,
   CLICK_QUICK_SWITCH = 2,
   CLICK_ZEPHRO_POLICIES = 3,
   CLICK_ZEPHRO_NEW_PACKAGE = 4,
   CLICK_FULL_SCREEN = 5,
   CLICK_POWER_ON = 6,
   CLICK_POWER_OFF = 7,
   CLICK_SUSPEND = 8,
   CLICK_RESET = 9,
   CLICK_SNAPSHOT_REVERT = 10,
   CLICK_SNAPSHOT_TAKE = 11,
   CLICK_ZEPHRO_PREVIEW = 12,
   CLICK_VIEW_SUMMARY = 13,
   CLICK_VIEW_APPLIANCE = 14,
   CLICK_VIEW_CONSOLE = 15,
   CLICK_SNAPSHOT_MANAGER = 16,
   CLICK_MINIMIZE = 17,
   CLICK_EXIT = 18,
   CLICK_ZEPHRO_PACKAGE_SETTINGS = 20,
   CLICK_REPLAY_PLAY = 21,
   CLICK_REPLAY_RECORD = 26,
   CLICK_REPLAY_STOP = 28,
   CLICK_ZEPHRO_NEW_PORTABLE_PACKAGE = 29,
};

// One button of a toolbar's table.
struct ToolbarButton {
   CommandId command = 0;
   std::string text;
   // 0xFFFF: UpdateButtons computes the state; any other value is sent as it stands.
   WORD state = kComputedState;
   int position = -1;
   int item = 0;
   TBBUTTON button = {};
   bool isDefault = true;

   static constexpr WORD kComputedState = 0xFFFF;
};

// Copies UTF-8 `text` into the wide `buffer` of `size` characters, cut short so the terminator
// always fits and never between the two halves of a surrogate pair.
void CopyTruncated(wchar_t *buffer, size_t size, const std::string &text);

// The button order to show: the stored list with items the toolbar does not know, and second
// mentions of a button, taken out (separators, item 1, may repeat). An empty result, or a list
// that names no button, gives `defaults`.
std::vector<int> RepairToolbarItems(const std::vector<int> &stored, const std::vector<int> &known,
                                    const std::vector<int> &defaults);

typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0> CToolbarBaseTraits;

class CToolbarBaseCtl : public CWindowImpl<CToolbarBaseCtl, CWindow, CToolbarBaseTraits>, public sigc::trackable {
public:
   static constexpr int kSeparatorItem = 1;
   static constexpr int kSeparatorWidth = 8;
   static constexpr int kBandHeight = 26;
   static constexpr DWORD kCommonStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                                         TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_ADJUSTABLE | CCS_NOPARENTALIGN |
                                         CCS_NORESIZE | CCS_TOP;
   static_assert(kCommonStyle == 0x5600096D, "the toolbars' style");
   static constexpr size_t kTooltipChars = 80;

   CToolbarBaseCtl();
   ~CToolbarBaseCtl() override;

   virtual HWND Init(HWND rebar) = 0;
   virtual void UpdateButtons() = 0;
   // The toolbar's band id and preferences type: a wui::Prefs::Toolbar.
   virtual int GetToolbarType() const = 0;
   // Fills the tooltip of one of this toolbar's commands; false when the command is not ours.
   virtual bool GetTooltipText(CommandId command, std::string &text);

   HWND CreateToolbar(HWND parent, DWORD style);
   void SetImageLists(const UINT *normal, const UINT *disabled, const UINT *hot, int count);
   ToolbarButton *AddButton(CommandId command, int item, int image, UINT stringId);
   ToolbarButton *AddButton(CommandId command, int item, int image, const char *text, BYTE style);
   void InsertItem(int position, int item);
   void AutoSizeBand();
   void SaveItems();

   bool OwnsCommand(CommandId command) const;
   ToolbarButton *FindButton(CommandId command) const;
   ToolbarButton *FindItem(int item) const;
   const std::vector<std::unique_ptr<ToolbarButton>> &GetButtons() const { return buttons_; }
   bool IsCustomizing() const { return customizing_; }
   // Sends the state of one command's button (nothing when it is not inserted).
   void SetButtonState(CommandId command, bool enabled, bool pushed);

   // The command bar's band for a toolbar: the sum of its buttons' widths.
   static int GetToolbarWidth(HWND toolbar);
   // A TTN_GETDISPINFOW for one of our commands: the text goes into the 80-character buffer.
   bool FillTooltip(NMTTDISPINFOW *info);

   sigc::signal<void, long> clicked;

   BEGIN_MSG_MAP(CToolbarBaseCtl)
      MESSAGE_HANDLER(OCM_NOTIFY, OnReflectedNotify)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
   END_MSG_MAP()

protected:
   // The common start of Init: the toolbar, its images and its buttons in the stored order.
   HWND CreateWithItems(HWND rebar, DWORD style, const UINT *normal, const UINT *disabled, const UINT *hot,
                        int imageCount, const std::vector<int> &defaults);
   // The buttons of the table; Init fills them through AddButton before CreateWithItems inserts them.
   virtual void AddButtons() = 0;
   // Emits a code on `clicked`, keeping a failing slot inside this click.
   void EmitClicked(ToolbarButtonCode code, const char *who);

   // The machine behind the current object: a machine, a team's current machine, a managed
   // machine's machine. `team` receives the team of a team current object (may be null).
   static cui::VM *FindCurrentVM(cui::Team **team, bool *isTeam);
   // Follows the current object's machine (and team): drops the old connections, connects the
   // new objects' notifications and the machine's removal to UpdateButtons, then updates.
   void TrackCurrentObject();
   void ForgetVM();
   // Connects the preferences' current-object notification to TrackCurrentObject.
   void FollowCurrentObject();

   LRESULT OnReflectedNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);

   std::vector<std::unique_ptr<ToolbarButton>> buttons_;
   std::list<sigc::connection> connections_;
   bool customizing_ = false;
   HIMAGELIST normalImages_ = nullptr;
   HIMAGELIST disabledImages_ = nullptr;
   HIMAGELIST hotImages_ = nullptr;
   std::vector<int> defaults_;
   // The machine and team followed (not owned); the removal notification clears them.
   cui::VM *vm_ = nullptr;
   cui::Team *team_ = nullptr;
   bool isTeam_ = false;
   sigc::connection currentObjConnection_;
};
