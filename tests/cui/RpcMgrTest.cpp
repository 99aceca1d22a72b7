#include "cui/RpcMgr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDb.h"

namespace {

// Records every outcome a command or request raises.
struct Outcomes {
   std::vector<std::string> seen;
   template <class Rpc>
   void Attach(Rpc &rpc)
   {
      rpc->abort.connect(cui::MakeRPCAbortSlot([this](bool cancelled, cui::Error e) {
         seen.push_back(std::string(cancelled ? "cancelled:" : "abort:") + e.what());
      }));
      rpc->done.connect([this]() { seen.push_back("done"); });
   }
};

// The owner of a command queue: answers each new command from a poll step, as the host does.
struct QueueOwner {
   QueueOwner(TestDb &db, const std::string &queue, std::string status, std::string errMsg)
      : db(db), status(std::move(status)), errMsg(std::move(errMsg))
   {
      watcher = db.store->NewContext();
      watcher->SetWatchHandler([this](const std::string &, const std::string &changed) { OnChange(changed); });
      watcher->Watch(queue, vmdbstore::kWatchSubtree);
   }
   void OnChange(const std::string &changed)
   {
      // Answer once per element, when its op arrives.
      if (changed.size() < 3 || changed.compare(changed.size() - 3, 3, "/op") != 0) {
         return;
      }
      std::string element = changed.substr(0, changed.size() - 2);
      ops.push_back(watcher->Read(element + "op") + " user=" + watcher->Read(element + "op/set/in/username"));
      watcher->OpenBatch();
      if (!errMsg.empty()) {
         watcher->Write(element + "status/error/errMsg", errMsg);
      }
      watcher->Write(element + "status", status);
      watcher->CloseBatch();
   }
   TestDb &db;
   std::string status;
   std::string errMsg;
   std::unique_ptr<vmdbstore::Context> watcher;
   std::vector<std::string> ops;
};

}  // namespace

TEST(CuiRpc, CommandCompletesWhenTheQueueOwnerSetsItsStatus)
{
   TestDb db;
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   QueueOwner owner(db, "/vm/#0001/user/cmd", "ok", "");
   Outcomes out;
   {
      vmdbLayout::rpc::Cmd cmd = mgr.NewCmd("/vm/#0001/user/cmd/##/", "set");
      cmd["username/"] = vmdb::Value("ann");
      cmd["password/"] = vmdb::Value("secret");
      out.Attach(cmd);
      EXPECT_TRUE(cmd->Invoke());
      EXPECT_FALSE(cmd->Invoke()) << "sent twice";
      std::string e = cmd->GetElementPath();
      EXPECT_EQ("/vm/#0001/user/cmd/#0001/", e);
      EXPECT_EQ("set", db.raw->Read(e + "op"));
      EXPECT_EQ("secret", db.raw->Read(e + "op/set/in/password"));
   }
   // The caller let go of its handle; the command lives on until answered.
   EXPECT_TRUE(out.seen.empty());
   TestDb::Drain();
   EXPECT_EQ(std::vector<std::string>{"set user=ann"}, owner.ops);
   EXPECT_EQ(std::vector<std::string>{"done"}, out.seen);
   EXPECT_FALSE(db.raw->Exists("/vm/#0001/user/cmd/#0001")) << "answered element left behind";
   EXPECT_EQ(0u, mgr.GetPendingCount());
}

TEST(CuiRpc, CommandFailsWithTheOwnersErrorText)
{
   TestDb db;
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   QueueOwner owner(db, "/host2/#0001/util/vm/cmd", "error", "The file is locked.");
   Outcomes out;
   vmdbLayout::rpc::Cmd cmd = mgr.NewCmd("/host2/#0001/util/vm/cmd/##", "deleteVM");
   cmd["cfgPath"] = vmdb::Value("C:\\vm\\a.vmx");
   out.Attach(cmd);
   cmd->Invoke();
   TestDb::Drain();
   EXPECT_EQ(std::vector<std::string>{"abort:The file is locked."}, out.seen);

   // Without a text the failure still says something.
   owner.errMsg.clear();
   vmdbLayout::rpc::Cmd second = mgr.NewCmd("/host2/#0001/util/vm/cmd/##", "deleteVM");
   Outcomes out2;
   out2.Attach(second);
   second->Invoke();
   TestDb::Drain();
   ASSERT_EQ(1u, out2.seen.size());
   EXPECT_NE("abort:", out2.seen[0]);
   EXPECT_EQ(0u, out2.seen[0].find("abort:"));
}

TEST(CuiRpc, RequestIsSubmittedThroughNewAndRefusedWhileAnotherIsPending)
{
   TestDb db;
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   const std::string state = "/vm/#0001/mks/grabState/";
   Outcomes first, refused;

   vmdbLayout::rpc::Req req = mgr.NewReq(state + "req/#");
   req["val/"] = vmdb::Value("grabbed");
   first.Attach(req);
   EXPECT_TRUE(req->Invoke());
   std::string element = req->GetElementPath();
   EXPECT_EQ(state + "req/#0001/", element);
   EXPECT_EQ("grabbed", db.raw->Read(element + "val"));
   EXPECT_EQ(element, db.raw->Read(state + "new"));

   // A second request meets the pending one: refused from a poll step, left unsubmitted.
   vmdbLayout::rpc::Req second = mgr.NewReq(state + "req/#");
   second["val/"] = vmdb::Value("ungrabbed");
   refused.Attach(second);
   EXPECT_FALSE(second->Invoke());
   EXPECT_TRUE(refused.seen.empty());
   TestDb::Drain();
   ASSERT_EQ(1u, refused.seen.size());
   EXPECT_EQ(0u, refused.seen[0].find("abort:"));
   EXPECT_EQ(element, db.raw->Read(state + "new"));
   EXPECT_TRUE(db.raw->Exists(state + "req/#0002"));
   EXPECT_FALSE(db.raw->Exists(state + "req/#0002/val")) << "a refused request wrote its values";
   EXPECT_TRUE(first.seen.empty());

   // The owner applies the first and clears "new".
   db.raw->Write(state + "val", "grabbed");
   db.raw->Write(state + "new", "");
   TestDb::Drain();
   EXPECT_EQ(std::vector<std::string>{"done"}, first.seen);
}

TEST(CuiRpc, RequestOutcomeFollowsTheStatusTheOwnerLeaves)
{
   TestDb db;
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   const std::string state = "/user/vmlistState/";
   int resubmits = 0;
   Outcomes out;

   vmdbLayout::rpc::Req req = mgr.NewReq(state + "req/#/");
   req["val/item/#0001/present/"] = vmdb::Value(true);
   out.Attach(req);
   req->resubmit.connect([&resubmits]() { ++resubmits; });
   req->Invoke();
   EXPECT_EQ("1", db.raw->Read(req->GetElementPath() + "val/item/#0001/present"));
   db.raw->Write(req->GetElementPath() + "status", "resubmit");
   db.raw->Write(state + "new", "");
   TestDb::Drain();
   EXPECT_EQ(1, resubmits);
   EXPECT_TRUE(out.seen.empty());

   vmdbLayout::rpc::Req failing = mgr.NewReq(state + "req/#");
   out.Attach(failing);
   failing->Invoke();
   db.raw->OpenBatch();
   db.raw->Write(failing->GetElementPath() + "status", "error");
   db.raw->Write(failing->GetElementPath() + "status/error/errMsg", "The list is read-only.");
   db.raw->Write(state + "new", "");
   db.raw->CloseBatch();
   TestDb::Drain();
   EXPECT_EQ(std::vector<std::string>{"abort:The list is read-only."}, out.seen);

   EXPECT_THROW(mgr.NewReq("/user/vmlistState/val"), cui::Error);
}
