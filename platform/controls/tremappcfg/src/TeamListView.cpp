#include "TeamListView.h"

#include <algorithm>
#include <new>

#include "CfgText.h"
#include "cui/GuestOS.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"
#include "cui/Registry.h"
#include "cui/VMMgr.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

// The list's own control id inside the frame.
const UINT kListId = 1;
const long kLANColumnWidth = 72;
const long kMinMachineColumnWidth = 120;

std::wstring FileNameOf(const std::string &path)
{
   size_t slash = path.find_last_of("\\/");
   return WideFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

cui::VM *OpenMember(const cui::TeamMember &member)
{
   wui::VMMgr *mgr = wui::GetVMMgr();
   cui::VM *vm = mgr ? mgr->GetVMByCfgPath(member.cfgPath) : nullptr;
   return vm && vm->IsRegistered() ? vm : nullptr;
}

}  // namespace

LRESULT CTeamListViewWnd::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   if (HWND list = owner_.ListWindow()) {
      ::MoveWindow(list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
   }
   return 0;
}

LRESULT CTeamListViewWnd::OnSetFont(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
{
   font = reinterpret_cast<HFONT>(wParam);
   if (HWND list = owner_.ListWindow()) {
      ::SendMessageW(list, WM_SETFONT, wParam, lParam);
   }
   return 0;
}

LRESULT CTeamListViewWnd::OnGetFont(UINT, WPARAM, LPARAM, BOOL &)
{
   return reinterpret_cast<LRESULT>(font);
}

LRESULT CTeamListViewWnd::OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   if (HWND list = owner_.ListWindow()) {
      ::EnableWindow(list, wParam != FALSE);
      ::InvalidateRect(list, nullptr, FALSE);
   }
   return 0;
}

LRESULT CTeamListViewWnd::OnSetFocus(UINT, WPARAM, LPARAM, BOOL &)
{
   if (HWND list = owner_.ListWindow()) {
      ::SetFocus(list);
   }
   return 0;
}

LRESULT CTeamListViewWnd::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   const auto *header = reinterpret_cast<const NMHDR *>(lParam);
   if (!header || header->idFrom != kListId || header->code != CLN_TOGGLECHECK) {
      bHandled = FALSE;
      return 0;
   }
   const auto *toggle = reinterpret_cast<const NMLISTVIEW *>(lParam);
   return owner_.RefuseToggle(toggle->iItem, toggle->iSubItem, toggle->uNewState != 0) ? 1 : 0;
}

HRESULT TeamListViewObject::Create(REFIID iid, void **ppv)
{
   TeamListViewObject *object = new (std::nothrow) TeamListViewObject;
   if (!object) {
      return E_OUTOFMEMORY;
   }
   object->AddRef();
   HRESULT hr = object->QueryInterface(iid, ppv);
   object->Release();
   return hr;
}

TeamListViewObject::~TeamListViewObject()
{
   list_ = nullptr;
   if (wnd_.IsWindow()) {
      wnd_.DestroyWindow();
   }
}

HWND TeamListViewObject::ListWindow() const
{
   HWND window = nullptr;
   if (list_) {
      list_->get_Window(&window);
   }
   return window;
}

HRESULT __stdcall TeamListViewObject::raw_CreateWnd(HWND parent, const RECT *rect)
{
   if (!parent || !rect) {
      return E_POINTER;
   }
   if (wnd_.IsWindow()) {
      return E_UNEXPECTED;
   }
   RECT place = *rect;
   if (!wnd_.Create(parent, place, "TeamListViewWnd", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT)) {
      return HRESULT_FROM_WIN32(::GetLastError());
   }
   HRESULT hr = list_.CreateInstance(__uuidof(CheckedListCtl), nullptr, CLSCTX_ALL);
   if (SUCCEEDED(hr)) {
      RECT inside = {0, 0, place.right - place.left, place.bottom - place.top};
      hr = list_->CreateWnd(wnd_.m_hWnd, &inside, kListId, nullptr);
   }
   if (FAILED(hr)) {
      Warning("TeamListView: the list cannot be made (0x%08lx)\n", static_cast<unsigned long>(hr));
      list_ = nullptr;
      wnd_.DestroyWindow();
      return hr;
   }
   return S_OK;
}

HRESULT __stdcall TeamListViewObject::raw_GetWindow(HWND *window)
{
   if (!window) {
      return E_POINTER;
   }
   *window = wnd_.m_hWnd;
   return S_OK;
}

HRESULT __stdcall TeamListViewObject::raw_PutId(UINT id)
{
   if (!wnd_.IsWindow()) {
      return E_UNEXPECTED;
   }
   wnd_.SetWindowLongPtr(GWLP_ID, static_cast<LONG_PTR>(id));
   return S_OK;
}

HRESULT __stdcall TeamListViewObject::raw_PutImages(HIMAGELIST images)
{
   if (!list_) {
      return E_UNEXPECTED;
   }
   // The list keeps a copy of its own.
   return list_->put_Images(images);
}

HRESULT __stdcall TeamListViewObject::raw_PutTeamEditable(cui::TeamEditable *editable)
{
   editable_ = editable;
   return S_OK;
}

HRESULT __stdcall TeamListViewObject::raw_Reload()
{
   if (!list_) {
      return E_UNEXPECTED;
   }
   HWND list = ListWindow();
   ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
   list_->Clear();
   std::vector<cui::TeamMember> members = editable_ ? editable_->GetMembers() : std::vector<cui::TeamMember>();
   std::vector<cui::TeamNetData> nets = editable_ ? editable_->GetNets() : std::vector<cui::TeamNetData>();
   RECT client = {};
   ::GetClientRect(list, &client);
   long room = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL) - 2;
   long lanWidth = kLANColumnWidth * static_cast<long>(nets.size());
   list_->AddColumn(_bstr_t(LoadText(IDS_TEAM_COL_MACHINE).c_str()),
                    std::max(kMinMachineColumnWidth, room - lanWidth), nullptr);
   for (const cui::TeamNetData &net : nets) {
      list_->AddColumn(_bstr_t(WideFromUtf8(net.name).c_str()), kLANColumnWidth, nullptr);
   }
   list_->put_ToggleColumn(nets.empty() ? -1 : 1);
   for (size_t i = 0; i < members.size(); ++i) {
      cui::VM *vm = OpenMember(members[i]);
      std::wstring name = vm ? WideFromUtf8(vm->GetName())
                             : FileNameOf(members[i].cfgPath) + L" " + LoadText(IDS_TEAM_NOT_OPEN);
      long image = vm ? static_cast<long>(cui::GuestOSIndex(vm->GetGuestOS())) : -1;
      long row = -1;
      list_->InsertRow(static_cast<long>(i), _bstr_t(name.c_str()), image, static_cast<LONG_PTR>(i), &row);
      // A machine that is not open, or has no network adapter, has nothing to put on a LAN.
      const bool adapters = vm && !vm->GetNICs().empty();
      for (size_t n = 0; adapters && n < nets.size(); ++n) {
         bool on = editable_->IsVMOnNet(members[i].cfgPath, nets[n].id);
         list_->SetCellCheck(row, static_cast<long>(n + 1), on ? VARIANT_TRUE : VARIANT_FALSE);
      }
   }
   ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
   return S_OK;
}

HRESULT __stdcall TeamListViewObject::raw_PutSelection(long row)
{
   if (!list_) {
      return E_UNEXPECTED;
   }
   long count = 0;
   list_->get_RowCount(&count);
   return list_->put_Selection(row < count ? row : count - 1);
}

bool TeamListViewObject::RefuseToggle(long row, long column, bool checked)
{
   if (!editable_ || !list_) {
      return true;
   }
   LONG_PTR data = -1;
   list_->GetItemData(row, &data);
   const std::vector<cui::TeamMember> &members = editable_->GetMembers();
   const std::vector<cui::TeamNetData> &nets = editable_->GetNets();
   if (data < 0 || static_cast<size_t>(data) >= members.size() || column < 1 ||
       static_cast<size_t>(column) > nets.size()) {
      return true;
   }
   try {
      editable_->ConnectVMToNet(members[data].cfgPath, nets[column - 1].id, checked);
      Log("TeamListView: %s %s %s\n", members[data].cfgPath.c_str(), checked ? "joins" : "leaves",
          nets[column - 1].name.c_str());
      return false;
   } catch (const cui::Error &e) {
      ShowRefusal(e.what());
      return true;
   }
}

HRESULT __stdcall TeamListViewObject::raw_QueryLeave(VARIANT_BOOL *mayLeave)
{
   if (!mayLeave) {
      return E_POINTER;
   }
   std::string problem = editable_ ? editable_->CheckNICChanges() : std::string();
   if (!problem.empty()) {
      ShowRefusal(problem);
   }
   *mayLeave = problem.empty() ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

void TeamListViewObject::ShowRefusal(const std::string &text)
{
   Log("TeamListView: %s\n", text.c_str());
   HWND owner = wnd_.IsWindow() ? ::GetAncestor(wnd_.m_hWnd, GA_ROOT) : nullptr;
   ::MessageBoxW(owner, WideFromUtf8(text).c_str(), LoadText(IDS_TEAM_LIST_TITLE).c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace tremappcfg
