// The window of a list control: a tree view child that shows `Item`s read from the database, the
// context menu of an item or of the background, and renaming by label edit, with a re-read that
// waits until an edit has ended.
//
// T provides: kTreeStyle (the tree view's own styles), Fill(selected), Reread(force),
// ShownItem(item) (the tree item that shows it), StartRename(tree item), ApplyName(item, name),
// FireContextMenu(item or null, screen point), and may hide ForgetTreeItems (run when the window
// goes).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "DbUtil.h"
#include "ListSupport.h"
#include "WinUtil.h"
#include "atl/Atl.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

template <class T, class Item>
class CListTreeWnd : public CWindowImpl<T>, public vmdb::CtxEventSink<T> {
public:
   static constexpr int kTreeId = 1;
   static constexpr UINT kRefreshMessage = WM_APP + 1;

   CListTreeWnd(atl::DispEventSource &events, const char *requester) : events_(events), requests_(requester) {}

   BEGIN_MSG_MAP(CListTreeWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      MESSAGE_HANDLER(kRefreshMessage, OnDeferredRefresh)
      NOTIFY_HANDLER(kTreeId, NM_RCLICK, OnTreeRClick)
      NOTIFY_HANDLER(kTreeId, TVN_BEGINLABELEDITW, OnTreeBeginLabelEdit)
      NOTIFY_HANDLER(kTreeId, TVN_ENDLABELEDITW, OnTreeEndLabelEdit)
   END_MSG_MAP()

   // Renames the selected item: its label is edited, the name applied when the edit ends.
   void Rename()
   {
      if (const Item *item = Selected()) {
         Self()->StartRename(Self()->ShownItem(*item));
      }
   }

   // The selected item; null for none.
   const Item *Selected() const
   {
      if (!tree_) {
         return nullptr;
      }
      return ItemOf(reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
   }

   HWND Tree() const { return tree_; }

protected:
   T *Self() { return static_cast<T *>(this); }
   const T *Self() const { return static_cast<const T *>(this); }

   void ForgetTreeItems() {}

   const Item *ItemOf(HTREEITEM handle) const
   {
      if (!tree_ || !handle) {
         return nullptr;
      }
      TVITEMW tvi = {};
      tvi.mask = TVIF_PARAM | TVIF_HANDLE;
      tvi.hItem = handle;
      if (!::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tvi))) {
         return nullptr;
      }
      size_t index = static_cast<size_t>(tvi.lParam);
      return index < items_.size() ? &items_[index] : nullptr;
   }

   // True (and the list marked stale) while a label is being edited: the re-read waits for its end.
   bool DeferWhileEditing()
   {
      if (editing_) {
         stale_ = true;
      }
      return editing_;
   }

   // Opens the item's label for editing, which only Rename and its kin may do.
   void EditLabel(HTREEITEM item)
   {
      renameAllowed_ = true;
      ::SendMessageW(tree_, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(item));
      renameAllowed_ = false;
   }

   atl::DispEventSource &events_;
   IVmdbContextPtr ctx_;
   std::vector<Item> items_;
   ListRequests requests_;
   HWND tree_ = nullptr;

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &)
   {
      RECT rc;
      this->GetClientRect(&rc);
      tree_ = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | T::kTreeStyle, 0, 0, rc.right,
                              rc.bottom, this->m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTreeId)),
                              _Module.GetModuleInstance(), nullptr);
      if (!tree_) {
         return -1;
      }
      images_ = CreateListImages();
      ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
      ::SendMessageW(tree_, TVM_SETITEMHEIGHT, 20, 0);
      Self()->Fill(std::wstring());
      return 0;
   }

   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
   {
      this->Unadvise();
      ctx_ = nullptr;
      requests_.Clear();
      tree_ = nullptr;   // a child: destroyed with us
      Self()->ForgetTreeItems();
      if (images_) {
         ImageList_Destroy(images_);
         images_ = nullptr;
      }
      return 0;
   }

   LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
   {
      if (tree_) {
         ::MoveWindow(tree_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      }
      return 0;
   }

   LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &)
   {
      if (tree_) {
         ::SetFocus(tree_);
      }
      return 0;
   }

   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &) { return NFR_UNICODE; }

   LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &)
   {
      // From the keyboard (Shift+F10, the menu key): at the selected item, else the list's corner.
      POINT pt = {XParam(lParam), YParam(lParam)};
      const Item *item = Selected();
      if (pt.x == -1 && pt.y == -1) {
         pt = TreeMenuPoint(tree_, item ? Self()->ShownItem(*item) : nullptr);
      }
      Self()->FireContextMenu(item, pt);
      return 0;
   }

   LRESULT OnDeferredRefresh(UINT, WPARAM, LPARAM, BOOL &)
   {
      Self()->Reread(true);
      return 0;
   }

   LRESULT OnTreeRClick(int, LPNMHDR, BOOL &)
   {
      bool onItem = false;
      HTREEITEM hit = TreeItemAtCursor(tree_, &onItem);
      const Item *item = nullptr;
      // The item clicked becomes the selection; on the background nothing is selected, so what
      // the menu creates goes to the top level.
      ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(onItem ? hit : nullptr));
      if (onItem) {
         item = ItemOf(hit);
      }
      DWORD pos = GetMessagePos();
      Self()->FireContextMenu(item, POINT{XParam(pos), YParam(pos)});
      return 1;   // no WM_CONTEXTMENU after it
   }

   LRESULT OnTreeBeginLabelEdit(int, LPNMHDR, BOOL &)
   {
      // Names change through Rename only, not by a slow second click.
      if (!renameAllowed_) {
         return TRUE;
      }
      editing_ = true;
      return FALSE;
   }

   LRESULT OnTreeEndLabelEdit(int, LPNMHDR hdr, BOOL &)
   {
      const NMTVDISPINFOW *info = reinterpret_cast<const NMTVDISPINFOW *>(hdr);
      editing_ = false;
      const Item *item = ItemOf(info->item.hItem);
      std::wstring name = info->item.pszText ? Trimmed(info->item.pszText) : std::wstring();
      if (item && !name.empty() && name != item->name) {
         Self()->ApplyName(*item, name);
      }
      if (stale_) {
         stale_ = false;
         // Not while the tree is still ending the edit: it is rebuilt once the edit control is gone.
         this->PostMessage(kRefreshMessage);
      }
      // The label shows the old name until the new one is read back.
      return FALSE;
   }

   HIMAGELIST images_ = nullptr;
   bool renameAllowed_ = false;
   bool editing_ = false;
   bool stale_ = false;   // a change came while the user was editing
};

}  // namespace tremappsdk
