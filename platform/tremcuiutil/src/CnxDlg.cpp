#include "cui/CnxDlg.h"

#include <commctrl.h>

#include "DlgTemplate.h"
#include "WindowText.h"
#include "atl/Atl.h"
#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "tremorybase/Log.h"

namespace wui {
namespace dialog {

namespace {

const char kTitle[] = "@&!*@*@(msg.dialog.cnx.title)Connected Users - %s";
const char kIntro[] = "@&!*@*@(msg.dialog.cnx.intro)Users connected to this virtual machine:";
const char kUserColumn[] = "@&!*@*@(msg.dialog.cnx.user)User";
const char kFromColumn[] = "@&!*@*@(msg.dialog.cnx.from)Connected From";
const char kSinceColumn[] = "@&!*@*@(msg.dialog.cnx.since)Connected Since";
const char kClose[] = "@&!*@*@(msg.dialog.button.close)Close";

CnxDlg *gInstance = nullptr;

std::wstring W(const char *literal)
{
   return WideFromUtf8(cui::GetLocalString(literal));
}

std::wstring CellText(HWND list, int row, int column)
{
   wchar_t text[256] = L"";
   LVITEMW item = {};
   item.iSubItem = column;
   item.pszText = text;
   item.cchTextMax = 256;
   ::SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
   return text;
}

}  // namespace

std::string ConnectionTimeText(time_t since)
{
   return wui::util::GetLocalTimeText(since);
}

// The window of the list: laid out in code (the library has no resource module).
class CCnxDlgWindow : public CDialogImplBaseT<> {
public:
   explicit CCnxDlgWindow(CnxDlg *owner) : owner_(owner) {}

   BEGIN_MSG_MAP(CCnxDlgWindow)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      COMMAND_ID_HANDLER(IDOK, OnClose)       // Enter
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)   // Close, Escape, the close box
   END_MSG_MAP()

   bool Create(HWND owner);
   void Detach() { owner_ = nullptr; }
   void SetTitle(const std::string &title) { ::SetWindowTextW(m_hWnd, WideFromUtf8(title).c_str()); }
   void SetRows(const std::vector<cui::VM::Connection> &connections);

   void OnFinalMessage(HWND) override;

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(WORD, WORD, HWND, BOOL &);

   void AddColumn(int index, const char *literal, int width);

   CnxDlg *owner_;
};

bool CCnxDlgWindow::Create(HWND owner)
{
   INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
   InitCommonControlsEx(&controls);
   using cuiutil::DlgTemplate;
   DlgTemplate t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK, 300, 170, L"");
   t.AddItem(DlgTemplate::kStatic, CnxDlg::kIntro, W(kIntro), SS_LEFT | WS_VISIBLE, 7, 7, 286, 10);
   t.AddItem(WC_LISTVIEWW, CnxDlg::kList, L"",
             LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP | WS_VISIBLE |
                WS_GROUP,
             7, 19, 286, 124);
   t.AddItem(DlgTemplate::kButton, IDCANCEL, W(kClose), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE | WS_GROUP, 243, 149,
             50, 14);

   atl::detail::PushCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   HWND hwnd = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), t.Get(), owner, GetDialogProc(), 0);
   atl::detail::DiscardCreating(atl::detail::kCreateDialog, static_cast<CDialogImplBaseT<> *>(this));
   if (!hwnd) {
      Warning("wui::dialog::CnxDlg: the window could not be made (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   return true;
}

LRESULT CCnxDlgWindow::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   HWND list = GetDlgItem(CnxDlg::kList);
   ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
   RECT client = {};
   ::GetClientRect(list, &client);
   int width = client.right - client.left - ::GetSystemMetrics(SM_CXVSCROLL);
   AddColumn(CnxDlg::kColumnUser, kUserColumn, width * 3 / 10);
   AddColumn(CnxDlg::kColumnFrom, kFromColumn, width * 3 / 10);
   AddColumn(CnxDlg::kColumnSince, kSinceColumn, width - 2 * (width * 3 / 10));
   cuiutil::CenterOnOwner(m_hWnd, ::GetWindow(m_hWnd, GW_OWNER));
   return TRUE;
}

void CCnxDlgWindow::AddColumn(int index, const char *literal, int width)
{
   std::wstring text = W(literal);
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
   column.pszText = &text[0];
   column.cx = width;
   column.iSubItem = index;
   ::SendMessageW(GetDlgItem(CnxDlg::kList), LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void CCnxDlgWindow::SetRows(const std::vector<cui::VM::Connection> &connections)
{
   HWND list = GetDlgItem(CnxDlg::kList);
   // The selected session stays selected when it is still connected.
   int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
   std::wstring selectedUser = selected >= 0 ? CellText(list, selected, CnxDlg::kColumnUser) : std::wstring();
   std::wstring selectedFrom = selected >= 0 ? CellText(list, selected, CnxDlg::kColumnFrom) : std::wstring();
   ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
   ListView_DeleteAllItems(list);
   int row = 0;
   for (const cui::VM::Connection &connection : connections) {
      std::wstring cells[3] = {WideFromUtf8(connection.user), WideFromUtf8(connection.from),
                               WideFromUtf8(ConnectionTimeText(connection.since))};
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.pszText = &cells[0][0];
      row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      if (row < 0) {
         break;
      }
      for (int column = 1; column < 3; ++column) {
         item.iItem = row;
         item.iSubItem = column;
         item.pszText = &cells[column][0];
         ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
      }
      if (selected >= 0 && cells[0] == selectedUser && cells[1] == selectedFrom) {
         ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
         selected = -1;
      }
      ++row;
   }
   ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(list, nullptr, TRUE);
}

LRESULT CCnxDlgWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->UnRegister(m_hWnd);
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CCnxDlgWindow::OnClose(WORD, WORD, HWND, BOOL &)
{
   // Not CWindow::DestroyWindow: it writes m_hWnd after the window's end may have deleted us.
   ::DestroyWindow(m_hWnd);
   return 0;
}

void CCnxDlgWindow::OnFinalMessage(HWND)
{
   if (CnxDlg *owner = owner_) {
      owner_ = nullptr;
      owner->OnWindowGone();
   }
}


// ---- CnxDlg ----

void CnxDlg::ShowDialog(cui::VM *vm)
{
   if (!vm || !vm->IsRegistered()) {
      return;
   }
   CnxDlg *dlg = gInstance;
   if (!dlg) {
      dlg = new CnxDlg();
      if (!dlg->Create()) {
         delete dlg;
         return;
      }
   }
   dlg->Follow(vm);
   HWND hwnd = dlg->GetWindow();
   ::ShowWindow(hwnd, SW_SHOW);
   ::SetForegroundWindow(hwnd);
}

void CnxDlg::UpdateDialog(cui::VM *vm)
{
   if (gInstance && vm && vm->IsRegistered()) {
      gInstance->Follow(vm);
   }
}

CnxDlg *CnxDlg::Get()
{
   return gInstance;
}

CnxDlg::CnxDlg() : window_(new CCnxDlgWindow(this))
{
   gInstance = this;
}

CnxDlg::~CnxDlg()
{
   Follow(nullptr);
   if (gInstance == this) {
      gInstance = nullptr;
   }
   window_->Detach();
   if (window_->m_hWnd) {
      ::DestroyWindow(window_->m_hWnd);
   }
   delete window_;
}

bool CnxDlg::Create()
{
   wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
   HWND owner = dlgMgr ? dlgMgr->GetDefaultOwner() : nullptr;
   if (!window_->Create(owner && ::IsWindow(owner) ? owner : nullptr)) {
      return false;
   }
   if (dlgMgr) {
      dlgMgr->Register(window_->m_hWnd);
   }
   return true;
}

HWND CnxDlg::GetWindow() const
{
   return window_->m_hWnd;
}

void CnxDlg::Follow(cui::VM *vm)
{
   if (vm == vm_) {
      return;
   }
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   connections_.clear();
   if (vm_) {
      vm_->remove_destroy_notify_callback(this);
   }
   vm_ = vm;
   if (!vm_) {
      return;
   }
   connections_.push_back(vm_->connectionsChanged.connect(sigc::mem_fun(*this, &CnxDlg::ShowConnections)));
   connections_.push_back(vm_->nameChanged.connect(sigc::mem_fun(*this, &CnxDlg::ShowConnections)));
   connections_.push_back(vm_->removed.connect(sigc::mem_fun(*this, &CnxDlg::OnVMRemoved)));
   // A machine deleted without its `removed` (the manager going at exit) takes the window along.
   vm_->add_destroy_notify_callback(this, &CnxDlg::OnVMDestroyed);
   Log("wui::dialog::CnxDlg: showing the users of %s\n", vm_->GetVmPath().c_str());
   ShowConnections();
}

void CnxDlg::ShowConnections()
{
   if (!vm_ || !window_->m_hWnd) {
      return;
   }
   window_->SetTitle(cui::Format(kTitle, vm_->GetName().c_str()));
   window_->SetRows(vm_->GetConnections());
}

void CnxDlg::Close()
{
   if (window_->m_hWnd) {
      ::DestroyWindow(window_->m_hWnd);   // the window's end deletes this
      return;
   }
   delete this;
}

void CnxDlg::OnWindowGone()
{
   delete this;
}

void CnxDlg::OnVMRemoved()
{
   Log("wui::dialog::CnxDlg: %s was closed; its users' window closes\n", vm_ ? vm_->GetVmPath().c_str() : "");
   Close();
}

void *CnxDlg::OnVMDestroyed(void *self)
{
   CnxDlg *dlg = static_cast<CnxDlg *>(self);
   // The machine is going: nothing of it may be touched any more.
   dlg->connections_.clear();
   dlg->vm_ = nullptr;
   delete dlg;
   return nullptr;
}

}  // namespace dialog
}  // namespace wui
