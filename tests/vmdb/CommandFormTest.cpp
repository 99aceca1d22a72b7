// The command and request forms as the application sends them, answered by a queue owner that
// listens through its own context and event sink.
#include "vmdb/Classes.h"
#include "vmdb/CtxEventSink.h"

#include "atl/ClassTable.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Poll.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(const _bstr_t &b)
{
   return b.length() ? static_cast<const char *>(b) : "";
}

// A host that fails every "createVMCfg" and completes everything else, a few steps later.
class FakeHost : public vmdb::CtxEventSink<FakeHost> {
public:
   explicit FakeHost(IVmdbDatabasePtr db) : ctx_(db->NewContext())
   {
      Advise(ctx_);
      Watch(L"/host2/#/util/vm/cmd/#/op", 0, &FakeHost::OnCommand);
   }
   void OnCommand(BSTR opPath)
   {
      // Removing a finished command's element also reaches this watch: nothing to do then.
      if (ctx_->TestNode(opPath) == VARIANT_FALSE) {
         return;
      }
      std::string element = Text(_bstr_t(opPath));
      element.resize(element.size() - 2);   // drop "op"
      commands++;
      Poll_AddTimer(20, false, [this, element]() {
         std::string op = Text(_bstr_t(ctx_->ReadValue((element + "op").c_str())));
         if (op == "createVMCfg") {
            ctx_->OpenBatch();
            ctx_->WriteValue((element + "status/error/errMsg").c_str(), _variant_t(L"disk full"));
            ctx_->WriteValue((element + "status").c_str(), _variant_t(L"error"));
            ctx_->CloseBatch(-1);
         } else {
            ctx_->WriteValue((element + "status").c_str(), _variant_t(L"ok"));
         }
      });
   }
   int commands = 0;

private:
   IVmdbContextPtr ctx_;
};

}  // namespace

TEST(VmdbForms, CommandIsSeenOnlyWhenCompleteAndItsStatusEndsTheWait)
{
   IVmdbDatabasePtr db;
   ASSERT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(L"forms", VMDB_CONNECT_NAMED);
   IVmdbUtilPtr util;
   CLSID utilClass;   // ProgIDs resolve through the class table, not the registry
   ASSERT_EQ(S_OK, atl::ClassTable::ClassIdFromName(L"VmdbUtil", &utilClass));
   ASSERT_EQ(S_OK, util.CreateInstance(utilClass, nullptr, CLSCTX_ALL));
   util->Attach(db);
   IVmdbSchemaPtr link;
   ASSERT_EQ(S_OK, link.CreateInstance(__uuidof(VmdbSchema), nullptr, CLSCTX_ALL));
   link->SetName(L"currentHost");
   link->SetLinkTarget(L"/host2/#");
   util->ChangeSchemaPath(L"appdata/Tremory/zolt");
   link->AddToParent(util);
   IVmdbContextPtr app = db->NewContext();
   app->WriteValue(cui::appdata::kCurrentHost, _variant_t(L"/host2/#0001/"));
   FakeHost host(db);

   for (const wchar_t *op : {L"createVMCfg", L"deleteVM"}) {
      IVmdbContextPtr ctx = db->NewContext();
      ctx->ChangePath(cui::appdata::kCurrentHost);
      ctx->ChangePath(ctx->AppendElement(L"util/vm/cmd/##/"));
      ctx->OpenBatch();
      ctx->WriteValue(L"op", _variant_t(op));
      ctx->ChangePath(_bstr_t(L"op/") + op);
      _bstr_t opPath = ctx->CurrentPath();
      ctx->WriteValue(L"in/file", _variant_t(L"C:\\vms\\new.vmx"));
      ctx->WriteValue(L"in/access/private", _variant_t(short(1)));
      while (Poll_Step(0) > 0) {
      }
      int before = host.commands;
      ctx->CloseBatch(-1);
      EXPECT_EQ(before, host.commands) << "the owner heard of the command before the batch closed";
      ctx->WaitUntilChanged(L"../../status", _variant_t(L""), VARIANT_FALSE, -1);
      EXPECT_EQ(before + 1, host.commands);
      std::string status = Text(_bstr_t(ctx->ReadValue(L"../../status")));
      if (std::wstring(op) == L"createVMCfg") {
         EXPECT_EQ("error", status);
         EXPECT_EQ("disk full", Text(_bstr_t(app->ReadValue(opPath + L"../../status/error/errMsg/"))));
      } else {
         EXPECT_EQ("ok", status);
      }
      ctx->ChangePath(opPath);
      ctx->RemoveNode(L"../..", VARIANT_TRUE);
      EXPECT_EQ("", Text(ctx->NextElement(L"/host2/#0001/util/vm/cmd/#")));
   }
}

TEST(VmdbForms, RequestIsRefusedWhileAnotherIsPending)
{
   IVmdbDatabasePtr db;
   ASSERT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(L"requests", VMDB_CONNECT_NAMED);
   IVmdbContextPtr first = db->NewContext();
   IVmdbContextPtr second = db->NewContext();
   for (IVmdbContext *ctx : {first.GetInterfacePtr(), second.GetInterfacePtr()}) {
      ctx->ChangePath(L"/host2/#0001/");
      ctx->ChangePath(ctx->FullPath(ctx->AppendElement(L"settingsState/req/#")));
   }
   first->OpenBatch();
   ASSERT_EQ(VARIANT_FALSE, first->TestNode(L"../../new"));
   first->WriteValue(L"val", _variant_t(L"wanted"));
   first->WriteValue(L"../../new", _variant_t(first->CurrentPath()));
   first->CloseBatch(-1);

   // Refused at once even though it wants nothing new; its element stays, unsubmitted.
   second->OpenBatch();
   EXPECT_EQ(VARIANT_TRUE, second->TestNode(L"../../new"));
   second->CloseBatch(-1);
   EXPECT_EQ("/host2/#0001/settingsState/req/#0001/",
             Text(_bstr_t(second->ReadValue(L"/host2/#0001/settingsState/new"))));
   EXPECT_EQ("../#0002/", Text(second->NextElement(L"../#0001")));

   // Once the owner empties "new", a waiting sender goes on.
   Poll_AddTimer(10, false, [&first]() { first->WriteValue(L"../../new", _variant_t(L"")); });
   EXPECT_EQ(VARIANT_TRUE, second->WaitUntilChanged(L"../../new", _variant_t(L""), VARIANT_TRUE, 5000));
   EXPECT_EQ(VARIANT_FALSE, second->TestNode(L"../../new"));
}
