#include "zoltTeamTopology.h"

#include "zoltGuard.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"
#include "resource.h"

#include "cui/Error.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <numeric>

namespace teamtopology {

const UINT kRowIcons[9] = {IDI_TEAM_NORMAL_ON, IDI_TEAM_NORMAL_SUSPENDED, IDI_TEAM_NORMAL_OFF,
                           IDI_TEAM_LEGACY_ON, IDI_TEAM_LEGACY_SUSPENDED, IDI_TEAM_LEGACY_OFF,
                           IDI_TEAM_CLONE_ON,  IDI_TEAM_CLONE_SUSPENDED,  IDI_TEAM_CLONE_OFF};

int RowImage(bool legacy, bool clone, int powerState)
{
   int kind = legacy ? 1 : clone ? 2 : 0;
   int power = powerState == cui::VM::POWERED_ON ? 0 : powerState == cui::VM::SUSPENDED ? 1 : 2;
   return kind * 3 + power;
}

std::vector<size_t> StartupOrder(const std::vector<int> &orders)
{
   std::vector<size_t> rows(orders.size());
   std::iota(rows.begin(), rows.end(), size_t(0));
   std::stable_sort(rows.begin(), rows.end(), [&orders](size_t a, size_t b) { return orders[a] < orders[b]; });
   return rows;
}

std::vector<bool> LanChecks(const std::vector<cui::vmdevice::NIC> &nics, const std::vector<std::string> &lanIds)
{
   std::vector<bool> checks(lanIds.size(), false);
   for (size_t lan = 0; lan < lanIds.size(); ++lan) {
      for (const cui::vmdevice::NIC &nic : nics) {
         if (nic.GetHostIF() == cui::vmdevice::NIC::HOSTIF_PVN && !lanIds[lan].empty() && nic.GetPVN() == lanIds[lan]) {
            checks[lan] = true;
         }
      }
   }
   return checks;
}

std::vector<int32_t> ColumnWidths(const std::vector<int32_t> &saved, size_t count, int averageCharWidth)
{
   std::vector<int32_t> widths(count);
   for (size_t i = 0; i < count; ++i) {
      widths[i] = i < saved.size() ? saved[i] : averageCharWidth * (i < 2 ? 26 : 10);
   }
   return widths;
}

std::string BaseName(const std::string &path)
{
   size_t slash = path.find_last_of("\\/");
   return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<Row> RowsOf(const cui::Team &team)
{
   std::vector<Row> rows;
   std::vector<int> orders;
   const std::vector<cui::VM *> &vms = team.GetVMs();
   for (size_t i = 0; i < vms.size(); ++i) {
      rows.push_back(Row{static_cast<int>(i), -1});
      orders.push_back(team.GetVMStartupOrder(vms[i]));
   }
   const std::vector<cui::TeamMember> &members = team.GetMembers();
   for (size_t i = 0; i < members.size(); ++i) {
      if (!members[i].vm) {
         rows.push_back(Row{-1, static_cast<int>(i)});
         orders.push_back(members[i].startupOrder);
      }
   }
   std::vector<Row> sorted;
   for (size_t index : StartupOrder(orders)) {
      sorted.push_back(rows[index]);
   }
   return sorted;
}

LONG_PTR ItemDataOf(const Row &row)
{
   return row.vmIndex >= 0 ? row.vmIndex : -1 - static_cast<LONG_PTR>(row.memberIndex);
}

Row RowOfItemData(LONG_PTR data)
{
   return data >= 0 ? Row{static_cast<int>(data), -1} : Row{-1, static_cast<int>(-1 - data)};
}

}  // namespace teamtopology

using namespace teamtopology;

namespace {

int AverageCharWidth()
{
   HDC dc = ::GetDC(nullptr);
   HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
   TEXTMETRICW metrics = {};
   ::GetTextMetricsW(dc, &metrics);
   ::SelectObject(dc, old);
   ::ReleaseDC(nullptr, dc);
   return metrics.tmAveCharWidth > 0 ? metrics.tmAveCharWidth : 6;
}

_bstr_t Bstr(const std::string &text)
{
   return _bstr_t(BstrFromUtf8(text), false);
}

}  // namespace

CZOLTTeamTopology::~CZOLTTeamTopology()
{
   DisconnectTeam();
   DisconnectItems();
   list_ = nullptr;
   if (images_) {
      ImageList_Destroy(images_);
   }
}

bool CZOLTTeamTopology::Create(HWND parent, UINT id, HIMAGELIST images, const RECT &rect)
{
   HRESULT hr = list_.CreateInstance(__uuidof(CheckedListCtl), nullptr, CLSCTX_ALL);
   if (FAILED(hr) || !list_) {
      list_ = nullptr;
      ReportComCreateFailure("CheckedListViewWnd", hr);
      return false;
   }
   if (!images) {
      if (!images_) {
         images_ = CreateIconImageList(GetResourceInstance(), kRowIcons, kRowIconCount);
      }
      images = images_;
   }
   parent_ = parent;
   id_ = id;
   hr = list_->CreateWnd(parent, &rect, id, images);
   if (FAILED(hr)) {
      list_ = nullptr;
      ReportComCreateFailure("CheckedListViewWnd", hr);
      return false;
   }
   // Membership is changed in the team's settings, never by a click in the view.
   list_->put_ToggleColumn(-1);
   return true;
}

HWND CZOLTTeamTopology::GetWindow() const
{
   HWND window = nullptr;
   if (list_) {
      list_->get_Window(&window);
   }
   return window;
}

void CZOLTTeamTopology::DisconnectTeam()
{
   for (sigc::connection &connection : teamConnections_) {
      connection.disconnect();
   }
}

void CZOLTTeamTopology::DisconnectItems()
{
   for (sigc::connection &connection : itemConnections_) {
      connection.disconnect();
   }
   itemConnections_.clear();
}

void CZOLTTeamTopology::SetTeam(cui::Team *team)
{
   if (team == team_) {
      return;
   }
   DisconnectTeam();
   DisconnectItems();
   team_ = team;
   currentVM_ = team ? team->GetCurrentVM() : nullptr;
   if (team) {
      teamConnections_[0] = team->membersChanged.connect(sigc::mem_fun(*this, &CZOLTTeamTopology::OnTeamReload));
      teamConnections_[1] = team->netsChanged.connect(sigc::mem_fun(*this, &CZOLTTeamTopology::OnTeamReload));
      teamConnections_[2] =
         team->currentVMChanged.connect(sigc::mem_fun(*this, &CZOLTTeamTopology::OnCurrentVMChange));
      teamConnections_[3] = team->goingAway.connect(sigc::mem_fun(*this, &CZOLTTeamTopology::OnTeamGoingAway));
   }
   Load();
}

void CZOLTTeamTopology::OnTeamReload()
{
   if (reload_) {
      Load();
   }
}

void CZOLTTeamTopology::OnCurrentVMChange()
{
   // A change made by selecting a row comes back here: the reload selects that same row, whose
   // notification then finds the team's current machine already set, and it ends.
   currentVM_ = team_ ? team_->GetCurrentVM() : nullptr;
   Load();
}

void CZOLTTeamTopology::OnTeamGoingAway()
{
   // The object goes from a later poll step: nothing of it is read after this.
   SetTeam(nullptr);
}

void CZOLTTeamTopology::Load()
{
   if (!reload_) {
      return;
   }
   reload_ = false;
   Guard([this]() {
      try {
         DoLoad();
      } catch (const cui::Error &error) {
         Warning("CZOLTTeamTopology::Load failed: %s\n", error.what());
      }
   });
   reload_ = true;
}

void CZOLTTeamTopology::DoLoad()
{
   if (!list_) {
      return;
   }
   HWND window = GetWindow();
   long columns = 0;
   list_->get_ColumnCount(&columns);
   if (columns > 0) {
      std::vector<int32_t> widths;
      for (long column = 0; column < columns; ++column) {
         long width = 0;
         list_->GetColumnWidth(column, &width);
         widths.push_back(width);
      }
      widths_ = widths;
   }
   DisconnectItems();
   ::SendMessageW(window, WM_SETREDRAW, FALSE, 0);
   std::vector<std::string> titles;
   if (team_) {
      titles = {LoadResString(IDS_TEAM_COLUMN_VM), LoadResString(IDS_TEAM_COLUMN_GUEST)};
      for (cui::TeamNet *net : team_->GetNets()) {
         titles.push_back(net->GetName());
         itemConnections_.push_back(net->changed.connect(sigc::mem_fun(*this, &CZOLTTeamTopology::LoadNetColumns)));
      }
   }
   // The same columns stay, so their header is not drawn again; the rows are made anew.
   if (titles != columnTitles_ || columns != static_cast<long>(titles.size())) {
      list_->ClearColumns();
      std::vector<int32_t> widths = ColumnWidths(widths_, titles.size(), AverageCharWidth());
      for (size_t i = 0; i < titles.size(); ++i) {
         list_->AddColumn(Bstr(titles[i]), widths[i], nullptr);
      }
      columnTitles_ = titles;
   }
   lanColumns_ = titles.size() < 2 ? 0 : titles.size() - 2;
   if (team_) {
      for (cui::VM *vm : team_->GetVMs()) {
         auto rows = sigc::mem_fun(*this, &CZOLTTeamTopology::LoadRows);
         itemConnections_.push_back(vm->nameChanged.connect(rows));
         itemConnections_.push_back(vm->powerStateChanged.connect(rows));
         itemConnections_.push_back(vm->configChanged.connect(rows));
         itemConnections_.push_back(vm->notesChanged.connect(rows));
      }
      FillRows();
   } else {
      list_->ClearRows();
   }
   ::SendMessageW(window, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(window, nullptr, TRUE);
}

void CZOLTTeamTopology::FillRows()
{
   // The rows there are refilled in place and only the difference is inserted or removed:
   // removing every row of a list view costs far more than the rest of a reload.
   std::vector<Row> rows = RowsOf(*team_);
   long existing = 0;
   list_->get_RowCount(&existing);
   for (size_t index = 0; index < rows.size(); ++index) {
      LoadVMRow(rows[index], static_cast<long>(index), static_cast<long>(index) < existing);
   }
   for (long row = existing - 1; row >= static_cast<long>(rows.size()); --row) {
      list_->DeleteRow(row);
   }
   SelectCurrentVM();
}

long CZOLTTeamTopology::PlaceRow(long index, bool replace, const std::string &text, int image, const Row &row)
{
   long placed = index;
   if (replace) {
      list_->SetRow(index, Bstr(text), image, ItemDataOf(row));
   } else {
      list_->InsertRow(index, Bstr(text), image, ItemDataOf(row), &placed);
   }
   return placed;
}

void CZOLTTeamTopology::LoadVMRow(const Row &row, long index, bool replace)
{
   const std::vector<cui::VM *> &vms = team_->GetVMs();
   const std::vector<cui::TeamMember> &members = team_->GetMembers();
   if (row.vmIndex < 0) {
      if (row.memberIndex < 0 || static_cast<size_t>(row.memberIndex) >= members.size()) {
         return;
      }
      // A member whose file is not open: its file's name, no adapters to show.
      const cui::TeamMember &member = members[row.memberIndex];
      long added = PlaceRow(index, replace, BaseName(member.cfgPath), RowImage(false, false, cui::VM::POWERED_OFF), row);
      list_->SetCellText(added, 1, Bstr(LoadResString(IDS_TEAM_MEMBER_MISSING)));
      return;
   }
   if (static_cast<size_t>(row.vmIndex) >= vms.size()) {
      return;
   }
   cui::VM *vm = vms[row.vmIndex];
   long added = PlaceRow(index, replace, vm->GetName(), RowImage(vm->IsLegacy(), vm->IsClone(), vm->GetPowerState()), row);
   list_->SetCellText(added, 1, Bstr(vm->GetGuestOSName()));
   std::vector<std::string> ids;
   for (cui::TeamNet *net : team_->GetNets()) {
      ids.push_back(net->GetNetworkID());
   }
   std::vector<bool> checks = LanChecks(vm->GetNICs(), ids);
   for (size_t lan = 0; lan < checks.size() && lan < lanColumns_; ++lan) {
      list_->SetCellCheck(added, static_cast<long>(lan + 2), checks[lan] ? VARIANT_TRUE : VARIANT_FALSE);
   }
}

void CZOLTTeamTopology::LoadRows()
{
   if (!list_ || !team_ || !reload_) {
      return;
   }
   reload_ = false;
   Guard([this]() {
      try {
         ::SendMessageW(GetWindow(), WM_SETREDRAW, FALSE, 0);
         FillRows();
      } catch (const cui::Error &error) {
         Warning("CZOLTTeamTopology::Load failed: %s\n", error.what());
      }
      ::SendMessageW(GetWindow(), WM_SETREDRAW, TRUE, 0);
      ::InvalidateRect(GetWindow(), nullptr, TRUE);
   });
   reload_ = true;
}

void CZOLTTeamTopology::LoadNetColumns()
{
   if (!list_ || !team_) {
      return;
   }
   const std::vector<cui::TeamNet *> &nets = team_->GetNets();
   for (size_t lan = 0; lan < nets.size() && lan < lanColumns_; ++lan) {
      list_->SetColumnTitle(static_cast<long>(lan + 2), Bstr(nets[lan]->GetName()));
      if (lan + 2 < columnTitles_.size()) {
         columnTitles_[lan + 2] = nets[lan]->GetName();
      }
   }
}

void CZOLTTeamTopology::SelectCurrentVM()
{
   cui::VM *current = team_ ? team_->GetCurrentVM() : nullptr;
   currentVM_ = current;
   SelectVM(current ? current->GetVmPath() : std::string());
}

std::string CZOLTTeamTopology::GetVMPathAt(int row) const
{
   LONG_PTR data = 0;
   if (!list_ || !team_ || FAILED(list_->GetItemData(row, &data))) {
      return std::string();
   }
   Row at = RowOfItemData(data);
   const std::vector<cui::VM *> &vms = team_->GetVMs();
   return at.vmIndex >= 0 && static_cast<size_t>(at.vmIndex) < vms.size() ? vms[at.vmIndex]->GetVmPath()
                                                                          : std::string();
}

std::string CZOLTTeamTopology::GetSelectedVMPath() const
{
   long row = -1;
   if (!list_ || FAILED(list_->get_Selection(&row)) || row < 0) {
      return std::string();
   }
   return GetVMPathAt(row);
}

void CZOLTTeamTopology::SelectVM(const std::string &vmPath)
{
   if (!list_) {
      return;
   }
   long rows = 0;
   list_->get_RowCount(&rows);
   for (long row = 0; row < rows && !vmPath.empty(); ++row) {
      if (GetVMPathAt(row) == vmPath) {
         list_->put_Selection(row);
         return;
      }
   }
}

std::string CZOLTTeamTopology::GetTipText(int row) const
{
   LONG_PTR data = 0;
   if (!list_ || !team_ || row < 0 || FAILED(list_->GetItemData(row, &data))) {
      return std::string();
   }
   Row at = RowOfItemData(data);
   const std::vector<cui::VM *> &vms = team_->GetVMs();
   const std::vector<cui::TeamMember> &members = team_->GetMembers();
   if (at.vmIndex >= 0 && static_cast<size_t>(at.vmIndex) < vms.size()) {
      return vms[at.vmIndex]->GetName() + "\n" + vms[at.vmIndex]->GetFilename();
   }
   if (at.memberIndex >= 0 && static_cast<size_t>(at.memberIndex) < members.size()) {
      const cui::TeamMember &member = members[at.memberIndex];
      return BaseName(member.cfgPath) + "\n" + member.cfgPath;
   }
   return std::string();
}
