// The new-team wizard's machine and LAN lists: their columns and rows, the machine additions
// (new, existing, clone) with their pending count, and the removals.
#include "zoltTeamWizard.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"
#include "res/resource.h"

#include "atl/FileDialog.h"
#include "cui/GuestOS.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "res/teamwz.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

#include <algorithm>

namespace wui {
namespace wizard {

namespace {

const DWORD kFileFlags = OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
const char kMarlettDown = 0x36;

void AddColumns(HWND list, unsigned first, unsigned second, HIMAGELIST images)
{
   ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
   SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
   RECT box;
   GetClientRect(list, &box);
   const int width = (box.right - box.left - (3 * GetSystemMetrics(SM_CXVSCROLL)) / 2) / 2;
   const unsigned titles[] = {first, second};
   for (int i = 0; i < 2; ++i) {
      std::wstring text = WideFromUtf8(LoadResString(titles[i]));
      LVCOLUMNW column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.cx = width;
      column.pszText = const_cast<wchar_t *>(text.c_str());
      SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
   }
}

void AddRow(HWND list, int index, const std::string &first, const std::string &second, int image)
{
   std::wstring name = WideFromUtf8(first);
   std::wstring detail = WideFromUtf8(second);
   LVITEMW item = {};
   item.mask = LVIF_TEXT | LVIF_IMAGE;
   item.iImage = image;
   item.iItem = index;
   item.pszText = const_cast<wchar_t *>(name.c_str());
   const int row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
   item.mask = LVIF_TEXT;
   item.iItem = row;
   item.iSubItem = 1;
   item.pszText = const_cast<wchar_t *>(detail.c_str());
   SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

int SelectedRow(HWND window, int listId)
{
   return static_cast<int>(SendDlgItemMessageW(window, listId, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string HostPathOf(cui::Host *host)
{
   return host ? host->GetPath() : std::string();
}

}  // namespace

INT_PTR TeamWizard::RefuseWhilePending(HWND window, LPARAM lParam)
{
   const UINT code = reinterpret_cast<const NMHDR *>(lParam)->code;
   const bool change = code == PSN_WIZBACK || code == PSN_WIZNEXT || code == PSN_WIZFINISH || code == PSN_QUERYCANCEL;
   if (!change || pending_ == 0) {
      return 0;
   }
   // A machine is still being added: the sheet stays, so nothing the addition makes is lost.
   MessageBeep(MB_ICONHAND);
   const bool change_page = code == PSN_WIZBACK || code == PSN_WIZNEXT;
   SetWindowLongPtrA(window, DWLP_MSGRESULT, change_page ? -1 : TRUE);
   return 1;
}

INT_PTR TeamWizard::OnVMListMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
      case WM_INITDIALOG:
         vmListPage_ = window;
         AddColumns(GetDlgItem(window, IDC_TEAMWZ_VM_LIST), IDS_TEAM_COLUMN_VM, IDS_TEAM_COLUMN_GUEST, SharedIcons());
         addButton_.Attach(GetDlgItem(window, IDC_TEAMWZ_VM_ADD), kMarlettDown, CSymbolButton::ALIGN_RIGHT, -1,
                           "Marlett", 0);
         FillVMList(window);
         return 0;
      case WM_DESTROY:
         vmListPage_ = nullptr;
         return 0;
      case WM_COMMAND:
         if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_TEAMWZ_VM_ADD) {
            ShowAddMenu(window);
         } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_TEAMWZ_VM_REMOVE) {
            RemoveSelectedVM(window);
         }
         return 0;
      case WM_NOTIFY: {
         const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
         if (header->code == PSN_SETACTIVE) {
            FillVMList(window);
         } else if (header->code == LVN_ITEMCHANGED && header->idFrom == IDC_TEAMWZ_VM_LIST) {
            UpdateRemove(window, IDC_TEAMWZ_VM_LIST, IDC_TEAMWZ_VM_REMOVE);
         }
         return RefuseWhilePending(window, lParam);
      }
      default:
         return 0;
   }
}

void TeamWizard::FillVMList(HWND window)
{
   if (!window) {
      return;
   }
   HWND list = GetDlgItem(window, IDC_TEAMWZ_VM_LIST);
   SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (cui::TeamEditable *editable = GetTeamEditable()) {
      int row = 0;
      for (const cui::TeamMember &member : editable->GetMembers()) {
         cui::VM *vm = mgr ? mgr->GetVMByCfgPath(member.cfgPath) : nullptr;
         AddRow(list, row++, vm ? vm->GetName() : member.cfgPath, vm ? vm->GetGuestOSName() : std::string(),
                vm ? static_cast<int>(cui::GuestOSIndex(vm->GetGuestOS())) : -1);
      }
   }
   UpdateRemove(window, IDC_TEAMWZ_VM_LIST, IDC_TEAMWZ_VM_REMOVE);
}

void TeamWizard::UpdateRemove(HWND window, int listId, int removeId)
{
   HWND remove = GetDlgItem(window, removeId);
   const bool selected = SelectedRow(window, listId) >= 0;
   const bool wasEnabled = IsWindowEnabled(remove) != FALSE;
   EnableWindow(remove, selected);
   if (!selected && wasEnabled && (GetWindowLongA(remove, GWL_STYLE) & BS_DEFPUSHBUTTON)) {
      // A disabled button never stays the default one.
      SendMessageA(remove, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
      SetFocus(GetDlgItem(window, listId));
   }
}

void TeamWizard::RemoveSelectedVM(HWND window)
{
   const int row = SelectedRow(window, IDC_TEAMWZ_VM_LIST);
   cui::TeamEditable *editable = GetTeamEditable();
   if (row < 0 || !editable || row >= static_cast<int>(editable->GetMembers().size())) {
      return;
   }
   const std::string cfgPath = editable->GetMembers()[row].cfgPath;
   try {
      editable->RemoveVMPath(cfgPath);
   } catch (const cui::Error &e) {
      Report(e.what());
   }
   FillVMList(window);
}

void TeamWizard::ShowAddMenu(HWND window)
{
   HMENU menu = LoadMenuA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_TEAMWZ_ADD_VM_MENU));
   if (!menu) {
      return;
   }
   RECT button;
   GetWindowRect(GetDlgItem(window, IDC_TEAMWZ_VM_ADD), &button);
   const UINT command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                       button.left, button.bottom, 0, window, nullptr);
   DestroyMenu(menu);
   switch (command) {
      case IDM_TEAMWZ_ADD_NEW_VM:
         AddNewVM();
         break;
      case IDM_TEAMWZ_ADD_EXISTING_VM: {
         const std::string file = AskVMFile(window, IDS_TEAMWZ_ADD_EXISTING_TITLE);
         if (!file.empty()) {
            AddVMFile(file);
         }
         break;
      }
      case IDM_TEAMWZ_ADD_CLONE: {
         const std::string hostPath = HostPathOf(GetHost());
         if (gApp && !TremAppUtil_CheckLockout(gApp->GetContext(), hostPath.c_str(), "lockoutCreateVM")) {
            break;
         }
         const std::string file = AskVMFile(window, IDS_TEAMWZ_ADD_CLONE_TITLE);
         if (!file.empty()) {
            AddCloneOf(file);
         }
         break;
      }
      default:
         break;
   }
}

std::string TeamWizard::AskVMFile(HWND window, unsigned titleId)
{
   std::wstring filter = LoadDialogFilter(IDS_TEAMWZ_VMX_FILTER);
   std::wstring title = WideFromUtf8(LoadResString(titleId));
   wchar_t file[MAX_PATH] = L"";
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof(ofn);
   ofn.hwndOwner = window;
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.lpstrTitle = title.c_str();
   ofn.Flags = kFileFlags;
   return atl::GetOpenFileName(&ofn) ? Utf8FromWide(file) : std::string();
}

void TeamWizard::AddNewVM()
{
   if (!gApp) {
      return;
   }
   _bstr_t cfgFile;
   _bstr_t user;
   _bstr_t password;
   // The new-machine command reports its own failure; a cancel or a failure adds nothing.
   if (!gApp->NewVM(cfgFile, user, password, false) || cfgFile.length() == 0) {
      return;
   }
   const std::string path = zoltdb::Text(cfgFile);
   NoteCreatedVM(path);
   OpenForTeam(path);
}

void TeamWizard::AddVMFile(const std::string &cfgPath)
{
   OpenForTeam(cfgPath);
}

void TeamWizard::OpenForTeam(const std::string &cfgPath)
{
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (!mgr) {
      Report(cui::GetLocalString("@&!*@*@(msg.wui.wizard.teamWizard.noVMMgr)Virtual machines cannot be opened now."));
      return;
   }
   ++pending_;
   cui::AbortSlot failed = sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnOpenFailed), cfgPath);
   cui::DoneSlot done = sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnOpenedForTeam), cfgPath);
   if (GetHost()) {
      mgr->OpenVM(GetHost(), cfgPath, wui::GetDlgMgr(), failed, done);
   } else {
      mgr->OpenVM(cfgPath, wui::GetDlgMgr(), failed, done);
   }
}

void TeamWizard::OnOpenFailed(bool cancelled, cui::Error error, std::string cfgPath)
{
   EndPending();
   Log("wui::wizard::TeamWizard: %s was not opened: %s\n", cfgPath.c_str(), error.what());
   if (!cancelled) {
      Report(error.what());
   }
}

void TeamWizard::OnOpenedForTeam(std::string cfgPath)
{
   EndPending();
   wui::VMMgr *mgr = wui::GetVMMgr();
   cui::VM *vm = mgr ? mgr->GetVMByCfgPath(cfgPath) : nullptr;
   cui::TeamEditable *editable = GetTeamEditable();
   try {
      if (!vm || !editable) {
         throw cui::Error(cui::Format("@&!*@*@(msg.wui.wizard.teamWizard.notOpened)The virtual machine \"%s\" "
                                      "could not be added to the team.", cfgPath.c_str()));
      }
      editable->AddVM(vm);
      Log("wui::wizard::TeamWizard: added %s\n", vm->GetFilename().c_str());
   } catch (const cui::Error &e) {
      Report(e.what());
   }
   FillVMList(vmListPage_);
}

void TeamWizard::AddCloneOf(const std::string &sourceCfgPath)
{
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (!mgr) {
      return;
   }
   const bool wasOpen = mgr->GetVMByCfgPath(sourceCfgPath) != nullptr;
   ++pending_;
   cui::AbortSlot failed = sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnOpenFailed), sourceCfgPath);
   cui::DoneSlot done = sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnSourceOpened), sourceCfgPath, wasOpen);
   mgr->OpenVM(sourceCfgPath, wui::GetDlgMgr(), failed, done);
}

void TeamWizard::OnSourceOpened(std::string sourceCfgPath, bool wasOpen)
{
   wui::VMMgr *mgr = wui::GetVMMgr();
   cui::VM *vm = mgr ? mgr->GetVMByCfgPath(sourceCfgPath) : nullptr;
   if (!vm) {
      EndPending();
      return;
   }
   const std::string name =
      GetUniqueVMName(cui::Format("@&!*@*@(msg.wui.wizard.teamWizard.cloneName)Clone of %s", vm->GetName().c_str()));
   const std::string clonePath = GetClonePath(name);
   const int longest = std::max(vm->GetLongestHardDiskNameLength(), static_cast<int>(name.size()) + 4);
   std::string problem = CheckPathLength(JoinPath(JoinPath(GetPath(), name), std::string()), longest);
   int cloneError = 0;
   if (problem.empty() && !vm->IsCloneable(0, cui::VM::CLONE_FULL, &cloneError)) {
      problem = cui::VM::GetErrorText(cloneError);
   }
   if (!problem.empty()) {
      OnCloneFailed(false, cui::Error(cui::GetLocalString(problem)), sourceCfgPath, !wasOpen);
      return;
   }
   Log("wui::wizard::TeamWizard: cloning %s to %s\n", sourceCfgPath.c_str(), clonePath.c_str());
   vm->Clone(0, true, name, clonePath,
             sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnCloneFailed), sourceCfgPath, !wasOpen),
             sigc::bind(sigc::mem_fun(*this, &TeamWizard::OnCloneMade), clonePath, sourceCfgPath, !wasOpen),
             cui::DoneSlot());
}

void TeamWizard::OnCloneMade(std::string clonePath, std::string sourceCfgPath, bool closeSource)
{
   NoteCreatedVM(clonePath);
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (closeSource && mgr) {
      if (cui::VM *source = mgr->GetVMByCfgPath(sourceCfgPath)) {
         mgr->CloseVM(source, cui::AbortSlot(), cui::DoneSlot());
      }
   }
   OpenForTeam(clonePath);
   EndPending();
}

void TeamWizard::OnCloneFailed(bool cancelled, cui::Error error, std::string sourceCfgPath, bool closeSource)
{
   EndPending();
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (closeSource && mgr) {
      if (cui::VM *source = mgr->GetVMByCfgPath(sourceCfgPath)) {
         mgr->CloseVM(source, cui::AbortSlot(), cui::DoneSlot());
      }
   }
   if (!cancelled) {
      std::string text = LoadResString(IDS_TEAMWZ_CLONE_FAILED);
      size_t at = text.find("%1");
      if (at != std::string::npos) {
         text.replace(at, 2, sourceCfgPath);
      }
      at = text.find("%2");
      if (at != std::string::npos) {
         text.replace(at, 2, error.what());
      }
      Report(text);
   }
}

void TeamWizard::EndPending()
{
   if (pending_ > 0) {
      --pending_;
   }
}

void TeamWizard::Report(const std::string &text)
{
   Warning("wui::wizard::TeamWizard: %s\n", text.c_str());
   ReportError(_bstr_t(WideFromUtf8(text).c_str()), -1, _bstr_t(""));
}

INT_PTR TeamWizard::OnLANListMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
      case WM_INITDIALOG:
         AddColumns(GetDlgItem(window, IDC_TEAMWZ_LAN_LIST), IDS_TEAMWZ_COLUMN_LAN, IDS_TEAMWZ_COLUMN_LAN_SUMMARY,
                    SharedIcons());
         FillLANList(window);
         return 0;
      case WM_COMMAND:
         if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_TEAMWZ_LAN_ADD) {
            AddLAN(window);
         } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_TEAMWZ_LAN_REMOVE) {
            RemoveSelectedLAN(window);
         }
         return 0;
      case WM_NOTIFY: {
         const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
         if (header->code == PSN_SETACTIVE) {
            FillLANList(window);
         } else if (header->code == LVN_ITEMCHANGED && header->idFrom == IDC_TEAMWZ_LAN_LIST) {
            UpdateRemove(window, IDC_TEAMWZ_LAN_LIST, IDC_TEAMWZ_LAN_REMOVE);
         }
         return 0;
      }
      default:
         return 0;
   }
}

void TeamWizard::FillLANList(HWND window)
{
   HWND list = GetDlgItem(window, IDC_TEAMWZ_LAN_LIST);
   SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
   if (cui::TeamEditable *editable = GetTeamEditable()) {
      const std::string summary = LoadResString(IDS_TEAMWZ_LAN_SUMMARY);
      int row = 0;
      for (const cui::TeamNetData &net : editable->GetNets()) {
         AddRow(list, row++, net.name, summary, kSharedLANImage);
      }
   }
   UpdateRemove(window, IDC_TEAMWZ_LAN_LIST, IDC_TEAMWZ_LAN_REMOVE);
}

void TeamWizard::AddLAN(HWND window)
{
   try {
      const std::string name = cui::wizard::Team::AddNet();
      Log("wui::wizard::TeamWizard: added the LAN %s\n", name.c_str());
   } catch (const cui::Error &e) {
      Report(e.what());
   }
   FillLANList(window);
}

void TeamWizard::RemoveSelectedLAN(HWND window)
{
   const int row = SelectedRow(window, IDC_TEAMWZ_LAN_LIST);
   cui::TeamEditable *editable = GetTeamEditable();
   if (row < 0 || !editable || row >= static_cast<int>(editable->GetNets().size())) {
      return;
   }
   const std::string name = editable->GetNets()[row].name;
   try {
      editable->RemoveNet(name);
   } catch (const cui::Error &e) {
      Report(e.what());
   }
   FillLANList(window);
}

}  // namespace wizard
}  // namespace wui
