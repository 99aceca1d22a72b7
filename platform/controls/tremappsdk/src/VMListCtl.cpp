#include "VMListCtl.h"

#include <algorithm>
#include <functional>

#include "WinUtil.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

bool SameText(const std::wstring &a, const std::wstring &b)
{
   return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
          CSTR_EQUAL;
}

// "/user/vmlistState/val/item/#0003/" relative to the state: "val/item/#0003/".
std::wstring RelativeTo(const std::wstring &path, const std::wstring &base)
{
   return path.compare(0, base.size(), base) == 0 ? path.substr(base.size()) : path;
}

}  // namespace

std::vector<FavoriteItem> ReadFavorites(IVmdbContext *ctx, const std::wstring &favoritesPath, const std::wstring &dest,
                                        const std::wstring &linkPath, const std::wstring &arrayPath)
{
   std::vector<FavoriteItem> items;
   if (!ctx || favoritesPath.empty()) {
      return items;
   }
   std::vector<std::wstring> opened = OpenedFiles(ctx, arrayPath);
   std::wstring current = linkPath.empty() ? std::wstring() : RecordFile(ctx, ReadLinkedRecord(ctx, linkPath).recordPath);
   for (const std::wstring &element : Elements(ctx, WithSlash(favoritesPath) + L"val/item/#")) {
      if (!ReadFlag(ctx, element + L"present")) {
         continue;
      }
      FavoriteItem item;
      item.element = element;
      item.type = ReadText(ctx, element + L"type");
      if (item.type != L"vm" && item.type != L"team" && item.type != L"mvmt" && item.type != L"folder") {
         continue;
      }
      std::wstring typeNode = element + L"type/" + item.type + L"/";
      if ((item.type == L"vm" || item.type == L"team") && !SameText(ReadText(ctx, typeNode + L"dest"), dest)) {
         continue;
      }
      item.id = ReadLong(ctx, element + L"id", 0);
      item.parentId = ReadLong(ctx, element + L"parentID", 0);
      item.ix = ReadLong(ctx, element + L"ix", -1);
      item.name = ReadText(ctx, typeNode + L"name");
      if (item.type != L"folder") {
         item.cfgPath = ReadText(ctx, typeNode + L"cfgPath");
         if (item.name.empty()) {
            item.name = FileTitle(item.cfgPath);
         }
         item.current = !current.empty() && SameFilePath(current, item.cfgPath);
      }
      item.kind = ObjectKind(ctx, item.type, item.cfgPath, opened);
      items.push_back(item);
   }
   return items;
}

std::vector<FavoriteItem> OrderFavorites(std::vector<FavoriteItem> items)
{
   std::map<long, size_t> folders;   // folder id to index
   for (size_t i = 0; i < items.size(); i++) {
      if (items[i].type == L"folder" && items[i].id != 0 && folders.count(items[i].id) == 0) {
         folders[items[i].id] = i;
      }
   }
   // An item's parent counts only when it is a listed folder and no loop leads back to the item.
   std::vector<long> parent(items.size(), 0);
   for (size_t i = 0; i < items.size(); i++) {
      long p = items[i].parentId;
      size_t steps = 0;
      bool loops = false;
      for (long at = p; at != 0 && folders.count(at) && steps <= folders.size(); steps++) {
         size_t f = folders[at];
         if (f == i) {
            loops = true;
            break;
         }
         at = items[f].parentId;
      }
      parent[i] = (folders.count(p) && !loops && steps <= folders.size()) ? p : 0;
   }
   std::vector<FavoriteItem> ordered;
   std::vector<bool> placed(items.size(), false);
   std::function<void(long, int)> place = [&](long parentId, int depth) {
      std::vector<size_t> level;
      for (size_t i = 0; i < items.size(); i++) {
         if (!placed[i] && parent[i] == parentId) {
            level.push_back(i);
         }
      }
      std::stable_sort(level.begin(), level.end(), [&](size_t a, size_t b) {
         bool folderA = items[a].type == L"folder";
         bool folderB = items[b].type == L"folder";
         if (folderA != folderB) {
            return folderA;
         }
         long ixA = items[a].ix < 0 ? LONG_MAX : items[a].ix;
         long ixB = items[b].ix < 0 ? LONG_MAX : items[b].ix;
         return ixA < ixB;
      });
      for (size_t i : level) {
         placed[i] = true;
         items[i].depth = depth;
         ordered.push_back(items[i]);
         if (items[i].type == L"folder" && folders.count(items[i].id) && folders[items[i].id] == i) {
            place(items[i].id, depth + 1);
         }
      }
   };
   place(0, 0);
   // A second folder with an id already taken shows its contents under the first one.
   for (size_t i = 0; i < items.size(); i++) {
      if (!placed[i]) {
         items[i].depth = 0;
         ordered.push_back(items[i]);
      }
   }
   return ordered;
}

long NextFavoriteId(IVmdbContext *ctx, const std::wstring &favoritesPath)
{
   std::set<long> ids;
   for (const std::wstring &element : Elements(ctx, WithSlash(favoritesPath) + L"val/item/#")) {
      ids.insert(ReadLong(ctx, element + L"id", 0));
   }
   long id = 1;
   while (ids.count(id)) {
      id++;
   }
   return id;
}

void CVMListWnd::SetContext(IVmdbContext *ctx)
{
   Unadvise();
   requests_.Clear();
   ctx_ = ctx;
   // Each refresh reads the whole state again: one per poll step is enough.
   CoalesceChanges();
   if (ctx_ && FAILED(Advise(ctx_))) {
      Warning("VMListCtl: cannot follow the database\n");
   }
   Rewatch();
}

void CVMListWnd::SetFavoritesPath(const std::wstring &path)
{
   favoritesPath_ = path.empty() ? path : WithSlash(path);
   Rewatch();
}

void CVMListWnd::SetLinkPath(const std::wstring &path)
{
   linkPath_ = path;
   Rewatch();
}

void CVMListWnd::SetArrayPath(const std::wstring &path)
{
   arrayPath_ = path;
   Rewatch();
}

void CVMListWnd::SetDestination(const std::wstring &dest)
{
   dest_ = dest;
   Reread();
}

void CVMListWnd::Rewatch()
{
   if (GetEventSource()) {
      for (const std::wstring &path : {favoritesPath_, linkPath_, arrayPath_, std::wstring(L"/vm")}) {
         if (!path.empty()) {
            Unwatch(path.c_str());
         }
      }
      if (!favoritesPath_.empty()) {
         Watch(favoritesPath_.c_str(), 1, &CVMListWnd::OnStateChange);
      }
      if (!linkPath_.empty()) {
         Watch(linkPath_.c_str(), 0, &CVMListWnd::OnChange);
      }
      if (!arrayPath_.empty()) {
         Watch(arrayPath_.c_str(), 1, &CVMListWnd::OnChange);
      }
      // Power states of the listed machines.
      Watch(L"/vm", 1, &CVMListWnd::OnChange);
   }
   Reread();
}

void CVMListWnd::OnChange(BSTR)
{
   Reread();
}

void CVMListWnd::OnStateChange(BSTR)
{
   // An answered rename shows the owner's outcome even when the list reads as before.
   bool answered = requests_.Pump(ctx_);
   Reread(answered);
}

void CVMListWnd::Reread(bool force)
{
   if (DeferWhileEditing()) {
      return;
   }
   std::vector<FavoriteItem> items = OrderFavorites(ReadFavorites(ctx_, favoritesPath_, dest_, linkPath_, arrayPath_));
   if (!force && items == items_) {
      return;
   }
   const FavoriteItem *selected = Selected();
   std::wstring selectedElement = selected ? selected->element : std::wstring();
   items_ = items;
   Fill(selectedElement);
}

void CVMListWnd::Fill(const std::wstring &selected)
{
   if (!tree_) {
      return;
   }
   filling_ = true;
   ::SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
   ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
   treeItems_.clear();
   std::map<long, HTREEITEM> folders;
   for (size_t i = 0; i < items_.size(); i++) {
      const FavoriteItem &item = items_[i];
      TVINSERTSTRUCTW insert = {};
      auto parent = folders.find(item.parentId);
      insert.hParent = item.depth > 0 && parent != folders.end() ? parent->second : TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
      insert.item.pszText = const_cast<wchar_t *>(item.name.c_str());
      insert.item.lParam = static_cast<LPARAM>(i);
      insert.item.iImage = insert.item.iSelectedImage = ListImageOf(item.kind);
      insert.item.stateMask = TVIS_BOLD;
      insert.item.state = item.current ? TVIS_BOLD : 0;
      HTREEITEM handle = reinterpret_cast<HTREEITEM>(
         ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
      treeItems_[item.element] = handle;
      if (item.type == L"folder" && folders.count(item.id) == 0) {
         folders[item.id] = handle;
      }
   }
   // Open every folder the user has not closed, parents before their children.
   for (const FavoriteItem &item : items_) {
      if (item.type == L"folder" && !collapsed_.count(item.id)) {
         ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(treeItems_[item.element]));
      }
   }
   if (HTREEITEM again = TreeItemOf(selected)) {
      ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(again));
   }
   ::SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(tree_, nullptr, TRUE);
   filling_ = false;
   if (!renameWhenShown_.empty()) {
      if (HTREEITEM created = TreeItemOf(renameWhenShown_)) {
         renameWhenShown_.clear();
         StartRename(created);
      }
   }
}

HTREEITEM CVMListWnd::TreeItemOf(const std::wstring &element) const
{
   auto it = treeItems_.find(element);
   return it == treeItems_.end() ? nullptr : it->second;
}

void CVMListWnd::FireOpen(const FavoriteItem &item)
{
   if (item.type == L"folder" || item.cfgPath.empty()) {
      return;
   }
   std::wstring path = item.cfgPath;
   events_.Fire(kVMListOpen, path.c_str());
}

void CVMListWnd::FireContextMenu(const FavoriteItem *item, POINT screen)
{
   std::wstring path = item ? item->cfgPath : std::wstring();
   long kind = item ? item->kind : static_cast<long>(kListFavoritesBackground);
   events_.Fire(kVMListContextMenu, static_cast<long>(screen.x), static_cast<long>(screen.y), path.c_str(), kind);
}

LRESULT CVMListWnd::OnTreeDblClk(int, LPNMHDR, BOOL &)
{
   bool onItem = false;
   HTREEITEM hit = TreeItemAtCursor(tree_, &onItem);
   const FavoriteItem *item = onItem ? ItemOf(hit) : nullptr;
   if (item && item->type != L"folder") {
      FireOpen(*item);
      return 1;
   }
   return 0;   // a folder opens or closes as a tree does it
}

LRESULT CVMListWnd::OnTreeKeyDown(int, LPNMHDR hdr, BOOL &)
{
   const NMTVKEYDOWN *key = reinterpret_cast<const NMTVKEYDOWN *>(hdr);
   const FavoriteItem *item = Selected();
   if (key->wVKey == VK_RETURN && item) {
      FireOpen(*item);
   } else if (key->wVKey == VK_F2) {
      Rename();
   } else if (key->wVKey == VK_DELETE && item && item->type == L"folder") {
      // Machines, teams and templates leave through the program's command, which asks first.
      RemoveFolder(*item);
   }
   return 0;
}

void CVMListWnd::StartRename(HTREEITEM item)
{
   if (!tree_ || !item) {
      return;
   }
   ::SetFocus(tree_);
   ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
   EditLabel(item);
}

void CVMListWnd::ApplyName(const FavoriteItem &item, const std::wstring &name)
{
   if (ctx_) {
      std::wstring field = RelativeTo(item.element, favoritesPath_) + L"type/" + item.type + L"/name";
      requests_.Submit(ctx_, favoritesPath_, {{field, name}});
   }
}

LRESULT CVMListWnd::OnTreeItemExpanded(int, LPNMHDR hdr, BOOL &)
{
   if (filling_) {
      return 0;
   }
   const NMTREEVIEWW *view = reinterpret_cast<const NMTREEVIEWW *>(hdr);
   if (const FavoriteItem *item = ItemOf(view->itemNew.hItem)) {
      if (view->action == TVE_COLLAPSE) {
         collapsed_.insert(item->id);
      } else if (view->action == TVE_EXPAND) {
         collapsed_.erase(item->id);
      }
   }
   return 0;
}

void CVMListWnd::NewFolder(long parentId)
{
   if (!ctx_ || favoritesPath_.empty()) {
      return;
   }
   if (parentId < 0) {
      const FavoriteItem *item = Selected();
      parentId = !item ? 0 : item->type == L"folder" ? item->id : item->parentId;
   }
   long id = NextFavoriteId(ctx_, favoritesPath_);
   std::wstring element = ToWide(ctx_->AppendElement((favoritesPath_ + L"val/item/#").c_str()));
   std::wstring name = LoadResString(IDS_TREMAPPSDK_NEW_FOLDER);
   ctx_->OpenBatch();
   try {
      ctx_->WriteValue((element + L"id").c_str(), _variant_t(id));
      ctx_->WriteValue((element + L"parentID").c_str(), _variant_t(parentId));
      ctx_->WriteValue((element + L"ix").c_str(), _variant_t(-1L));
      ctx_->WriteValue((element + L"type").c_str(), _variant_t(L"folder"));
      ctx_->WriteValue((element + L"type/folder/name").c_str(), _variant_t(name.c_str()));
   } catch (...) {
      ctx_->CloseBatch(-1, 0);
      throw;
   }
   ctx_->CloseBatch(-1, 0);
   collapsed_.erase(id);
   renameWhenShown_ = element;
   requests_.Submit(ctx_, favoritesPath_, {{RelativeTo(element, favoritesPath_) + L"present", L"1"}});
}

void CVMListWnd::RemoveFolder(const FavoriteItem &folder)
{
   requests_.Submit(ctx_, favoritesPath_, {{RelativeTo(folder.element, favoritesPath_) + L"present", L"0"}});
}

void CVMListWnd::OpenSelection()
{
   if (const FavoriteItem *item = Selected()) {
      FireOpen(*item);
   }
}

HRESULT VMListCtl::put_Context(IVmdbContext *ctx)
{
   wnd_.SetContext(ctx);
   return S_OK;
}

HRESULT VMListCtl::put_FavoritesPath(BSTR path)
{
   wnd_.SetFavoritesPath(path ? path : L"");
   return S_OK;
}

HRESULT VMListCtl::put_LinkPath(BSTR path)
{
   wnd_.SetLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT VMListCtl::put_ArrayPath(BSTR path)
{
   wnd_.SetArrayPath(path ? path : L"");
   return S_OK;
}

HRESULT VMListCtl::put_Destination(BSTR dest)
{
   wnd_.SetDestination(dest ? dest : L"");
   return S_OK;
}

HRESULT VMListCtl::raw_Rename()
{
   wnd_.Rename();
   return S_OK;
}

HRESULT VMListCtl::raw_NewFolder(long parentId)
{
   try {
      wnd_.NewFolder(parentId);
   } catch (const _com_error &e) {
      Warning("VMListCtl: cannot add a folder: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
      return e.Error();
   }
   return S_OK;
}

HRESULT VMListCtl::raw_OpenSelection()
{
   wnd_.OpenSelection();
   return S_OK;
}

HRESULT VMListCtl::get_SelectedPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   const FavoriteItem *item = wnd_.Selected();
   *path = SysAllocString(item ? item->cfgPath.c_str() : L"");
   return S_OK;
}

}  // namespace tremappsdk
