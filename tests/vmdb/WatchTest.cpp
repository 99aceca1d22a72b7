#include "vmdb/Store.h"

#include "tremorybase/Poll.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vmdbstore::Context;
using vmdbstore::Store;

namespace {

// Runs poll steps until nothing is left to run.
void Drain()
{
   while (Poll_Step(0) > 0) {
   }
}

// Collects "watchPath <- changedPath" for every delivery to a context.
struct Recorder {
   std::vector<std::string> seen;
   void Attach(Context &ctx)
   {
      ctx.SetWatchHandler([this](const std::string &watch, const std::string &changed) {
         seen.push_back(watch + " <- " + changed);
      });
   }
};

}  // namespace

TEST(VmdbWatch, BatchedWritesAreDeliveredAfterCloseInWriteOrderFromAPollStep)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> owner = store->NewContext();
   std::unique_ptr<Context> sender = store->NewContext();
   Recorder rec;
   rec.Attach(*owner);
   owner->Watch("/host/cmd/#", vmdbstore::kWatchSubtree);

   sender->OpenBatch();
   sender->OpenBatch();
   std::string e = sender->AppendElement("/host/cmd/##/");
   sender->Write(e + "op", "createVMCfg");
   sender->Write(e + "op/createVMCfg/in/file", "a.vmx");
   sender->CloseBatch();
   Drain();
   EXPECT_TRUE(rec.seen.empty()) << "delivered while the outer batch was open";
   sender->CloseBatch();
   EXPECT_TRUE(rec.seen.empty()) << "delivered inside CloseBatch";
   Drain();
   EXPECT_EQ((std::vector<std::string>{
                "/host/cmd/# <- /host/cmd/#0001",
                "/host/cmd/# <- /host/cmd/#0001/op",
                "/host/cmd/# <- /host/cmd/#0001/op/createVMCfg/in/file",
             }),
             rec.seen);

   // Outside a batch a write is delivered at the next step, never inside the write itself.
   rec.seen.clear();
   sender->Write(e + "status", "done");
   EXPECT_TRUE(rec.seen.empty());
   sender->Write(e + "status", "done");   // no change, no event
   Drain();
   EXPECT_EQ(1u, rec.seen.size());

   // A context let go with its batch open: its writes stand and are delivered.
   rec.seen.clear();
   std::unique_ptr<Context> careless = store->NewContext();
   careless->OpenBatch();
   careless->Write(e + "status", "error");
   careless.reset();
   Drain();
   EXPECT_EQ((std::vector<std::string>{"/host/cmd/# <- /host/cmd/#0001/status"}), rec.seen);
}

TEST(VmdbWatch, ModesWildcardsUnwatchAndRemovals)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   std::unique_ptr<Context> writer = store->NewContext();
   Recorder rec;
   rec.Attach(*ctx);
   writer->Write("/vm/#a/mks/focusEvent", "0");
   writer->Write("/app/session/active", "0");
   ctx->ChangePath("/app/");
   ctx->Watch("session", vmdbstore::kWatchNode);                     // relative, the node only
   ctx->Watch("/app/session", vmdbstore::kWatchSubtree);
   ctx->Watch("/vm/#/mks/focusEvent", vmdbstore::kWatchNode);
   Drain();

   writer->Write("/app/session/active", "1");
   writer->Write("/vm/#b/mks/focusEvent", "1");
   writer->Write("/vm/#a/mks/other", "1");
   writer->Write("/app/session", "x");
   Drain();
   EXPECT_EQ((std::vector<std::string>{
                "/app/session <- /app/session/active",
                "/vm/#/mks/focusEvent <- /vm/#b/mks/focusEvent",
                "session <- /app/session",
                "/app/session <- /app/session",
             }),
             rec.seen);

   // Removing a subtree tells watches on it and on nodes inside it, once each.
   rec.seen.clear();
   writer->Remove("/vm", true);
   writer->Remove("/app/session", true);
   Drain();
   EXPECT_EQ((std::vector<std::string>{
                "/vm/#/mks/focusEvent <- /vm/#a/mks/focusEvent",
                "/vm/#/mks/focusEvent <- /vm/#b/mks/focusEvent",
                "session <- /app/session",
                "/app/session <- /app/session",
             }),
             rec.seen);

   // Watching twice needs two unwatches; after that nothing arrives, even for writes pending.
   rec.seen.clear();
   ctx->Watch("/app/x", vmdbstore::kWatchNode);
   ctx->Watch("/app/x", vmdbstore::kWatchNode);
   ctx->Unwatch("/app/x");
   writer->Write("/app/x", "1");
   Drain();
   EXPECT_EQ(1u, rec.seen.size());
   writer->Write("/app/x", "2");
   ctx->Unwatch("/app/x");
   Drain();
   EXPECT_EQ(1u, rec.seen.size());
   EXPECT_THROW(ctx->Watch("/app/x", static_cast<vmdbstore::WatchMode>(3)), vmdbstore::Error);
}

TEST(VmdbWatch, WaitUntilChangedLetsAPollCallbackAnswerAndKeepsItsLimit)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> sender = store->NewContext();
   std::unique_ptr<Context> owner = store->NewContext();
   owner->SetWatchHandler([&](const std::string &, const std::string &changed) {
      // The queue's owner answers a few steps later, as a real one would.
      std::string element = changed.substr(0, changed.rfind('/'));
      Poll_AddTimer(30, false, [&owner, element]() { owner->Write(element + "/status", "done"); });
   });
   owner->Watch("/host/cmd/#/op", vmdbstore::kWatchNode);

   sender->ChangePath("/host/");
   sender->ChangePath(sender->AppendElement("cmd/##"));
   sender->OpenBatch();
   sender->Write("op", "deleteVM");
   sender->CloseBatch();
   EXPECT_TRUE(sender->WaitUntilChanged("status", "", false, -1));
   EXPECT_EQ("done", sender->Read("status"));

   // Nobody answers: the wait ends at its limit with false.
   DWORD start = GetTickCount();
   EXPECT_FALSE(sender->WaitUntilChanged("status", "", true, 120));
   DWORD spent = GetTickCount() - start;
   EXPECT_GE(spent, 100u);
   EXPECT_LT(spent, 2000u);
   EXPECT_TRUE(sender->WaitUntilChanged("status", "done", true, 0));
}

TEST(VmdbWatch, DeliveryRecoversWhenThePollLoopDroppedIt)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   Recorder rec;
   rec.Attach(*ctx);
   ctx->Watch("/a", vmdbstore::kWatchSubtree);
   ctx->Write("/a/x", "1");
   Poll_Reset();   // drops the posted delivery
   Sleep(1100);
   ctx->Write("/a/y", "1");
   Drain();
   EXPECT_EQ((std::vector<std::string>{"/a <- /a", "/a <- /a/x", "/a <- /a/y"}), rec.seen);
}

TEST(VmdbWatch, ASubtreeHeardOncePerStepGetsTheFirstChangeOfEachDeliveryAndNothingOfOtherPaths)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> watcher = store->NewContext();
   std::unique_ptr<Context> writer = store->NewContext();
   Recorder rec;
   rec.Attach(*watcher);
   watcher->Watch("/a", vmdbstore::kWatchSubtreeOnce);
   watcher->Watch("/a/x", vmdbstore::kWatchNode);
   writer->OpenBatch();
   for (int i = 0; i < 100; ++i) {
      writer->Write("/a/n" + std::to_string(i), "1");
   }
   writer->Write("/a/x", "1");
   writer->Write("/b/y", "1");
   writer->CloseBatch();
   Drain();
   // The node watch still hears its own node; the subtree is told once, for the first write.
   EXPECT_EQ((std::vector<std::string>{"/a <- /a", "/a/x <- /a/x"}), rec.seen);

   rec.seen.clear();
   writer->Write("/a/n5", "2");
   Drain();
   writer->Write("/a/n6", "2");
   Drain();
   EXPECT_EQ((std::vector<std::string>{"/a <- /a/n5", "/a <- /a/n6"}), rec.seen);

   rec.seen.clear();
   watcher->Unwatch("/a");
   writer->Write("/a/n7", "2");
   Drain();
   EXPECT_TRUE(rec.seen.empty());
}

TEST(VmdbWatch, ChildrenWrittenInOneWalkAnnounceWhatSeparateWritesWould)
{
   // The same writes, once value by value and once in one walk, on two stores that match.
   const char *const names[] = {"uid", "parent", "name"};
   auto run = [&](bool together) {
      std::shared_ptr<Store> store = Store::Create();
      std::unique_ptr<Context> watcher = store->NewContext();
      std::unique_ptr<Context> writer = store->NewContext();
      Recorder rec;
      rec.Attach(*watcher);
      watcher->Watch("/list", vmdbstore::kWatchSubtree);
      writer->Write("/list/item/#0002/name", "old");
      Drain();
      rec.seen.clear();
      for (const char *item : {"/list/item/#0001", "/list/item/#0002"}) {
         const std::string values[] = {item + 12, "0", "new"};
         if (together) {
            writer->WriteChildren(item, names, values, 3);
         } else {
            for (int i = 0; i < 3; ++i) {
               writer->Write(std::string(item) + "/" + names[i], values[i]);
            }
         }
      }
      // Written again unchanged: nothing more to tell.
      const std::string same[] = {"0002", "0", "new"};
      if (together) {
         writer->WriteChildren("/list/item/#0002", names, same, 3);
      } else {
         for (int i = 0; i < 3; ++i) {
            writer->Write(std::string("/list/item/#0002/") + names[i], same[i]);
         }
      }
      Drain();
      EXPECT_EQ(writer->Read("/list/item/#0001/uid"), "0001");
      EXPECT_EQ(writer->Read("/list/item/#0002/name"), "new");
      return rec.seen;
   };
   const std::vector<std::string> separate = run(false);
   EXPECT_FALSE(separate.empty());
   EXPECT_EQ(run(true), separate);

   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   const std::string values[] = {"1"};
   for (const char *bad : {"", "..", "a/b", "#0001"}) {
      const char *const badNames[] = {bad};
      EXPECT_THROW(ctx->WriteChildren("/list", badNames, values, 1), vmdbstore::Error) << bad;
   }
   EXPECT_FALSE(ctx->Exists("/list")) << "a refused name writes nothing";
}
