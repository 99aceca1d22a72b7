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
#include <comdef.h>

#include <string>
#include <vector>

#include "tremappcfg/TremAppCfg.h"

namespace cui {
class TeamEditable;
}

struct ITeamAddLANDlg;
struct ICuiObj;
struct TeamAddLANDlg;
struct CuiObj;

__CRT_UUID_DECL(ITeamAddLANDlg, 0x4a7c2f90, 0x6b13, 0x4d25, 0x8e, 0x41, 0x5f, 0x0a, 0x93, 0xc6, 0x27, 0xb8)
__CRT_UUID_DECL(ICuiObj, 0x91e3b5d2, 0x0c47, 0x4f68, 0xa3, 0x9d, 0x26, 0x7b, 0xe0, 0x14, 0x58, 0xcf)
__CRT_UUID_DECL(TeamAddLANDlg, 0x7d25e8a3, 0x41b6, 0x4c09, 0xb7, 0x52, 0x8a, 0x1f, 0x3e, 0x60, 0xd4, 0x19)
__CRT_UUID_DECL(CuiObj, 0xc3f08a61, 0x2d7e, 0x4b93, 0x95, 0x0c, 0x4e, 0xb2, 0x71, 0x8d, 0x06, 0xa5)

_COM_SMARTPTR_TYPEDEF(ITeamAddLANDlg, __uuidof(ITeamAddLANDlg));
_COM_SMARTPTR_TYPEDEF(ICuiObj, __uuidof(ICuiObj));

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
