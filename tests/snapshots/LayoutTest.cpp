#include <gtest/gtest.h>

#include <algorithm>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cui/SnapshotLayout.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "vmdb/Store.h"

namespace {

typedef cui::SnapshotLayout L;

// A machine node with snapshots given as (uid, parent), read by the model without a host.
class Trees : public ::testing::Test {
protected:
   cui::SnapshotTree &Make(const std::vector<std::pair<int, int>> &snapshots, int current)
   {
      const std::string vm = "/vm/#0001/";
      machine.reset();
      ctx.Remove("/vm/#0001", true);
      ctx.Set(vm + "cfgFile", "C:\\vm\\desk.vmx");
      ctx.Set(vm + "vmx/cfgState/val/displayName", "Desk");
      ctx.Set(vm + "vmx/chkptState/val/current", vmdb::Value(current));
      for (const auto &s : snapshots) {
         std::string item = ctx.Append(vm + "vmx/chkptState/val/item/#");
         ctx.Set(item + "uid", vmdb::Value(s.first));
         ctx.Set(item + "parent", vmdb::Value(s.second));
         ctx.Set(item + "displayName", "S" + std::to_string(s.first));
      }
      machine.reset(new cui::VM(ctx, vm, nullptr));
      return *machine->GetSnapshotTree();
   }
   cui::Snapshot *S(int uid) { return machine->GetSnapshotTree()->GetSnapshot(uid); }
   static L::Loc At(int row, int col)
   {
      L::Loc loc;
      loc.row = row;
      loc.col = col;
      return loc;
   }
   static std::vector<int> Uids(const std::vector<cui::Snapshot *> &snapshots)
   {
      std::vector<int> uids;
      for (cui::Snapshot *s : snapshots) {
         uids.push_back(s ? s->GetUID() : -1);
      }
      return uids;
   }

   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx{reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll};
   std::unique_ptr<cui::VM> machine;
};

TEST_F(Trees, OneAndTwoSnapshotsSitBesideTheMachineWithTheCurrentStateAfterTheirSnapshot)
{
   {
      cui::SnapshotTree &none = Make({}, 0);
      L layout(none);
      EXPECT_EQ(1, layout.GetMatrix().GetRows());
      EXPECT_EQ(3, layout.GetMatrix().GetColumns());
      EXPECT_EQ(L::NODE_MACHINE, layout.GetMatrix().At(0, 0).kind);
      EXPECT_EQ(L::NODE_LINE, layout.GetMatrix().At(0, 1).kind);
      EXPECT_EQ(L::NODE_YAH, layout.GetMatrix().At(0, 2).kind);
      EXPECT_TRUE(layout.GetMatrix().At(0, 2).snapshot->IsYah());
      EXPECT_EQ(L::NODE_EMPTY, layout.GetMatrix().At(5, 5).kind) << "outside the layout";
   }
   cui::SnapshotTree &one = Make({{1, 0}}, 1);
   L layout(one);
   EXPECT_EQ(1, layout.GetMatrix().GetRows());
   EXPECT_EQ(5, layout.GetMatrix().GetColumns());
   EXPECT_EQ(At(0, 2), layout.GetLoc(S(1)));
   EXPECT_EQ(At(0, 4), layout.GetLoc(one.GetYAH()));
   EXPECT_EQ(L::NODE_LINE, layout.GetMatrix().At(0, 3).kind);
   EXPECT_EQ(L::NODE_SNAPSHOT, layout.GetMatrix().At(0, 2).kind);
   EXPECT_EQ(S(1), layout.GetMatrix().At(0, 2).snapshot);

   // Two roots: the second hangs from a corner under the machine.
   cui::SnapshotTree &two = Make({{1, 0}, {2, 0}}, 2);
   L roots(two);
   EXPECT_EQ(2, roots.GetMatrix().GetRows());
   EXPECT_EQ(At(1, 2), roots.GetLoc(S(2)));
   EXPECT_EQ(L::NODE_CORNER, roots.GetMatrix().At(1, 0).kind);
   EXPECT_EQ(L::NODE_LINE, roots.GetMatrix().At(1, 1).kind);
   EXPECT_EQ(At(1, 4), roots.GetLoc(two.GetYAH()));
}

TEST_F(Trees, BranchesHangFromALineDownTheParentsColumn)
{
   // 1 -> {2 -> {3, 4}, 5}, current 5: the line under 1 passes the row of 4 on its way to 5.
   cui::SnapshotTree &tree = Make({{1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 1}}, 5);
   L layout(tree);
   const L::Matrix &m = layout.GetMatrix();
   EXPECT_EQ(3, m.GetRows());
   EXPECT_EQ(At(0, 4), layout.GetLoc(S(2)));
   EXPECT_EQ(At(0, 6), layout.GetLoc(S(3)));
   EXPECT_EQ(At(1, 6), layout.GetLoc(S(4)));
   EXPECT_EQ(At(2, 4), layout.GetLoc(S(5)));
   EXPECT_EQ(At(2, 6), layout.GetLoc(tree.GetYAH()));
   EXPECT_EQ(L::NODE_CORNER, m.At(1, 4).kind);
   EXPECT_EQ(L::NODE_VERTICAL, m.At(1, 2).kind);
   EXPECT_EQ(L::NODE_CORNER, m.At(2, 2).kind);
   EXPECT_EQ(L::NODE_EMPTY, m.At(1, 0).kind);
   EXPECT_EQ(L::NODE_EMPTY, m.At(2, 0).kind);

   // Reading the cells row by row gives the flat order, the current state in its place.
   std::vector<int> read;
   int cells = 0;
   m.ForEachCell([&](int row, int col, const L::Node &node) {
      ++cells;
      EXPECT_EQ(node.kind, m.At(row, col).kind) << row << "," << col;
      if (node.snapshot) {
         read.push_back(node.snapshot->GetUID());
      }
   });
   EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5, 0}), read);
   EXPECT_EQ(1 + 6 + 6 + 3, cells) << "machine, six selectable cells with their lines, two corners and one vertical";
   std::vector<int> flat;
   for (cui::Snapshot *s : tree) {
      flat.push_back(s->GetUID());
   }
   EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), flat);
}

TEST_F(Trees, AMixedTreeWalksEveryDrawnCellOnceInReadingOrder)
{
   // Chains, fans and fans inside fans: each snapshot's parent is one of the last few, or one
   // far back, so lines down long columns cross the rows of other branches.
   std::vector<std::pair<int, int>> snapshots;
   for (int uid = 1; uid <= 300; ++uid) {
      int parent = uid == 1 ? 0 : (uid % 7 == 0 ? uid / 3 : uid - 1 - uid % 3);
      snapshots.push_back({uid, std::max(parent, uid == 1 ? 0 : 1)});
   }
   cui::SnapshotTree &tree = Make(snapshots, 150);
   L layout(tree);
   const L::Matrix &m = layout.GetMatrix();

   int drawn = 0;
   for (int row = 0; row < m.GetRows(); ++row) {
      for (int col = 0; col < m.GetColumns(); ++col) {
         drawn += m.At(row, col).kind != L::NODE_EMPTY;
      }
   }
   int visited = 0;
   int verticals = 0;
   L::Loc last = At(-1, -1);
   std::vector<int> read;
   m.ForEachCell([&](int row, int col, const L::Node &node) {
      ++visited;
      verticals += node.kind == L::NODE_VERTICAL;
      EXPECT_TRUE(row > last.row || (row == last.row && col > last.col)) << row << "," << col << " after " << last.row << "," << last.col;
      last = At(row, col);
      EXPECT_NE(L::NODE_EMPTY, node.kind);
      EXPECT_EQ(node.kind, m.At(row, col).kind) << row << "," << col;
      EXPECT_EQ(node.snapshot, m.At(row, col).snapshot) << row << "," << col;
      if (node.snapshot) {
         read.push_back(node.snapshot->GetUID());
         EXPECT_EQ(At(row, col), layout.GetLoc(node.snapshot));
      }
   });
   EXPECT_EQ(drawn, visited);
   EXPECT_GT(verticals, 0);
   EXPECT_EQ(301u, read.size()) << "every snapshot and the current state";

   // A row's first and last selectable cells are its ends.
   L::Loc yah = layout.GetLoc(tree.GetYAH());
   L::Loc start = layout.Navigate(yah, L::NAV_ROW_START);
   L::Loc end = layout.Navigate(yah, L::NAV_ROW_END);
   EXPECT_EQ(yah.row, start.row);
   EXPECT_EQ(yah.row, end.row);
   EXPECT_LE(start.col, yah.col);
   EXPECT_EQ(yah, end) << "the current state ends its row";
   for (int col = 0; col < start.col; ++col) {
      int kind = m.At(yah.row, col).kind;
      EXPECT_TRUE(kind != L::NODE_SNAPSHOT && kind != L::NODE_YAH) << col;
   }
}

TEST_F(Trees, AChainOfFiftyReadsAlongOneRowAndNavigatesBothWays)
{
   std::vector<std::pair<int, int>> chain;
   for (int uid = 1; uid <= 50; ++uid) {
      chain.push_back({uid, uid - 1});
   }
   cui::SnapshotTree &tree = Make(chain, 50);
   L layout(tree);
   EXPECT_EQ(1, layout.GetMatrix().GetRows());
   EXPECT_EQ(103, layout.GetMatrix().GetColumns());
   EXPECT_EQ(At(0, 100), layout.GetLoc(S(50)));
   EXPECT_EQ(At(0, 102), layout.GetLoc(tree.GetYAH()));

   L::Loc loc = layout.GetLoc(S(1));
   for (int step = 0; step < 50; ++step) {
      loc = layout.Navigate(loc, L::NAV_RIGHT);
   }
   EXPECT_EQ(layout.GetLoc(tree.GetYAH()), loc) << "right follows first children to the current state";
   EXPECT_EQ(loc, layout.Navigate(loc, L::NAV_RIGHT)) << "nowhere further";
   EXPECT_EQ(layout.GetLoc(S(50)), layout.Navigate(loc, L::NAV_LEFT));
   EXPECT_EQ(layout.GetLoc(S(1)), layout.Navigate(layout.GetLoc(S(1)), L::NAV_LEFT)) << "the machine is not selectable";
   EXPECT_EQ(layout.GetLoc(S(1)), layout.Navigate(loc, L::NAV_ROW_START));
   EXPECT_EQ(loc, layout.Navigate(layout.GetLoc(S(7)), L::NAV_ROW_END));
   EXPECT_EQ(layout.GetLoc(S(7)), layout.Navigate(layout.GetLoc(S(7)), L::NAV_UP));

   std::vector<int> range = Uids(layout.SelectRange(S(3), S(6)));
   EXPECT_EQ((std::vector<int>{3, 4, 5, 6}), range);
   EXPECT_EQ((std::vector<int>{6, 5, 4, 3}), Uids(layout.SelectRange(S(6), S(3))));
   EXPECT_EQ(50u + 1u, layout.SelectRange(S(1), tree.GetYAH()).size());
   EXPECT_EQ(S(49), layout.GetNextOfKin(S(50))) << "no sibling: the parent";
   EXPECT_EQ(nullptr, layout.GetNextOfKin(tree.GetYAH()));
}

TEST_F(Trees, TwoHundredSiblingsStackDownOneColumn)
{
   std::vector<std::pair<int, int>> wide;
   for (int uid = 1; uid <= 200; ++uid) {
      wide.push_back({uid, 0});
   }
   cui::SnapshotTree &tree = Make(wide, 0);
   L layout(tree);
   const L::Matrix &m = layout.GetMatrix();
   EXPECT_EQ(201, m.GetRows());
   EXPECT_EQ(3, m.GetColumns());
   EXPECT_EQ(At(199, 2), layout.GetLoc(S(200)));
   EXPECT_EQ(At(200, 2), layout.GetLoc(tree.GetYAH())) << "the current state of a machine without a current snapshot";
   EXPECT_EQ(L::NODE_LINE, m.At(0, 1).kind);
   for (int row = 1; row < 200; ++row) {
      ASSERT_EQ(L::NODE_TEE, m.At(row, 0).kind) << row;
   }
   EXPECT_EQ(L::NODE_CORNER, m.At(200, 0).kind);

   EXPECT_EQ(layout.GetLoc(S(2)), layout.Navigate(layout.GetLoc(S(1)), L::NAV_DOWN));
   EXPECT_EQ(layout.GetLoc(S(1)), layout.Navigate(layout.GetLoc(S(1)), L::NAV_UP));
   EXPECT_EQ(layout.GetLoc(S(99)), layout.Navigate(layout.GetLoc(S(100)), L::NAV_UP));
   EXPECT_EQ(layout.GetLoc(S(1)), layout.Navigate(layout.GetLoc(S(150)), L::NAV_FIRST));
   EXPECT_EQ(layout.GetLoc(tree.GetYAH()), layout.Navigate(layout.GetLoc(S(150)), L::NAV_LAST));
   EXPECT_EQ(S(101), layout.GetNextOfKin(S(100)));
   EXPECT_EQ(S(199), layout.GetNextOfKin(S(200))) << "the last sibling: the one before";
   EXPECT_EQ(200u, layout.SelectRange(S(200), S(1)).size());
}

TEST_F(Trees, NavigationAndRangesWithoutAFocusOrAnchorAreSafe)
{
   cui::SnapshotTree &tree = Make({{1, 0}, {2, 1}}, 1);
   L layout(tree);
   L::Loc yah = layout.GetLoc(tree.GetYAH());
   for (int direction = 0; direction <= 7; ++direction) {
      EXPECT_EQ(yah, layout.Navigate(L::Loc(), direction)) << "no focus, direction " << direction;
      EXPECT_EQ(yah, layout.Navigate(At(0, 3), direction)) << "a connector, direction " << direction;
   }
   EXPECT_EQ(layout.GetLoc(S(1)), layout.Navigate(layout.GetLoc(S(1)), 99)) << "an unknown direction stays";
   EXPECT_EQ((std::vector<int>{2}), Uids(layout.SelectRange(nullptr, S(2)))) << "no anchor: the cell alone";
   EXPECT_TRUE(layout.SelectRange(S(1), nullptr).empty());
   EXPECT_EQ(nullptr, layout.GetNextOfKin(nullptr));
   EXPECT_EQ(tree.GetYAH(), tree.GetSnapshot(0));
   EXPECT_EQ(nullptr, tree.GetSnapshot(77));
}

TEST_F(Trees, ALoopOfParentsInADamagedListIsCutInsteadOfHangingTheWalk)
{
   cui::SnapshotTree &tree = Make({{1, 2}, {2, 1}, {3, 0}}, 3);
   EXPECT_EQ(3u, tree.GetCount());
   L layout(tree);
   EXPECT_TRUE(layout.GetLoc(S(1)).IsValid());
   EXPECT_TRUE(layout.GetLoc(S(2)).IsValid());
   EXPECT_EQ(S(3), tree.GetCurrent());
}

}  // namespace
