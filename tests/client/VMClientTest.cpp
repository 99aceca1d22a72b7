#include "ClientTestSupport.h"

#include "vmdb/Store.h"

#include "tremorybase/Config.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

vmdbstore::Context &Raw(IVmdbContextPtr &ctx)
{
   return *vmdbstore::ContextFromRawHandle(ctx->GetRawHandle());
}

IVMClientPtr NewClient()
{
   IVMClientPtr client;
   EXPECT_EQ(S_OK, client.CreateInstance(__uuidof(VMClient), nullptr, CLSCTX_ALL));
   return client;
}

TEST(VMClient, InitCreatesTheLocalHostAndAnswersItsPath)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-init");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client = NewClient();
   BSTR path = nullptr;
   EXPECT_EQ(E_UNEXPECTED, client->raw_GetHostPath(&path));

   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);
   EXPECT_EQ("/host2/#0000/", Text(client->GetHostPath()));
   EXPECT_EQ("/host2/#0000/", Text(client->GetLocalHostPath()));

   ctx->ChangePath(client->GetLocalHostPath());
   EXPECT_NE("", Text(_bstr_t(ctx->ReadValue(L"setup/product/name"))));
   EXPECT_NE("", Text(_bstr_t(ctx->ReadValue(L"setup/product/versionDotted"))));
   EXPECT_TRUE(Raw(ctx).Exists("vms/registeredvms"));
   EXPECT_EQ("", Raw(ctx).NextElement("vms/registeredvms/#"));
   EXPECT_TRUE(Raw(ctx).Exists("util/vm/cmd"));
   // The machine command queue takes elements.
   EXPECT_EQ("util/vm/cmd/#0001/", Text(ctx->AppendElement(L"util/vm/cmd/##")));

   EXPECT_EQ(E_UNEXPECTED, client->raw_Init(ctx->GetRawHandle(), 0, VARIANT_FALSE));
   IVMClientPtr noContext = NewClient();
   EXPECT_EQ(E_INVALIDARG, noContext->raw_Init(0, 0, VARIANT_FALSE));
}

TEST(VMClient, KeepsWhatThePreloadedHostHoldsAndOutlivesTheCallersContext)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-preloaded");
   IVmdbContextPtr ctx = db->NewContext();
   ctx->WriteValue(L"/host2/#0000/vms/registeredvms/#0001/cfgPath", _variant_t(L"C:\\vms\\a.vmx"));

   IVMClientPtr client = NewClient();
   client->Init(ctx->GetRawHandle(), 0, VARIANT_TRUE);
   EXPECT_EQ("C:\\vms\\a.vmx", Text(_bstr_t(ctx->ReadValue(L"/host2/#0000/vms/registeredvms/#0001/cfgPath"))));

   ctx = nullptr;
   EXPECT_EQ("/host2/#0000/", Text(client->GetHostPath()));
   // Connections still work on the client's own context.
   _bstr_t cnx = client->Connect(L"", L"", L"");
   EXPECT_EQ(1, client->GetConnectionHostCount(cnx));
}

// The error text a failed call left for its caller.
std::string ErrorText(const std::function<void()> &call)
{
   try {
      call();
   } catch (const _com_error &e) {
      return Text(e.Description());
   }
   return "(no error)";
}

TEST(VMClient, LocalConnectionsReachTheLocalHostAndGoAway)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-local-connection");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client = NewClient();
   BSTR none = nullptr;
   EXPECT_EQ(E_UNEXPECTED, client->raw_Connect(_bstr_t(L""), _bstr_t(L""), _bstr_t(L""), &none));
   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);

   _bstr_t cnx = client->Connect(L"", L"", L"");
   EXPECT_EQ("/db/connection/#0001/", Text(cnx));
   EXPECT_EQ("0", Text(_bstr_t(ctx->ReadValue(cnx + L"lastError"))));
   EXPECT_EQ(1, client->GetConnectionHostCount(cnx));
   EXPECT_EQ("/host2/#0000/", Text(client->GetConnectionHostPath(cnx, 0)));
   _bstr_t named = client->Connect(L"LocalHost:902", L"ann", L"whatever");
   EXPECT_EQ("/db/connection/#0002/", Text(named));
   EXPECT_EQ("/host2/#0000/", Text(client->GetConnectionHostPath(named, 0)));
   EXPECT_EQ("ann", Text(_bstr_t(ctx->ReadValue(named + L"user"))));

   client->Attach(cnx, L"/host2/#0000/");
   EXPECT_EQ("/host2/#0000/", Text(client->GetHostPath()));
   client->ReleaseHost(L"/host2/#0000/");
   client->ReleaseHost(L"/host2/#0000/");
   client->Disconnect(cnx);
   client->Disconnect(named);
   EXPECT_EQ("", Text(ctx->NextElement(L"/db/connection/#")));
   EXPECT_NE("", Text(_bstr_t(ctx->ReadValue(L"/host2/#0000/setup/product/name")))) << "the local host went too";

   // Paths that are no connection, and hosts that are not the connection's.
   long count = 0;
   EXPECT_EQ(E_INVALIDARG, client->raw_GetConnectionHostCount(cnx, &count));
   EXPECT_EQ(E_INVALIDARG, client->raw_Disconnect(_bstr_t(L"/host2/#0000/")));
   _bstr_t again = client->Connect(L"", L"", L"");
   EXPECT_EQ(E_INVALIDARG, client->raw_Attach(again, _bstr_t(L"/host2/#0007/")));
   BSTR host = nullptr;
   EXPECT_EQ(E_INVALIDARG, client->raw_GetConnectionHostPath(again, 1, &host));
}

TEST(VMClient, RemoteHostsAreRefusedUnlessConfiguredAndThenGetASimulatedHost)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-remote-connection");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client = NewClient();
   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);

   EXPECT_EQ("Cannot connect to host far.example:902",
             ErrorText([&]() { client->Connect(L"far.example:902", L"ann", L"pw"); }));
   EXPECT_EQ("", Text(ctx->NextElement(L"/db/connection/#"))) << "a refused connection left its node";

   Config_Set("test.remoteHosts", "near, Far.Example");
   Config_Set("test.remotePassword", "pw");
   EXPECT_EQ("Incorrect user name or password.", ErrorText([&]() { client->Connect(L"far.example:902", L"ann", L"x"); }));
   _bstr_t cnx = client->Connect(L"far.example:902", L"ann", L"pw");
   ASSERT_EQ(1, client->GetConnectionHostCount(cnx));
   _bstr_t host = client->GetConnectionHostPath(cnx, 0);
   EXPECT_EQ("/host2/#0001/", Text(host));
   EXPECT_EQ("far.example", Text(_bstr_t(ctx->ReadValue(host + L"name"))));
   EXPECT_NE("", Text(_bstr_t(ctx->ReadValue(host + L"setup/product/versionDotted"))));
   EXPECT_EQ("far.example:902", Text(_bstr_t(ctx->ReadValue(cnx + L"dest"))));
   // A second connection to the same host shares its node; another host gets its own.
   _bstr_t second = client->Connect(L"FAR.example", L"bob", L"pw");
   EXPECT_EQ("/host2/#0001/", Text(client->GetConnectionHostPath(second, 0)));
   _bstr_t nearby = client->Connect(L"near", L"", L"pw");
   EXPECT_EQ("/host2/#0002/", Text(client->GetConnectionHostPath(nearby, 0)));

   client->Attach(cnx, host);
   EXPECT_EQ("/host2/#0001/", Text(client->GetHostPath()));
   EXPECT_EQ("/host2/#0000/", Text(client->GetLocalHostPath()));
   client->ReleaseHost(host);
   EXPECT_EQ("/host2/#0000/", Text(client->GetHostPath()));

   client->Attach(cnx, host);
   client->Disconnect(cnx);
   EXPECT_EQ("/host2/#0000/", Text(client->GetHostPath())) << "a dropped connection's host stays attached";
   EXPECT_EQ("far.example", Text(_bstr_t(ctx->ReadValue(host + L"name")))) << "still used by the second connection";
   client->Disconnect(second);
   EXPECT_EQ(VARIANT_FALSE, ctx->TestNode(host));
   Config_Set("test.remoteHosts", "");
   Config_Set("test.remotePassword", "");
}

TEST(VMClient, SetVariablesAppliesEachAssignmentForThisRun)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-variables");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client = NewClient();
   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);

   LogTail log;
   client->SetVariables(L" -s client.first=1 -s client.words=two  words -s novalue -E ja -s client.last=x=y");
   EXPECT_EQ("1", Config_GetString("client.first", ""));
   EXPECT_EQ("two  words", Config_GetString("client.words", ""));
   EXPECT_EQ("x=y", Config_GetString("client.last", ""));
   EXPECT_NE(std::string::npos, log.Text().find("novalue"));
   EXPECT_EQ("", Config_GetString("ja", ""));

   client->SetVariables(L"");
   EXPECT_EQ("1", Config_GetString("client.first", ""));
}

TEST(VMClient, ConsolesConnectOnlyToRunningMachinesTheHostHasOpen)
{
   IVmdbDatabasePtr db = ConnectNamed(L"client-mks");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client = NewClient();
   EXPECT_EQ(E_UNEXPECTED, client->raw_ConnectMks(_bstr_t(L"/vm/#0001/")));
   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);
   ctx->WriteValue(L"/vm/#0001/cfgFile", _variant_t(L"C:\\vms\\a.vmx"));
   ctx->WriteValue(L"/vm/#0001/vmx/execState/val", _variant_t(L"poweredOn"));
   ctx->WriteValue(L"/vm/#0002/cfgFile", _variant_t(L"C:\\vms\\b.vmx"));
   ctx->WriteValue(L"/vm/#0002/vmx/execState/val", _variant_t(L"suspended"));
   ctx->WriteValue(L"/vm/#0003/vmx/execState/val", _variant_t(L"poweredOn"));

   client->ConnectMks(L"/vm/#0001");
   EXPECT_EQ("1", Text(_bstr_t(ctx->ReadValue(L"/vm/#0001/mks/connected"))));
   EXPECT_EQ(E_FAIL, client->raw_ConnectMks(_bstr_t(L"/vm/#0002/"))) << "a suspended machine has no console";
   // A node without a configuration, a path outside the machines, a machine's inner node, none.
   for (const wchar_t *path : {L"/vm/#0003/", L"/host2/#0000/", L"/vm/#0001/vmx/", L"/vm/#0009/", L""}) {
      EXPECT_EQ(E_INVALIDARG, client->raw_ConnectMks(_bstr_t(path))) << Text(_bstr_t(path));
   }
   EXPECT_FALSE(Raw(ctx).Exists("/vm/#0002/mks"));
   EXPECT_FALSE(Raw(ctx).Exists("/vm/#0003/mks"));
}

}  // namespace
