// "TeamListViewWnd": the machines of an editable team against its LANs, in a checked list whose
// LAN columns the user toggles. The window is a frame around the list: it passes the font, the
// size and the enabled state on, and turns the list's toggles into changes of the editable.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "atl/Atl.h"
#include "atl/ComObject.h"
#include "tremappcfg/TeamCfg.h"
#include "tremappsdk/CheckedListCtl.h"

namespace tremappcfg {

class TeamListViewObject;

class CTeamListViewWnd : public CWindowImpl<CTeamListViewWnd> {
public:
   DECLARE_WND_CLASS_EX("TremappcfgTeamListView", 0, COLOR_WINDOW)

   explicit CTeamListViewWnd(TeamListViewObject &owner) : owner_(owner) {}

   BEGIN_MSG_MAP(CTeamListViewWnd)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_SETFONT, OnSetFont)
      MESSAGE_HANDLER(WM_GETFONT, OnGetFont)
      MESSAGE_HANDLER(WM_ENABLE, OnEnable)
      MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
      MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
   END_MSG_MAP()

   HFONT font = nullptr;

private:
   LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnSetFont(UINT, WPARAM wParam, LPARAM lParam, BOOL &);
   LRESULT OnGetFont(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);

   TeamListViewObject &owner_;
};

class TeamListViewObject : public atl::ComObject<ITeamListView> {
public:
   static HRESULT Create(REFIID iid, void **ppv);
   TeamListViewObject() : wnd_(*this) {}
   ~TeamListViewObject() override;

   HRESULT __stdcall raw_CreateWnd(HWND parent, const RECT *rect) override;
   HRESULT __stdcall raw_GetWindow(HWND *window) override;
   HRESULT __stdcall raw_PutId(UINT id) override;
   HRESULT __stdcall raw_PutImages(HIMAGELIST images) override;
   HRESULT __stdcall raw_PutTeamEditable(cui::TeamEditable *editable) override;
   HRESULT __stdcall raw_Reload() override;
   HRESULT __stdcall raw_PutSelection(long row) override;
   HRESULT __stdcall raw_QueryLeave(VARIANT_BOOL *mayLeave) override;

   HWND ListWindow() const;
   // The list's toggle of (row, column) to `checked`: true when the editable refused it.
   bool RefuseToggle(long row, long column, bool checked);

private:
   void ShowRefusal(const std::string &text);

   CTeamListViewWnd wnd_;
   ICheckedListCtlPtr list_;
   cui::TeamEditable *editable_ = nullptr;
};

}  // namespace tremappcfg
