#include "vmdb/Store.h"

#include "cui/AppDataPaths.h"

#include <gtest/gtest.h>

#include <string>

using vmdbstore::Context;
using vmdbstore::Error;
using vmdbstore::NodeType;
using vmdbstore::SchemaDecl;
using vmdbstore::Store;

namespace appdata = cui::appdata;

namespace {

SchemaDecl Decl(const std::string &name, NodeType type, const std::string &def = "",
                std::vector<std::string> values = {}, const std::string &target = "")
{
   SchemaDecl d;
   d.name = name;
   d.type = type;
   d.defaultValue = def;
   d.values = std::move(values);
   d.linkTarget = target;
   return d;
}

}  // namespace

TEST(VmdbStore, PathsAreRelativeToTheCurrentPathAndFollowLinks)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   store->Declare(appdata::kRoot, Decl("currentHost", NodeType::Link, "", {}, "/host2/#"));
   ctx->Write("/host2/#0001/name", "local");
   ctx->Write("/host2/#0002/name", "remote");

   ctx->ChangePath(appdata::kRoot);
   EXPECT_EQ(appdata::kRoot, ctx->CurrentPath());
   ctx->Write("session/user", "ann");
   EXPECT_EQ("ann", ctx->Read(appdata::kSessionUser));
   EXPECT_EQ(appdata::kSessionUser, ctx->FullPath("session/user"));
   EXPECT_EQ("/appdata/Tremory/", ctx->FullPath(".."));
   EXPECT_EQ("/appdata/Tremory/x/", ctx->FullPath("../x/"));

   // A link's own value is the target; paths through it, or ending in it for ChangePath, follow it.
   ctx->Write("currentHost", "/host2/#0002/");
   EXPECT_EQ("/host2/#0002/", ctx->Read("currentHost"));
   EXPECT_EQ("remote", ctx->Read("currentHost/name"));
   ctx->Write("currentHost/util/vm/cmd/#0001/op", "deleteVM");
   EXPECT_EQ("deleteVM", ctx->Read("/host2/#0002/util/vm/cmd/#0001/op"));
   ctx->ChangePath(appdata::kCurrentHost);
   EXPECT_EQ("/host2/#0002/", ctx->CurrentPath());
   ctx->ChangePath("util/vm/cmd/#0001/");
   EXPECT_EQ("deleteVM", ctx->Read("../#0001/op"));

   // Removing the link node clears it: paths through it no longer lead anywhere.
   const std::string currentHost = appdata::kCurrentHost;
   ctx->Remove(currentHost, true);
   EXPECT_EQ("", ctx->Read(currentHost + "/name"));
   EXPECT_THROW(ctx->ChangePath(currentHost), Error);
   EXPECT_THROW(ctx->Write(currentHost + "/x", "1"), Error);

   // Bad input is refused with an error and leaves the tree alone.
   size_t nodes = store->NodeCount();
   EXPECT_THROW(ctx->Write("a//b", "x"), Error);
   EXPECT_THROW(ctx->Read("//a"), Error);
   EXPECT_THROW(ctx->ChangePath("/../.."), Error);
   EXPECT_THROW(ctx->Write("../../../../../../../x", "1"), Error);
   EXPECT_THROW(ctx->Write("/" + std::string(256, 'n'), "1"), Error);
   EXPECT_NO_THROW(ctx->Write("/" + std::string(255, 'n'), "1"));
   EXPECT_THROW(ctx->Write("/big", std::string(vmdbstore::kMaxValue + 1, 'v')), Error);
   EXPECT_THROW(ctx->Write("/", "root"), Error);
   EXPECT_THROW(ctx->Write("/a/#/b", "1"), Error);
   EXPECT_EQ(nodes + 1, store->NodeCount());

   // Links that lead to each other are refused, not followed for ever.
   store->Declare("/loop", Decl("a", NodeType::Link));
   store->Declare("/loop", Decl("b", NodeType::Link));
   ctx->Write("/loop/a", "b/");
   ctx->Write("/loop/b", "../a");
   EXPECT_THROW(ctx->ChangePath("/loop/a"), Error);
   EXPECT_THROW(ctx->Read("/loop/a/x"), Error);
}

TEST(VmdbStore, ChildValuesAreReadInOneWalkThroughLinksWithBlanksForWhatIsMissing)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   store->Declare(appdata::kRoot, Decl("currentHost", NodeType::Link, "", {}, "/host2/#"));
   ctx->Write("/host2/#0001/item/#0003/name", "one");
   ctx->Write("/host2/#0001/item/#0003/size", "12");
   ctx->Write("/host2/#0001/item/#0003/sub/deep", "x");
   ctx->Write(appdata::kCurrentHost, "/host2/#0001/");
   const char *const names[] = {"size", "missing", "name", "sub"};
   std::vector<std::string> values = {"stale"};
   // Through the link and the first-element form, as a read of one value goes.
   ctx->ReadChildren(std::string(appdata::kCurrentHost) + "/item/#", names, 4, values);
   EXPECT_EQ(values, (std::vector<std::string>{"12", "", "one", ""}));
   ctx->ChangePath("/host2/#0001/");
   ctx->ReadChildren("item/#0003/", names, 4, values);
   EXPECT_EQ(values, (std::vector<std::string>{"12", "", "one", ""})) << "relative to the current path";
   ctx->ReadChildren("item/#0009", names, 4, values);
   EXPECT_EQ(values, (std::vector<std::string>(4))) << "a missing node gives blanks";
   EXPECT_THROW(ctx->ReadChildren("item//bad", names, 4, values), Error);
}

TEST(VmdbStore, ElementsGetIncreasingNamesAndWalkInNameOrder)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   ctx->ChangePath("/host/");
   EXPECT_EQ("util/vm/cmd/#0001/", ctx->AppendElement("util/vm/cmd/##/"));
   EXPECT_EQ("util/vm/cmd/#0002/", ctx->AppendElement("util/vm/cmd/##"));
   EXPECT_EQ("/host/util/vm/cmd/#0003/", ctx->AppendElement("/host/util/vm/cmd/#"));
   EXPECT_THROW(ctx->AppendElement("util/vm/cmd"), Error);

   ctx->Write("util/vm/cmd/#ZOLT/op", "x");
   ctx->Write("util/vm/cmd/#0000/op", "y");
   std::vector<std::string> walk;
   for (std::string e = ctx->NextElement("util/vm/cmd/#"); !e.empty(); e = ctx->NextElement(e)) {
      walk.push_back(e);
   }
   EXPECT_EQ((std::vector<std::string>{"util/vm/cmd/#0000/", "util/vm/cmd/#0001/", "util/vm/cmd/#0002/",
                                       "util/vm/cmd/#0003/", "util/vm/cmd/#ZOLT/"}),
             walk);
   EXPECT_EQ("y", ctx->Read("util/vm/cmd/#/op"));   // "#" reads the first element

   // The walk goes on past an element that was just removed; names are never handed out twice.
   ctx->Remove("util/vm/cmd/#0002", true);
   EXPECT_EQ("util/vm/cmd/#0003/", ctx->NextElement("util/vm/cmd/#0002/"));
   EXPECT_EQ("", ctx->NextElement("util/vm/cmd/#ZOLT"));
   EXPECT_EQ("util/vm/cmd/#0004/", ctx->AppendElement("util/vm/cmd/#"));
   EXPECT_EQ("", ctx->NextElement("/nowhere/#"));

   // Writes into a removed element bring it back.
   ctx->Remove("util/vm/cmd/#0001", true);
   EXPECT_FALSE(ctx->Exists("util/vm/cmd/#0001"));
   ctx->Write("util/vm/cmd/#0001/status", "done");
   EXPECT_EQ("done", ctx->Read("util/vm/cmd/#0001/status"));

   // Children: named nodes and elements alike, in name order; none for a leaf or a missing node.
   ctx->Write("util/vm/queued", "1");
   EXPECT_EQ((std::vector<std::string>{"cmd", "queued"}), ctx->Children("util/vm"));
   EXPECT_EQ((std::vector<std::string>{"#0000", "#0001", "#0003", "#0004", "#ZOLT"}), ctx->Children("/host/util/vm/cmd/"));
   EXPECT_TRUE(ctx->Children("util/vm/queued").empty());
   EXPECT_TRUE(ctx->Children("nowhere").empty());
}

TEST(VmdbStore, TestNodeAndRemoveFollowTheirRules)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   ctx->Write("/s/new", "");
   ctx->Write("/s/zero", "0");
   ctx->Write("/s/off", "false");
   ctx->Write("/s/on", "1");
   ctx->Write("/s/path", "/s/req/#0001/");
   ctx->Write("/s/dir/child", "");
   EXPECT_FALSE(ctx->Test("/s/new"));
   EXPECT_FALSE(ctx->Test("/s/zero"));
   EXPECT_FALSE(ctx->Test("/s/off"));
   EXPECT_FALSE(ctx->Test("/s/missing"));
   EXPECT_TRUE(ctx->Test("/s/on"));
   EXPECT_TRUE(ctx->Test("/s/path"));
   EXPECT_TRUE(ctx->Test("/s/dir"));

   EXPECT_THROW(ctx->Remove("/s/dir", false), Error);
   EXPECT_NO_THROW(ctx->Remove("/s/dir/child", false));
   EXPECT_NO_THROW(ctx->Remove("/s/gone", true));
   EXPECT_THROW(ctx->Remove("/", true), Error);
   ctx->Remove("/s", true);
   EXPECT_FALSE(ctx->Exists("/s/on"));
   EXPECT_EQ(1u, store->NodeCount());
}

TEST(VmdbStore, SchemaGivesDefaultsAndChecksValues)
{
   std::shared_ptr<Store> store = Store::Create();
   std::unique_ptr<Context> ctx = store->NewContext();
   ctx->Write("/app/list/#0007/path", "kept");   // data before its declaration
   store->Declare("/", Decl("app", NodeType::Dir));
   store->Declare("/app", Decl("mode", NodeType::Flag, "0"));
   store->Declare("/app", Decl("list", NodeType::Dir));
   store->Declare("/app/list", Decl("#", NodeType::Dir));
   store->Declare("/app/list/#", Decl("kind", NodeType::Enum, "a", {"a", "b"}));
   store->Declare("/app/list/#", Decl("path", NodeType::Text));

   EXPECT_EQ("0", ctx->Read("/app/mode"));
   EXPECT_TRUE(ctx->IsBoolean("/app/mode"));
   EXPECT_EQ("a", ctx->Read("/app/list/#0007/kind"));
   EXPECT_EQ("kept", ctx->Read("/app/list/#0007/path"));

   std::string e = ctx->AppendElement("/app/list/#");
   EXPECT_EQ("/app/list/#0008/", e);
   EXPECT_EQ("a", ctx->Read(e + "kind"));
   EXPECT_TRUE(ctx->Exists(e + "path"));
   ctx->Write("/app/list/#0100/kind", "b");
   EXPECT_EQ("", ctx->Read("/app/list/#0100/path"));

   ctx->Write("/app/mode", "true");
   EXPECT_EQ("1", ctx->Read("/app/mode"));
   EXPECT_THROW(ctx->Write("/app/mode", "maybe"), Error);
   EXPECT_THROW(ctx->Write(e + "kind", "c"), Error);
   EXPECT_EQ("a", ctx->Read(e + "kind"));
   EXPECT_THROW(store->Declare("/app", Decl("choice", NodeType::Enum)), Error);
}
