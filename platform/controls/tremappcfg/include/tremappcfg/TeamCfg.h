// The team objects of the settings library: the LAN dialog ("TeamAddLANDlg"), the holder of the
// editable team the team pages change ("CuiObj"), and the checks both apply to what the user typed.
//    ICuiObjPtr holder(__uuidof(CuiObj));
//    holder->SetTeamEditable(editable);           // not owned; it must outlive the frame
//    frame->AddDataObject(ITremappPropObjPtr(holder));
//    frame->AddPage(L"tremappcfg.PropTeamSummary.9"); ...
// The team pages change the editable as the user works; the caller saves it after OK.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <commctrl.h>
#include <comdef.h>

#include <string>
#include <vector>

#include "tremappcfg/TremAppCfg.h"

namespace cui {
class TeamEditable;
}

struct ITeamAddLANDlg;
struct ICuiObj;
struct ITeamListView;
struct TeamAddLANDlg;
struct CuiObj;
struct TeamListView;

__CRT_UUID_DECL(ITeamAddLANDlg, 0x4a7c2f90, 0x6b13, 0x4d25, 0x8e, 0x41, 0x5f, 0x0a, 0x93, 0xc6, 0x27, 0xb8)
__CRT_UUID_DECL(ICuiObj, 0x91e3b5d2, 0x0c47, 0x4f68, 0xa3, 0x9d, 0x26, 0x7b, 0xe0, 0x14, 0x58, 0xcf)
__CRT_UUID_DECL(TeamAddLANDlg, 0x7d25e8a3, 0x41b6, 0x4c09, 0xb7, 0x52, 0x8a, 0x1f, 0x3e, 0x60, 0xd4, 0x19)
__CRT_UUID_DECL(CuiObj, 0xc3f08a61, 0x2d7e, 0x4b93, 0x95, 0x0c, 0x4e, 0xb2, 0x71, 0x8d, 0x06, 0xa5)

__CRT_UUID_DECL(ITeamListView, 0x2f6d91c4, 0x7a35, 0x4e8b, 0x9c, 0x17, 0x63, 0xb0, 0x5e, 0xd2, 0x48, 0x0a)
__CRT_UUID_DECL(TeamListView, 0xb84e0f27, 0x5c19, 0x4a6d, 0x83, 0xe2, 0x1d, 0x97, 0x40, 0x6c, 0xa5, 0x3b)

_COM_SMARTPTR_TYPEDEF(ITeamAddLANDlg, __uuidof(ITeamAddLANDlg));
_COM_SMARTPTR_TYPEDEF(ICuiObj, __uuidof(ICuiObj));
_COM_SMARTPTR_TYPEDEF(ITeamListView, __uuidof(ITeamListView));

// The dialog that asks for a new LAN of a team.
struct ITeamAddLANDlg : IUnknown {
   virtual HRESULT __stdcall raw_GetName(BSTR *name) = 0;
   virtual HRESULT __stdcall raw_PutName(BSTR name) = 0;
   virtual HRESULT __stdcall raw_GetTeamPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_PutTeamPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_GetBandwidth(long *kbits) = 0;
   virtual HRESULT __stdcall raw_PutBandwidth(long kbits) = 0;
   virtual HRESULT __stdcall raw_GetLoss(long *percent) = 0;
   virtual HRESULT __stdcall raw_PutLoss(long percent) = 0;
   // Modal over `owner`: S_OK once the user confirmed values that pass CheckLANValues (the
   // properties then hold them), S_FALSE after Cancel.
   virtual HRESULT __stdcall raw_ShowModal(INT_PTR owner) = 0;
};

// The model-library object the team pages edit.
struct ICuiObj : IUnknown {
   virtual HRESULT __stdcall raw_SetTeamEditable(cui::TeamEditable *editable) = 0;
   virtual HRESULT __stdcall raw_GetTeamEditable(cui::TeamEditable **editable) = 0;
};

// The team list view ("TeamListViewWnd"): the machines of an editable team, one row each with
// its guest's icon, and a check box per LAN of the team. Checking one puts the machine on that
// LAN (cui::TeamEditable::ConnectVMToNet), clearing it takes the machine off; a refused change
// is shown in a message box and the box keeps its mark. The editable is not owned.
struct ITeamListView : IUnknown {
   // Creates the window, a child of `parent` at `rect` (parent client coordinates) under the
   // window name "TeamListViewWnd"; E_UNEXPECTED when it exists already.
   virtual HRESULT __stdcall raw_CreateWnd(HWND parent, const RECT *rect) = 0;
   virtual HRESULT __stdcall raw_GetWindow(HWND *window) = 0;
   // The window's control id.
   virtual HRESULT __stdcall raw_PutId(UINT id) = 0;
   // Row images (copied): the guest icons in the order of cui::kGuestOSTable.
   virtual HRESULT __stdcall raw_PutImages(HIMAGELIST images) = 0;
   virtual HRESULT __stdcall raw_PutTeamEditable(cui::TeamEditable *editable) = 0;
   // Rows and LAN columns again from the editable.
   virtual HRESULT __stdcall raw_Reload() = 0;
   virtual HRESULT __stdcall raw_PutSelection(long row) = 0;
   // Whether the changes asked for can be made now; VARIANT_FALSE after a message box saying
   // why not (a machine was powered on or closed since).
   virtual HRESULT __stdcall raw_QueryLeave(VARIANT_BOOL *mayLeave) = 0;
};

namespace tremappcfg {

// A LAN as the user typed it; CheckLANValues fills the numbers.
struct LANInput {
   std::wstring name;
   std::wstring bandwidth;   // kbit/s, decimal digits; 0 is unlimited
   std::wstring loss;        // percent, 0 to 100
   long bandwidthValue = 0;
   long lossValue = 0;
};

enum class LANField { None, Name, Bandwidth, Loss };

// The first field the values cannot be taken with (None when all are fine) and the id of the text
// that says why. `takenNames` are the names other LANs of the team have (compared without case).
LANField CheckLANValues(LANInput &input, const std::vector<std::wstring> &takenNames, UINT &reasonId);

// A member's start-up order or delay (seconds) as typed: false unless it is a whole number from 0
// to 9999.
bool ParseStartupValue(const std::wstring &text, int &value);

}  // namespace tremappcfg
