// Builds the snapshot manager's grid for a tree of 1,000 snapshots and paints it into an
// off-screen bitmap as one WM_PAINT of a full-screen grid (1280 x 1024) does, scrolled to the
// middle of the tree: the time of a rebuild and of a paint.
#include "BenchMachine.h"
#include "BenchReport.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "vmdb/Store.h"
#include "zoltSnapshotGrid.h"

int main()
{
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx(reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll);
   std::unique_ptr<cui::VM> machine = MakeBenchMachine(ctx, 1000);

   HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
   CZOLTSnapshotGrid grid(nullptr);
   if (!host || !grid.Create(host)) {
      return 1;
   }
   std::vector<double> builds;
   for (int i = 0; i < 11; ++i) {
      bench::Stopwatch watch;
      grid.BuildLayout(machine->GetSnapshotTree());
      builds.push_back(watch.Ms());
   }
   // The view lies over the middle of the content (the grid's origin moved as a scroll does).
   const RECT &content = grid.GetContentRect();
   RECT all = {0, 0, 1280, 1024};
   GridItem::origin = POINT{CZOLTSnapshotGrid::kMargin - (content.right - content.left) / 2 + 640,
                            CZOLTSnapshotGrid::kMargin - (content.bottom - content.top) / 2 + 512};
   HDC screen = GetDC(host);
   HDC memory = CreateCompatibleDC(screen);
   HBITMAP bitmap = CreateCompatibleBitmap(screen, all.right, all.bottom);
   HGDIOBJ old = SelectObject(memory, bitmap);
   std::vector<double> paints;
   for (int i = 0; i < 11; ++i) {
      bench::Stopwatch watch;
      grid.PaintTo(memory, all);
      paints.push_back(watch.Ms());
   }
   SelectObject(memory, old);
   DeleteObject(bitmap);
   DeleteDC(memory);
   ReleaseDC(host, screen);
   bench::Figure("snapshot grid rebuild of 1,000 snapshots", bench::Median(builds), "ms", "<50");
   bench::Figure("snapshot grid paint of 1,000 snapshots (a 1280 x 1024 view)", bench::Median(paints), "ms", "<50");
   grid.DestroyWindow();
   DestroyWindow(host);
   return 0;
}
