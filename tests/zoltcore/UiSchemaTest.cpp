// The application's subtree declared into a real database by BuildUiSchema.
#include "zoltUiSchema.h"

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
   std::string record = static_cast<const char *>(ctx_->AppendElement("/appdata/Tremory/zolt/openedObj/#"));
   ASSERT_FALSE(record.empty());
   EXPECT_EQ(Read(record + "type"), "home");
   EXPECT_EQ(Read(record + "viewType"), "summary");
   EXPECT_EQ(Read(record + "status"), "unopened");
   EXPECT_EQ(Read(record + "path"), "");

   // currentObj is a link: a path through it reaches the record.
   ctx_->WriteValue((record + "path").c_str(), _variant_t("C:\\vms\\a.vmx"));
   ctx_->WriteValue("/appdata/Tremory/zolt/currentObj", _variant_t(record.c_str()));
   EXPECT_EQ(Read("/appdata/Tremory/zolt/currentObj/path"), "C:\\vms\\a.vmx");
}

TEST_F(UiSchemaTest, SessionUpdateCheckAndModeStartFromTheirDefaults)
{
   EXPECT_EQ(Read("/appdata/Tremory/zolt/webUpdate/updateAvailable"), "no");
   EXPECT_FALSE(ctx_->TestNode("/appdata/Tremory/zolt/session/active"));
   EXPECT_FALSE(ctx_->TestNode("/appdata/Tremory/zolt/session/remote"));
   EXPECT_FALSE(ctx_->TestNode("/appdata/Tremory/zolt/deskmoorMode"));

   ctx_->WriteValue("/appdata/Tremory/zolt/webUpdate/updateAvailable", _variant_t("yes"));
   EXPECT_EQ(Read("/appdata/Tremory/zolt/webUpdate/updateAvailable"), "yes");
}

TEST_F(UiSchemaTest, EnumerationsRefuseValuesOutsideTheirList)
{
   std::string record = static_cast<const char *>(ctx_->AppendElement("/appdata/Tremory/zolt/openedObj/#"));
   EXPECT_TRUE(FAILED(ctx_->raw_WriteValue(_bstr_t((record + "viewType").c_str()), _variant_t("sideways"))));
   EXPECT_TRUE(SUCCEEDED(ctx_->raw_WriteValue(_bstr_t((record + "viewType").c_str()), _variant_t("console"))));
   EXPECT_EQ(Read(record + "viewType"), "console");
}

}  // namespace
