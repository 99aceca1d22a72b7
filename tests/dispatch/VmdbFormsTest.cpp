// The command and request forms against the real database, with the simulated host answering
// from the poll loop as the host's own process would.
#include "zoltUiSchema.h"
#include "zoltVmdbForms.h"

#include "cui/AppDataPaths.h"
#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "tremorybase/Config.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimHostBackend.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string Text(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

class VmdbFormsTest : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      vmdb::RegisterClasses();
      ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL)));
      db_->Connect(::testing::UnitTest::GetInstance()->current_test_info()->name(), VMDB_CONNECT_NAMED);
      BuildUiSchema(db_);
      ctx_ = db_->NewContext();
      ctx_->WriteValue(L"/host2/#0000/product", _variant_t(L"host"));
      ctx_->WriteValue(cui::appdata::kCurrentHost, _variant_t(L"/host2/#0000/"));
      // The model context starts the simulated host on this database.
      cui::SetHostBackend(&cuisim::SimHostBackend::Get());
      cui::SetVmdbCtx(vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll));
   }
   void TearDown() override
   {
      cui::SetVmdbCtx(vmdb::Ctx());
      cui::SetHostBackend(nullptr);
      for (const char *key : {"test.host.fail", "test.host.failText", "test.host.noAnswer"}) {
         Config_Set(key, "");
      }
      ctx_ = nullptr;
      db_ = nullptr;
      CoUninitialize();
   }

   std::string Read(const std::string &path) { return Text(_bstr_t(ctx_->ReadValue(path.c_str()))); }
   bool Exists(const std::string &path) { return ctx_->TestNode(path.c_str()) != VARIANT_FALSE; }
   // Elements left in a queue ("/vm/#0001/user/cmd/#").
   std::vector<std::string> Elements(const std::string &queue)
   {
      std::vector<std::string> found;
      for (_bstr_t e = ctx_->NextElement(queue.c_str()); e.length(); e = ctx_->NextElement(e)) {
         found.push_back(Text(e));
      }
      return found;
   }
   static void RunPollSteps(int ms)
   {
      Poll_RunUntil([]() { return false; }, ms);
   }

   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
};

}  // namespace

TEST_F(VmdbFormsTest, CommandSucceedsAndItsElementIsRemoved)
{
   VmdbCommand cmd(db_, L"/vm/#0001/", L"user/cmd/##/", L"set");
   EXPECT_EQ("/vm/#0001/user/cmd/#0001/op/set/", Text(cmd.GetOpPath()));
   cmd.SetInput(L"username", _variant_t(L"ann"));
   cmd.SetInput(L"password", _variant_t(L"pw"));
   EXPECT_EQ("ann", Text(_bstr_t(cmd.GetInput(L"username"))));
   // Nothing reaches the host before the batch closes.
   RunPollSteps(50);
   EXPECT_EQ("", Read("/vm/#0001/user/username"));

   EXPECT_EQ("ok", Text(cmd.Send()));
   EXPECT_FALSE(cmd.Failed());
   EXPECT_EQ("", Text(cmd.GetErrorText()));
   EXPECT_FALSE(cmd.ReportFailure(28, L"ann"));
   EXPECT_EQ("ann", Read("/vm/#0001/user/username"));
   EXPECT_EQ(1u, Elements("/vm/#0001/user/cmd/#").size());
   cmd.Finish();
   EXPECT_TRUE(Elements("/vm/#0001/user/cmd/#").empty());
}

TEST_F(VmdbFormsTest, FailedCommandsCarryTheOwnersErrorText)
{
   // A configured failure of a machine command.
   Config_Set("test.host.fail", "set");
   Config_Set("test.host.failText", "The guest refused the user.");
   {
      VmdbCommand cmd(db_, L"/vm/#0001/", L"user/cmd/##/", L"set");
      cmd.SetInput(L"username", _variant_t(L"bob"));
      EXPECT_EQ("error", Text(cmd.Send()));
      EXPECT_TRUE(cmd.Failed());
      EXPECT_EQ("The guest refused the user.", Text(cmd.GetErrorText()));
      EXPECT_EQ("The guest refused the user.", Read(Text(cmd.GetOpPath()) + "../../status/error/errMsg/"))
         << "the error box reads the text at the operation path";
   }
   EXPECT_TRUE(Elements("/vm/#0001/user/cmd/#").empty()) << "a failed command is removed as well";
   EXPECT_EQ("", Read("/vm/#0001/user/username"));

   // A host command sent through the current-host link lands in that host's queue.
   VmdbCommand cmd(db_, cui::appdata::kCurrentHost, L"util/vm/cmd/##/", L"powerWash");
   EXPECT_EQ(0u, Text(cmd.GetOpPath()).find("/host2/#0000/util/vm/cmd/#")) << Text(cmd.GetOpPath());
   cmd.Send();
   EXPECT_TRUE(cmd.Failed());
   EXPECT_EQ("The host does not support the operation \"powerWash\".", Text(cmd.GetErrorText()));
}

TEST_F(VmdbFormsTest, UnsentCommandsAreDroppedUnseenAndAVanishedOwnerEndsTheWait)
{
   {
      VmdbCommand cmd(db_, L"/vm/#0001/", L"user/cmd/##/", L"set");
      cmd.SetInput(L"username", _variant_t(L"eve"));
   }
   RunPollSteps(100);
   EXPECT_EQ("", Read("/vm/#0001/user/username")) << "a command never sent was carried out";
   EXPECT_TRUE(Elements("/vm/#0001/user/cmd/#").empty());

   // The owner never answers, and its node goes away while the sender waits.
   Config_Set("test.host.noAnswer", "set");
   VmdbCommand cmd(db_, L"/vm/#0002/", L"user/cmd/##/", L"set");
   cmd.SetInput(L"username", _variant_t(L"eve"));
   IVmdbContextPtr other = db_->NewContext();
   Poll_AddTimer(300, false, [other]() { other->RemoveNode(L"/vm/#0002/", VARIANT_TRUE); });
   DWORD start = GetTickCount();
   EXPECT_EQ("", Text(cmd.Send()));
   EXPECT_LT(GetTickCount() - start, 3000u);
   EXPECT_TRUE(cmd.Failed()) << "no answer is no success";
}

TEST_F(VmdbFormsTest, RequestsAreSubmittedOrRefusedWhileAnotherIsPending)
{
   ctx_->WriteValue(L"/host2/#0000/settingsState/val/memory/max", _variant_t(L"512"));
   VmdbRequest first(db_, cui::appdata::kCurrentHost, L"settingsState");
   EXPECT_EQ("/host2/#0000/settingsState/req/#0001/", Text(first.GetElement()));
   first.SetValue(L"val/memory/max", _variant_t(L"2048"));
   ASSERT_TRUE(first.Submit());
   EXPECT_EQ(Text(first.GetElement()), Read("/host2/#0000/settingsState/new"));

   // A second client, before the host took the first: refused at once, even asking for the
   // value the state already has, and its element stays unsubmitted and empty.
   VmdbRequest second(db_, L"/host2/#0000/", L"settingsState/");
   second.SetValue(L"val/memory/max", _variant_t(L"512"));
   EXPECT_FALSE(second.Submit());
   const std::vector<std::string> queued = Elements("/host2/#0000/settingsState/req/#");
   EXPECT_NE(queued.end(), std::find(queued.begin(), queued.end(), Text(second.GetElement())));
   EXPECT_FALSE(Exists(Text(second.GetElement()))) << "something was written into the refused element";
   EXPECT_EQ(Text(first.GetElement()), Read("/host2/#0000/settingsState/new"));

   EXPECT_TRUE(first.WaitUntilApplied(5000));
   EXPECT_EQ("ok", Text(first.GetStatus()));
   EXPECT_EQ("2048", Read("/host2/#0000/settingsState/val/memory/max"));

   // A third waits until nothing is pending, and then goes through.
   VmdbRequest busy(db_, L"/host2/#0000/", L"settingsState");
   busy.SetValue(L"val/memory/max", _variant_t(L"1024"));
   ASSERT_TRUE(busy.Submit());
   VmdbRequest third(db_, L"/host2/#0000/", L"settingsState");
   third.WaitUntilIdle();
   EXPECT_EQ("", Read("/host2/#0000/settingsState/new"));
   third.SetValue(L"val/memory/max", _variant_t(L"4096"));
   third.SetValue(L"val/priority", _variant_t(L"high"));
   ASSERT_TRUE(third.Submit());
   EXPECT_TRUE(third.WaitUntilApplied(5000));
   EXPECT_EQ("4096", Read("/host2/#0000/settingsState/val/memory/max"));
   EXPECT_EQ("high", Read("/host2/#0000/settingsState/val/priority"));

   // A failing owner: applied with an error status, the state unchanged.
   Config_Set("test.host.fail", "settingsState");
   Config_Set("test.host.failText", "The settings are locked.");
   VmdbRequest failing(db_, L"/host2/#0000/", L"settingsState");
   failing.SetValue(L"val/memory/max", _variant_t(L"1"));
   ASSERT_TRUE(failing.Submit());
   EXPECT_TRUE(failing.WaitUntilApplied(5000));
   EXPECT_EQ("error", Text(failing.GetStatus()));
   EXPECT_EQ("4096", Read("/host2/#0000/settingsState/val/memory/max"));
}

TEST_F(VmdbFormsTest, ManagerFormsReportTheirOutcomeFromThePollLoop)
{
   vmdbLayout::rpc::Mgr mgr(vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll));
   std::vector<std::string> outcomes;
   cui::AbortSlot onAbort = [&outcomes](bool cancelled, cui::Error e) {
      outcomes.push_back(std::string(cancelled ? "cancel " : "abort ") + e.what());
   };
   cui::DoneSlot onDone = [&outcomes]() { outcomes.push_back("done"); };
   auto waitForOutcome = [&outcomes](size_t count) {
      return Poll_RunUntil([&outcomes, count]() { return outcomes.size() >= count; }, 3000);
   };

   SendVmdbCmd(&mgr, "/vm/#0003/user/cmd/##/", "set", {{"username/", "carl"}, {"password/", "pw"}}, onAbort, onDone);
   EXPECT_TRUE(outcomes.empty()) << "the manager form does not block";
   ASSERT_TRUE(waitForOutcome(1));
   EXPECT_EQ("carl", Read("/vm/#0003/user/username"));

   Config_Set("test.host.fail", "unset");
   Config_Set("test.host.failText", "No user is logged in.");
   SendVmdbCmd(&mgr, "/vm/#0003/user/cmd/##/", "unset", {}, onAbort, onDone);
   ASSERT_TRUE(waitForOutcome(2));

   SendVmdbReq(&mgr, "/vm/#0003/mks/grabState/req/#", {{"val/", "grabbed"}}, onAbort, onDone, sigc::slot<void>());
   ASSERT_TRUE(waitForOutcome(3));
   EXPECT_EQ("grabbed", Read("/vm/#0003/mks/grabState/val"));
   EXPECT_EQ((std::vector<std::string>{"done", "abort No user is logged in.", "done"}), outcomes);
   EXPECT_EQ("carl", Read("/vm/#0003/user/username"));
}

TEST_F(VmdbFormsTest, GrabInputIsSentEvenWhenGrabbedAndSentAgainWhenTheOwnerAsks)
{
   vmdbLayout::rpc::Mgr mgr(vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll));
   ctx_->WriteValue(L"/vm/#0004/cfgFile", _variant_t(L"C:\\vms\\g.vmx"));
   wui::VM vm(vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll), "/vm/#0004/", nullptr);
   EXPECT_FALSE(SendGrabRequest(&mgr, nullptr, sigc::slot<void>())) << "no machine, no request";

   ctx_->WriteValue(L"/vm/#0004/mks/grabState/val", _variant_t(L"grabbed"));
   vmdbLayout::rpc::Req req = SendGrabRequest(&mgr, &vm, sigc::slot<void>());
   ASSERT_TRUE(req);
   const std::string element = req->GetElementPath();
   EXPECT_EQ(0u, element.find("/vm/#0004/mks/grabState/req/#"));
   EXPECT_EQ("grabbed", Read(element + "val"));
   EXPECT_EQ(element, Read("/vm/#0004/mks/grabState/new"));
   ASSERT_TRUE(Poll_RunUntil([this]() { return Read("/vm/#0004/mks/grabState/new").empty(); }, 3000));

   // The owner asks for the request again (the state changed under it): the resubmit slot sends
   // a fresh one, which the owner then applies.
   Config_Set("test.host.noAnswer", "grabState");
   int resubmits = 0;
   std::function<void()> grab;
   grab = [&]() {
      resubmits++;
      SendGrabRequest(&mgr, &vm, [&grab]() { grab(); });
   };
   vmdbLayout::rpc::Req first = SendGrabRequest(&mgr, &vm, [&grab]() { grab(); });
   const std::string firstElement = first->GetElementPath();
   ctx_->WriteValue((firstElement + "status").c_str(), _variant_t(L"resubmit"));
   ctx_->WriteValue(L"/vm/#0004/mks/grabState/new", _variant_t(L""));
   ASSERT_TRUE(Poll_RunUntil([&resubmits]() { return resubmits == 1; }, 3000));
   const std::string again = Read("/vm/#0004/mks/grabState/new");
   EXPECT_NE(firstElement, again);
   EXPECT_EQ("grabbed", Read(again + "val"));
   Config_Set("test.host.noAnswer", "");
   EXPECT_EQ(1, resubmits);
}
