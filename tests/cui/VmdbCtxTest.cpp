#include "cui/VmdbCtx.h"

#include <gtest/gtest.h>

#include "TestDb.h"
#include "cui/AppDataPaths.h"
#include "cui/Error.h"

TEST(CuiVmdbCtx, ReadsWritesAndWalksWithValuesAsTheDatabaseKeepsThem)
{
   TestDb db;
   vmdb::Ctx copy = db.ctx;
   copy.SetPath(cui::appdata::kRoot);
   EXPECT_EQ(cui::appdata::kRoot, db.ctx.GetPath()) << "copies share one context";
   EXPECT_EQ("/", db.raw->CurrentPath()) << "an own context moved the caller's";

   db.ctx.Set("flag", vmdb::Value(true));
   db.ctx.Set("count", vmdb::Value(12));
   db.ctx.Set("size", vmdb::Value(static_cast<size_t>(7)));
   db.ctx.Set("name", vmdb::Value("ann"));
   EXPECT_EQ("1", db.raw->Read(std::string(cui::appdata::kRoot) + "flag"));
   EXPECT_TRUE(db.ctx.GetBool("flag", false));
   EXPECT_EQ(12, db.ctx.GetInt("count", -1));
   EXPECT_EQ(7, db.ctx.GetInt("size", -1));
   EXPECT_EQ(-1, db.ctx.GetInt("name", -1));
   EXPECT_EQ(-1, db.ctx.GetInt("missing", -1));
   EXPECT_TRUE(db.ctx.GetBool("missing", true));

   std::string a = db.ctx.Append("openedObj/##");
   std::string b = db.ctx.Append("openedObj/#");
   EXPECT_EQ(std::string(cui::appdata::kOpenedObjElements) + "0001/", a);
   EXPECT_EQ((std::vector<std::string>{a, b}), db.ctx.Elements("openedObj/#"));
   db.ctx.Remove(a);
   EXPECT_EQ(std::vector<std::string>{b}, db.ctx.Elements("openedObj/#"));
   EXPECT_NO_THROW(db.ctx.Remove("openedObj/#7777"));

   EXPECT_THROW(db.ctx.Set("a//b", vmdb::Value(1)), cui::Error);
   EXPECT_THROW(vmdb::Ctx().Get("x"), cui::Error);
}

TEST(CuiVmdbCtx, AContextDoesOnlyWhatItsAccessAllowsAndABorrowedOneCannotWatch)
{
   TestDb db;
   intptr_t raw = reinterpret_cast<intptr_t>(db.raw.get());
   vmdb::Ctx readOnly(raw, true, vmdb::Ctx::kRead);
   db.raw->Write("/a", "1");
   EXPECT_EQ("1", readOnly.Get("/a"));
   EXPECT_THROW(readOnly.Set("/a", vmdb::Value(2)), cui::Error);
   EXPECT_THROW(readOnly.Watch("/a", vmdb::Ctx::kWatchNode, [](const std::string &) {}), cui::Error);

   vmdb::Ctx borrowed(raw, false, vmdb::Ctx::kAll);
   EXPECT_EQ(raw, borrowed.GetRawHandle());
   borrowed.Set("/b", vmdb::Value("x"));
   EXPECT_EQ("x", db.raw->Read("/b"));
   EXPECT_THROW(borrowed.Watch("/b", vmdb::Ctx::kWatchNode, [](const std::string &) {}), cui::Error);
}

TEST(CuiVmdbCtx, WatchSlotsRunFromAPollStepAndStopWhenDisconnected)
{
   TestDb db;
   std::vector<std::string> seen;
   sigc::connection node = db.ctx.Watch("/host2/#0001/name", vmdb::Ctx::kWatchNode,
                                        [&seen](const std::string &p) { seen.push_back("node " + p); });
   db.ctx.Watch("/host2/#0001", vmdb::Ctx::kWatchSubtree, [&seen](const std::string &p) { seen.push_back("tree " + p); });

   {
      vmdb::Batch batch(db.ctx);
      db.ctx.Set("/host2/#0001/name", vmdb::Value("local"));
      db.ctx.Set("/host2/#0001/os", vmdb::Value("win"));
   }
   EXPECT_TRUE(seen.empty());
   TestDb::Drain();
   // The host node itself was created by the batch too.
   EXPECT_EQ((std::vector<std::string>{"tree /host2/#0001", "node /host2/#0001/name", "tree /host2/#0001/name",
                                       "tree /host2/#0001/os"}),
             seen);

   seen.clear();
   node.disconnect();
   db.raw->Write("/host2/#0001/name", "other");
   TestDb::Drain();
   EXPECT_EQ(std::vector<std::string>{"tree /host2/#0001/name"}, seen);

   seen.clear();
   db.ctx.Unwatch("/host2/#0001");
   db.raw->Write("/host2/#0001/os", "x");
   TestDb::Drain();
   EXPECT_TRUE(seen.empty());
}
