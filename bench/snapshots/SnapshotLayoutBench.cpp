// Lays out snapshot trees of 100, 1,000 and 10,000 snapshots that mix long chains with wide
// fans, and walks every drawn cell as the grid does: the time for 1,000, and how the time per
// snapshot grows from 100 to 10,000 (about 1 for linear work, 100 for quadratic).
#include "BenchMachine.h"
#include "BenchReport.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cui/SnapshotLayout.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "vmdb/Store.h"

namespace {

// The median time of laying the tree out and visiting every drawn cell; `cells` gets their count.
double LayoutMs(const cui::SnapshotTree &tree, int repeats, long &cells)
{
   std::vector<double> times;
   for (int i = 0; i < repeats; ++i) {
      cells = 0;
      bench::Stopwatch watch;
      cui::SnapshotLayout layout(tree);
      layout.GetMatrix().ForEachCell([&cells](int, int, const cui::SnapshotLayout::Node &) { ++cells; });
      times.push_back(watch.Ms());
   }
   return cells > 0 ? bench::Median(times) : 0;
}

}  // namespace

int main()
{
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx(reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll);

   double ms[3] = {};
   long cells[3] = {};
   const int sizes[3] = {100, 1000, 10000};
   for (int i = 0; i < 3; ++i) {
      std::unique_ptr<cui::VM> machine = MakeBenchMachine(ctx, sizes[i]);
      ms[i] = LayoutMs(*machine->GetSnapshotTree(), sizes[i] >= 10000 ? 5 : 21, cells[i]);
   }
   // What the walk has to visit: the lines down long fans make it more than the snapshots.
   bench::Figure("snapshot layout drawn cells per snapshot at 10,000", static_cast<double>(cells[2]) / sizes[2], "cells");
   bench::Figure("snapshot layout of 100 snapshots (mixed deep and wide)", ms[0], "ms");
   bench::Figure("snapshot layout of 1,000 snapshots (mixed deep and wide)", ms[1], "ms", "<50");
   bench::Figure("snapshot layout of 10,000 snapshots (mixed deep and wide)", ms[2], "ms");
   // Time per snapshot at 10,000 over time per snapshot at 100.
   bench::Figure("snapshot layout growth per snapshot, 100 to 10,000", ms[0] > 0 ? ms[2] / ms[0] / 100.0 : 0, "x",
                 "<=2");
   return 0;
}
