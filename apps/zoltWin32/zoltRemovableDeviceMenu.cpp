#include "zoltRemovableDeviceMenu.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltComObjects.h"
#include "zoltMenuUtil.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/Error.h"
#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"
#include "vmdb/Store.h"
#include "vmdb/VmdbQuery.h"

#include <cstdlib>

namespace {

const wchar_t kRemovableQuery[] = L"SELECT FROM $vmx/cfgState/val/dev/# WHERE $media = \"removable\" ";
const wchar_t kUsbElements[] = L"vmx/usbDev/#";

std::wstring Wide(const _bstr_t &text)
{
   const wchar_t *chars = text;
   return chars ? chars : L"";
}

std::wstring ResText(UINT id)
{
   return WideFromUtf8(LoadResString(id));
}

// The database string read on a context's raw handle: the length read, -1 when the node is missing.
int ReadRawString(INT_PTR rawCtx, const std::string &path, std::string &value)
{
   vmdbstore::Context *ctx = rawCtx ? vmdbstore::ContextFromRawHandle(rawCtx) : nullptr;
   if (!ctx || !ctx->Read(path, value)) {
      return -1;
   }
   return static_cast<int>(value.size());
}

// A name as the host wrote it: UTF-8, or text in the ANSI code page when it converts to nothing.
std::wstring NameText(const std::string &name)
{
   std::wstring wide = WideFromUtf8(name);
   if (wide.empty() && !name.empty()) {
      int length = MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
      wide.resize(length > 0 ? length : 0);
      if (length > 0) {
         MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), &wide[0], length);
      }
   }
   return wide;
}

// A text item at `position`: `mask` names what else is given (MIIM_ID, MIIM_SUBMENU, MIIM_STATE).
BOOL InsertTextItem(HMENU menu, UINT position, const std::wstring &text, UINT mask, UINT state, UINT id, HMENU submenu)
{
   std::wstring copy = text;
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = mask | MIIM_STRING | MIIM_FTYPE;
   info.fType = MFT_STRING;
   info.fState = state;
   info.wID = id;
   info.hSubMenu = submenu;
   info.dwTypeData = &copy[0];
   info.cch = static_cast<UINT>(copy.size());
   return InsertMenuItemW(menu, position, TRUE, &info);
}

BOOL AppendStringItem(HMENU menu, UINT id, const std::wstring &text, UINT state)
{
   return InsertTextItem(menu, static_cast<UINT>(GetMenuItemCount(menu)), text, MIIM_ID | MIIM_STATE, state, id, nullptr);
}

BOOL InsertSubmenu(HMENU menu, UINT position, const std::wstring &text, HMENU submenu, UINT state, UINT mask)
{
   return InsertTextItem(menu, position, text, mask | MIIM_SUBMENU, state, 0, submenu);
}

}  // namespace

CZOLTRemovableDeviceMenu::CZOLTRemovableDeviceMenu()
{
   try {
      IVmdbDatabasePtr db = gApp ? gApp->GetDatabase() : IVmdbDatabasePtr();
      if (db) {
         ctx_ = db->NewContext();
      }
   } catch (const _com_error &error) {
      Warning("CZOLTRemovableDeviceMenu: %s\n", zoltdb::ComText(error).c_str());
   }
}

bool CZOLTRemovableDeviceMenu::EnsureUtil()
{
   // Made when a running machine's devices are first listed, not with the host window: a
   // failure is reported once, and only to someone who opened the menu.
   if (!utilTried_) {
      utilTried_ = true;
      if (CreateComObject(__uuidof(TremAppSdkUtil), "TremAppSdkUtil", util_)) {
         util_->SetContext(ctx_);
         util_->SetClient(gApp ? gApp->GetClient() : IVMClientPtr());
         cui::Host *client = cui::GetClientHost();
         util_->SetHostPath(client ? client->GetPath().c_str() : "");
      }
   }
   return util_ != nullptr;
}

CZOLTRemovableDeviceMenu::~CZOLTRemovableDeviceMenu()
{
   ctx_ = nullptr;
   if (util_) {
      util_->raw_SetContext(nullptr);
      util_->raw_SetClient(nullptr);
      util_ = nullptr;
   }
   machinePath_.clear();
   entries_.clear();
}

UINT CZOLTRemovableDeviceMenu::AddEntry(UINT first, UINT last, const std::wstring &key, int32_t kind)
{
   UINT id = first + static_cast<UINT>(entries_.size());
   if (id > last) {
      return 0;
   }
   entries_[id] = {key, kind};
   return id;
}

void CZOLTRemovableDeviceMenu::AddDeviceItem(HMENU menu, const _bstr_t &row, UINT position, bool &added)
{
   added = false;
   _bstr_t key(ctx_->ReadValue(row + L"key"));
   std::wstring label = Wide(util_->GetDeviceName(key));
   bool connected = util_->IsDeviceConnected(key) == VARIANT_TRUE;
   if (connected) {
      label += L" (" + Wide(util_->GetConnectionText(key)) + L")";
   }
   label = WideFromUtf8(EscapeAmpersands(Utf8FromWide(label)));
   HMENU submenu = CreatePopupMenu();
   UINT toggleId = AddEntry(IDM_VM_DEVICE_FIRST, IDM_VM_DEVICE_LAST, Wide(key), connected ? KIND_CONNECTED : KIND_NOT_CONNECTED);
   UINT editId = AddEntry(IDM_VM_DEVICE_FIRST, IDM_VM_DEVICE_LAST, Wide(key), KIND_EDIT);
   AppendStringItem(submenu, toggleId, ResText(connected ? IDS_DEVICE_DISCONNECT : IDS_DEVICE_CONNECT), 0);
   AppendStringItem(submenu, editId, ResText(IDS_DEVICE_EDIT), 0);
   if (!InsertSubmenu(menu, position, label, submenu, connected ? MFS_CHECKED : 0, MIIM_STATE)) {
      DestroyMenu(submenu);
      return;
   }
   added = true;
}

void CZOLTRemovableDeviceMenu::Build(HMENU menu)
{
   for (int i = GetMenuItemCount(menu); i > 0; --i) {
      DeleteMenu(menu, 0, MF_BYPOSITION);
   }
   entries_.clear();
   machinePath_.clear();
   if (!gApp) {
      return;
   }
   std::string path = gApp->GetCurrentObjPath();
   if (path.empty()) {
      return;
   }
   try {
      machinePath_ = WideFromUtf8(path);
      if (!ctx_) {
         return;
      }
      ctx_->ChangePath(path.c_str());
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
      if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON || !EnsureUtil()) {
         return;
      }
      util_->SetVMPath(path.c_str());
      util_->SetCfgStatePath((path + "vmx/cfgState/").c_str());
      IVmdbQueryPtr query;
      IVmdbParseErrorPtr parseError;
      IVmdbExecuteErrorPtr executeError;
      CreateComObject(__uuidof(VmdbQuery), "VmdbQuery", query);
      CreateComObject(__uuidof(VmdbParseError), "VmdbParseError", parseError);
      CreateComObject(__uuidof(VmdbExecuteError), "VmdbExecuteError", executeError);
      if (!query) {
         _com_issue_error(E_POINTER);
      }
      query->Parse(kRemovableQuery, parseError);
      query->Execute(ctx_, executeError);
      UINT position = 0;
      for (_bstr_t row = query->FetchNext(); row.length() > 0; row = query->FetchNext()) {
         if (entries_.size() + 2 > kMaxRemovableDevices * 2) {
            Log("CZOLTRemovableDeviceMenu::Build: more removable devices than the menu has room for; the rest "
                "are left out\n");
            break;
         }
         try {
            bool added = false;
            AddDeviceItem(menu, row, position, added);
            if (added) {
               ++position;
            }
         } catch (const _com_error &error) {
            Log("CZOLTRemovableDeviceMenu::Build: failed for device at %s: %s\n", zoltdb::Text(row).c_str(),
                zoltdb::ComText(error).c_str());
         }
      }
      if (position > 0) {
         InsertMenuSeparator(menu, position);
      }
      RebuildUsbDevMenu(menu);
   } catch (const _com_error &error) {
      Log("CZOLTRemovableDeviceMenu::Build failed: %s\n", zoltdb::ComText(error).c_str());
   } catch (const std::exception &error) {
      Log("CZOLTRemovableDeviceMenu::Build failed: %s\n", error.what());
   }
}

void CZOLTRemovableDeviceMenu::RebuildUsbDevMenu(HMENU menu)
{
   HMENU submenu = CreatePopupMenu();
   INT_PTR raw = ctx_->GetRawHandle();
   for (_bstr_t element = ctx_->NextElement(kUsbElements); element.length() > 0;
        element = ctx_->NextElement(element)) {
      if (!zoltdb::ReadFlag(ctx_, element + L"present")) {
         continue;
      }
      std::string name;
      if (ReadRawString(raw, zoltdb::Text(element) + "name", name) < 0) {
         Log("CZOLTMenubar::RebuildUsbDevMenu failed to get device name: %s\n",
             ("no name at " + zoltdb::Text(element)).c_str());
         continue;
      }
      std::wstring id = Wide(_bstr_t(ctx_->ReadValue(element + L"id")));
      bool connected = zoltdb::ReadText(ctx_, element + L"connectState/val") == "connected";
      std::wstring label = WideFromUtf8(EscapeAmpersands(Utf8FromWide(NameText(name))));
      if (connected) {
         long port = std::strtol(zoltdb::ReadText(ctx_, element + L"connectState/val/connected/port").c_str(), nullptr, 10);
         label += L" " + WideFromUtf8(tremapputil::ResString(IDS_USB_PORT).Format({port}));
      }
      UINT id16 = AddEntry(IDM_VM_USB_FIRST, IDM_VM_USB_LAST, id, connected ? KIND_CONNECTED : KIND_NOT_CONNECTED);
      if (!id16) {
         Log("CZOLTRemovableDeviceMenu::RebuildUsbDevMenu: more USB devices than the menu has room for; the rest "
             "are left out\n");
         break;
      }
      AppendStringItem(submenu, id16, label, connected ? MFS_CHECKED : 0);
   }
   if (GetMenuItemCount(submenu) == 0) {
      AppendStringItem(submenu, 0, ResText(IDS_USB_NONE), MFS_GRAYED | MFS_DISABLED);
   }
   if (!InsertSubmenu(menu, static_cast<UINT>(GetMenuItemCount(menu)), ResText(IDS_USB_DEVICES), submenu, 0,
                      MIIM_ID)) {
      DestroyMenu(submenu);
   }
}

bool CZOLTRemovableDeviceMenu::ExecCommand(UINT command, HWND owner)
{
   UINT id = command & 0xFFFF;
   if (id >= IDM_VM_DEVICE_FIRST && id <= IDM_VM_DEVICE_LAST) {
      ExecRemDev(command, owner);
      return true;
   }
   if (id >= IDM_VM_USB_FIRST && id <= IDM_VM_USB_LAST) {
      ExecUsbDev(command);
      return true;
   }
   return false;
}

void CZOLTRemovableDeviceMenu::ExecRemDev(UINT command, HWND owner)
{
   auto found = entries_.find(command & 0xFFFF);
   // An id of no item of the last rebuild names no device: there is nothing to toggle or edit.
   if (found == entries_.end()) {
      return;
   }
   const DeviceMenuEntry &entry = found->second;
   try {
      if (entry.kind == KIND_EDIT) {
         if (util_) {
            util_->EditDevice(entry.key.c_str(), owner);
         }
      } else if (cui::VM *vm = gApp ? gApp->GetCurrentVM() : nullptr) {
         vm->ToggleRemDev(Utf8FromWide(entry.key));
      }
   } catch (const _com_error &error) {
      Log("CZOLTRemovableDeviceMenu::ExecRemDev failed %s\n", zoltdb::ComText(error).c_str());
      if (error.Error() == cui::VM::kSubmissionPending) {
         if (gApp) {
            gApp->MessageBoxRes(IDS_SETTINGS_SUBMISSION_PENDING, MB_ICONEXCLAMATION);
         }
      } else {
         ReportComError(error, IDS_DEVICE_SAVE_FAILED, _bstr_t(""));
      }
   }
}

void CZOLTRemovableDeviceMenu::ExecUsbDev(UINT command)
{
   auto found = entries_.find(command & 0xFFFF);
   if (found == entries_.end() || !ctx_) {
      return;
   }
   std::wstring deviceId = found->second.key;
   try {
      ctx_->ChangePath(machinePath_.c_str());
      std::wstring elementPath;
      bool connected = false;
      for (_bstr_t element = ctx_->NextElement(kUsbElements); element.length() > 0;
           element = ctx_->NextElement(element)) {
         if (Wide(_bstr_t(ctx_->ReadValue(element + L"id"))) == deviceId) {
            elementPath = Wide(ctx_->FullPath(element));
            connected = zoltdb::ReadText(ctx_, element + L"connectState/val") == "connected";
         }
      }
      if (!elementPath.empty()) {
         EditUsbDevConnection(elementPath, !connected);
      }
   } catch (const _com_error &error) {
      Log("CZOLTRemovableDeviceMenu::ExecUsbDev failed %s\n", zoltdb::ComText(error).c_str());
   }
}

void CZOLTRemovableDeviceMenu::EditUsbDevConnection(const std::wstring &elementPath, bool connect)
{
   IVmdbContextPtr ctx;
   bool batchOpen = false;
   try {
      IVmdbDatabasePtr db = gApp ? gApp->GetDatabase() : IVmdbDatabasePtr();
      if (!db) {
         _com_issue_error(E_POINTER);
      }
      ctx = db->NewContext();
      ctx->ChangePath(elementPath.c_str());
      _bstr_t request = ctx->FullPath(ctx->AppendElement(L"connectState/req/#"));
      ctx->ChangePath(request);
      ctx->OpenBatch();
      batchOpen = true;
      if (ctx->TestNode(L"../../new") == VARIANT_TRUE) {
         // Another change of this device is pending: the empty request goes again, unseen.
         ctx->RemoveNode(request, VARIANT_TRUE);
         batchOpen = false;
         ctx->CloseBatch(-1);
         if (gApp) {
            gApp->MessageBoxRes(IDS_USB_PENDING, MB_ICONEXCLAMATION);
         }
         return;
      }
      ctx->WriteValue(L"val", _variant_t(connect ? L"connected" : L"disconnected"));
      if (connect) {
         _variant_t port;
         port.vt = VT_INT;
         port.intVal = 1;
         ctx->WriteValue(L"val/connected/port", port);
      }
      ctx->WriteValue(L"../../new", _variant_t(request));
      if (IVMMsgPtr msg = gApp->GetVMMsg()) {
         msg->FollowRequest(request);
      }
      batchOpen = false;
      ctx->CloseBatch(-1);
   } catch (const _com_error &error) {
      Log("CZOLTRemovableDeviceMenu::EditUsbDevConnection failed %s\n", zoltdb::ComText(error).c_str());
      if (batchOpen && ctx) {
         ctx->raw_CloseBatch(-1, 0);
      }
   }
}
