#include "zoltSnapshotGrid.h"

#include "zoltResources.h"
#include "zoltSnapshotDetails.h"
#include "zoltSnapshotMgr.h"

#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

#include <commctrl.h>

#include <algorithm>

namespace {

const UINT kIconIds[ICON_COUNT] = {
   IDI_SNAPSHOT_MACHINE, IDI_SNAPSHOT_UNUSED, IDI_SNAPSHOT_OFF,   IDI_SNAPSHOT_SUSPENDED, IDI_SNAPSHOT_ON,
   IDI_SNAPSHOT_YAH,     IDI_SNAPSHOT_YAH_ON, IDI_SNAPSHOT_YAH_SUSPENDED, IDI_SNAPSHOT_CLONED, IDI_SNAPSHOT_RECORDING,
   IDI_SNAPSHOT_LINE,    IDI_SNAPSHOT_VERTICAL, IDI_SNAPSHOT_CORNER, IDI_SNAPSHOT_TEE,
};

const COLORREF kLineColor = RGB(96, 104, 120);
const UINT kLabelFormat = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;
const UINT kNoticeFormat = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL;
const int kMinNoticeWidth = 200;

bool KeyDown(int vk)
{
   return (::GetKeyState(vk) & 0x8000) != 0;
}

int IconOfSnapshot(const cui::Snapshot *snapshot)
{
   if (snapshot->HasClone()) {
      return ICON_CLONED;
   }
   if (snapshot->HasRecordings()) {
      return ICON_RECORDING;
   }
   switch (snapshot->GetPowerState()) {
   case cui::Snapshot::SUSPENDED:
      return ICON_SNAPSHOT_SUSPENDED;
   case cui::Snapshot::POWERED_ON:
      return ICON_SNAPSHOT_ON;
   default:
      return ICON_SNAPSHOT;
   }
}

int IconOfYAH(const cui::VM &vm)
{
   switch (vm.GetPowerState()) {
   case cui::VM::POWERED_ON:
      return ICON_YAH_ON;
   case cui::VM::SUSPENDED:
      return ICON_YAH_SUSPENDED;
   default:
      return ICON_YAH;
   }
}

int Clamp(int value, int low, int high)
{
   return value < low ? low : (value > high ? high : value);
}

}  // namespace

POINT GridItem::origin = {CZOLTSnapshotGrid::kMargin, CZOLTSnapshotGrid::kMargin};

RECT GridItem::GetRect() const
{
   RECT rc = {col_ * kCellWidth, row_ * kCellHeight, col_ * kCellWidth + kCellWidth, row_ * kCellHeight + kCellHeight};
   ::OffsetRect(&rc, origin.x, origin.y);
   return rc;
}

RECT GridItem::GetWideRect() const
{
   RECT rc = GetRect();
   ::InflateRect(&rc, kCellWidth / 2, 1);
   return rc;
}

void GridItem::Draw(HDC dc, int state) const
{
   const RECT cell = GetRect();
   if (state == 2 || state == 1) {
      RECT wide = GetWideRect();
      ::FillRect(dc, &wide, ::GetSysColorBrush(state == 2 ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
   }
   if (icon_) {
      ::DrawIconEx(dc, cell.left, cell.top, icon_, 0, 0, 0, nullptr, DI_NORMAL);
   }
   // A line going on down continues below its icon to the next row.
   if (kind_ == cui::SnapshotLayout::NODE_TEE || kind_ == cui::SnapshotLayout::NODE_VERTICAL) {
      RECT line = {cell.left + kIconSize / 2 - 1, cell.top + kIconSize, cell.left + kIconSize / 2 + 1, cell.bottom};
      atl::ScopedBrush brush(::CreateSolidBrush(kLineColor));
      ::FillRect(dc, &line, brush);
   }
   if (!label_.empty()) {
      RECT text = {cell.left - 15, cell.top + kIconSize + 2 + 1, cell.right + 15, cell.bottom - 1};
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ::GetSysColor(state ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      DrawTextUtf8(dc, label_, &text, kLabelFormat);
   }
}

bool SelectableGridItem::HitTest(POINT pt, bool wide) const
{
   RECT rc = wide ? GetWideRect() : GetRect();
   return ::PtInRect(&rc, pt) != FALSE;
}

int SelectableGridItem::GetUID() const
{
   return snapshot_ ? snapshot_->GetUID() : -1;
}

namespace {

int UIDOf(const GridItem *cell)
{
   const cui::Snapshot *snapshot = cell ? cell->GetSnapshot() : nullptr;
   return snapshot ? snapshot->GetUID() : -1;
}

}  // namespace

CZOLTSnapshotGrid::CZOLTSnapshotGrid(CZOLTSnapshotMgr *mgr) : mgr_(mgr)
{
   GridItem::origin = POINT{kMargin, kMargin};
   for (int i = 0; i < ICON_COUNT; ++i) {
      icons_[i] = static_cast<HICON>(
         ::LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(kIconIds[i]), IMAGE_ICON, 0, 0, 0));
   }
}

CZOLTSnapshotGrid::~CZOLTSnapshotGrid()
{
   cells_.clear();
   layout_.reset();
   for (HICON &icon : icons_) {
      if (icon) {
         ::DestroyIcon(icon);
         icon = nullptr;
      }
   }
}

LRESULT CZOLTSnapshotGrid::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   LOGFONTW logFont = {};
   HFONT dialogFont = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
   if (dialogFont && ::GetObjectW(dialogFont, sizeof logFont, &logFont)) {
      logFont.lfWeight = 100;
      font_.reset(::CreateFontIndirectW(&logFont));
   }
   arrow_ = ::LoadCursor(nullptr, IDC_ARROW);
   hand_ = ::LoadCursor(nullptr, IDC_HAND);
   keys_ = ::GetDlgItem(m_hWnd, IDC_SNAPSHOT_GRID_KEYS);
   if (keys_) {
      ::SetWindowSubclass(keys_, KeyboardProc, 1, reinterpret_cast<DWORD_PTR>(this));
      ::SetFocus(keys_);
   }
   if (CreateTooltipWindow(tooltipWnd_, m_hWnd, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX)) {
      tooltip_.Attach(tooltipWnd_);
   }
   return FALSE;
}

LRESULT CZOLTSnapshotGrid::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (tooltipWnd_) {
      ::DestroyWindow(tooltipWnd_);
      tooltipWnd_ = nullptr;
      tooltip_.Attach(nullptr);
   }
   if (keys_) {
      ::RemoveWindowSubclass(keys_, KeyboardProc, 1);
      keys_ = nullptr;
   }
   bHandled = FALSE;
   return 0;
}

// The keyboard window: arrows, characters, Esc and Enter come here rather than to the dialog
// manager's navigation.
LRESULT CALLBACK CZOLTSnapshotGrid::KeyboardProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                 DWORD_PTR data)
{
   auto *grid = reinterpret_cast<CZOLTSnapshotGrid *>(data);
   try {
      switch (msg) {
      case WM_GETDLGCODE: {
         LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
         const MSG *pending = reinterpret_cast<const MSG *>(lParam);
         if (pending && pending->message == WM_KEYDOWN &&
             (pending->wParam == VK_ESCAPE || pending->wParam == VK_RETURN)) {
            code |= DLGC_WANTMESSAGE;
         }
         return code;
      }
      case WM_KEYDOWN:
         switch (wParam) {
         case VK_ESCAPE: case VK_RETURN: case VK_SPACE: case VK_UP: case VK_DOWN: case VK_LEFT: case VK_RIGHT:
         case VK_HOME: case VK_END:
            grid->OnKey(static_cast<UINT>(wParam), KeyDown(VK_CONTROL), KeyDown(VK_SHIFT));
            return 0;
         default:
            break;
         }
         break;
      case WM_KEYUP:
      case WM_CHAR:
         return 0;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
         grid->Repaint();
         break;
      default:
         break;
      }
   } catch (...) {
      atl::HandleUncaughtException();
   }
   return ::DefSubclassProc(wnd, msg, wParam, lParam);
}

GridItem *CZOLTSnapshotGrid::CellAt(const cui::SnapshotLayout::Loc &loc) const
{
   auto it = byLoc_.find(std::make_pair(loc.row, loc.col));
   return it == byLoc_.end() ? nullptr : it->second;
}

GridItem *CZOLTSnapshotGrid::FindItem(const cui::Snapshot *snapshot) const
{
   if (!layout_ || !snapshot) {
      return nullptr;
   }
   return CellAt(layout_->GetLoc(snapshot));
}

void CZOLTSnapshotGrid::BuildLayout(cui::SnapshotTree *tree)
{
   ++generation_;
   tree_ = tree;
   layout_.reset(tree ? new cui::SnapshotLayout(*tree) : nullptr);
   std::set<int> keep;
   keep.swap(selectedUids_);
   selected_.clear();
   focus_ = nullptr;
   anchor_ = nullptr;
   yah_ = nullptr;
   byLoc_.clear();
   cells_.clear();

   int rows = 0;
   int cols = 0;
   if (layout_) {
      const cui::SnapshotLayout::Matrix &matrix = layout_->GetMatrix();
      rows = matrix.GetRows();
      cols = matrix.GetColumns();
      const cui::VM &vm = tree->GetVM();
      const std::string yahLabel = tremapputil::ResString(IDS_SNAPSHOT_YAH_LABEL).Text();
      matrix.ForEachCell([&](int row, int col, const cui::SnapshotLayout::Node &node) {
         std::unique_ptr<GridItem> cell;
         switch (node.kind) {
         case cui::SnapshotLayout::NODE_LINE:
            cell.reset(new GridItem(row, col, node.kind, icons_[ICON_LINE], ""));
            break;
         case cui::SnapshotLayout::NODE_TEE:
            cell.reset(new GridItem(row, col, node.kind, icons_[ICON_TEE], ""));
            break;
         case cui::SnapshotLayout::NODE_CORNER:
            cell.reset(new GridItem(row, col, node.kind, icons_[ICON_CORNER], ""));
            break;
         case cui::SnapshotLayout::NODE_VERTICAL:
            cell.reset(new GridItem(row, col, node.kind, icons_[ICON_VERTICAL], ""));
            break;
         case cui::SnapshotLayout::NODE_YAH:
            if (node.snapshot) {
               cell.reset(new SelectableGridItem(row, col, node.kind, icons_[IconOfYAH(vm)], yahLabel, node.snapshot));
               yah_ = cell.get();
            }
            break;
         case cui::SnapshotLayout::NODE_SNAPSHOT:
            if (node.snapshot) {
               cell.reset(new SelectableGridItem(row, col, node.kind, icons_[IconOfSnapshot(node.snapshot)],
                                                 node.snapshot->GetDisplayName(), node.snapshot));
            }
            break;
         case cui::SnapshotLayout::NODE_MACHINE:
            cell.reset(new GridItem(row, col, node.kind, icons_[ICON_MACHINE], vm.GetName()));
            break;
         default:
            break;
         }
         if (!cell) {
            return;
         }
         GridItem *item = cell.get();
         if (item->IsSelectable()) {
            const int uid = UIDOf(item);
            if (keep.count(uid)) {
               selected_.insert(item);
               selectedUids_.insert(uid);
            }
            if (uid == focusUid_) {
               focus_ = item;
            }
            if (uid == anchorUid_) {
               anchor_ = item;
            }
         }
         byLoc_[std::make_pair(row, col)] = item;
         cells_.push_back(std::move(cell));
      });
   }
   if (!focus_) {
      focus_ = yah_;
      focusUid_ = yah_ ? 0 : -1;
   }
   if (!anchor_) {
      anchor_ = yah_;
      anchorUid_ = yah_ ? 0 : -1;
   }
   cellsContent_ = RECT{0, 0, cols * GridItem::kCellWidth, rows * GridItem::kCellHeight};
   ::InflateRect(&cellsContent_, kMargin, kMargin);
   ::OffsetRect(&cellsContent_, kMargin, kMargin);
   LayOutNotice();

   if (m_hWnd) {
      RefreshScrollBars();
      EnsureVisible(focus_);
      // The keys come back to the grid unless the user is typing in the details pane: a refresh
      // must not take the text box from under the user's fingers.
      HWND focused = ::GetFocus();
      HWND details = mgr_ ? mgr_->GetDetails().m_hWnd : nullptr;
      if (keys_ && !(focused && details && (focused == details || ::IsChild(details, focused)))) {
         ::SetFocus(keys_);
      }
   }
   NotifyManager();
   Repaint();
}

void CZOLTSnapshotGrid::AddToSelection(GridItem *cell)
{
   if (cell && cell->IsSelectable()) {
      selected_.insert(cell);
      selectedUids_.insert(UIDOf(cell));
   }
}

void CZOLTSnapshotGrid::RemoveFromSelection(GridItem *cell)
{
   if (cell) {
      selected_.erase(cell);
      selectedUids_.erase(UIDOf(cell));
   }
}

void CZOLTSnapshotGrid::ClearSelection()
{
   selected_.clear();
   selectedUids_.clear();
}

void CZOLTSnapshotGrid::DropYAHFromSeveral()
{
   if (selected_.size() > 1 && yah_) {
      RemoveFromSelection(yah_);
   }
}

void CZOLTSnapshotGrid::SetFocusCell(GridItem *cell)
{
   if (cell) {
      focus_ = cell;
      focusUid_ = UIDOf(cell);
   }
}

bool CZOLTSnapshotGrid::Select(int op, GridItem *cell)
{
   if (cell && !cell->IsSelectable()) {
      cell = nullptr;
   }
   const int uid = UIDOf(cell);
   const unsigned generation = generation_;
   if (mgr_ && !mgr_->GetDetails().Rename()) {
      return false;
   }
   // The commit may have rebuilt the cells (the tree changed): find the cell again by its UID.
   if (cell && generation != generation_) {
      cell = tree_ ? FindItem(tree_->GetSnapshot(uid)) : nullptr;
   }
   switch (op) {
   case GRID_SELECT_ONLY:
      ClearSelection();
      // fall through
   case GRID_SELECT_ADD:
      if (cell) {
         AddToSelection(cell);
         anchor_ = cell;
         anchorUid_ = UIDOf(cell);
      }
      break;
   case GRID_SELECT_REMOVE:
      RemoveFromSelection(cell);
      break;
   case GRID_SELECT_RANGE: {
      GridItem *from = selected_.empty() ? focus_ : (anchor_ ? anchor_ : focus_);
      if (cell && layout_) {
         std::vector<cui::Snapshot *> range = layout_->SelectRange(from ? from->GetSnapshot() : nullptr,
                                                                   cell->GetSnapshot());
         ClearSelection();
         for (cui::Snapshot *snapshot : range) {
            AddToSelection(FindItem(snapshot));
         }
      }
      break;
   }
   case GRID_SELECT_FOCUS:
      break;
   case GRID_SELECT_CLEAR:
      ClearSelection();
      break;
   default:
      NOT_IMPLEMENTED();
   }
   if (op == GRID_SELECT_ONLY || op == GRID_SELECT_ADD || op == GRID_SELECT_RANGE) {
      DropYAHFromSeveral();
   }
   SetFocusCell(cell);
   NotifyManager();
   Repaint();
   return true;
}

void CZOLTSnapshotGrid::SelectAll()
{
   for (const std::unique_ptr<GridItem> &cell : cells_) {
      AddToSelection(cell.get());
   }
   DropYAHFromSeveral();
   NotifyManager();
   Repaint();
}

void CZOLTSnapshotGrid::NotifyManager()
{
   if (mgr_) {
      mgr_->OnSelectionChanged();
   }
}

void CZOLTSnapshotGrid::Repaint()
{
   if (m_hWnd) {
      ::InvalidateRect(m_hWnd, nullptr, FALSE);
   }
}

GridItem *CZOLTSnapshotGrid::HitTest(POINT pt, bool wide) const
{
   for (const std::unique_ptr<GridItem> &cell : cells_) {
      if (cell->IsSelectable() && cell->GetKind() != cui::SnapshotLayout::NODE_MACHINE && cell->HitTest(pt, wide)) {
         return cell.get();
      }
   }
   return nullptr;
}

void CZOLTSnapshotGrid::Activate(GridItem *cell)
{
   if (!cell) {
      return;
   }
   SetFocusCell(cell);
   HWND mgrWnd = mgr_ ? mgr_->m_hWnd : ::GetParent(m_hWnd);
   ::PostMessageW(mgrWnd, WM_COMMAND, MAKEWPARAM(cell == yah_ ? IDCANCEL : IDC_SNAPSHOT_GOTO, BN_CLICKED), 0);
}

void CZOLTSnapshotGrid::OnKey(UINT vk, bool ctrl, bool shift)
{
   HWND mgrWnd = mgr_ ? mgr_->m_hWnd : ::GetParent(m_hWnd);
   int direction = -1;
   switch (vk) {
   case VK_ESCAPE:
      ::SendMessageW(mgrWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      return;
   case VK_RETURN:
      Activate(focus_);
      return;
   case VK_SPACE:
      if (!focus_) {
         return;
      }
      if (shift) {
         Select(GRID_SELECT_RANGE, focus_);
      } else if (ctrl) {
         Select(selected_.count(focus_) ? GRID_SELECT_REMOVE : GRID_SELECT_ADD, focus_);
      } else {
         Select(GRID_SELECT_ADD, focus_);
      }
      return;
   case VK_UP: direction = cui::SnapshotLayout::NAV_UP; break;
   case VK_DOWN: direction = cui::SnapshotLayout::NAV_DOWN; break;
   case VK_LEFT: direction = cui::SnapshotLayout::NAV_LEFT; break;
   case VK_RIGHT: direction = cui::SnapshotLayout::NAV_RIGHT; break;
   case VK_HOME: direction = ctrl ? cui::SnapshotLayout::NAV_FIRST : cui::SnapshotLayout::NAV_ROW_START; break;
   case VK_END: direction = ctrl ? cui::SnapshotLayout::NAV_LAST : cui::SnapshotLayout::NAV_ROW_END; break;
   default:
      return;
   }
   if (!layout_) {
      return;
   }
   GridItem *target = nullptr;
   if (focus_) {
      cui::SnapshotLayout::Loc from = layout_->GetLoc(focus_->GetSnapshot());
      target = CellAt(layout_->Navigate(from, direction));
   } else {
      target = yah_;
   }
   if (!target || !target->IsSelectable()) {
      return;
   }
   Select(shift ? GRID_SELECT_RANGE : (ctrl ? GRID_SELECT_FOCUS : GRID_SELECT_ONLY), target);
   if (focus_) {
      if (focus_->GetColumn() >= 2) {
         // Keep the branch the focus came from in sight: two columns to its left.
         GridItem left(focus_->GetRow(), focus_->GetColumn() - 2, 0, nullptr, "");
         EnsureVisible(&left);
      }
      EnsureVisible(focus_);
   }
   Repaint();
}

void CZOLTSnapshotGrid::ClickAt(POINT pt, bool ctrl, bool shift)
{
   GridItem *cell = HitTest(pt, false);
   if (cell) {
      if (shift) {
         Select(GRID_SELECT_RANGE, cell);
      } else if (ctrl) {
         Select(selected_.count(cell) ? GRID_SELECT_REMOVE : GRID_SELECT_ADD, cell);
      } else {
         Select(GRID_SELECT_ONLY, cell);
      }
   } else if (!ctrl && !shift) {
      Select(GRID_SELECT_CLEAR, nullptr);
   }
}

LRESULT CZOLTSnapshotGrid::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   ClickAt(pt, KeyDown(VK_CONTROL), KeyDown(VK_SHIFT));
   if (keys_ && ::GetFocus() != keys_) {
      ::SetFocus(keys_);
   }
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   GridItem *cell = HitTest(pt, false);
   if (cell && !KeyDown(VK_CONTROL)) {
      Activate(cell);
   }
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   mouse_ = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   GridItem *cell = HitTest(mouse_, false);
   if (cell) {
      tooltip_.Activate(UIDOf(cell) + 1);
      ::SetCursor(hand_);
   } else {
      tooltip_.Deactivate();
      ::SetCursor(arrow_);
   }
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnSetCursor(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (reinterpret_cast<HWND>(wParam) != m_hWnd) {
      bHandled = FALSE;
      return 0;
   }
   ::SetCursor(HitTest(mouse_, false) ? hand_ : arrow_);
   return TRUE;
}

LRESULT CZOLTSnapshotGrid::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT screen = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   POINT client = screen;
   if (screen.x == -1 && screen.y == -1) {
      if (!focus_) {
         return 0;
      }
      RECT wide = focus_->GetWideRect();
      client = POINT{(wide.left + wide.right) / 2, (wide.top + wide.bottom) / 2};
      screen = client;
      ::ClientToScreen(m_hWnd, &screen);
   } else {
      ::ScreenToClient(m_hWnd, &client);
   }
   GridItem *cell = HitTest(client, true);
   if (!KeyDown(VK_CONTROL)) {
      if (cell && !selected_.count(cell)) {
         Select(GRID_SELECT_ONLY, cell);
      } else if (!cell) {
         Select(GRID_SELECT_CLEAR, nullptr);
      }
   }
   if (selected_.empty()) {
      return 0;
   }
   UINT menuId = IDR_SNAPSHOT_MENU_SEVERAL;
   if (selected_.size() == 1) {
      GridItem *only = *selected_.begin();
      const cui::Snapshot *snapshot = only->GetSnapshot();
      if (only == yah_) {
         menuId = IDR_SNAPSHOT_MENU_CURRENT;
      } else {
         menuId = snapshot && snapshot->HasRecordings() ? IDR_SNAPSHOT_MENU_RECORDING : IDR_SNAPSHOT_MENU_ONE;
      }
   }
   HMENU menu = ::LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(menuId));
   if (!menu) {
      Warning("CZOLTSnapshotGrid::OnContextMenu: menu %u is missing\n", menuId);
      return 0;
   }
   UINT command = static_cast<UINT>(::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                     screen.x, screen.y, 0, m_hWnd, nullptr));
   ::DestroyMenu(menu);
   if (command) {
      HWND mgrWnd = mgr_ ? mgr_->m_hWnd : ::GetParent(m_hWnd);
      ::PostMessageW(mgrWnd, WM_COMMAND, MAKEWPARAM(command, 0), 0);
   }
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   auto *header = reinterpret_cast<NMHDR *>(lParam);
   if (!header || header->hwndFrom != tooltipWnd_ || header->code != TTN_GETDISPINFOW) {
      bHandled = FALSE;
      return 0;
   }
   GridItem *cell = HitTest(mouse_, false);
   const cui::Snapshot *snapshot = cell ? cell->GetSnapshot() : nullptr;
   std::string text;
   if (snapshot) {
      text = cell == yah_ ? cell->GetLabel() : snapshot->GetDisplayName();
      if (!snapshot->GetDescription().empty()) {
         text += "\r\n" + snapshot->GetDescription();
      }
   }
   tipText_.SetText(reinterpret_cast<NMTTDISPINFOW *>(lParam), text);
   return 0;
}

namespace {

// Whether anything of the cell (its wide rectangle holds the label too) lies in `area`.
bool InView(const GridItem &cell, const RECT &area)
{
   RECT wide = cell.GetWideRect();
   RECT common;
   return ::IntersectRect(&common, &wide, &area) != FALSE;
}

}  // namespace

void CZOLTSnapshotGrid::SetNotice(const std::string &text)
{
   if (text == notice_) {
      return;
   }
   notice_ = text;
   if (m_hWnd) {
      SetWindowTextUtf8(m_hWnd, notice_);
      LayOutNotice();
      RefreshScrollBars();
      Repaint();
   }
}

void CZOLTSnapshotGrid::LayOutNotice()
{
   content_ = cellsContent_;
   noticeRect_ = RECT{0, 0, 0, 0};
   if (notice_.empty() || !m_hWnd) {
      return;
   }
   // Right of the cells (clear of a selected cell's band), where an empty tree leaves the room;
   // never narrower than a short line.
   RECT client;
   ::GetClientRect(m_hWnd, &client);
   const int left = cellsContent_.right + kMargin / 2;
   const int width = std::max(kMinNoticeWidth, static_cast<int>(client.right) - left - kMargin);
   noticeRect_ = RECT{left, kMargin, left + width, kMargin};
   {
      atl::ScopedWindowDC dc(m_hWnd);
      atl::ScopedSelection font(dc, font_);
      DrawTextUtf8(dc, notice_, &noticeRect_, kNoticeFormat | DT_CALCRECT);
   }
   noticeRect_.right = left + width;
   content_.right = std::max(content_.right, noticeRect_.right + kMargin);
   content_.bottom = std::max(content_.bottom, noticeRect_.bottom + kMargin / 2);
}

RECT CZOLTSnapshotGrid::GetNoticeRect() const
{
   RECT rc = noticeRect_;
   ::OffsetRect(&rc, scrollX_, scrollY_);
   return rc;
}

void CZOLTSnapshotGrid::PaintTo(HDC dc, const RECT &client)
{
   ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
   atl::ScopedSelection font(dc, font_);
   if (!notice_.empty()) {
      RECT notice = GetNoticeRect();
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
      DrawTextUtf8(dc, notice_, &notice, kNoticeFormat);
   }
   const bool focused = keys_ && ::GetFocus() == keys_;
   // Only the cells in view are drawn: a large tree costs what the window shows.
   for (const std::unique_ptr<GridItem> &cell : cells_) {
      if (cell->IsSelectable() && InView(*cell, client)) {
         cell->Draw(dc, 0);
      }
   }
   for (GridItem *cell : selected_) {
      if (InView(*cell, client)) {
         cell->Draw(dc, focused ? 2 : 1);
      }
   }
   if (focused && focus_) {
      RECT wide = focus_->GetWideRect();
      ::DrawFocusRect(dc, &wide);
   }
   for (const std::unique_ptr<GridItem> &cell : cells_) {
      if (!cell->IsSelectable() && InView(*cell, client)) {
         cell->Draw(dc, 0);
      }
   }
}

LRESULT CZOLTSnapshotGrid::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   PAINTSTRUCT ps;
   HDC dc = ::BeginPaint(m_hWnd, &ps);
   RECT client;
   GetClientRect(&client);
   {
      atl::ScopedDC memory(dc);
      atl::ScopedBitmap bitmap(memory ? ::CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr);
      if (memory && bitmap) {
         atl::ScopedSelection selected(memory, bitmap);
         PaintTo(memory, client);
         ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      } else {
         PaintTo(dc, client);
      }
   }
   ::EndPaint(m_hWnd, &ps);
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &)
{
   return 1;
}

bool CZOLTSnapshotGrid::UpdateScrollBars()
{
   RECT client;
   GetClientRect(&client);
   if (content_.right <= client.right && content_.bottom <= client.bottom) {
      if (barsShown_) {
         barsShown_ = false;
         ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
      }
      return false;
   }
   SCROLLINFO info = {};
   info.cbSize = sizeof info;
   info.fMask = SIF_RANGE | SIF_PAGE;
   info.nMin = content_.left;
   info.nMax = content_.right;
   info.nPage = static_cast<UINT>(client.right);
   ::SetScrollInfo(m_hWnd, SB_HORZ, &info, FALSE);
   info.nMin = content_.top;
   info.nMax = content_.bottom;
   info.nPage = static_cast<UINT>(client.bottom);
   ::SetScrollInfo(m_hWnd, SB_VERT, &info, FALSE);
   if (!barsShown_) {
      barsShown_ = true;
      ::ShowScrollBar(m_hWnd, SB_BOTH, TRUE);
   }
   return true;
}

void CZOLTSnapshotGrid::RefreshScrollBars()
{
   // Showing or hiding the bars resizes the client area and sends WM_SIZE again: that one is
   // left to this call, which looks twice (the bars themselves may take the room the content
   // needed) and then keeps the offsets within the new range.
   if (sizing_) {
      return;
   }
   sizing_ = true;
   if (UpdateScrollBars()) {
      UpdateScrollBars();
   }
   RECT client;
   GetClientRect(&client);
   const int width = content_.right - content_.left;
   const int height = content_.bottom - content_.top;
   ScrollTo(Clamp(scrollX_, std::min(0, static_cast<int>(client.right) - width), 0),
            Clamp(scrollY_, std::min(0, static_cast<int>(client.bottom) - height), 0));
   ::SetScrollPos(m_hWnd, SB_HORZ, -scrollX_, TRUE);
   ::SetScrollPos(m_hWnd, SB_VERT, -scrollY_, TRUE);
   sizing_ = false;
}

void CZOLTSnapshotGrid::ScrollTo(int x, int y)
{
   const int dx = x - scrollX_;
   const int dy = y - scrollY_;
   scrollX_ = x;
   scrollY_ = y;
   GridItem::origin = POINT{scrollX_ + kMargin, scrollY_ + kMargin};
   if (m_hWnd && (dx || dy)) {
      ::ScrollWindowEx(m_hWnd, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
   }
}

LRESULT CZOLTSnapshotGrid::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   LayOutNotice();
   RefreshScrollBars();
   Repaint();
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnScroll(UINT msg, WPARAM wParam, LPARAM, BOOL &)
{
   const int bar = msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
   SCROLLINFO info = {};
   info.cbSize = sizeof info;
   info.fMask = SIF_ALL;
   if (!::GetScrollInfo(m_hWnd, bar, &info)) {
      return 0;
   }
   const int last = std::max(0, info.nMax - static_cast<int>(info.nPage));
   int pos = info.nPos;
   switch (LOWORD(wParam)) {
   case SB_LINEUP: pos -= kLineStep; break;
   case SB_LINEDOWN: pos += kLineStep; break;
   case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
   case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
   case SB_THUMBPOSITION:
   case SB_THUMBTRACK: pos = info.nTrackPos; break;
   case SB_TOP: pos = 0; break;
   case SB_BOTTOM: pos = last; break;
   default:
      return 0;
   }
   pos = Clamp(pos, 0, last);
   if (bar == SB_HORZ) {
      ScrollTo(-pos, scrollY_);
   } else {
      ScrollTo(scrollX_, -pos);
   }
   ::SetScrollPos(m_hWnd, bar, pos, TRUE);
   return 0;
}

LRESULT CZOLTSnapshotGrid::OnMouseWheel(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   const int delta = static_cast<short>(HIWORD(wParam));
   const WPARAM code = delta > 0 ? SB_LINEUP : SB_LINEDOWN;
   for (int i = 0; i < 3; ++i) {
      ::SendMessageW(m_hWnd, WM_VSCROLL, code, 0);
   }
   return 0;
}

void CZOLTSnapshotGrid::EnsureVisible(const GridItem *cell)
{
   if (!cell || !m_hWnd) {
      return;
   }
   RECT client;
   GetClientRect(&client);
   RECT wide = cell->GetWideRect();
   int x = scrollX_;
   int y = scrollY_;
   if (wide.right > client.right) {
      x -= wide.right - client.right;
   }
   if (wide.left + (x - scrollX_) < client.left) {
      x += client.left - (wide.left + (x - scrollX_));
   }
   if (wide.bottom > client.bottom) {
      y -= wide.bottom - client.bottom;
   }
   if (wide.top + (y - scrollY_) < client.top) {
      y += client.top - (wide.top + (y - scrollY_));
   }
   x = std::min(x, 0);
   y = std::min(y, 0);
   if (x == scrollX_ && y == scrollY_) {
      return;
   }
   scrollX_ = x;
   scrollY_ = y;
   GridItem::origin = POINT{scrollX_ + kMargin, scrollY_ + kMargin};
   ::SetScrollPos(m_hWnd, SB_HORZ, -scrollX_, TRUE);
   ::SetScrollPos(m_hWnd, SB_VERT, -scrollY_, TRUE);
}
