// "Tremappsdk.VMListCtl.9": the favourites list, a tree view over "/user/vmlistState/".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "DbUtil.h"
#include "ListSupport.h"
#include "ListTreeWnd.h"
#include "WindowedControl.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"

namespace tremappsdk {

// One present item of the favourites state.
struct FavoriteItem {
   std::wstring element;   // "/user/vmlistState/val/item/#0001/"
   long id = 0;
   long parentId = 0;
   long ix = -1;
   std::wstring type;      // "vm", "team", "mvmt" or "folder"
   std::wstring name;
   std::wstring cfgPath;
   long kind = 0;          // a ListKind
   bool current = false;   // the current tab shows it
   int depth = 0;          // set by OrderFavorites

   bool operator==(const FavoriteItem &o) const
   {
      return element == o.element && id == o.id && parentId == o.parentId && ix == o.ix && type == o.type &&
             name == o.name && cfgPath == o.cfgPath && kind == o.kind && current == o.current && depth == o.depth;
   }
   bool operator!=(const FavoriteItem &o) const { return !(*this == o); }
};

// The present items of the state at `favoritesPath` that belong on the destination `dest`
// (machines and teams added on another one are left out), with their kinds and the current one
// marked, unordered.
std::vector<FavoriteItem> ReadFavorites(IVmdbContext *ctx, const std::wstring &favoritesPath, const std::wstring &dest,
                                        const std::wstring &linkPath, const std::wstring &arrayPath);

// The items in the order the tree shows them: at each level folders first, then the rest, each
// by `ix` (a negative ix after the others) and then as read; every folder followed by its
// contents. An item whose parent is missing (or lies in a loop of parents) goes to the top.
std::vector<FavoriteItem> OrderFavorites(std::vector<FavoriteItem> items);

// The smallest positive id no item of the state holds (present or not).
long NextFavoriteId(IVmdbContext *ctx, const std::wstring &favoritesPath);

class CVMListWnd : public CListTreeWnd<CVMListWnd, FavoriteItem> {
public:
   typedef CListTreeWnd<CVMListWnd, FavoriteItem> Base;
   static constexpr DWORD kTreeStyle =
      TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS | TVS_FULLROWSELECT;

   DECLARE_WND_CLASS_EX("TremappsdkVMList", 0, COLOR_WINDOW)

   explicit CVMListWnd(atl::DispEventSource &events) : Base(events, "VMListCtl") {}

   BEGIN_MSG_MAP(CVMListWnd)
      NOTIFY_HANDLER(kTreeId, NM_DBLCLK, OnTreeDblClk)
      NOTIFY_HANDLER(kTreeId, TVN_KEYDOWN, OnTreeKeyDown)
      NOTIFY_HANDLER(kTreeId, TVN_ITEMEXPANDEDW, OnTreeItemExpanded)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetFavoritesPath(const std::wstring &path);
   void SetLinkPath(const std::wstring &path);
   void SetArrayPath(const std::wstring &path);
   void SetDestination(const std::wstring &dest);
   void NewFolder(long parentId);
   void OpenSelection();

   const std::vector<FavoriteItem> &Items() const { return items_; }
   // The tree item that shows the element; null when it is not shown.
   HTREEITEM TreeItemOf(const std::wstring &element) const;

private:
   friend Base;

   LRESULT OnTreeDblClk(int, LPNMHDR, BOOL &);
   LRESULT OnTreeKeyDown(int, LPNMHDR hdr, BOOL &);
   LRESULT OnTreeItemExpanded(int, LPNMHDR hdr, BOOL &);

   void Rewatch();
   void OnChange(BSTR path);
   void OnStateChange(BSTR path);
   void Reread(bool force = false);
   void Fill(const std::wstring &selectedElement);
   void ForgetTreeItems() { treeItems_.clear(); }
   HTREEITEM ShownItem(const FavoriteItem &item) const { return TreeItemOf(item.element); }
   void FireOpen(const FavoriteItem &item);
   void FireContextMenu(const FavoriteItem *item, POINT screen);
   void StartRename(HTREEITEM item);
   void ApplyName(const FavoriteItem &item, const std::wstring &name);
   void RemoveFolder(const FavoriteItem &folder);

   std::wstring favoritesPath_;
   std::wstring linkPath_;
   std::wstring arrayPath_;
   std::wstring dest_;
   std::map<std::wstring, HTREEITEM> treeItems_;   // by element
   std::set<long> collapsed_;                      // folder ids the user closed
   std::wstring renameWhenShown_;                  // a new folder's element, renamed once it shows
   bool filling_ = false;
};

class VMListCtl : public WindowedControl<IVMListCtl, CVMListWnd, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN> {
public:
   VMListCtl() : WindowedControl(DIID__IVMListCtlEvents) {}

   HRESULT __stdcall put_Context(IVmdbContext *ctx) override;
   HRESULT __stdcall put_FavoritesPath(BSTR path) override;
   HRESULT __stdcall put_LinkPath(BSTR path) override;
   HRESULT __stdcall put_ArrayPath(BSTR path) override;
   HRESULT __stdcall put_Destination(BSTR dest) override;
   HRESULT __stdcall raw_Rename() override;
   HRESULT __stdcall raw_NewFolder(long parentId) override;
   HRESULT __stdcall raw_OpenSelection() override;
   HRESULT __stdcall get_SelectedPath(BSTR *path) override;
};

}  // namespace tremappsdk
