// Lays out snapshot trees of 100, 1,000 and 10,000 snapshots that mix long chains with wide
// fans, and walks every drawn cell as the grid does: the time for 1,000, and how the time per
// snapshot grows from 100 to 10,000 (about 1 for linear work, 100 for quadratic).
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

// A machine with `count` snapshots: every other one continues the newest chain, the rest hang
// from an earlier snapshot picked by a fixed pseudo-random sequence (wide fans, deep branches).
std::unique_ptr<cui::VM> MakeMachine(vmdb::Ctx &ctx, int count)
{
   const std::string vm = "/vm/#0001/";
   ctx.Remove("/vm/#0001", true);
   ctx.Set(vm + "cfgFile", "C:\\bench\\bench.vmx");
   uint32_t seed = 12345;
   for (int uid = 1; uid <= count; ++uid) {
      seed = seed * 1103515245u + 12345u;
      int parent = uid % 2 == 0 ? uid - 1 : static_cast<int>((seed >> 8) % static_cast<uint32_t>(uid));
      std::string item = ctx.Append(vm + "vmx/chkptState/val/item/#");
      ctx.Set(item + "uid", vmdb::Value(uid));
      ctx.Set(item + "parent", vmdb::Value(parent));
      ctx.Set(item + "displayName", "Snapshot " + std::to_string(uid));
   }
   ctx.Set(vm + "vmx/chkptState/val/current", vmdb::Value(count / 2));
   return std::unique_ptr<cui::VM>(new cui::VM(ctx, vm, nullptr));
}

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
      std::unique_ptr<cui::VM> machine = MakeMachine(ctx, sizes[i]);
      ms[i] = LayoutMs(*machine->GetSnapshotTree(), sizes[i] >= 10000 ? 5 : 21, cells[i]);
   }
   // What the walk has to visit: the lines down long fans make it more than the snapshots.
   bench::Figure("snapshot layout drawn cells per snapshot at 10,000", static_cast<double>(cells[2]) / sizes[2], "cells");
   bench::Figure("snapshot layout of 100 snapshots (mixed deep and wide)", ms[0], "ms");
   bench::Figure("snapshot layout of 1,000 snapshots (mixed deep and wide)", ms[1], "ms", "<50");
   bench::Figure("snapshot layout of 10,000 snapshots (mixed deep and wide)", ms[2], "ms");
   // Time per snapshot at 10,000 over time per snapshot at 100.
   bench::Figure("snapshot layout growth per snapshot, 100 to 10,000", ms[0] > 0 ? ms[2] / ms[0] / 100.0 : 0, "x",
                 "<10");
   return 0;
}
