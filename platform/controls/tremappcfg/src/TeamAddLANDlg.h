// "TeamAddLANDlg": asks for the name, bandwidth and loss of a new LAN of a team, and takes them
// only once they pass CheckLANValues; the dialog names the field that is wrong.
#pragma once

#include <string>

#include "atl/Atl.h"
#include "atl/ComObject.h"
#include "tremappcfg/TeamCfg.h"
#include "tremappcfg/TremAppCfgRes.h"

namespace tremappcfg {

class CTeamAddLANDialog : public CDialogImpl<CTeamAddLANDialog> {
public:
   enum { IDD = IDD_CFG_TEAM_ADD_LAN };

   explicit CTeamAddLANDialog(LANInput &values, const std::wstring &teamPath) : values_(values), teamPath_(teamPath) {}

   BEGIN_MSG_MAP(CTeamAddLANDialog)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
   END_MSG_MAP()

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);

   LANInput &values_;
   std::wstring teamPath_;
};

class TeamAddLANDlgObject : public atl::ComObject<ITeamAddLANDlg> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_GetName(BSTR *name) override;
   HRESULT __stdcall raw_PutName(BSTR name) override;
   HRESULT __stdcall raw_GetTeamPath(BSTR *path) override;
   HRESULT __stdcall raw_PutTeamPath(BSTR path) override;
   HRESULT __stdcall raw_GetBandwidth(long *kbits) override;
   HRESULT __stdcall raw_PutBandwidth(long kbits) override;
   HRESULT __stdcall raw_GetLoss(long *percent) override;
   HRESULT __stdcall raw_PutLoss(long percent) override;
   HRESULT __stdcall raw_ShowModal(INT_PTR owner) override;

private:
   std::wstring name_;
   std::wstring teamPath_;
   long bandwidth_ = 0;
   long loss_ = 0;
   bool showing_ = false;
};

}  // namespace tremappcfg
