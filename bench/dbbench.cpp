// Measures the state database on a tree of about 100,000 nodes: reads, writes and watch
// deliveries per second, through the raw C++ interface and through the COM wrappers.
#include "vmdb/Classes.h"
#include "vmdb/Store.h"

#include "tremorybase/Poll.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class Stopwatch {
public:
   Stopwatch()
   {
      QueryPerformanceFrequency(&freq_);
      QueryPerformanceCounter(&start_);
   }
   double Seconds() const
   {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      return double(now.QuadPart - start_.QuadPart) / double(freq_.QuadPart);
   }

private:
   LARGE_INTEGER freq_;
   LARGE_INTEGER start_;
};

const int kElements = 1000;
const int kGroups = 10;
const int kValues = 9;

std::string LeafPath(int e, int g, int v)
{
   char buf[64];
   snprintf(buf, sizeof buf, "/bench/#%04x/group%d/value%d", e, g, v);
   return buf;
}

void Report(const char *what, long count, double seconds)
{
   printf("%-44s %9ld in %8.2f ms  = %12.0f per second\n", what, count, seconds * 1000.0, count / seconds);
}

}  // namespace

int main()
{
   setvbuf(stdout, nullptr, _IONBF, 0);
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> ctx = store->NewContext();

   Stopwatch build;
   std::vector<std::string> leaves;
   for (int e = 0; e < kElements; e++) {
      for (int g = 0; g < kGroups; g++) {
         for (int v = 0; v < kValues; v++) {
            leaves.push_back(LeafPath(e, g, v));
            ctx->Write(leaves.back(), "value");
         }
      }
   }
   printf("tree: %zu nodes\n", store->NodeCount());
   Report("writes creating the tree", long(leaves.size()), build.Seconds());

   // Reads: absolute paths spread over the whole tree, then relative ones.
   const long kReads = 2000000;
   std::string value;
   size_t found = 0;
   Stopwatch reads;
   for (long i = 0; i < kReads; i++) {
      found += ctx->Read(leaves[(static_cast<size_t>(i) * 7919u) % leaves.size()], value) ? 1 : 0;
   }
   Report("reads, absolute paths", kReads, reads.Seconds());
   ctx->ChangePath("/bench/#0100/");
   Stopwatch relReads;
   for (long i = 0; i < kReads; i++) {
      found += ctx->Read("group3/value4", value) ? 1 : 0;
   }
   Report("reads, relative path", kReads, relReads.Seconds());

   // Writes that change values of existing nodes, with no watch registered.
   const long kWrites = 500000;
   Stopwatch writes;
   for (long i = 0; i < kWrites; i++) {
      ctx->Write(leaves[(static_cast<size_t>(i) * 7919u) % leaves.size()], (i & 1) ? "a" : "b");
   }
   Report("writes, existing nodes, no watches", kWrites, writes.Seconds());

   // Watch deliveries: 10,000 watches (a wildcard among them), 10,000 writes, one delivery each.
   std::unique_ptr<vmdbstore::Context> watcher = store->NewContext();
   long delivered = 0;
   watcher->SetWatchHandler([&delivered](const std::string &, const std::string &) { delivered++; });
   for (int e = 1; e < kElements; e++) {
      for (int g = 0; g < kGroups; g++) {
         watcher->Watch(LeafPath(e, g, 0), vmdbstore::kWatchNode);
      }
   }
   watcher->Watch("/bench/#/group0/value0", vmdbstore::kWatchNode);
   watcher->Watch("/bench/#0000", vmdbstore::kWatchSubtree);
   Stopwatch watchedWrites;
   for (int e = 1; e <= 1000; e++) {
      for (int g = 0; g < kGroups; g++) {
         ctx->Write(LeafPath(e % kElements == 0 ? 0 : e, g, e % kElements == 0 ? 1 : 0), "changed");
      }
   }
   double writeTime = watchedWrites.Seconds();
   Stopwatch delivery;
   while (Poll_Step(0) > 0) {
   }
   double deliveryTime = delivery.Seconds();
   Report("writes with 10,001 watches registered", 10000, writeTime);
   Report("watch deliveries", delivered, deliveryTime);

   // The same through the COM face.
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   {
      IVmdbDatabasePtr db;
      db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL);
      db->Connect(L"bench", VMDB_CONNECT_NAMED);
      IVmdbContextPtr com = db->NewContext();
      com->WriteValue(L"/bench/a/b/c", _variant_t(L"value"));
      const long kComReads = 200000;
      Stopwatch comReads;
      for (long i = 0; i < kComReads; i++) {
         _variant_t v = com->ReadValue(L"/bench/a/b/c");
      }
      Report("COM ReadValue", kComReads, comReads.Seconds());
      Stopwatch comWrites;
      for (long i = 0; i < kComReads; i++) {
         com->WriteValue(L"/bench/a/b/c", _variant_t(short(i & 1)));
      }
      Report("COM WriteValue", kComReads, comWrites.Seconds());
   }
   CoUninitialize();
   printf("(%zu reads found their node)\n", found);
   return 0;
}
