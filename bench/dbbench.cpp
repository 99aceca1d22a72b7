// Measures the state database on a tree of about 100,000 nodes: reads and writes per second and
// the time 10,000 watch deliveries take, through the raw store and through the COM wrappers.
#include "BenchReport.h"

#include "atl/ClassTable.h"
#include "vmdb/Classes.h"
#include "vmdb/Store.h"

#include "tremorybase/Poll.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::Stopwatch;

const int kElements = 1000;
const int kGroups = 10;
const int kValues = 9;

std::string LeafPath(int e, int g, int v)
{
   char buf[64];
   snprintf(buf, sizeof buf, "/bench/#%04x/group%d/value%d", e, g, v);
   return buf;
}

void PerSecond(const char *row, long count, double seconds, const char *goal = "")
{
   bench::Figure(row, count / seconds, "/s", goal);
}

}  // namespace

int main()
{
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> ctx = store->NewContext();

   std::vector<std::string> leaves;
   for (int e = 0; e < kElements; e++) {
      for (int g = 0; g < kGroups; g++) {
         for (int v = 0; v < kValues; v++) {
            leaves.push_back(LeafPath(e, g, v));
            ctx->Write(leaves.back(), "value");
         }
      }
   }

   // Reads: absolute paths spread over the whole tree, then relative ones.
   const long kReads = 2000000;
   std::string value;
   long found = 0;
   Stopwatch reads;
   for (long i = 0; i < kReads; i++) {
      found += ctx->Read(leaves[(static_cast<size_t>(i) * 7919u) % leaves.size()], value) ? 1 : 0;
   }
   double readTime = reads.Seconds();
   ctx->ChangePath("/bench/#0100/");
   Stopwatch relReads;
   for (long i = 0; i < kReads; i++) {
      found += ctx->Read("group3/value4", value) ? 1 : 0;
   }
   double relReadTime = relReads.Seconds();
   if (found != 2 * kReads) {
      fprintf(stderr, "dbbench: %ld of %ld reads found their node.\n", found, 2 * kReads);
      return 1;
   }
   PerSecond("state database absolute reads", kReads, readTime, ">=1000000");
   PerSecond("state database relative reads", kReads, relReadTime);

   // Writes that change values of existing nodes, with no watch registered.
   const long kWrites = 500000;
   Stopwatch writes;
   for (long i = 0; i < kWrites; i++) {
      ctx->Write(leaves[(static_cast<size_t>(i) * 7919u) % leaves.size()], (i & 1) ? "a" : "b");
   }
   PerSecond("state database writes", kWrites, writes.Seconds());

   // Watch deliveries: 10,000 writes, each seen by exactly one watch: 9,990 node watches, a
   // subtree watch, and a wildcard watch that matches none of the writes but is asked about each.
   std::unique_ptr<vmdbstore::Context> watcher = store->NewContext();
   long delivered = 0;
   watcher->SetWatchHandler([&delivered](const std::string &, const std::string &) { delivered++; });
   for (int e = 1; e < kElements; e++) {
      for (int g = 0; g < kGroups; g++) {
         watcher->Watch(LeafPath(e, g, 0), vmdbstore::kWatchNode);
      }
   }
   watcher->Watch("/bench/#/group0/value2", vmdbstore::kWatchNode);
   watcher->Watch("/bench/#0000", vmdbstore::kWatchSubtree);
   const long kWatchedWrites = 10000;
   for (int e = 1; e <= kElements; e++) {
      for (int g = 0; g < kGroups; g++) {
         ctx->Write(e < kElements ? LeafPath(e, g, 0) : LeafPath(0, g, 1), "changed");
      }
   }
   Stopwatch delivery;
   while (Poll_Step(0) > 0) {
   }
   double deliveryTime = delivery.Seconds();
   if (delivered != kWatchedWrites) {
      fprintf(stderr, "dbbench: %ld watch deliveries for %ld watched writes.\n", delivered, kWatchedWrites);
      return 1;
   }
   bench::Figure("state database 10,000 watch deliveries", deliveryTime * 1000.0, "ms", "<10");

   // Reads and writes of one value through the COM face, which the program uses.
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   int result = 0;
   try {
      IVmdbDatabasePtr db;
      HRESULT hr = db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL);
      if (FAILED(hr)) {
         _com_issue_error(hr);
      }
      db->Connect(L"bench", VMDB_CONNECT_NAMED);
      IVmdbContextPtr com = db->NewContext();
      com->WriteValue(L"/bench/a/b/c", _variant_t(L"value"));
      const long kComCalls = 200000;
      Stopwatch comReads;
      for (long i = 0; i < kComCalls; i++) {
         _variant_t v = com->ReadValue(L"/bench/a/b/c");
      }
      PerSecond("state database COM reads", kComCalls, comReads.Seconds());
      Stopwatch comWrites;
      for (long i = 0; i < kComCalls; i++) {
         com->WriteValue(L"/bench/a/b/c", _variant_t(short(i & 1)));
      }
      PerSecond("state database COM writes", kComCalls, comWrites.Seconds());
   } catch (const _com_error &error) {
      fprintf(stderr, "dbbench: the COM database failed with 0x%08lx.\n", static_cast<unsigned long>(error.Error()));
      result = 1;
   }
   atl::ClassTable::RevokeAllFromCom();
   CoUninitialize();
   return result;
}
