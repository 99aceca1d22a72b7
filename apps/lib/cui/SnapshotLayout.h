// The layout of a snapshot tree as a grid of cells, for the snapshot manager's grid.
//
// The tree grows to the right: the machine's cell is at (0, 0); a snapshot at depth d (the
// roots have depth 1) is in column 2d, its connector in column 2d - 1, its children in
// column 2d + 2. The current state is a leaf child of the current snapshot (of the machine
// when there is none), after that snapshot's own children.
//
// Rows: a depth-first walk in the tree's flat order gives each leaf a row of its own; a node
// stands in the row of its first child, so a chain of first children reads along one row and
// every further child starts below the rows its older siblings' branches take. Reading the
// cells row by row, column by column gives the flat order (the current state in its place).
//
// Connectors: the first child of a node is joined by a horizontal line (kind 1) in the column
// between them. Further children hang from a line that comes down the parent's own column
// from under the parent: in that column a tee (kind 2, down and to the right) stands in the
// row of each middle child, a corner (kind 3, from above to the right) in the row of the last
// child and a vertical line (kind 4) in the rows between; each such child also has a
// horizontal line (kind 1) in the column before it.
//
// Cost: the walk is linear in the number of snapshots. Each row's own cells (a tee or corner,
// then lines and snapshots) stand in columns without gaps, so the layout keeps them row after
// row in one array, and each parent's vertical line as one run [first row, last row] in its
// column: construction is O(n) and a cell lookup O(log n) (a binary search among the runs of a
// column). A walk over every drawn cell (ForEachCell) sorts the vertical lines' cells into their
// rows by counting: linear in the cells it draws.
//
// Navigation and ranges work on the selectable cells (snapshots and the current state).
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "cui/Snapshot.h"

namespace cui {

class SnapshotTree;

class SnapshotLayout {
public:
   enum NodeKind {
      NODE_EMPTY = 0,
      NODE_LINE = 1,        // horizontal line
      NODE_TEE = 2,         // line from above, going on down and branching right
      NODE_CORNER = 3,      // line from above, turning right
      NODE_VERTICAL = 4,    // line from above going on down
      NODE_YAH = 5,         // the current state
      NODE_SNAPSHOT = 6,
      NODE_MACHINE = 7,
   };
   // Directions of Navigate.
   enum Direction {
      NAV_UP = 0, NAV_DOWN = 1, NAV_LEFT = 2, NAV_RIGHT = 3,
      NAV_ROW_START = 4, NAV_ROW_END = 5, NAV_FIRST = 6, NAV_LAST = 7,
   };

   struct Node {
      int kind = NODE_EMPTY;
      Snapshot *snapshot = nullptr;   // for NODE_SNAPSHOT and NODE_YAH
   };
   struct Loc {
      int row = -1;
      int col = -1;
      bool IsValid() const { return row >= 0 && col >= 0; }
      bool operator==(const Loc &o) const { return row == o.row && col == o.col; }
      bool operator!=(const Loc &o) const { return !(*this == o); }
   };

   // The cells of the layout; positions outside it or not drawn are NODE_EMPTY.
   class Matrix {
   public:
      int GetRows() const { return rows_; }
      int GetColumns() const { return cols_; }
      Node At(int row, int col) const;
      // Every drawn cell, row by row and column by column.
      void ForEachCell(const std::function<void(int row, int col, const Node &node)> &visit) const;

   private:
      friend class SnapshotLayout;
      struct Run {
         int first;
         int last;
      };
      // A row's own cells: `length` columns from `start`, at `offset` in cells_.
      struct Row {
         int start;
         int length;
         size_t offset;
      };
      // The row's own cell at the column, if it has one there.
      const Node *OwnCell(int row, int col) const;

      int rows_ = 0;
      int cols_ = 0;
      std::vector<Row> rowCells_;
      std::vector<Node> cells_;
      std::unordered_map<int, std::vector<Run>> runs_;   // by column, sorted by first row
   };

   // Lays `tree` out as it is now (a later change of the tree needs a new layout).
   explicit SnapshotLayout(const SnapshotTree &tree);

   const Matrix &GetMatrix() const { return matrix_; }
   // Where the snapshot (or the current state) stands; invalid when it is not in the layout.
   Loc GetLoc(const Snapshot *snapshot) const;
   // The location to move to from `from`. Up and down: the nearest selectable cell above or
   // below in the same column; left: the parent; right: the first child; row start and end:
   // the first and last selectable cell of the row; first and last: of the whole layout in
   // reading order. Where there is nowhere to go, `from` itself. From a location that holds no
   // selectable cell (none chosen yet) every direction gives the current state.
   Loc Navigate(const Loc &from, int direction) const;
   // The selectable cells from `from` to `to` in reading order (either way round), both
   // included, as their snapshots in the order from `from` to `to`. Only `to` when `from` is
   // null or not laid out; empty when `to` is.
   std::vector<Snapshot *> SelectRange(const Snapshot *from, const Snapshot *to) const;
   // The snapshot to select once `snapshot` is deleted: its next sibling, else its previous
   // one, else its parent; null (the current state) when none or when it is not laid out.
   Snapshot *GetNextOfKin(const Snapshot *snapshot) const;

private:
   struct Placed {
      Snapshot *snapshot;
      Loc loc;
      size_t order;   // reading order among the selectable cells
   };
   void Place(const SnapshotTree &tree);
   void Put(int row, int col, int kind, Snapshot *snapshot = nullptr);
   const Placed *Find(const Snapshot *snapshot) const;
   const Placed *FindAt(const Loc &loc) const;

   Matrix matrix_;
   std::vector<Placed> placed_;   // in reading order
   std::unordered_map<const Snapshot *, size_t> index_;
   std::unordered_map<int, std::vector<size_t>> byColumn_;   // placed_ indices, by row
   // By row, the placed_ indices of its snapshots: in reading order a row's are side by side.
   struct RowRange {
      size_t first;
      size_t last;
   };
   std::vector<RowRange> byRow_;
   Loc yah_;
};

}  // namespace cui
