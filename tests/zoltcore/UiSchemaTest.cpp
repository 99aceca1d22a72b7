// The application's subtree declared into a real database by BuildUiSchema.
#include "zoltUiSchema.h"

#include "cui/AppDataPaths.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class UiSchemaTest : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      vmdb::RegisterClasses();
      ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL)));
      // A database of its own, in memory only.
      db_->Connect(::testing::UnitTest::GetInstance()->current_test_info()->name(), VMDB_CONNECT_NAMED);
      BuildUiSchema(db_);
      ctx_ = db_->NewContext();
   }
   void TearDown() override
   {
      ctx_ = nullptr;
      db_ = nullptr;
      CoUninitialize();
   }

   std::string Read(const std::string &path) { return static_cast<const char *>(_bstr_t(ctx_->ReadValue(path.c_str()))); }

   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
};

TEST_F(UiSchemaTest, FreshOpenedObjectRecordReadsItsDefaults)
{
   std::string record = static_cast<const char *>(ctx_->AppendElement(cui::appdata::kOpenedObjElements));
   ASSERT_FALSE(record.empty());
   EXPECT_EQ(Read(record + "type"), "home");
   EXPECT_EQ(Read(record + "viewType"), "summary");
   EXPECT_EQ(Read(record + "status"), "unopened");
   EXPECT_EQ(Read(record + "path"), "");

   // currentObj is a link: a path through it reaches the record.
   ctx_->WriteValue((record + "path").c_str(), _variant_t("C:\\vms\\a.vmx"));
   ctx_->WriteValue(cui::appdata::kCurrentObj, _variant_t(record.c_str()));
   EXPECT_EQ(Read(std::string(cui::appdata::kCurrentObj) + "/path"), "C:\\vms\\a.vmx");
}

TEST_F(UiSchemaTest, SessionUpdateCheckAndModeStartFromTheirDefaults)
{
   const std::string updateAvailable = std::string(cui::appdata::kWebUpdate) + "/updateAvailable";
   EXPECT_EQ(Read(updateAvailable), "no");
   EXPECT_FALSE(ctx_->TestNode(cui::appdata::kSessionActive));
   EXPECT_FALSE(ctx_->TestNode((std::string(cui::appdata::kSession) + "/remote").c_str()));
   EXPECT_FALSE(ctx_->TestNode(cui::appdata::kDeskmoorMode));

   ctx_->WriteValue(updateAvailable.c_str(), _variant_t("yes"));
   EXPECT_EQ(Read(updateAvailable), "yes");
}

TEST_F(UiSchemaTest, EnumerationsRefuseValuesOutsideTheirList)
{
   std::string record = static_cast<const char *>(ctx_->AppendElement(cui::appdata::kOpenedObjElements));
   EXPECT_TRUE(FAILED(ctx_->raw_WriteValue(_bstr_t((record + "viewType").c_str()), _variant_t("sideways"))));
   EXPECT_TRUE(SUCCEEDED(ctx_->raw_WriteValue(_bstr_t((record + "viewType").c_str()), _variant_t("console"))));
   EXPECT_EQ(Read(record + "viewType"), "console");
}

}  // namespace
