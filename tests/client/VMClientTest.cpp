#include "ClientTestSupport.h"

#include "vmdb/Store.h"

#include "tremorybase/Config.h"

#include <gtest/gtest.h>

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
   // Connections to other hosts are refused, not crashed on.
   BSTR cnx = nullptr;
   EXPECT_EQ(E_NOTIMPL, client->raw_Connect(_bstr_t(L"far:902"), _bstr_t(L"u"), _bstr_t(L"p"), &cnx));
   EXPECT_EQ(nullptr, cnx);
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

}  // namespace
