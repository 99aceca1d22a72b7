// The snapshot manager's grid: a scrolled child dialog that draws a machine's snapshot tree as
// icon cells laid out by cui::SnapshotLayout, with a selection of several snapshots (anchor and
// focus), mouse, keyboard, tooltips and context menus. Every selection change first commits the
// manager's details pane and then tells the manager.
#pragma once

#include "atl/Atl.h"
#include "res/resource.h"
#include "zoltWndUtil.h"

#include "cui/SnapshotLayout.h"

#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace cui {
class Snapshot;
class SnapshotTree;
class VM;
}  // namespace cui

class CZOLTSnapshotMgr;

// The operations of CZOLTSnapshotGrid::Select, also the manager's automation operation code.
enum GridSelectOp {
   GRID_SELECT_ONLY = 0,    // clear, then as GRID_SELECT_ADD
   GRID_SELECT_ADD = 1,     // add the cell and make it the anchor
   GRID_SELECT_REMOVE = 2,
   GRID_SELECT_RANGE = 3,   // from the anchor to the cell
   GRID_SELECT_FOCUS = 4,   // the selection stays; the focus moves
   GRID_SELECT_CLEAR = 5,
};

// Slots of the grid's icon table.
enum GridIcon {
   ICON_MACHINE = 0, ICON_UNUSED = 1, ICON_SNAPSHOT = 2, ICON_SNAPSHOT_SUSPENDED = 3, ICON_SNAPSHOT_ON = 4,
   ICON_YAH = 5, ICON_YAH_ON = 6, ICON_YAH_SUSPENDED = 7, ICON_CLONED = 8, ICON_RECORDING = 9,
   ICON_LINE = 10, ICON_VERTICAL = 11, ICON_CORNER = 12, ICON_TEE = 13, ICON_COUNT = 14
};

// One cell of the grid: a connector, the machine, a snapshot or the current state.
class GridItem {
public:
   static const int kCellWidth = 32;
   static const int kCellHeight = 62;
   static const int kIconSize = 32;

   GridItem(int row, int col, int kind, HICON icon, std::string label)
      : row_(row), col_(col), kind_(kind), icon_(icon), label_(std::move(label))
   {
   }
   virtual ~GridItem() = default;

   virtual bool IsSelectable() const { return false; }
   virtual bool HitTest(POINT, bool) const { return false; }
   // State 0 plain, 1 selected without the keyboard focus, 2 selected with it.
   virtual void Draw(HDC dc, int state) const;
   virtual cui::Snapshot *GetSnapshot() const { return nullptr; }

   int GetRow() const { return row_; }
   int GetColumn() const { return col_; }
   int GetKind() const { return kind_; }
   const std::string &GetLabel() const { return label_; }
   // The cell at the grid origin; the wide one reaches half a cell further left and right and
   // one pixel above and below (what a selection fills).
   RECT GetRect() const;
   RECT GetWideRect() const;

   // Where the content's (0, 0) stands in the window: the scroll offsets plus the margin of 20.
   static POINT origin;

protected:
   int row_;
   int col_;
   int kind_;
   HICON icon_;
   std::string label_;
};

class SelectableGridItem : public GridItem {
public:
   SelectableGridItem(int row, int col, int kind, HICON icon, std::string label, cui::Snapshot *snapshot)
      : GridItem(row, col, kind, icon, std::move(label)), snapshot_(snapshot)
   {
   }
   bool IsSelectable() const override { return true; }
   bool HitTest(POINT pt, bool wide) const override;
   cui::Snapshot *GetSnapshot() const override { return snapshot_; }
   int GetUID() const;

private:
   cui::Snapshot *snapshot_;
};

class CZOLTSnapshotGrid : public CDialogImpl<CZOLTSnapshotGrid> {
public:
   enum { IDD = IDD_SNAPSHOT_GRID };
   static const int kMargin = 20;
   static const int kLineStep = 16;

   explicit CZOLTSnapshotGrid(CZOLTSnapshotMgr *mgr);
   ~CZOLTSnapshotGrid() override;

   BEGIN_MSG_MAP(CZOLTSnapshotGrid)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_HSCROLL, OnScroll)
      MESSAGE_HANDLER(WM_VSCROLL, OnScroll)
      MESSAGE_HANDLER(WM_MOUSEWHEEL, OnMouseWheel)
      MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
      MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
      MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
      MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
   END_MSG_MAP()

   // Rebuilds the cells from the tree; the selection, focus and anchor stay on the same UIDs.
   void BuildLayout(cui::SnapshotTree *tree);
   // A text shown beside the cells (why there are none), part of the scrolled content, and the
   // grid's window text for readers of the screen; empty for none.
   void SetNotice(const std::string &text);
   const std::string &GetNotice() const { return notice_; }
   // Where the notice is drawn now, in client coordinates (empty without a notice).
   RECT GetNoticeRect() const;
   // False (and nothing changes) when the details pane refuses to commit.
   bool Select(int op, GridItem *cell);
   void SelectAll();
   GridItem *FindItem(const cui::Snapshot *snapshot) const;
   void EnsureVisible(const GridItem *cell);

   // The keyboard window's keys (also what tests press).
   void OnKey(UINT vk, bool ctrl, bool shift);
   // The mouse's left button at a client point, with the modifier keys given.
   void ClickAt(POINT pt, bool ctrl, bool shift);
   GridItem *HitTest(POINT pt, bool wide) const;

   const std::set<GridItem *> &GetSelectedCells() const { return selected_; }
   const std::set<int> &GetSelectedUIDs() const { return selectedUids_; }
   std::vector<int> GetSelectedUIDList() const { return std::vector<int>(selectedUids_.begin(), selectedUids_.end()); }
   GridItem *GetFocusCell() const { return focus_; }
   GridItem *GetAnchorCell() const { return anchor_; }
   GridItem *GetYAHCell() const { return yah_; }
   const cui::SnapshotLayout *GetLayout() const { return layout_.get(); }
   const std::vector<std::unique_ptr<GridItem>> &GetCells() const { return cells_; }
   HWND GetKeyboardWindow() const { return keys_; }
   POINT GetScrollOffset() const { return POINT{scrollX_, scrollY_}; }
   const RECT &GetContentRect() const { return content_; }
   // Paints the whole grid into `dc` (what WM_PAINT draws through its off-screen bitmap).
   void PaintTo(HDC dc, const RECT &client);

   static LRESULT CALLBACK KeyboardProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR data);

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnScroll(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnMouseWheel(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnContextMenu(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotify(UINT, WPARAM, LPARAM, BOOL &);

   void AddToSelection(GridItem *cell);
   void RemoveFromSelection(GridItem *cell);
   void ClearSelection();
   void DropYAHFromSeveral();
   void SetFocusCell(GridItem *cell);
   GridItem *CellAt(const cui::SnapshotLayout::Loc &loc) const;
   void NotifyManager();
   // Shows or hides the bars for the content; true when they are shown.
   bool UpdateScrollBars();
   void RefreshScrollBars();
   void ScrollTo(int x, int y);
   void Activate(GridItem *cell);
   void Repaint();
   // Wraps the notice to the client's width and makes the content hold the cells and it.
   void LayOutNotice();

   CZOLTSnapshotMgr *mgr_;
   cui::SnapshotTree *tree_ = nullptr;
   unsigned generation_ = 0;   // counts rebuilds: cell pointers of an older one are gone
   std::unique_ptr<cui::SnapshotLayout> layout_;
   std::vector<std::unique_ptr<GridItem>> cells_;
   std::map<std::pair<int, int>, GridItem *> byLoc_;
   atl::ScopedFont font_;
   HCURSOR arrow_ = nullptr;
   HCURSOR hand_ = nullptr;
   std::set<GridItem *> selected_;
   std::set<int> selectedUids_;
   GridItem *focus_ = nullptr;
   int focusUid_ = -1;
   GridItem *anchor_ = nullptr;
   int anchorUid_ = -1;
   RECT content_ = {0, 0, 0, 0};
   RECT cellsContent_ = {0, 0, 0, 0};   // the cells' part of the content
   RECT noticeRect_ = {0, 0, 0, 0};     // the notice in content coordinates
   int scrollX_ = 0;
   int scrollY_ = 0;
   GridItem *yah_ = nullptr;
   HWND tooltipWnd_ = nullptr;
   Tooltip tooltip_;
   TooltipText tipText_;
   POINT mouse_ = {-1, -1};
   HICON icons_[ICON_COUNT] = {};
   HWND keys_ = nullptr;
   bool barsShown_ = false;
   bool sizing_ = false;
   std::string notice_;
};
