#include "zoltOpenRemoteDlg.h"

#include "atl/FileDialog.h"
#include "zoltApp.h"
#include "zoltComObjects.h"
#include "zoltResources.h"

#include "cui/Cnx.h"
#include "cui/Host.h"
#include "cui/HostSettings.h"
#include "cui/Registry.h"
#include "tremappsdk/RemoteBrowseDlg.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commctrl.h>
#include <commdlg.h>

namespace {

const int kMargin = 10;

RECT Moved(const RECT &rc, int dx, int dy)
{
   return RECT{rc.left + dx, rc.top + dy, rc.right + dx, rc.bottom + dy};
}

RECT Stretched(const RECT &rc, int width)
{
   return RECT{kMargin, rc.top, width > 2 * kMargin ? width - kMargin : kMargin, rc.bottom};
}

void Place(HWND wnd, const RECT &rc)
{
   SetWindowPos(wnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

OpenRemoteLayout LayOutOpenRemote(const OpenRemoteLayout &current, SIZE client, SIZE newClient)
{
   const int dx = newClient.cx - client.cx;
   const int dy = newClient.cy - client.cy;
   OpenRemoteLayout next = current;
   next.text1 = Stretched(current.text1, newClient.cx);
   next.text2 = Stretched(current.text2, newClient.cx);
   next.list = Stretched(current.list, newClient.cx);
   next.list.bottom = current.list.bottom + dy;
   if (next.list.bottom < next.list.top) {
      next.list.bottom = next.list.top;
   }
   next.browse = Moved(current.browse, dx, dy);
   next.ok = Moved(current.ok, dx, dy);
   next.cancel = Moved(current.cancel, dx, dy);
   return next;
}

COpenRemoteDlg::COpenRemoteDlg(IVmdbContext *ctx, std::shared_ptr<cui::HostVMList> vmList)
   : ctx_(ctx), vmList_(vmList ? vmList : std::make_shared<cui::HostVMList>(std::vector<cui::HostVMList::Entry>()))
{
}

COpenRemoteDlg::~COpenRemoteDlg() = default;

LRESULT COpenRemoteDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   windowColor_ = GetSysColor(COLOR_WINDOW);
   windowBrush_.reset(CreateSolidBrush(windowColor_));

   cui::Host *host = wui::GetCurrentHost();
   browseAllowed_ = !host || host->CapRegisterVM();
   SetDlgItemTextW(m_hWnd, IDC_OPEN_REMOTE_TEXT1, WideFromUtf8(LoadResString(IDS_OPEN_REMOTE_SELECT)).c_str());
   SetDlgItemTextW(m_hWnd, IDC_OPEN_REMOTE_TEXT2,
                   WideFromUtf8(LoadResString(browseAllowed_ ? IDS_OPEN_REMOTE_BROWSE_HINT : IDS_OPEN_REMOTE_NO_BROWSE))
                      .c_str());

   list_ = GetDlgItem(IDC_OPEN_REMOTE_LIST);
   ListView_DeleteAllItems(list_);
   ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT);
   RECT header = {};
   ::GetClientRect(ListView_GetHeader(list_), &header);
   const int width = header.right - header.left;
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH;
   column.pszText = const_cast<LPWSTR>(L"VM name");
   column.cx = width * 3 / 10;
   ::SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
   column.pszText = const_cast<LPWSTR>(L"Configuration file");
   column.cx = width * 7 / 10;
   ::SendMessageW(list_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
   FillList();

   if (vmList_->GetCount() == 0) {
      ::ShowWindow(GetDlgItem(IDC_OPEN_REMOTE_EMPTY), SW_SHOW);
   }
   ListView_SetItemState(list_, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
   if (host && !host->CapRegisterVM()) {
      ::EnableWindow(GetDlgItem(IDC_OPEN_REMOTE_BROWSE), FALSE);
   }

   RECT client;
   GetClientRect(&client);
   client_ = SIZE{client.right, client.bottom};
   layout_ = OpenRemoteLayout{ChildRect(IDC_OPEN_REMOTE_TEXT1), ChildRect(IDC_OPEN_REMOTE_TEXT2),
                              ChildRect(IDC_OPEN_REMOTE_LIST),  ChildRect(IDC_OPEN_REMOTE_BROWSE),
                              ChildRect(IDOK),                  ChildRect(IDCANCEL)};
   LayOut();
   CenterWindow(GetParent());
   return TRUE;
}

void COpenRemoteDlg::FillList()
{
   int row = 0;
   for (size_t i = 0; i < vmList_->GetCount(); ++i) {
      const cui::HostVMList::Entry &entry = vmList_->GetItem(i);
      if (entry.cfgPath.empty()) {
         continue;
      }
      std::wstring name = WideFromUtf8(entry.displayName.empty() ? entry.cfgPath : entry.displayName);
      std::wstring path = WideFromUtf8(entry.cfgPath);
      LVITEMW item = {};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = row;
      item.pszText = const_cast<LPWSTR>(name.c_str());
      item.lParam = static_cast<LPARAM>(i);
      int inserted = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      if (inserted < 0) {
         continue;
      }
      LVITEMW sub = {};
      sub.iSubItem = 1;
      sub.pszText = const_cast<LPWSTR>(path.c_str());
      ::SendMessageW(list_, LVM_SETITEMTEXTW, inserted, reinterpret_cast<LPARAM>(&sub));
      ++row;
   }
}

RECT COpenRemoteDlg::ChildRect(int id) const
{
   RECT rc = {};
   HWND child = ::GetDlgItem(m_hWnd, id);
   ::GetWindowRect(child, &rc);
   ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&rc), 2);
   return rc;
}

void COpenRemoteDlg::LayOut()
{
   RECT client;
   GetClientRect(&client);
   SIZE size = {client.right, client.bottom};
   layout_ = LayOutOpenRemote(layout_, client_, size);
   client_ = size;
   Place(GetDlgItem(IDC_OPEN_REMOTE_TEXT1), layout_.text1);
   Place(GetDlgItem(IDC_OPEN_REMOTE_TEXT2), layout_.text2);
   Place(list_, layout_.list);
   Place(GetDlgItem(IDC_OPEN_REMOTE_BROWSE), layout_.browse);
   Place(GetDlgItem(IDOK), layout_.ok);
   Place(GetDlgItem(IDCANCEL), layout_.cancel);

   // The empty-list label lies over the list, below its header.
   RECT header = {};
   ::GetWindowRect(ListView_GetHeader(list_), &header);
   HWND label = GetDlgItem(IDC_OPEN_REMOTE_EMPTY);
   RECT labelRc = {};
   ::GetWindowRect(label, &labelRc);
   const int labelHeight = labelRc.bottom - labelRc.top;
   const int top = layout_.list.top + (header.bottom - header.top) + kMargin;
   Place(label, RECT{layout_.list.left + kMargin, top, layout_.list.right - kMargin, top + labelHeight});

   RECT listClient = {};
   ::GetClientRect(list_, &listClient);
   int first = ListView_GetColumnWidth(list_, 0);
   ListView_SetColumnWidth(list_, 1, listClient.right > first ? listClient.right - first : 0);
}

LRESULT COpenRemoteDlg::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   if (list_) {
      LayOut();
   }
   return 0;
}

LRESULT COpenRemoteDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   notify_callbacks();
   windowBrush_.reset();
   bHandled = FALSE;
   return 0;
}

LRESULT COpenRemoteDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   if (reinterpret_cast<HWND>(lParam) != GetDlgItem(IDC_OPEN_REMOTE_EMPTY) || !windowBrush_) {
      bHandled = FALSE;
      return 0;
   }
   SetBkColor(reinterpret_cast<HDC>(wParam), windowColor_);
   return reinterpret_cast<LRESULT>(windowBrush_.get());
}

LRESULT COpenRemoteDlg::OnListDblClk(int, LPNMHDR header, BOOL &)
{
   const NMITEMACTIVATE *activate = reinterpret_cast<const NMITEMACTIVATE *>(header);
   LVHITTESTINFO hit = {};
   hit.pt = activate->ptAction;
   int row = static_cast<int>(::SendMessageW(list_, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
   if (row < 0 || !(hit.flags & LVHT_ONITEM) || registering_) {
      return 0;
   }
   LVITEMW item = {};
   item.mask = LVIF_PARAM;
   item.iItem = row;
   if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
      return 0;
   }
   const cui::HostVMList::Entry &entry = vmList_->GetItem(static_cast<size_t>(item.lParam));
   result_ = Result{{entry.id, entry.cfgPath}};
   ended_ = true;
   EndDialog(IDOK);
   return 0;
}

LRESULT COpenRemoteDlg::OnOK(WORD, WORD, HWND, BOOL &)
{
   if (registering_) {
      return 0;
   }
   int row = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
   if (row < 0) {
      std::wstring caption = WideFromUtf8(gApp ? gApp->GetWindowTitle() : LoadAppTitle());
      ::MessageBoxW(m_hWnd, WideFromUtf8(LoadResString(IDS_OPEN_REMOTE_SELECT_ONE)).c_str(), caption.c_str(),
                    MB_OK | MB_ICONHAND);
      return 0;
   }
   result_.clear();
   for (; row >= 0; row = ListView_GetNextItem(list_, row, LVNI_SELECTED)) {
      LVITEMW item = {};
      item.mask = LVIF_PARAM;
      item.iItem = row;
      if (::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
         const cui::HostVMList::Entry &entry = vmList_->GetItem(static_cast<size_t>(item.lParam));
         result_.emplace_back(entry.id, entry.cfgPath);
      }
   }
   ended_ = true;
   EndDialog(IDOK);
   return 0;
}

LRESULT COpenRemoteDlg::OnCancel(WORD, WORD, HWND, BOOL &)
{
   result_.clear();
   ended_ = true;
   EndDialog(IDCANCEL);
   return 0;
}

std::string COpenRemoteDlg::AskFile()
{
   cui::Host *host = wui::GetCurrentHost();
   std::string start = cui::HostSettings(host).GetDefaultVmPath();
   if (start.empty() && host) {
      start = host->GetRoot();
   }
   const std::string title = LoadResString(IDS_OPEN_REMOTE_BROWSE_TITLE);

   if (!host || !host->GetCnx()) {
      std::wstring wideTitle = WideFromUtf8(title);
      std::wstring filter = LoadDialogFilter(IDS_OPEN_VMX_FILTER);
      std::wstring folder = WidePathFromUtf8(start);
      wchar_t file[MAX_PATH] = L"";
      OPENFILENAMEW ofn = {};
      ofn.lStructSize = sizeof ofn;
      ofn.hwndOwner = m_hWnd;
      ofn.lpstrFilter = filter.c_str();
      ofn.lpstrFile = file;
      ofn.nMaxFile = MAX_PATH;
      ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
      ofn.lpstrTitle = wideTitle.c_str();
      ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
      return atl::GetOpenFileName(&ofn) ? Utf8FromWide(file) : std::string();
   }

   IRemoteBrowseDlgPtr browser;
   if (!CreateComObject(__uuidof(RemoteBrowseDlg), "RemoteBrowseDlg", browser)) {
      return std::string();
   }
   browser->SetConnection(_bstr_t(host->GetCnx()->GetPath().c_str()));
   _bstr_t chosen = browser->Browse(m_hWnd, _bstr_t(host->GetPath().c_str()), host->GetOSType(),
                                    _bstr_t(title.c_str()), _bstr_t(LoadResString(IDS_OPEN_VMX_FILTER).c_str()),
                                    _bstr_t(start.c_str()));
   return chosen.length() ? Utf8FromWide(static_cast<const wchar_t *>(chosen)) : std::string();
}

LRESULT COpenRemoteDlg::OnBrowse(WORD, WORD, HWND, BOOL &)
{
   if (registering_ || !browseAllowed_) {
      return 0;
   }
   const std::string path = AskFile();
   if (path.empty() || ended_) {
      return 0;
   }
   cui::Host *host = wui::GetCurrentHost();
   if (host && !host->GetRegisteredVMPath(path).empty()) {
      Finish(path);
      return 0;
   }
   if (!gApp) {
      return 0;
   }
   // The host's answer is waited for with poll steps that also dispatch this dialog's messages:
   // Browse and OK stay off meanwhile, so one file is registered and returned once.
   SetRegistering(true);
   gApp->RegisterVM(_bstr_t(path.c_str()), cui::AbortSlot(),
                    sigc::bind(sigc::mem_fun(*this, &COpenRemoteDlg::OnRegistered), path));
   // The registration answers before RegisterVM returns; a failure was reported there.
   if (!ended_) {
      SetRegistering(false);
   }
   return 0;
}

void COpenRemoteDlg::OnRegistered(std::string path)
{
   // A Cancel during the registration stands: the file is registered, but not opened.
   if (ended_) {
      return;
   }
   Finish(path);
}

void COpenRemoteDlg::Finish(const std::string &path)
{
   Log("COpenRemoteDlg: %s chosen\n", path.c_str());
   result_ = Result{{std::string(), path}};
   ended_ = true;
   EndDialog(IDOK);
}

void COpenRemoteDlg::SetRegistering(bool registering)
{
   registering_ = registering;
   ::EnableWindow(GetDlgItem(IDC_OPEN_REMOTE_BROWSE), !registering && browseAllowed_);
   ::EnableWindow(GetDlgItem(IDOK), !registering);
}
