#include "tremsim/SimHost.h"
#include "tremsim/SimHostBackend.h"
#include "tremsim/SimStateOwner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StoreCommand.h"
#include "TestDb.h"
#include "cui/AppDataPaths.h"
#include "cui/Error.h"
#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "tremorybase/Config.h"

namespace {

// The host runs as the program runs it: registered with the model library's context.
class SimHostTest : public ::testing::Test {
protected:
   void SetUp() override
   {
      cui::SetHostBackend(&cuisim::SimHostBackend::Get());
      cui::SetVmdbCtx(db.ctx);
   }
   void TearDown() override
   {
      cui::SetVmdbCtx(vmdb::Ctx());
      cui::SetHostBackend(nullptr);
      for (const char *key : {"test.host.fail", "test.host.failText", "test.host.noAnswer", "test.host.delayMs"}) {
         Config_Set(key, "");
      }
   }

   // Runs poll steps until `done` or two seconds; true when done.
   static bool Until(const std::function<bool()> &done) { return Poll_RunUntil(done, 2000); }

   // The context form of a command, step by step as the program sends it; returns the status.
   std::string SendCommand(const std::string &owner, const std::string &queue, const std::string &op,
                           const std::vector<std::pair<std::string, std::string>> &inputs, std::string *errMsg)
   {
      std::unique_ptr<vmdbstore::Context> c = db.store->NewContext();
      c->ChangePath(owner);
      return testsupport::SendStoreCommand(*c, queue, op, inputs, errMsg);
   }

   // The context form of a request; false when it was refused. `element` gets its path.
   bool SendRequest(const std::string &state, const std::vector<std::pair<std::string, std::string>> &values,
                    std::string &element)
   {
      std::unique_ptr<vmdbstore::Context> c = db.store->NewContext();
      c->ChangePath(state);
      element = c->FullPath(c->AppendElement("req/#"));
      c->ChangePath(element);
      c->OpenBatch();
      bool refused = c->Test("../../new");
      if (!refused) {
         for (const auto &value : values) {
            c->Write(value.first, value.second);
         }
         c->Write("../../new", element);
      }
      c->CloseBatch();
      return !refused;
   }

   TestDb db;
};

}  // namespace

TEST(SimWork, RecognisesCommandsSubmissionsAndThePreferenceElement)
{
   using cuisim::SimWork;
   SimWork host = SimWork::FromChange("/host2/#0000/util/vm/cmd/#0003/op");
   EXPECT_EQ(SimWork::HostCommand, host.kind);
   EXPECT_EQ("/host2/#0000/", host.owner);
   EXPECT_EQ("/host2/#0000/util/vm/cmd/#0003/", host.target);
   SimWork vm = SimWork::FromChange("/vm/#0001/cmd/#0002/op");
   EXPECT_EQ(SimWork::MachineCommand, vm.kind);
   EXPECT_EQ("/vm/#0001/", vm.owner);
   EXPECT_EQ(SimWork::MachineUserCommand, SimWork::FromChange("/vm/#0001/user/cmd/#0001/op").kind);
   SimWork grab = SimWork::FromChange("/vm/#0001/mks/grabState/new");
   EXPECT_EQ(SimWork::StateRequest, grab.kind);
   EXPECT_EQ("/vm/#0001/mks/grabState/", grab.target);
   EXPECT_EQ(SimWork::StateRequest, SimWork::FromChange("/vm/#0001/devices/cd/connectState/new").kind);
   EXPECT_EQ("/user/prefState/", SimWork::FromChange("/user/prefState/new").target);
   EXPECT_EQ(SimWork::PrefsElement, SimWork::FromChange("/user/prefState/req/#ZOLT").kind);

   // Inputs, statuses, values and states nobody owns are no work.
   for (const char *path : {"/host2/#0000/util/vm/cmd/#0003/op/createVMCfg/in/file", "/vm/#0001/cmd/#0002/status",
                            "/vm/#0001/mks/grabState/req/#0001/val", "/user/hintsState/new", "/vm/#0001/new",
                            cui::appdata::kSessionActive, "/host2/#0000/cmd/#0001/op",
                            "/vm/#0001/vmx/snapshot/val/item/#0012/displayName", "/user/prefState/req/#ZOLTX",
                            "/user/prefState/req/#ZOL"}) {
      EXPECT_EQ(SimWork::None, SimWork::FromChange(path).kind) << path;
   }
}

TEST_F(SimHostTest, ContextFormCommandsAreAnsweredWhileTheSenderWaits)
{
   std::string errMsg;
   EXPECT_EQ("ok", SendCommand("/vm/#0001/", "user/cmd/##/", "set", {{"username", "ann"}, {"password", "pw"}}, &errMsg));
   EXPECT_EQ("ann", db.raw->Read("/vm/#0001/user/username"));
   EXPECT_EQ("", errMsg);
   EXPECT_EQ("", db.raw->Read("/vm/#0001/user/password")) << "the password has no place in the database";
   EXPECT_FALSE(db.raw->Exists("/vm/#0001/user/cmd/#0001"));

   EXPECT_EQ("error", SendCommand("/vm/#0001/", "user/cmd/##/", "set", {{"username", ""}}, &errMsg));
   EXPECT_EQ("A user name is required.", errMsg);
   EXPECT_EQ("ann", db.raw->Read("/vm/#0001/user/username"));

   EXPECT_EQ("error", SendCommand("/host2/#0000/", "util/vm/cmd/##/", "powerWash", {}, &errMsg));
   EXPECT_EQ("The host does not support the operation \"powerWash\".", errMsg);

   // A registered operation runs with its inputs; the configured failure wins over it.
   std::vector<std::string> seen;
   cuisim::SimHost::Get()->HostCommands().Register("createVMCfg", [&seen](cuisim::SimCommand &cmd) {
      seen.push_back(cmd.Owner() + " " + cmd.In("file") + " " + cmd.In("access/private"));
   });
   EXPECT_EQ("ok", SendCommand("/host2/#0000/", "util/vm/cmd/##/", "createVMCfg",
                               {{"file", "C:\\vms\\a.vmx"}, {"access/private", "1"}}, &errMsg));
   EXPECT_EQ(std::vector<std::string>{"/host2/#0000/ C:\\vms\\a.vmx 1"}, seen);
   Config_Set("test.host.fail", "deleteVM, createVMCfg");
   Config_Set("test.host.failText", "The disk is full.");
   EXPECT_EQ("error", SendCommand("/host2/#0000/", "util/vm/cmd/##/", "createVMCfg", {{"file", "b.vmx"}}, &errMsg));
   EXPECT_EQ("The disk is full.", errMsg);
   EXPECT_EQ(1u, seen.size());
}

TEST_F(SimHostTest, ManagerFormCommandsCompleteOrFailThroughTheirSignals)
{
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   std::vector<std::string> outcomes;
   auto send = [&](const std::string &op, const std::string &user) {
      vmdbLayout::rpc::Cmd cmd = mgr.NewCmd("/vm/#0002/user/cmd/##/", op);
      if (!user.empty()) {
         cmd["username/"] = vmdb::Value(user);
         cmd["password/"] = vmdb::Value("secret");
      }
      cmd->abort.connect(cui::MakeRPCAbortSlot([&outcomes](bool, cui::Error e) { outcomes.push_back(e.what()); }));
      cmd->done.connect([&outcomes]() { outcomes.push_back("done"); });
      cmd->Invoke();
      size_t before = outcomes.size();
      EXPECT_TRUE(Until([&]() { return outcomes.size() > before; })) << op;
   };
   send("set", "bob");
   EXPECT_EQ("bob", db.raw->Read("/vm/#0002/user/username"));
   send("unset", "");
   EXPECT_EQ("", db.raw->Read("/vm/#0002/user/username"));
   Config_Set("test.host.fail", "set");
   send("set", "carl");
   EXPECT_EQ((std::vector<std::string>{"done", "done", "The host could not carry out \"set\"."}), outcomes);
   EXPECT_EQ("", db.raw->Read("/vm/#0002/user/username"));
   EXPECT_EQ(0u, mgr.GetPendingCount());
}

TEST_F(SimHostTest, RequestsAreAppliedAndASecondOneIsRefusedWhileTheFirstIsPending)
{
   db.raw->Write("/host2/#0000/settingsState/val/memory/max", "512");
   db.raw->Write("/host2/#0000/settingsState/val/memory/min", "64");
   std::string first, second;
   ASSERT_TRUE(SendRequest("/host2/#0000/settingsState/", {{"val/memory/max", "2048"}, {"val/priority", "high"}}, first));
   EXPECT_FALSE(SendRequest("/host2/#0000/settingsState/", {{"val/memory/max", "1"}}, second));
   EXPECT_EQ(first, db.raw->Read("/host2/#0000/settingsState/new")) << "the host answered inside the write";

   ASSERT_TRUE(Until([&]() { return db.raw->Read("/host2/#0000/settingsState/new").empty(); }));
   EXPECT_EQ("ok", db.raw->Read(first + "status"));
   EXPECT_EQ("2048", db.raw->Read("/host2/#0000/settingsState/val/memory/max"));
   EXPECT_EQ("64", db.raw->Read("/host2/#0000/settingsState/val/memory/min")) << "a request merges into the state";
   EXPECT_EQ("high", db.raw->Read("/host2/#0000/settingsState/val/priority"));
   // The refused element stays in the queue, unsubmitted and untouched.
   EXPECT_TRUE(db.raw->Exists(second));
   EXPECT_FALSE(db.raw->Exists(second + "val"));
   EXPECT_FALSE(db.raw->Exists(second + "status"));

   // Through the request manager: the value of a single node, and a configured failure.
   vmdbLayout::rpc::Mgr mgr(db.ctx);
   std::vector<std::string> outcomes;
   auto request = [&](const std::string &queue, const std::string &key, const std::string &value) {
      vmdbLayout::rpc::Req req = mgr.NewReq(queue);
      req[key] = vmdb::Value(value);
      req->abort.connect(cui::MakeRPCAbortSlot([&outcomes](bool, cui::Error e) { outcomes.push_back(e.what()); }));
      req->done.connect([&outcomes]() { outcomes.push_back("done"); });
      req->Invoke();
      size_t before = outcomes.size();
      EXPECT_TRUE(Until([&]() { return outcomes.size() > before; }));
   };
   request("/vm/#0001/mks/grabState/req/#", "val/", "grabbed");
   EXPECT_EQ("grabbed", db.raw->Read("/vm/#0001/mks/grabState/val"));
   db.raw->Write("/user/vmlistState/val/item/#0001/present", "1");
   db.raw->Write("/user/vmlistState/val/item/#0002/present", "1");
   request("/user/vmlistState/req/#/", "val/item/#0002/present/", "0");
   EXPECT_EQ("1", db.raw->Read("/user/vmlistState/val/item/#0001/present"));
   EXPECT_EQ("0", db.raw->Read("/user/vmlistState/val/item/#0002/present"));
   Config_Set("test.host.fail", "grabState");
   Config_Set("test.host.failText", "The machine is not running.");
   request("/vm/#0001/mks/grabState/req/#", "val/", "ungrabbed");
   EXPECT_EQ((std::vector<std::string>{"done", "done", "The machine is not running."}), outcomes);
   EXPECT_EQ("grabbed", db.raw->Read("/vm/#0001/mks/grabState/val"));
   EXPECT_EQ("", db.raw->Read("/vm/#0001/mks/grabState/new"));
}

TEST_F(SimHostTest, PreferencesSubmittedAtSessionEndAreKeptAndHandedBackToTheNextSession)
{
   const std::string element = cuisim::SimStateOwner::kPrefsElement;
   db.raw->Write(element + "val/zolt/view/homepage", "1");
   db.raw->Write(element + "val/zolt/placement/left", "40");

   // The session end: submit the element and wait up to 15 s for its status.
   std::unique_ptr<vmdbstore::Context> c = db.store->NewContext();
   c->ChangePath(element);
   c->Write("../../new", element);
   DWORD start = GetTickCount();
   EXPECT_TRUE(c->WaitUntilChanged("status", "", false, 15000));
   EXPECT_LT(GetTickCount() - start, 1000u);
   EXPECT_EQ("ok", c->Read("status"));
   EXPECT_EQ("", db.raw->Read("/user/prefState/new"));
   EXPECT_EQ("40", db.raw->Read("/user/prefState/val/zolt/placement/left"));
   c->Remove(".", true);

   // The element is gone; the host hands the saved values back, under what the program wrote since.
   db.raw->Write(element + "val/zolt/placement/left", "80");
   ASSERT_TRUE(Until([&]() { return db.raw->Exists(element + "val/zolt/view/homepage"); }));
   EXPECT_EQ("1", db.raw->Read(element + "val/zolt/view/homepage"));
   EXPECT_EQ("80", db.raw->Read(element + "val/zolt/placement/left"));
   EXPECT_FALSE(db.raw->Exists(element + "status"));

   // A host that fails the preferences: the wait ends with an error and the state stays.
   Config_Set("test.host.fail", "prefState");
   Config_Set("test.host.failText", "The preferences file is read-only.");
   c->ChangePath(element);
   c->Write("../../new", element);
   EXPECT_TRUE(c->WaitUntilChanged("status", "", false, 15000));
   EXPECT_EQ("error", c->Read("status"));
   EXPECT_EQ("The preferences file is read-only.", c->Read("status/error/errMsg"));
   EXPECT_EQ("40", db.raw->Read("/user/prefState/val/zolt/placement/left"));
}

TEST_F(SimHostTest, WorkLeftByAnEarlierRunIsDoneAtStartWithoutStaleStatuses)
{
   cui::SetVmdbCtx(vmdb::Ctx());
   const std::string element = cuisim::SimStateOwner::kPrefsElement;
   db.raw->Write(element + "val/zolt/tip/startup", "0");
   db.raw->Write("/user/prefState/new", element);
   db.raw->Write("/host2/#0000/util/vm/cmd/#0001/op", "deleteVM");
   Config_Set("test.host.noAnswer", "grabState");
   db.raw->Write("/vm/#0001/mks/grabState/req/#0001/val", "grabbed");
   db.raw->Write("/vm/#0001/mks/grabState/new", "/vm/#0001/mks/grabState/req/#0001/");

   cui::SetVmdbCtx(db.ctx);
   // Applied at once, so the program's first reads of its preferences see them.
   EXPECT_EQ("", db.raw->Read("/user/prefState/new"));
   EXPECT_EQ("0", db.raw->Read("/user/prefState/val/zolt/tip/startup"));
   EXPECT_FALSE(db.raw->Exists(element + "status")) << "the next session end would not wait";
   ASSERT_TRUE(Until([&]() { return !db.raw->Read("/host2/#0000/util/vm/cmd/#0001/status").empty(); }));
   EXPECT_EQ("error", db.raw->Read("/host2/#0000/util/vm/cmd/#0001/status"));
   // A state configured never to answer keeps its submission pending.
   EXPECT_EQ("/vm/#0001/mks/grabState/req/#0001/", db.raw->Read("/vm/#0001/mks/grabState/new"));
}

// The model reaches the host only through the backend the program installs.
TEST(HostBackendTest, ModelContextRunsTheInstalledBackendOnly)
{
   TestDb db;
   cui::SetVmdbCtx(db.ctx);
   EXPECT_EQ(nullptr, cui::GetHostBackend());
   EXPECT_EQ(nullptr, cuisim::SimHost::Get()) << "nothing answers without a backend";

   cui::SetHostBackend(&cuisim::SimHostBackend::Get());
   EXPECT_EQ(&cuisim::SimHostBackend::Get(), cui::GetHostBackend());
   EXPECT_NE(nullptr, cuisim::SimHost::Get()) << "a backend installed late answers the registered context";
   cui::SetVmdbCtx(vmdb::Ctx());
   EXPECT_EQ(nullptr, cuisim::SimHost::Get());
   cui::SetVmdbCtx(db.ctx);
   EXPECT_NE(nullptr, cuisim::SimHost::Get());

   cui::SetHostBackend(nullptr);
   EXPECT_EQ(nullptr, cuisim::SimHost::Get()) << "the backend taken away stops answering";
   cui::SetVmdbCtx(vmdb::Ctx());
}
