// The team pages with lists: the members and the LANs.
#include "TeamPage.h"

#include <commdlg.h>

#include "CfgText.h"
#include "TeamListView.h"
#include "atl/FileDialog.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

void SetCell(HWND list, int row, int column, const std::wstring &text)
{
   LVITEMW item = {};
   item.mask = LVIF_TEXT;
   item.iItem = row;
   item.iSubItem = column;
   item.pszText = const_cast<wchar_t *>(text.c_str());
   ::SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, column == 0 ? 0 : static_cast<WPARAM>(row),
                  reinterpret_cast<LPARAM>(&item));
}

void SelectRow(HWND list, int row)
{
   int count = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
   if (count == 0) {
      return;
   }
   row = row < 0 ? 0 : (row >= count ? count - 1 : row);
   LVITEMW item = {};
   item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
   item.state = LVIS_SELECTED | LVIS_FOCUSED;
   ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring FileNameOf(const std::string &path)
{
   size_t slash = path.find_last_of("\\/");
   return WideFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

TeamVMsPage::TeamVMsPage() : TeamPage(IDD_CFG_TEAM_VMS) {}

void TeamVMsPage::OnInit(HWND wnd)
{
   HWND list = ::GetDlgItem(wnd, IDC_TEAM_VM_LIST);
   ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
   AddColumn(list, 0, IDS_TEAM_COL_MACHINE, 150);
   AddColumn(list, 1, IDS_TEAM_COL_ORDER, 60);
   AddColumn(list, 2, IDS_TEAM_COL_DELAY, 70);
   Fill(wnd, 0);
}

void TeamVMsPage::Fill(HWND wnd, int select)
{
   HWND list = ::GetDlgItem(wnd, IDC_TEAM_VM_LIST);
   ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
   const std::vector<cui::TeamMember> &members = editable_->GetMembers();
   for (size_t i = 0; i < members.size(); ++i) {
      const cui::TeamMember &member = members[i];
      int row = static_cast<int>(i);
      std::wstring name = member.vm ? WideFromUtf8(member.vm->GetName())
                                    : FileNameOf(member.cfgPath) + L" " + LoadText(IDS_TEAM_NOT_OPEN);
      SetCell(list, row, 0, name);
      SetCell(list, row, 1, std::to_wstring(member.startupOrder));
      SetCell(list, row, 2, std::to_wstring(member.startupDelay));
   }
   ::SetDlgItemTextW(wnd, IDC_TEAM_MEMBER_COUNT,
                     FormatText(IDS_CFG_TEAM_MEMBER_COUNT, {std::to_wstring(members.size())}).c_str());
   SelectRow(list, select);
   ShowSelected(wnd);
}

void TeamVMsPage::ShowSelected(HWND wnd)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_VM_LIST));
   const std::vector<cui::TeamMember> &members = editable_->GetMembers();
   bool any = row >= 0 && static_cast<size_t>(row) < members.size();
   ::SetDlgItemTextW(wnd, IDC_TEAM_VM_ORDER, any ? std::to_wstring(members[row].startupOrder).c_str() : L"");
   ::SetDlgItemTextW(wnd, IDC_TEAM_VM_DELAY, any ? std::to_wstring(members[row].startupDelay).c_str() : L"");
   for (int id : {IDC_TEAM_VM_ORDER, IDC_TEAM_VM_DELAY, IDC_TEAM_VM_SET, IDC_TEAM_VM_REMOVE}) {
      ::EnableWindow(::GetDlgItem(wnd, id), any);
   }
}

void TeamVMsPage::OnCommand(HWND wnd, WORD id, WORD code)
{
   if (code != BN_CLICKED) {
      return;
   }
   switch (id) {
   case IDC_TEAM_VM_ADD:
      AddMember(wnd);
      break;
   case IDC_TEAM_VM_REMOVE:
      RemoveMember(wnd);
      break;
   case IDC_TEAM_VM_SET:
      SetStartup(wnd, false);
      break;
   default:
      break;
   }
}

void TeamVMsPage::OnNotify(HWND wnd, const NMHDR *header)
{
   if (header->idFrom == IDC_TEAM_VM_LIST && header->code == LVN_ITEMCHANGED) {
      const auto *change = reinterpret_cast<const NMLISTVIEW *>(header);
      if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_SELECTED)) {
         ShowSelected(wnd);
      }
   }
}

bool TeamVMsPage::TakeValues(HWND wnd)
{
   return SetStartup(wnd, true);
}

void TeamVMsPage::AddMember(HWND wnd)
{
   std::wstring filter = LoadText(IDS_TEAM_VMX_FILTER);
   for (wchar_t &c : filter) {
      if (c == L'|') {
         c = L'\0';
      }
   }
   wchar_t file[MAX_PATH] = L"";
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof ofn;
   ofn.hwndOwner = ::GetParent(wnd);
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
   if (!atl::GetOpenFileName(&ofn)) {
      return;
   }
   try {
      editable_->AddVMPath(Utf8FromWide(file));
      ShowError(wnd, L"");
      Fill(wnd, static_cast<int>(editable_->GetMembers().size()) - 1);
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_VM_ADD);
   }
}

void TeamVMsPage::RemoveMember(HWND wnd)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_VM_LIST));
   const std::vector<cui::TeamMember> &members = editable_->GetMembers();
   if (row < 0 || static_cast<size_t>(row) >= members.size()) {
      ShowError(wnd, LoadText(IDS_TEAM_NO_SELECTION), IDC_TEAM_VM_LIST);
      return;
   }
   try {
      editable_->RemoveVMPath(std::string(members[row].cfgPath));
      ShowError(wnd, L"");
      Fill(wnd, row);
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_VM_LIST);
   }
}

bool TeamVMsPage::SetStartup(HWND wnd, bool quiet)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_VM_LIST));
   const std::vector<cui::TeamMember> &members = editable_->GetMembers();
   if (row < 0 || static_cast<size_t>(row) >= members.size()) {
      if (!quiet) {
         ShowError(wnd, LoadText(IDS_TEAM_NO_SELECTION), IDC_TEAM_VM_LIST);
      }
      return quiet;
   }
   int order = 0;
   int delay = 0;
   if (!ParseStartupValue(ItemText(wnd, IDC_TEAM_VM_ORDER), order)) {
      ShowError(wnd, LoadText(IDS_TEAM_BAD_STARTUP), IDC_TEAM_VM_ORDER);
      return false;
   }
   if (!ParseStartupValue(ItemText(wnd, IDC_TEAM_VM_DELAY), delay)) {
      ShowError(wnd, LoadText(IDS_TEAM_BAD_STARTUP), IDC_TEAM_VM_DELAY);
      return false;
   }
   if (quiet && order == members[row].startupOrder && delay == members[row].startupDelay) {
      return true;
   }
   try {
      editable_->SetVMStartup(std::string(members[row].cfgPath), order, delay);
      ShowError(wnd, L"");
      Fill(wnd, row);
      return true;
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_VM_ORDER);
      return false;
   }
}

TeamLANsPage::TeamLANsPage() : TeamPage(IDD_CFG_TEAM_LANS) {}

void TeamLANsPage::OnInit(HWND wnd)
{
   HWND list = ::GetDlgItem(wnd, IDC_TEAM_LAN_LIST);
   ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
   AddColumn(list, 0, IDS_TEAM_COL_LAN, 130);
   AddColumn(list, 1, IDS_TEAM_COL_BANDWIDTH, 80);
   AddColumn(list, 2, IDS_TEAM_COL_LOSS, 70);
   CreateMembersList(wnd);
   Fill(wnd, 0);
}

void TeamLANsPage::CreateMembersList(HWND wnd)
{
   HWND placeholder = ::GetDlgItem(wnd, IDC_TEAM_LAN_MEMBERS);
   RECT place = {};
   ::GetWindowRect(placeholder, &place);
   ::MapWindowPoints(nullptr, wnd, reinterpret_cast<POINT *>(&place), 2);
   ::DestroyWindow(placeholder);
   ITeamListViewPtr members;
   HWND control = nullptr;
   HRESULT hr = TeamListViewObject::Create(__uuidof(ITeamListView), reinterpret_cast<void **>(&members));
   if (SUCCEEDED(hr)) {
      hr = members->raw_CreateWnd(wnd, &place);
   }
   if (SUCCEEDED(hr)) {
      hr = members->raw_GetWindow(&control);
   }
   if (SUCCEEDED(hr)) {
      hr = members->raw_PutId(IDC_TEAM_LAN_MEMBERS);
   }
   if (SUCCEEDED(hr)) {
      hr = members->raw_PutTeamEditable(editable_);
   }
   if (FAILED(hr)) {
      Log("tremappcfg: the team's LAN members list could not be made (0x%08lx).\n", static_cast<unsigned long>(hr));
      return;
   }
   // Keep the tab order: the list follows its label.
   ::SetWindowPos(control, ::GetDlgItem(wnd, IDC_TEAM_LAN_LOSS), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   ::SendMessageW(control, WM_SETFONT, ::SendMessageW(wnd, WM_GETFONT, 0, 0), TRUE);
   members_ = members;
}

void TeamLANsPage::Fill(HWND wnd, int select)
{
   HWND list = ::GetDlgItem(wnd, IDC_TEAM_LAN_LIST);
   ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
   const std::vector<cui::TeamNetData> &nets = editable_->GetNets();
   for (size_t i = 0; i < nets.size(); ++i) {
      int row = static_cast<int>(i);
      SetCell(list, row, 0, WideFromUtf8(nets[i].name));
      SetCell(list, row, 1, std::to_wstring(nets[i].bandwidth));
      SetCell(list, row, 2, std::to_wstring(nets[i].loss));
   }
   SelectRow(list, select);
   ShowSelected(wnd);
   if (members_) {
      members_->raw_Reload();
   }
}

bool TeamLANsPage::TakeValues(HWND)
{
   VARIANT_BOOL mayLeave = VARIANT_TRUE;
   return !members_ || FAILED(members_->raw_QueryLeave(&mayLeave)) || mayLeave != VARIANT_FALSE;
}

void TeamLANsPage::ShowSelected(HWND wnd)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_LAN_LIST));
   const std::vector<cui::TeamNetData> &nets = editable_->GetNets();
   bool any = row >= 0 && static_cast<size_t>(row) < nets.size();
   if (any) {
      ::SetDlgItemTextW(wnd, IDC_TEAM_LAN_NAME, WideFromUtf8(nets[row].name).c_str());
      ::SetDlgItemTextW(wnd, IDC_TEAM_LAN_BANDWIDTH, std::to_wstring(nets[row].bandwidth).c_str());
      ::SetDlgItemTextW(wnd, IDC_TEAM_LAN_LOSS, std::to_wstring(nets[row].loss).c_str());
   }
   ::EnableWindow(::GetDlgItem(wnd, IDC_TEAM_LAN_REMOVE), any);
   ::EnableWindow(::GetDlgItem(wnd, IDC_TEAM_LAN_CHANGE), any);
}

void TeamLANsPage::OnCommand(HWND wnd, WORD id, WORD code)
{
   if (code != BN_CLICKED) {
      return;
   }
   switch (id) {
   case IDC_TEAM_LAN_ADD:
      AddLAN(wnd);
      break;
   case IDC_TEAM_LAN_REMOVE:
      RemoveLAN(wnd);
      break;
   case IDC_TEAM_LAN_CHANGE:
      ChangeLAN(wnd);
      break;
   default:
      break;
   }
}

void TeamLANsPage::OnNotify(HWND wnd, const NMHDR *header)
{
   if (header->code == PSN_SETACTIVE && members_) {
      // Members may have come or gone on the other pages.
      members_->raw_Reload();
      return;
   }
   if (header->idFrom == IDC_TEAM_LAN_LIST && header->code == LVN_ITEMCHANGED) {
      const auto *change = reinterpret_cast<const NMLISTVIEW *>(header);
      if ((change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED)) {
         ShowSelected(wnd);
      }
   }
}

bool TeamLANsPage::ReadTyped(HWND wnd, int except, LANInput &input)
{
   input.name = ItemText(wnd, IDC_TEAM_LAN_NAME);
   input.bandwidth = ItemText(wnd, IDC_TEAM_LAN_BANDWIDTH);
   input.loss = ItemText(wnd, IDC_TEAM_LAN_LOSS);
   std::vector<std::wstring> taken;
   const std::vector<cui::TeamNetData> &nets = editable_->GetNets();
   for (size_t i = 0; i < nets.size(); ++i) {
      if (static_cast<int>(i) != except) {
         taken.push_back(WideFromUtf8(nets[i].name));
      }
   }
   UINT reason = 0;
   LANField refused = CheckLANValues(input, taken, reason);
   if (refused == LANField::None) {
      return true;
   }
   int control = refused == LANField::Name ? IDC_TEAM_LAN_NAME
                 : refused == LANField::Bandwidth ? IDC_TEAM_LAN_BANDWIDTH : IDC_TEAM_LAN_LOSS;
   ShowError(wnd, LoadText(reason), control);
   return false;
}

void TeamLANsPage::AddLAN(HWND wnd)
{
   LANInput input;
   if (!ReadTyped(wnd, -1, input)) {
      return;
   }
   try {
      editable_->AddNet(Utf8FromWide(input.name), input.bandwidthValue, input.lossValue);
      ShowError(wnd, L"");
      Fill(wnd, static_cast<int>(editable_->GetNets().size()) - 1);
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_LAN_NAME);
   }
}

void TeamLANsPage::RemoveLAN(HWND wnd)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_LAN_LIST));
   const std::vector<cui::TeamNetData> &nets = editable_->GetNets();
   if (row < 0 || static_cast<size_t>(row) >= nets.size()) {
      ShowError(wnd, LoadText(IDS_TEAM_NO_SELECTION), IDC_TEAM_LAN_LIST);
      return;
   }
   try {
      editable_->RemoveNet(std::string(nets[row].name));
      ShowError(wnd, L"");
      Fill(wnd, row);
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_LAN_LIST);
   }
}

void TeamLANsPage::ChangeLAN(HWND wnd)
{
   int row = SelectedRow(::GetDlgItem(wnd, IDC_TEAM_LAN_LIST));
   if (row < 0 || static_cast<size_t>(row) >= editable_->GetNets().size()) {
      ShowError(wnd, LoadText(IDS_TEAM_NO_SELECTION), IDC_TEAM_LAN_LIST);
      return;
   }
   LANInput input;
   if (!ReadTyped(wnd, row, input)) {
      return;
   }
   try {
      // The LAN keeps its id, so its machines stay on it.
      editable_->ChangeNet(static_cast<size_t>(row), Utf8FromWide(input.name), input.bandwidthValue, input.lossValue);
      ShowError(wnd, L"");
      Fill(wnd, row);
   } catch (const cui::Error &e) {
      ShowError(wnd, WideFromUtf8(e.what()), IDC_TEAM_LAN_NAME);
   }
}

}  // namespace tremappcfg
