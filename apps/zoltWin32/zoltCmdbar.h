// The command bar: the strip across the top of the frame, one rebar whose bands hold the menu bar
// and the toolbars. It keeps the bands' layout in the preferences, shows and hides bands as the
// preferences change, serves the toolbars' tooltips and turns their clicks into commands.
#pragma once

#include "atl/Atl.h"

#include "PowerToolbarCtl.h"
#include "QuickSwitchToolbarCtl.h"
#include "SnapshotToolbarCtl.h"
#include "VPlayToolbarCtl.h"
#include "ViewToolbarCtl.h"
#include "ZephroMToolbarCtl.h"
#include "zoltCommandId.h"
#include "zoltMenuBar.h"

#include <windows.h>
#include <commctrl.h>

#include <list>

#include <sigc++/sigc++.h>

// The command of a toolbar code; `team` when the current object is a team. 0 for a code that
// names no command (CLICK_MINIMIZE and CLICK_EXIT act without one).
CommandId ToolbarCodeToCommand(long code, bool team);

// Where a new band goes: the index of the first present band whose stored index is greater than
// `storedIndex`; -1 (append) when there is none. `presentStored` holds the stored index of each
// present band in band order.
int FindBandInsertPosition(const std::vector<int> &presentStored, int storedIndex);

typedef CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0> CZOLTCmdbarTraits;

class CZOLTCmdbar : public CWindowImpl<CZOLTCmdbar, CWindow, CZOLTCmdbarTraits>, public sigc::trackable {
public:
   static constexpr UINT kRebarId = 10001;
   static constexpr DWORD kRebarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                                        RBS_DBLCLKTOGGLE | RBS_AUTOSIZE | RBS_BANDBORDERS | RBS_VARHEIGHT |
                                        CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_TOP;
   static_assert(kRebarStyle == 0x5680A649, "the rebar's style");
   static constexpr int kQuickSwitchBandWidth = 86;

   DECLARE_WND_CLASS_EX("ZOLTCmdbar", 0, COLOR_BTNFACE)

   CZOLTCmdbar();
   ~CZOLTCmdbar() override;

   BOOL PreTranslateMessage(MSG *msg);
   void OnButtonClicked(long code);
   HWND GetRebar() const { return rebar_; }
   CZOLTMenubar &GetMenubar() { return menubar_; }
   CToolbarBaseCtl *GetToolbar(int type);
   // The rebar's bands in order: their ids.
   std::vector<int> GetBandIds() const;

   // Band layout, also run from the preference notifications.
   void ApplyToolbarShow();
   void ShowQuickSwitchBand(bool on);
   void MaximizeRowEnds();
   void KeepRowBreak(int type);
   void SaveToolbarPositions();
   // The context menu at a screen point (the chosen command is carried out).
   void ShowContextMenu(POINT point);

   BEGIN_MSG_MAP(CZOLTCmdbar)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      NOTIFY_HANDLER(kRebarId, RBN_HEIGHTCHANGE, OnHeightChange)
      NOTIFY_HANDLER(kRebarId, RBN_LAYOUTCHANGED, OnLayoutChanged)
      NOTIFY_CODE_HANDLER(TTN_GETDISPINFOW, OnToolTipText)
      MESSAGE_HANDLER(WM_COMMAND, OnCommand)
      REFLECT_NOTIFICATIONS()
   END_MSG_MAP()

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnHeightChange(int, LPNMHDR, BOOL &);
   LRESULT OnLayoutChanged(int, LPNMHDR, BOOL &);
   LRESULT OnToolTipText(int, LPNMHDR header, BOOL &bHandled);
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);

   void InsertMenuBand();
   void InsertToolbarBand(CToolbarBaseCtl &toolbar, bool zephro);
   int FindBandPosition(int type) const;
   int BandIndex(int id) const;
   bool BandHasBreak(int index) const;
   bool BandHidden(int index) const;
   void OnToolbarShowChanged(int type);
   void OnQuickSwitchChanged();
   void ResizeToRebar();

   HWND rebar_ = nullptr;
   CZOLTMenubar menubar_;
   CVMToolbarCtl power_;
   CZephroMToolbarCtl zephro_;
   CViewToolbarCtl view_;
   CSnapshotToolbarCtl snapshot_;
   CQuickSwitchToolbarCtl quickSwitch_;
   CVPlayToolbarCtl vplay_;
   bool hasZephro_ = false;
   std::list<sigc::connection> connections_;
};
