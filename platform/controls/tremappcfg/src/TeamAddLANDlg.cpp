#include "TeamAddLANDlg.h"

#include "CfgText.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

std::wstring ItemText(HWND dlg, int id)
{
   HWND item = ::GetDlgItem(dlg, id);
   int length = ::GetWindowTextLengthW(item);
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int copied = ::GetWindowTextW(item, &text[0], length + 1);
   text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
   return text;
}

HRESULT CopyOut(const std::wstring &text, BSTR *out)
{
   if (!out) {
      return E_POINTER;
   }
   *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
   return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring CopyIn(BSTR text)
{
   return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}

}  // namespace

LRESULT CTeamAddLANDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   SetDlgItemText(IDC_TEAM_LAN_TEAM, teamPath_.c_str());
   SetDlgItemText(IDC_TEAM_LAN_NAME, values_.name.c_str());
   SetDlgItemText(IDC_TEAM_LAN_BANDWIDTH, values_.bandwidth.c_str());
   SetDlgItemText(IDC_TEAM_LAN_LOSS, values_.loss.c_str());
   return TRUE;
}

LRESULT CTeamAddLANDialog::OnOK(WORD, WORD, HWND, BOOL &)
{
   LANInput typed;
   typed.name = ItemText(m_hWnd, IDC_TEAM_LAN_NAME);
   typed.bandwidth = ItemText(m_hWnd, IDC_TEAM_LAN_BANDWIDTH);
   typed.loss = ItemText(m_hWnd, IDC_TEAM_LAN_LOSS);
   UINT reason = 0;
   // The team's own names are checked by the team when the LAN is added.
   LANField refused = CheckLANValues(typed, {}, reason);
   if (refused != LANField::None) {
      int control = refused == LANField::Name ? IDC_TEAM_LAN_NAME
                    : refused == LANField::Bandwidth ? IDC_TEAM_LAN_BANDWIDTH : IDC_TEAM_LAN_LOSS;
      SetDlgItemText(IDC_CFG_ERROR, LoadText(reason).c_str());
      HWND field = ::GetDlgItem(m_hWnd, control);
      ::SetFocus(field);
      ::SendMessageW(field, EM_SETSEL, 0, -1);
      ::MessageBeep(MB_ICONWARNING);
      return 0;
   }
   values_ = typed;
   EndDialog(IDOK);
   return 0;
}

LRESULT CTeamAddLANDialog::OnCancel(WORD, WORD, HWND, BOOL &)
{
   EndDialog(IDCANCEL);
   return 0;
}

HRESULT TeamAddLANDlgObject::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<TeamAddLANDlgObject>(iid, ppv);
}

HRESULT TeamAddLANDlgObject::raw_GetName(BSTR *name)
{
   return CopyOut(name_, name);
}

HRESULT TeamAddLANDlgObject::raw_PutName(BSTR name)
{
   name_ = CopyIn(name);
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_GetTeamPath(BSTR *path)
{
   return CopyOut(teamPath_, path);
}

HRESULT TeamAddLANDlgObject::raw_PutTeamPath(BSTR path)
{
   teamPath_ = CopyIn(path);
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_GetBandwidth(long *kbits)
{
   if (!kbits) {
      return E_POINTER;
   }
   *kbits = bandwidth_;
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_PutBandwidth(long kbits)
{
   if (kbits < 0) {
      return E_INVALIDARG;
   }
   bandwidth_ = kbits;
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_GetLoss(long *percent)
{
   if (!percent) {
      return E_POINTER;
   }
   *percent = loss_;
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_PutLoss(long percent)
{
   if (percent < 0 || percent > 100) {
      return E_INVALIDARG;
   }
   loss_ = percent;
   return S_OK;
}

HRESULT TeamAddLANDlgObject::raw_ShowModal(INT_PTR owner)
{
   if (showing_) {
      return HRESULT_FROM_WIN32(ERROR_BUSY);
   }
   LANInput values;
   values.name = name_;
   values.bandwidth = std::to_wstring(bandwidth_);
   values.loss = std::to_wstring(loss_);
   CTeamAddLANDialog dialog(values, teamPath_);
   showing_ = true;
   INT_PTR answer = dialog.DoModal(reinterpret_cast<HWND>(owner));
   showing_ = false;
   if (answer == -1) {
      DWORD error = ::GetLastError();
      Warning("TeamAddLANDlg: the dialog could not be shown (error %lu)\n", error);
      return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
   }
   if (answer != IDOK) {
      return S_FALSE;
   }
   name_ = values.name;
   bandwidth_ = values.bandwidthValue;
   loss_ = values.lossValue;
   return S_OK;
}

}  // namespace tremappcfg
