// The database's query objects: the subset of the query language the device menu runs, its parse
// errors, and the rows an execution fetches.
#include "DeviceMenuFixture.h"

#include "vmdb/VmdbQuery.h"

#include <comdef.h>

namespace {

std::vector<std::string> Rows(IVmdbQueryPtr &query)
{
   std::vector<std::string> rows;
   for (_bstr_t row = query->FetchNext(); row.length() > 0; row = query->FetchNext()) {
      rows.push_back(static_cast<const char *>(row));
   }
   return rows;
}

}  // namespace

TEST(VmdbQueryText, ParsesTheSubsetAndPointsAtWhatIsWrong)
{
   vmdb::Query query;
   std::string error;
   long position = -1;
   ASSERT_TRUE(vmdb::ParseQuery("SELECT FROM $vmx/cfgState/val/dev/# WHERE $media = \"removable\" ", query, error,
                                position));
   EXPECT_EQ(query.pattern, "vmx/cfgState/val/dev/#");
   EXPECT_EQ(query.whereName, "media");
   EXPECT_EQ(query.whereValue, "removable");
   ASSERT_TRUE(vmdb::ParseQuery("select from $/a/#/b", query, error, position));
   EXPECT_EQ(query.pattern, "/a/#/b");
   EXPECT_EQ(query.whereName, "");
   ASSERT_TRUE(vmdb::ParseQuery("SELECT FROM $x WHERE $n=\"say \\\"hi\\\"\"", query, error, position));
   EXPECT_EQ(query.whereValue, "say \"hi\"");

   struct Bad {
      const char *text;
      long position;
   };
   for (const Bad &bad : {Bad{"", 0}, Bad{"SELECT $x", 7}, Bad{"SELECT FROM x", 12}, Bad{"SELECT FROM $x AND", 15},
                          Bad{"SELECT FROM $x WHERE $n \"v\"", 24}, Bad{"SELECT FROM $x WHERE $n = \"open", 26},
                          Bad{"SELECT FROM $x WHERE $n = \"v\" more", 30}}) {
      EXPECT_FALSE(vmdb::ParseQuery(bad.text, query, error, position)) << bad.text;
      EXPECT_EQ(position, bad.position) << bad.text << ": " << error;
      EXPECT_FALSE(error.empty());
   }
}

class VmdbQueryObject : public DeviceMenuFixture {};

TEST_F(VmdbQueryObject, FetchesTheMatchingElementsInOrderOnTheContextsPath)
{
   IVmdbContextPtr ctx = app_->GetDatabase()->NewContext();
   ctx->WriteValue(L"/q/box/dev/#0003/media", _variant_t(L"removable"));
   ctx->WriteValue(L"/q/box/dev/#0001/media", _variant_t(L"removable"));
   ctx->WriteValue(L"/q/box/dev/#0002/media", _variant_t(L"fixed"));
   ctx->WriteValue(L"/q/box/dev/#0004/other", _variant_t(L"removable"));
   ctx->WriteValue(L"/q/box/dev/plain/media", _variant_t(L"removable"));
   ctx->WriteValue(L"/q/box/dev/#0001/part/#0001/id", _variant_t(L"a"));
   ctx->WriteValue(L"/q/box/dev/#0003/part/#0001/id", _variant_t(L"b"));
   ctx->ChangePath(L"/q/box/");

   IVmdbQueryPtr query;
   IVmdbParseErrorPtr parseError;
   IVmdbExecuteErrorPtr executeError;
   ASSERT_EQ(S_OK, query.CreateInstance(__uuidof(VmdbQuery), nullptr, CLSCTX_ALL));
   ASSERT_EQ(S_OK, parseError.CreateInstance(__uuidof(VmdbParseError), nullptr, CLSCTX_ALL));
   ASSERT_EQ(S_OK, executeError.CreateInstance(__uuidof(VmdbExecuteError), nullptr, CLSCTX_ALL));

   // Nothing to run before a text parsed.
   try {
      query->Execute(ctx, executeError);
      ADD_FAILURE() << "an unparsed query ran";
   } catch (const _com_error &e) {
      EXPECT_EQ(E_UNEXPECTED, e.Error());
      EXPECT_GT(executeError->GetText().length(), 0u);
   }

   query->Parse(L"SELECT FROM $dev/# WHERE $media = \"removable\" ", parseError);
   EXPECT_EQ(-1, parseError->GetPosition());
   query->Execute(ctx, executeError);
   EXPECT_EQ(Rows(query), (std::vector<std::string>{"/q/box/dev/#0001/", "/q/box/dev/#0003/"}));
   EXPECT_EQ(std::string(""), static_cast<const char *>(query->FetchNext())) << "the end stays the end";

   query->Parse(L"SELECT FROM $/q/box/dev/#/part/#", parseError);
   query->Execute(ctx, executeError);
   EXPECT_EQ(Rows(query), (std::vector<std::string>{"/q/box/dev/#0001/part/#0001/", "/q/box/dev/#0003/part/#0001/"}));

   query->Parse(L"SELECT FROM $nothing/here/#", parseError);
   query->Execute(ctx, executeError);
   EXPECT_TRUE(Rows(query).empty());

   try {
      query->Parse(L"SELECT FROM dev/#", parseError);
      ADD_FAILURE() << "a bad text parsed";
   } catch (const _com_error &e) {
      EXPECT_EQ(E_INVALIDARG, e.Error());
      EXPECT_NE(std::wstring(e.Description()).find(L"$path"), std::wstring::npos);
   }
   EXPECT_EQ(12, parseError->GetPosition());
   EXPECT_GT(parseError->GetText().length(), 0u);
   EXPECT_THROW(query->Execute(ctx, executeError), _com_error) << "a failed parse leaves nothing to run";
}
