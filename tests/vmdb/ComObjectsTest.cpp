#include "vmdb/Classes.h"
#include "vmdb/CtxEventSink.h"
#include "vmdb/Store.h"

#include "atl/ClassTable.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Poll.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ComEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      CoInitialize(nullptr);
      vmdb::RegisterClasses();
   }
   void TearDown() override
   {
      atl::ClassTable::RevokeAllFromCom();
      CoUninitialize();
   }
};

::testing::Environment *const gComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

void Drain()
{
   while (Poll_Step(0) > 0) {
   }
}

std::string Text(const _bstr_t &b)
{
   return b.length() ? static_cast<const char *>(b) : "";
}

std::string Text(const _variant_t &v)
{
   return Text(_bstr_t(v));
}

// Each test uses its own named database, which lives in memory only.
IVmdbDatabasePtr Connect(const wchar_t *name)
{
   IVmdbDatabasePtr db;
   EXPECT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->Connect(name, VMDB_CONNECT_NAMED);
   return db;
}

// Declares nodes the way the application declares its subtree: a type code, or a value list.
void AddNode(IVmdbUtilPtr &util, const wchar_t *name, long type, const wchar_t *def = L"")
{
   IVmdbSchemaPtr node;
   ASSERT_EQ(S_OK, node.CreateInstance(__uuidof(VmdbSchema), nullptr, CLSCTX_ALL));
   node->SetName(name);
   node->SetType(type);
   node->SetDefault(def);
   node->AddToParent(util);
}

void AddEnum(IVmdbUtilPtr &util, const wchar_t *name, std::vector<const wchar_t *> values, const wchar_t *def)
{
   IVmdbSchemaPtr node;
   ASSERT_EQ(S_OK, node.CreateInstance(__uuidof(VmdbSchema), nullptr, CLSCTX_ALL));
   node->SetName(name);
   for (const wchar_t *v : values) {
      node->AddEnumValue(v);
   }
   node->SetDefault(def);
   node->AddToParent(util);
}

void AddLink(IVmdbUtilPtr &util, const wchar_t *name, const wchar_t *target)
{
   IVmdbSchemaPtr node;
   ASSERT_EQ(S_OK, node.CreateInstance(__uuidof(VmdbSchema), nullptr, CLSCTX_ALL));
   node->SetName(name);
   node->SetLinkTarget(target);
   node->AddToParent(util);
}

void AddDir(IVmdbUtilPtr &util, const wchar_t *name)
{
   AddNode(util, name, VMDB_TYPE_DIR);
   util->ChangeSchemaPath(name);
}

void DeclareApplicationSubtree(IVmdbDatabasePtr &db)
{
   IVmdbUtilPtr util;
   ASSERT_EQ(S_OK, util.CreateInstance(__uuidof(VmdbUtil), nullptr, CLSCTX_ALL));
   util->Attach(db);
   AddDir(util, L"appdata/");
   AddDir(util, L"Tremory/");
   AddDir(util, L"zolt/");
   AddNode(util, L"deskmoorMode", VMDB_TYPE_FLAG, L"0");
   AddLink(util, L"localHost", L"/host2/#");
   AddLink(util, L"currentHost", L"/host2/#");
   AddLink(util, L"currentObj", L"../openedObj/#");
   AddDir(util, L"session/");
   AddLink(util, L"cnxPath", L"/db/connection/#/");
   AddNode(util, L"active", VMDB_TYPE_FLAG, L"0");
   AddNode(util, L"remote", VMDB_TYPE_FLAG, L"0");
   AddNode(util, L"user", VMDB_TYPE_TEXT);
   AddNode(util, L"dest", VMDB_TYPE_TEXT);
   util->ChangeSchemaPath(L"..");
   AddDir(util, L"openedObj/");
   AddDir(util, L"#/");
   AddEnum(util, L"type", {L"home", L"vm", L"mvmt", L"hotfix", L"team", L"quen"}, L"home");
   AddNode(util, L"path", VMDB_TYPE_TEXT);
   AddEnum(util, L"viewType", {L"summary", L"appliance", L"console"}, L"summary");
   AddEnum(util, L"status", {L"unopened", L"loading", L"done"}, L"unopened");
   util->ChangeSchemaPath(L"..");
   util->ChangeSchemaPath(L"..");
   AddLink(util, L"transientObj", L"../openedObj/#");
   AddDir(util, L"webUpdate/");
   AddEnum(util, L"updateAvailable", {L"no", L"yes", L"error"}, L"no");
   AddNode(util, L"url", VMDB_TYPE_TEXT);
   AddNode(util, L"info", VMDB_TYPE_TEXT);
   AddNode(util, L"message", VMDB_TYPE_TEXT);
   for (int i = 0; i < 4; i++) {
      util->ChangeSchemaPath(L"..");
   }
   EXPECT_EQ("/", Text(util->GetSchemaPath()));
}

struct Listener : vmdb::CtxEventSink<Listener> {
   std::vector<std::string> seen;
   void OnSession(BSTR path) { seen.push_back("session " + Text(_bstr_t(path))); }
   void OnObj(BSTR path) { seen.push_back("obj " + Text(_bstr_t(path))); }
   void OnThrow(BSTR) { throw std::runtime_error("handler failure"); }
};

}  // namespace

TEST(VmdbCom, ClassesAreCreatedByProgIdAndClassIdAndUnknownNamesFail)
{
   const wchar_t *names[] = {L"VmdbDatabase", L"VmdbUtil", L"VmdbSchema", L"TremappPoll"};
   const IID *iids[] = {&__uuidof(IVmdbDatabase), &__uuidof(IVmdbUtil), &__uuidof(IVmdbSchema), &__uuidof(ITremappPoll)};
   for (int i = 0; i < 4; i++) {
      IUnknown *byName = nullptr;
      EXPECT_EQ(S_OK, atl::ClassTable::CreateByName(names[i], *iids[i], reinterpret_cast<void **>(&byName))) << i;
      CLSID clsid;
      ASSERT_EQ(S_OK, atl::ClassTable::ClassIdFromName(names[i], &clsid));
      IUnknown *byId = nullptr;
      EXPECT_EQ(S_OK, CoCreateInstance(clsid, nullptr, CLSCTX_ALL, *iids[i], reinterpret_cast<void **>(&byId))) << i;
      if (byName) byName->Release();
      if (byId) byId->Release();
   }
   IUnknown *none = nullptr;
   EXPECT_EQ(REGDB_E_CLASSNOTREG, atl::ClassTable::CreateByName(L"VmdbNoSuchClass", IID_IUnknown, reinterpret_cast<void **>(&none)));
   const CLSID unknown = {0x5b1e0a52, 0x11f4, 0x4c55, {0x9d, 0x0e, 0x21, 0x7a, 0x6c, 0x33, 0x90, 0x01}};
   EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(unknown, nullptr, CLSCTX_ALL, IID_IUnknown, reinterpret_cast<void **>(&none)));

   // Every connection to the default database reaches the same one; named ones are apart.
   IVmdbDatabasePtr one, two, named;
   ASSERT_EQ(S_OK, one.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   ASSERT_EQ(S_OK, two.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   ASSERT_EQ(S_OK, named.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   one->ConnectDefault();
   two->ConnectDefault();
   named->Connect(L"other", VMDB_CONNECT_NAMED);
   EXPECT_EQ(one->GetRawHandle(), two->GetRawHandle());
   EXPECT_NE(one->GetRawHandle(), named->GetRawHandle());

   ITremappPollPtr poll;
   ASSERT_EQ(S_OK, poll.CreateInstance(__uuidof(TremappPoll), nullptr, CLSCTX_ALL));
   EXPECT_NE(0, poll->GetRawHandle());
}

TEST(VmdbCom, ContextOperationsThroughTheWrappers)
{
   IVmdbDatabasePtr db = Connect(L"wrappers");
   IVmdbContextPtr ctx = db->NewContext();
   EXPECT_EQ(static_cast<IVmdbDatabase *>(db), static_cast<IVmdbDatabase *>(ctx->GetDatabase()));
   ctx->ChangePath(L"/user/prefState/");
   EXPECT_EQ("/user/prefState/", Text(ctx->CurrentPath()));

   // Booleans go in as 16-bit integers and come back as texts; VT_BOOL comes back as VT_BOOL.
   ctx->WriteValue(L"val/a", _variant_t(short(1)));
   ctx->WriteValue(L"val/b", _variant_t(42L));
   ctx->WriteValue(L"val/c", _variant_t(L"text"));
   ctx->WriteValue(L"val/d", _variant_t(true));
   EXPECT_EQ(VT_BSTR, ctx->ReadValue(L"val/a").vt);
   EXPECT_EQ("1", Text(ctx->ReadValue(L"val/a")));
   EXPECT_EQ("42", Text(ctx->ReadValue(L"val/b")));
   EXPECT_EQ("text", Text(ctx->ReadValue(L"val/c")));
   EXPECT_EQ(VT_BOOL, ctx->ReadValue(L"val/d").vt);
   EXPECT_EQ(VARIANT_TRUE, V_BOOL(&ctx->ReadValue(L"val/d").GetVARIANT()));
   EXPECT_EQ("", Text(ctx->ReadValue(L"val/missing")));

   // The request form: append, test "new", write, submit, all inside one batch.
   _bstr_t name = ctx->AppendElement(L"req/#");
   EXPECT_EQ("req/#0001/", Text(name));
   _bstr_t element = ctx->FullPath(name);
   EXPECT_EQ("/user/prefState/req/#0001/", Text(element));
   ctx->ChangePath(element);
   ctx->OpenBatch();
   EXPECT_EQ(VARIANT_FALSE, ctx->TestNode(L"../../new"));
   ctx->WriteValue(L"val", _variant_t(L"grabbed"));
   ctx->WriteValue(L"../../new", _variant_t(element));
   ctx->CloseBatch(-1);
   EXPECT_EQ(VARIANT_TRUE, ctx->TestNode(L"../../new"));
   EXPECT_EQ("../#0001/", Text(ctx->NextElement(L"../#")));
   EXPECT_EQ("", Text(ctx->NextElement(L"../#0001")));
   EXPECT_EQ(VARIANT_FALSE, ctx->WaitUntilChanged(L"../../new", _variant_t(L""), VARIANT_TRUE, 0));
   ctx->RemoveNode(L"../..", VARIANT_TRUE);
   EXPECT_EQ(VARIANT_FALSE, ctx->TestNode(L"/user/prefState/new"));

   // A refused path is a COM error that says what was wrong.
   try {
      ctx->ChangePath(L"a//b");
      ADD_FAILURE() << "no error for an empty name";
   } catch (const _com_error &e) {
      EXPECT_EQ(E_INVALIDARG, e.Error());
      EXPECT_NE(std::string::npos, Text(e.Description()).find("empty name")) << Text(e.Description());
   }
   try {
      ctx->WriteValue(L"/../x", _variant_t(1L));
      ADD_FAILURE() << "no error above the root";
   } catch (const _com_error &e) {
      EXPECT_NE(std::string::npos, Text(e.Description()).find("above the root")) << Text(e.Description());
   }
   vmdbstore::Context *raw = vmdbstore::ContextFromRawHandle(ctx->GetRawHandle());
   EXPECT_EQ("/user/prefState/req/#0001/", raw->CurrentPath());
   EXPECT_EQ(&raw->GetStore(), vmdbstore::StoreFromRawHandle(db->GetRawHandle()));
}

TEST(VmdbCom, ApplicationSubtreeDeclaredThroughSchemaObjectsGivesItsDefaults)
{
   IVmdbDatabasePtr db = Connect(L"schema");
   DeclareApplicationSubtree(db);
   IVmdbContextPtr ctx = db->NewContext();
   ctx->ChangePath(cui::appdata::kRoot);

   _bstr_t record = ctx->AppendElement(L"openedObj/#");
   EXPECT_EQ("home", Text(ctx->ReadValue(record + L"type")));
   EXPECT_EQ("summary", Text(ctx->ReadValue(record + L"viewType")));
   EXPECT_EQ("unopened", Text(ctx->ReadValue(record + L"status")));
   EXPECT_EQ(VT_BSTR, ctx->ReadValue(record + L"path").vt);
   EXPECT_EQ("", Text(ctx->ReadValue(record + L"path")));
   EXPECT_EQ("no", Text(ctx->ReadValue(L"webUpdate/updateAvailable")));
   _variant_t active = ctx->ReadValue(L"session/active");
   EXPECT_EQ(VT_BOOL, active.vt);
   EXPECT_EQ(VARIANT_FALSE, V_BOOL(&active.GetVARIANT()));

   // A record named by the writer gets the same defaults; enumerations refuse other values.
   ctx->WriteValue(L"openedObj/#0000/path", _variant_t(L""));
   EXPECT_EQ("home", Text(ctx->ReadValue(L"openedObj/#0000/type")));
   ctx->WriteValue(L"openedObj/#0000/type", _variant_t(L"quen"));
   EXPECT_THROW(ctx->WriteValue(L"openedObj/#0000/type", _variant_t(L"bogus")), _com_error);
   ctx->WriteValue(L"session/active", _variant_t(short(1)));
   EXPECT_EQ(VARIANT_TRUE, V_BOOL(&ctx->ReadValue(L"session/active").GetVARIANT()));

   // Links: set by writing the target path, followed by ChangePath, cleared by removal.
   ctx->WriteValue(L"/host2/#0001/name", _variant_t(L"local"));
   ctx->WriteValue(L"currentHost", _variant_t(L"/host2/#0001/"));
   ctx->WriteValue(L"currentObj", _variant_t(L"../openedObj/#0000/"));
   EXPECT_EQ("quen", Text(ctx->ReadValue(L"currentObj/type")));
   IVmdbContextPtr host = db->NewContext();
   host->ChangePath(cui::appdata::kCurrentHost);
   EXPECT_EQ("/host2/#0001/", Text(host->CurrentPath()));
   ctx->RemoveNode(L"currentObj", VARIANT_TRUE);
   EXPECT_EQ("", Text(ctx->ReadValue(L"currentObj/type")));

   // A new record whose fields all hold their defaults still reaches a watch on the records.
   Listener tabs;
   ASSERT_EQ(S_OK, tabs.Advise(ctx));
   tabs.Watch(cui::appdata::kOpenedObj, 1, &Listener::OnObj);
   ctx->WriteValue(L"openedObj/#0009/type", _variant_t(L"home"));
   ctx->RemoveNode(L"openedObj/#0009", VARIANT_TRUE);
   Drain();
   const std::string tab = std::string(cui::appdata::kOpenedObjElements) + "0009";
   EXPECT_EQ((std::vector<std::string>{"obj " + tab + "/type", "obj " + tab}),
             tabs.seen);

   IVmdbUtilPtr util;
   ASSERT_EQ(S_OK, util.CreateInstance(__uuidof(VmdbUtil), nullptr, CLSCTX_ALL));
   EXPECT_EQ("/a/c/", Text(util->JoinPath(L"/a/b/", L"../c/")));
   EXPECT_EQ("/x", Text(util->JoinPath(L"/a/b/", L"/x")));
   EXPECT_EQ("/a/", Text(util->ParentPath(L"/a/b")));
   EXPECT_EQ("../../c/d", Text(util->RelativePath(L"/a/b/x/", L"/a/c/d")));
   EXPECT_THROW(util->ParentPath(L"/"), _com_error);
}

TEST(VmdbCom, EventSinkHearsItsWatchesUntilUnadvised)
{
   IVmdbDatabasePtr db = Connect(L"events");
   IVmdbContextPtr source = db->NewContext();
   IVmdbContextPtr writer = db->NewContext();
   Listener listener;
   EXPECT_EQ(Listener::kNotAdvised, listener.GetCookie());
   ASSERT_EQ(S_OK, listener.Advise(source));
   EXPECT_EQ(S_OK, listener.Watch(L"/app/session", 1, &Listener::OnSession));
   EXPECT_EQ(S_OK, listener.Watch(L"/app/openedObj/#/viewType", 0, &Listener::OnObj));
   EXPECT_EQ(S_OK, listener.Watch(L"/app/boom", 0, &Listener::OnThrow));

   writer->WriteValue(L"/app/session/active", _variant_t(short(1)));
   writer->WriteValue(L"/app/openedObj/#0003/viewType", _variant_t(L"console"));
   writer->WriteValue(L"/app/boom", _variant_t(L"1"));   // a throwing handler stops nothing
   writer->WriteValue(L"/app/other", _variant_t(L"1"));
   EXPECT_TRUE(listener.seen.empty());
   Drain();
   // The first write also made the watched node itself.
   EXPECT_EQ((std::vector<std::string>{"session /app/session", "session /app/session/active",
                                       "obj /app/openedObj/#0003/viewType"}),
             listener.seen);

   listener.seen.clear();
   listener.Unwatch(L"/app/session");
   writer->WriteValue(L"/app/session/active", _variant_t(short(0)));
   Drain();
   EXPECT_TRUE(listener.seen.empty());

   // After unadvising, pending and later changes reach nobody.
   writer->WriteValue(L"/app/openedObj/#0003/viewType", _variant_t(L"summary"));
   listener.Unadvise();
   EXPECT_EQ(Listener::kNotAdvised, listener.GetCookie());
   EXPECT_EQ(nullptr, listener.GetEventSource());
   writer->WriteValue(L"/app/openedObj/#0003/viewType", _variant_t(L"console"));
   Drain();
   EXPECT_TRUE(listener.seen.empty());

   // A sink that goes away while advised drops its watches and lets go of the context.
   {
      Listener scoped;
      ASSERT_EQ(S_OK, scoped.Advise(source));
      scoped.Watch(L"/app/session", 1, &Listener::OnSession);
      writer->WriteValue(L"/app/session/active", _variant_t(short(1)));
   }
   Drain();
   source->AddRef();
   EXPECT_EQ(1u, source->Release()) << "the sink kept a reference to its source";
   writer->WriteValue(L"/app/session/active", _variant_t(short(0)));
   Drain();
}
