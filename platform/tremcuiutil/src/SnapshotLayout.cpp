#include "cui/SnapshotLayout.h"

#include <algorithm>

#include "cui/SnapshotTree.h"

namespace cui {

namespace {

// The children a node shows in the layout: its snapshots, then the current state when it hangs
// there. `node` null is the machine.
std::vector<Snapshot *> LaidOutChildren(const SnapshotTree &tree, Snapshot *node)
{
   std::vector<Snapshot *> kids = node ? node->GetChildren() : tree.GetRoots();
   if (tree.GetYAH()->GetParent() == node) {
      kids.push_back(tree.GetYAH());
   }
   return kids;
}

}  // namespace

const SnapshotLayout::Node *SnapshotLayout::Matrix::OwnCell(int row, int col) const
{
   if (row < 0 || row >= static_cast<int>(rowCells_.size())) {
      return nullptr;
   }
   const Row &cells = rowCells_[row];
   if (col < cells.start || col >= cells.start + cells.length) {
      return nullptr;
   }
   return &cells_[cells.offset + static_cast<size_t>(col - cells.start)];
}

SnapshotLayout::Node SnapshotLayout::Matrix::At(int row, int col) const
{
   if (const Node *own = OwnCell(row, col)) {
      return *own;
   }
   auto column = runs_.find(col);
   if (column == runs_.end()) {
      return Node();
   }
   const std::vector<Run> &runs = column->second;
   // The last run that starts at or above `row`.
   auto after = std::upper_bound(runs.begin(), runs.end(), row, [](int r, const Run &run) { return r < run.first; });
   Node node;
   if (after != runs.begin() && row <= std::prev(after)->last) {
      node.kind = NODE_VERTICAL;
   }
   return node;
}

void SnapshotLayout::Matrix::ForEachCell(const std::function<void(int, int, const Node &)> &visit) const
{
   // The vertical lines' cells that no own cell covers, sorted into their rows by counting;
   // the columns taken in ascending order keep each row's sorted.
   std::vector<int> columns;
   columns.reserve(runs_.size());
   for (const auto &column : runs_) {
      columns.push_back(column.first);
   }
   std::sort(columns.begin(), columns.end());
   std::vector<size_t> begin(static_cast<size_t>(rows_) + 1, 0);
   auto eachVertical = [&](const std::function<void(int row, int col)> &take) {
      for (int col : columns) {
         for (const Run &run : runs_.at(col)) {
            for (int row = std::max(run.first, 0); row <= run.last && row < rows_; ++row) {
               if (!OwnCell(row, col)) {
                  take(row, col);
               }
            }
         }
      }
   };
   eachVertical([&](int row, int) { ++begin[static_cast<size_t>(row) + 1]; });
   for (size_t row = 1; row < begin.size(); ++row) {
      begin[row] += begin[row - 1];
   }
   std::vector<int> verticals(begin.back());
   std::vector<size_t> fill(begin.begin(), begin.end() - 1);
   eachVertical([&](int row, int col) { verticals[fill[static_cast<size_t>(row)]++] = col; });

   Node vertical;
   vertical.kind = NODE_VERTICAL;
   for (int row = 0; row < rows_; ++row) {
      const Row &own = rowCells_[static_cast<size_t>(row)];
      size_t next = begin[static_cast<size_t>(row)];
      const size_t end = begin[static_cast<size_t>(row) + 1];
      for (int i = 0; i < own.length; ++i) {
         const int col = own.start + i;
         for (; next < end && verticals[next] < col; ++next) {
            visit(row, verticals[next], vertical);
         }
         visit(row, col, cells_[own.offset + static_cast<size_t>(i)]);
      }
      for (; next < end; ++next) {
         visit(row, verticals[next], vertical);
      }
   }
}

SnapshotLayout::SnapshotLayout(const SnapshotTree &tree)
{
   // Each snapshot puts up to three cells (tee or corner, line, itself); sized once, the tables
   // never grow while the layout is made.
   const size_t count = tree.GetCount() + 2;
   matrix_.cells_.reserve(count * 3);
   matrix_.rowCells_.reserve(count);
   placed_.reserve(count);
   index_.reserve(count);
   byRow_.reserve(count);
   Place(tree);
}

void SnapshotLayout::Put(int row, int col, int kind, Snapshot *snapshot)
{
   // Place fills the rows in order, each from left to right without gaps: a new row begins at
   // the column of its first cell.
   std::vector<Matrix::Row> &rows = matrix_.rowCells_;
   while (static_cast<int>(rows.size()) <= row) {
      rows.push_back({col, 0, matrix_.cells_.size()});
   }
   Node node;
   node.kind = kind;
   node.snapshot = snapshot;
   matrix_.cells_.push_back(node);
   ++rows[static_cast<size_t>(row)].length;
   matrix_.rows_ = std::max(matrix_.rows_, row + 1);
   matrix_.cols_ = std::max(matrix_.cols_, col + 1);
   if (kind == NODE_SNAPSHOT || kind == NODE_YAH) {
      Loc loc;
      loc.row = row;
      loc.col = col;
      size_t order = placed_.size();
      placed_.push_back({snapshot, loc, order});
      index_[snapshot] = order;
      // Reading order keeps the column lists sorted (rows grow down a column) and a row's
      // snapshots side by side.
      byColumn_[col].push_back(order);
      while (static_cast<int>(byRow_.size()) <= row) {
         byRow_.push_back({order, order});
      }
      byRow_[static_cast<size_t>(row)].last = order;
      if (kind == NODE_YAH) {
         yah_ = loc;
      }
   }
}

void SnapshotLayout::Place(const SnapshotTree &tree)
{
   struct Frame {
      Snapshot *node;
      int row;
      int col;
      std::vector<Snapshot *> kids;
      size_t next;
   };
   Put(0, 0, NODE_MACHINE);
   int lastRow = 0;
   // Iterative, so a chain of thousands of snapshots needs no deep stack.
   std::vector<Frame> stack;
   stack.push_back({nullptr, 0, 0, LaidOutChildren(tree, nullptr), 0});
   while (!stack.empty()) {
      Frame &top = stack.back();
      if (top.next == top.kids.size()) {
         if (top.kids.size() > 1) {
            // The line down the parent's column; tees and the corner stand on it.
            int first = top.row + 1;
            int last = GetLoc(top.kids.back()).row - 1;
            if (first <= last) {
               matrix_.runs_[top.col].push_back({first, last});
            }
         }
         stack.pop_back();
         continue;
      }
      size_t index = top.next++;
      Snapshot *child = top.kids[index];
      int row = index == 0 ? top.row : lastRow + 1;
      int col = top.col + 2;
      // Left to right: a further child's row begins with its tee or corner.
      if (index > 0) {
         Put(row, top.col, index + 1 == top.kids.size() ? NODE_CORNER : NODE_TEE);
      }
      Put(row, col - 1, NODE_LINE);
      Put(row, col, child->IsYah() ? NODE_YAH : NODE_SNAPSHOT, child);
      lastRow = row;
      if (!child->IsYah()) {
         // `top` may move when the stack grows.
         stack.push_back({child, row, col, LaidOutChildren(tree, child), 0});
      }
   }
}

const SnapshotLayout::Placed *SnapshotLayout::Find(const Snapshot *snapshot) const
{
   auto it = snapshot ? index_.find(snapshot) : index_.end();
   return it == index_.end() ? nullptr : &placed_[it->second];
}

const SnapshotLayout::Placed *SnapshotLayout::FindAt(const Loc &loc) const
{
   if (!loc.IsValid()) {
      return nullptr;
   }
   Node node = matrix_.At(loc.row, loc.col);
   return node.kind == NODE_SNAPSHOT || node.kind == NODE_YAH ? Find(node.snapshot) : nullptr;
}

SnapshotLayout::Loc SnapshotLayout::GetLoc(const Snapshot *snapshot) const
{
   const Placed *placed = Find(snapshot);
   return placed ? placed->loc : Loc();
}

SnapshotLayout::Loc SnapshotLayout::Navigate(const Loc &from, int direction) const
{
   const Placed *at = FindAt(from);
   if (!at) {
      return yah_;
   }
   auto neighbour = [&](const std::vector<size_t> &line, int step) {
      // Both lists hold reading-order indices, ascending.
      auto it = std::lower_bound(line.begin(), line.end(), at->order);
      if (step < 0 && it != line.begin()) {
         return placed_[*std::prev(it)].loc;
      }
      if (step > 0 && it != line.end() && std::next(it) != line.end()) {
         return placed_[*std::next(it)].loc;
      }
      return from;
   };
   Snapshot *snapshot = at->snapshot;
   switch (direction) {
   case NAV_UP:
      return neighbour(byColumn_.at(from.col), -1);
   case NAV_DOWN:
      return neighbour(byColumn_.at(from.col), 1);
   case NAV_LEFT:
      return snapshot->GetParent() ? GetLoc(snapshot->GetParent()) : from;
   case NAV_RIGHT:
      if (!snapshot->GetChildren().empty()) {
         return GetLoc(snapshot->GetChildren().front());
      }
      return !snapshot->IsYah() && snapshot->GetTree()->GetYAH()->GetParent() == snapshot ? yah_ : from;
   case NAV_ROW_START:
      return placed_[byRow_.at(static_cast<size_t>(from.row)).first].loc;
   case NAV_ROW_END:
      return placed_[byRow_.at(static_cast<size_t>(from.row)).last].loc;
   case NAV_FIRST:
      return placed_.front().loc;
   case NAV_LAST:
      return placed_.back().loc;
   default:
      return from;
   }
}

std::vector<Snapshot *> SnapshotLayout::SelectRange(const Snapshot *from, const Snapshot *to) const
{
   std::vector<Snapshot *> range;
   const Placed *end = Find(to);
   if (!end) {
      return range;
   }
   const Placed *start = Find(from);
   if (!start) {
      start = end;
   }
   if (start->order <= end->order) {
      for (size_t i = start->order; i <= end->order; ++i) {
         range.push_back(placed_[i].snapshot);
      }
   } else {
      for (size_t i = start->order + 1; i-- > end->order;) {
         range.push_back(placed_[i].snapshot);
      }
   }
   return range;
}

Snapshot *SnapshotLayout::GetNextOfKin(const Snapshot *snapshot) const
{
   if (!Find(snapshot) || snapshot->IsYah()) {
      return nullptr;
   }
   Snapshot *parent = snapshot->GetParent();
   const std::vector<Snapshot *> &siblings = parent ? parent->GetChildren() : snapshot->GetTree()->GetRoots();
   auto it = std::find(siblings.begin(), siblings.end(), snapshot);
   if (it != siblings.end() && std::next(it) != siblings.end()) {
      return *std::next(it);
   }
   if (it != siblings.end() && it != siblings.begin()) {
      return *std::prev(it);
   }
   return parent;
}

}  // namespace cui
