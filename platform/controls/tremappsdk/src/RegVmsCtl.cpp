#include "RegVmsCtl.h"

#include <algorithm>

#include "WinUtil.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

const char kDisplayNameKey[] = "displayName";

bool NameLess(const RegisteredVM &a, const RegisteredVM &b)
{
   int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.name.data(), static_cast<int>(a.name.size()),
                              b.name.data(), static_cast<int>(b.name.size()));
   return order == CSTR_LESS_THAN;
}

// "/a/openedObj/#0001/" gives "/a/openedObj/".
std::wstring ParentOf(const std::wstring &path)
{
   std::wstring p = path;
   while (!p.empty() && p.back() == L'/') {
      p.pop_back();
   }
   size_t slash = p.rfind(L'/');
   return slash == std::wstring::npos ? std::wstring() : p.substr(0, slash + 1);
}

}  // namespace

std::wstring ReadVmxDisplayName(const std::wstring &cfgPath)
{
   std::vector<KeyValueEntry> entries;
   std::string error;
   if (cfgPath.empty() || !KeyValueFile::Read(Utf8FromWide(cfgPath), entries, error)) {
      return std::wstring();
   }
   const std::string *name = KeyValueFile::Find(entries, kDisplayNameKey);
   return name ? WideFromUtf8(*name) : std::wstring();
}

bool WriteVmxDisplayName(const std::wstring &cfgPath, const std::wstring &name, std::string &error)
{
   std::string path = Utf8FromWide(cfgPath);
   std::vector<KeyValueEntry> entries;
   if (!KeyValueFile::Read(path, entries, error)) {
      return false;
   }
   std::string value = Utf8FromWide(name);
   bool found = false;
   for (KeyValueEntry &entry : entries) {
      if (entry.key == kDisplayNameKey) {
         entry.value = value;
         found = true;
      }
   }
   if (!found) {
      entries.push_back(KeyValueEntry{kDisplayNameKey, value});
   }
   return KeyValueFile::Write(path, entries, error);
}

std::wstring ReadHostLink(IVmdbContext *ctx, const std::wstring &hostLinkPath)
{
   if (!ctx || hostLinkPath.empty()) {
      return std::wstring();
   }
   // A path that ends at a link reads the link's own value: the path of its target.
   std::wstring host = ReadText(ctx, hostLinkPath);
   return host.empty() ? host : WithSlash(host);
}

std::wstring FirstHostOf(IVmdbContext *ctx, const std::wstring &cnxPath)
{
   if (!ctx || cnxPath.empty()) {
      return std::wstring();
   }
   std::vector<std::wstring> hosts = Elements(ctx, WithSlash(cnxPath) + L"hosts/#");
   if (hosts.empty()) {
      return std::wstring();
   }
   std::wstring host = ReadText(ctx, hosts.front().substr(0, hosts.front().size() - 1));
   return host.empty() ? host : WithSlash(host);
}

std::vector<RegisteredVM> ReadRegisteredVMs(IVmdbContext *ctx, const std::wstring &hostPath,
                                            const std::wstring &linkPath, const std::wstring &arrayPath,
                                            VmxNameCache &names)
{
   std::vector<RegisteredVM> vms;
   if (!ctx || hostPath.empty()) {
      return vms;
   }
   std::vector<std::wstring> opened = OpenedFiles(ctx, arrayPath);
   std::wstring current = linkPath.empty() ? std::wstring() : RecordFile(ctx, ReadLinkedRecord(ctx, linkPath).recordPath);
   for (const std::wstring &element : Elements(ctx, WithSlash(hostPath) + L"vms/registeredvms/#")) {
      RegisteredVM vm;
      vm.cfgPath = ReadText(ctx, element + L"cfgPath");
      if (vm.cfgPath.empty()) {
         continue;
      }
      vm.vmPath = FindVMByCfgFile(ctx, vm.cfgPath);
      if (!vm.vmPath.empty()) {
         vm.name = ReadText(ctx, vm.vmPath + L"vmx/cfgState/val/displayName");
      }
      if (vm.name.empty()) {
         auto cached = names.find(vm.cfgPath);
         if (cached == names.end()) {
            cached = names.emplace(vm.cfgPath, ReadVmxDisplayName(vm.cfgPath)).first;
         }
         vm.name = cached->second;
      }
      if (vm.name.empty()) {
         vm.name = FileTitle(vm.cfgPath);
      }
      vm.kind = MachineKind(ctx, vm.cfgPath, opened);
      vm.current = !current.empty() && SameFilePath(current, vm.cfgPath);
      vms.push_back(vm);
   }
   std::stable_sort(vms.begin(), vms.end(), NameLess);
   return vms;
}

void CRegVmsWnd::SetContext(IVmdbContext *ctx)
{
   Unadvise();
   requests_.Clear();
   ctx_ = ctx;
   // Each handler reads the list again whatever changed: one call per poll step is enough.
   CoalesceChanges();
   if (ctx_ && FAILED(Advise(ctx_))) {
      Warning("RegVmsCtl: cannot follow the database\n");
   }
   hostPath_.clear();
   Rewatch();
}

void CRegVmsWnd::SetTransientLinkPath(const std::wstring &path)
{
   transientLinkPath_ = path;
   Rewatch();
}

void CRegVmsWnd::SetLinkPath(const std::wstring &path)
{
   linkPath_ = path;
   Rewatch();
}

void CRegVmsWnd::SetHostLinkPath(const std::wstring &path)
{
   hostLinkPath_ = path;
   Rewatch();
}

void CRegVmsWnd::Rewatch()
{
   if (GetEventSource()) {
      for (const std::wstring &path : {linkPath_, transientLinkPath_, hostLinkPath_, std::wstring(L"/vm")}) {
         if (!path.empty()) {
            Unwatch(path.c_str());
         }
      }
      for (const std::wstring &path : {linkPath_, transientLinkPath_}) {
         if (!path.empty()) {
            Watch(path.c_str(), 0, &CRegVmsWnd::OnChange);
         }
      }
      if (!hostLinkPath_.empty()) {
         Watch(hostLinkPath_.c_str(), 0, &CRegVmsWnd::OnHostChange);
      }
      // Names and power states of the open machines.
      Watch(L"/vm", 1, &CRegVmsWnd::OnChange);
   }
   WatchHost();
   Reread(true);
}

// Follows the host link (or, while it is unset, the session's connection): the list of that
// host is watched, the one before is not.
void CRegVmsWnd::WatchHost()
{
   std::wstring host = ReadHostLink(ctx_, hostLinkPath_);
   if (host.empty()) {
      std::wstring cnx = cnxPath_;
      if (cnx.empty() && !sessionPath_.empty()) {
         cnx = ReadText(ctx_, WithSlash(sessionPath_) + L"cnxPath");
      }
      host = FirstHostOf(ctx_, cnx);
   }
   if (host == hostPath_ && !host.empty()) {
      return;
   }
   if (GetEventSource() && !hostPath_.empty()) {
      Unwatch((hostPath_ + L"vms/registeredvms").c_str());
   }
   hostPath_ = host;
   if (GetEventSource() && !hostPath_.empty()) {
      Watch((hostPath_ + L"vms/registeredvms").c_str(), 1, &CRegVmsWnd::OnListChange);
   }
}

void CRegVmsWnd::OnChange(BSTR)
{
   // A machine's open or close, or a change of its name.
   requests_.Pump(ctx_);
   Reread(false);
}

void CRegVmsWnd::OnHostChange(BSTR)
{
   WatchHost();
   Reread(false);
}

void CRegVmsWnd::OnListChange(BSTR)
{
   Reread(false);
}

void CRegVmsWnd::Refresh()
{
   names_.clear();
   WatchHost();
   Reread(true);
}

void CRegVmsWnd::Reread(bool force)
{
   if (DeferWhileEditing()) {
      return;
   }
   std::wstring record = ReadLinkedRecord(ctx_, linkPath_).recordPath;
   arrayPath_ = record.empty() ? std::wstring() : ParentOf(record);
   std::vector<RegisteredVM> vms = ReadRegisteredVMs(ctx_, hostPath_, linkPath_, arrayPath_, names_);
   if (!force && vms == items_) {
      return;
   }
   const RegisteredVM *selected = Selected();
   std::wstring selectedFile = selected ? selected->cfgPath : std::wstring();
   items_ = vms;
   Fill(selectedFile);
}

void CRegVmsWnd::Fill(const std::wstring &selectedFile)
{
   if (!tree_) {
      return;
   }
   ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
   ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
   HTREEITEM select = nullptr;
   for (size_t i = 0; i < items_.size(); i++) {
      const RegisteredVM &vm = items_[i];
      TVINSERTSTRUCTW insert = {};
      insert.hParent = TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
      insert.item.pszText = const_cast<wchar_t *>(vm.name.c_str());
      insert.item.lParam = static_cast<LPARAM>(i);
      insert.item.iImage = insert.item.iSelectedImage = ListImageOf(vm.kind);
      insert.item.stateMask = TVIS_BOLD;
      insert.item.state = vm.current ? TVIS_BOLD : 0;
      HTREEITEM handle = reinterpret_cast<HTREEITEM>(
         ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
      if (!selectedFile.empty() && SameFilePath(vm.cfgPath, selectedFile)) {
         select = handle;
      }
   }
   if (select) {
      ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(select));
   }
   ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(tree_, nullptr, TRUE);
}

HTREEITEM CRegVmsWnd::TreeItemOf(const std::wstring &cfgPath) const
{
   for (HTREEITEM item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0)); item;
        item = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
      const RegisteredVM *vm = ItemOf(item);
      if (vm && SameFilePath(vm->cfgPath, cfgPath)) {
         return item;
      }
   }
   return nullptr;
}

void CRegVmsWnd::FireOpenVM(const RegisteredVM &vm)
{
   std::wstring path = vm.cfgPath;
   // Another client may have listed a file that is no machine configuration (a team's): it is
   // opened by its kind, not as a machine.
   std::wstring extension = path.size() > 4 ? path.substr(path.size() - 4) : std::wstring();
   if (!SameFilePath(extension, L".vmx")) {
      events_.Fire(kRegVmsOpen, path.c_str());
      return;
   }
   long refused = 0;
   events_.Fire(kRegVmsOpenVM, path.c_str(), true, &refused);
   if (refused) {
      Log("RegVmsCtl: the program did not open %s\n", Utf8FromWide(path).c_str());
   }
}

void CRegVmsWnd::FireContextMenu(const RegisteredVM *vm, POINT screen)
{
   std::wstring path = vm ? vm->cfgPath : std::wstring();
   long kind = vm ? vm->kind : static_cast<long>(kListInventoryBackground);
   events_.Fire(kRegVmsContextMenu, static_cast<long>(screen.x), static_cast<long>(screen.y), path.c_str(), kind);
}

LRESULT CRegVmsWnd::OnTreeDblClk(int, LPNMHDR, BOOL &)
{
   bool onItem = false;
   HTREEITEM hit = TreeItemAtCursor(tree_, &onItem);
   if (const RegisteredVM *vm = onItem ? ItemOf(hit) : nullptr) {
      FireOpenVM(*vm);
      return 1;
   }
   return 0;
}

LRESULT CRegVmsWnd::OnTreeKeyDown(int, LPNMHDR hdr, BOOL &)
{
   const NMTVKEYDOWN *key = reinterpret_cast<const NMTVKEYDOWN *>(hdr);
   if (key->wVKey == VK_RETURN) {
      if (const RegisteredVM *vm = Selected()) {
         FireOpenVM(*vm);
      }
   } else if (key->wVKey == VK_F2) {
      Rename();
   }
   return 0;
}

void CRegVmsWnd::StartRename(HTREEITEM item)
{
   if (!item) {
      return;
   }
   ::SetFocus(tree_);
   EditLabel(item);
}

void CRegVmsWnd::ApplyName(const RegisteredVM &vm, const std::wstring &name)
{
   if (!vm.vmPath.empty()) {
      // An open machine's configuration belongs to the host: ask it, and the name comes back
      // through the machine's node.
      requests_.Submit(ctx_, vm.vmPath + L"vmx/cfgState/", {{L"val/displayName", name}});
      return;
   }
   std::string error;
   if (!WriteVmxDisplayName(vm.cfgPath, name, error)) {
      Warning("RegVmsCtl: cannot rename %s: %s\n", Utf8FromWide(vm.cfgPath).c_str(), error.c_str());
      return;
   }
   names_.erase(vm.cfgPath);
   PostMessage(kRefreshMessage);
}

HRESULT RegVmsCtl::put_Context(IVmdbContext *ctx)
{
   wnd_.SetContext(ctx);
   return S_OK;
}

HRESULT RegVmsCtl::put_SessionPath(BSTR path)
{
   wnd_.SetSessionPath(path ? path : L"");
   return S_OK;
}

HRESULT RegVmsCtl::put_TransientLinkPath(BSTR path)
{
   wnd_.SetTransientLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT RegVmsCtl::put_LinkPath(BSTR path)
{
   wnd_.SetLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT RegVmsCtl::put_HostLinkPath(BSTR path)
{
   wnd_.SetHostLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT RegVmsCtl::put_ConnectionPath(BSTR cnxPath)
{
   wnd_.SetConnectionPath(cnxPath ? cnxPath : L"");
   return S_OK;
}

HRESULT RegVmsCtl::raw_Refresh()
{
   wnd_.Refresh();
   return S_OK;
}

HRESULT RegVmsCtl::raw_Rename()
{
   wnd_.Rename();
   return S_OK;
}

HRESULT RegVmsCtl::get_SelectedPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   const RegisteredVM *vm = wnd_.Selected();
   *path = SysAllocString(vm ? vm->cfgPath.c_str() : L"");
   return S_OK;
}

HRESULT RegVmsCtl::get_Count(long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = static_cast<long>(wnd_.Machines().size());
   return S_OK;
}

}  // namespace tremappsdk
