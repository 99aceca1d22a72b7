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
#include "WindowedControl.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

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

class CVMListWnd : public CWindowImpl<CVMListWnd>, public vmdb::CtxEventSink<CVMListWnd> {
public:
   static constexpr int kTreeId = 1;
   static constexpr UINT kRefreshMessage = WM_APP + 1;

   DECLARE_WND_CLASS_EX("TremappsdkVMList", 0, COLOR_WINDOW)

   explicit CVMListWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CVMListWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      MESSAGE_HANDLER(kRefreshMessage, OnDeferredRefresh)
      NOTIFY_HANDLER(kTreeId, NM_DBLCLK, OnTreeDblClk)
      NOTIFY_HANDLER(kTreeId, NM_RCLICK, OnTreeRClick)
      NOTIFY_HANDLER(kTreeId, TVN_KEYDOWN, OnTreeKeyDown)
      NOTIFY_HANDLER(kTreeId, TVN_BEGINLABELEDITW, OnTreeBeginLabelEdit)
      NOTIFY_HANDLER(kTreeId, TVN_ENDLABELEDITW, OnTreeEndLabelEdit)
      NOTIFY_HANDLER(kTreeId, TVN_ITEMEXPANDEDW, OnTreeItemExpanded)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetFavoritesPath(const std::wstring &path);
   void SetLinkPath(const std::wstring &path);
   void SetArrayPath(const std::wstring &path);
   void SetDestination(const std::wstring &dest);
   void Rename();
   void NewFolder(long parentId);
   void OpenSelection();
   // The selected item; null for none.
   const FavoriteItem *Selected() const;

   const std::vector<FavoriteItem> &Items() const { return items_; }
   HWND Tree() const { return tree_; }
   // The tree item that shows the element; null when it is not shown.
   HTREEITEM TreeItemOf(const std::wstring &element) const;

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &) { return NFR_UNICODE; }
   LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnDeferredRefresh(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTreeDblClk(int, LPNMHDR, BOOL &);
   LRESULT OnTreeRClick(int, LPNMHDR, BOOL &);
   LRESULT OnTreeKeyDown(int, LPNMHDR hdr, BOOL &);
   LRESULT OnTreeBeginLabelEdit(int, LPNMHDR hdr, BOOL &);
   LRESULT OnTreeEndLabelEdit(int, LPNMHDR hdr, BOOL &);
   LRESULT OnTreeItemExpanded(int, LPNMHDR hdr, BOOL &);

   void Rewatch();
   void OnChange(BSTR path);
   void OnStateChange(BSTR path);
   void Refresh(bool force = false);
   void Fill(const std::wstring &selectedElement);
   const FavoriteItem *ItemOf(HTREEITEM item) const;
   void FireOpen(const FavoriteItem &item);
   void FireContextMenu(const FavoriteItem *item, POINT screen);
   void StartRename(HTREEITEM item);
   void RemoveFolder(const FavoriteItem &folder);

   atl::DispEventSource &events_;
   IVmdbContextPtr ctx_;
   std::wstring favoritesPath_;
   std::wstring linkPath_;
   std::wstring arrayPath_;
   std::wstring dest_;
   std::vector<FavoriteItem> items_;
   std::map<std::wstring, HTREEITEM> treeItems_;   // by element
   std::set<long> collapsed_;                      // folder ids the user closed
   ListRequests requests_{"VMListCtl"};
   std::wstring renameWhenShown_;                  // a new folder's element, renamed once it shows
   HWND tree_ = nullptr;
   HIMAGELIST images_ = nullptr;
   bool renameAllowed_ = false;
   bool editing_ = false;
   bool stale_ = false;                            // a change came while the user was editing
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
