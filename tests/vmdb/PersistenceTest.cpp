#include "vmdb/Store.h"
#include "vmdb/VmdbInterfaces.h"

#include "DamagedFiles.h"

#include "cui/AppDataPaths.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Poll.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

using vmdbstore::Context;
using vmdbstore::Store;

namespace {

std::string ReadFile(const std::string &path)
{
   std::string text;
   std::string error;
   File_Read(path, text, error);
   return text;
}

void WriteFile(const std::string &path, const std::string &text)
{
   std::string error;
   EXPECT_TRUE(File_Replace(path, text, error)) << error;
}

bool Exists(const std::string &path)
{
   return File_Exists(path);
}

// A fresh folder per test, and the configuration keys pointing into it. The folder's name has a
// Greek word in it, as a user's application-data folder may have.
class VmdbFiles : public ::testing::Test {
protected:
   void SetUp() override
   {
      const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
      dir_ = File_GetTempFolder() + "vmdb-\xCE\xA7\xCF\x81\xCE\xAE\xCF\x83\xCF\x84\xCE\xB7\xCF\x82-" + info->name() +
             "-" + std::to_string(GetCurrentProcessId());
      File_MakeFolders(dir_);
      userFile_ = dir_ + "\\zolt-user.db";
      File_Delete(userFile_);
      File_Delete(userFile_ + ".bad");
      File_Delete(userFile_ + ".tmp");
      Config_Set("vmdb.userFile", userFile_.c_str());
      Config_Set("vmdb.saveDelayMs", "0");
      Config_Set("vmdb.preload", "");
      Config_Set("vmdb.dump", "");
   }

   std::string dir_;
   std::string userFile_;
};

}  // namespace

TEST_F(VmdbFiles, UserSubtreeSurvivesARestartAndNothingElseIsSaved)
{
   std::shared_ptr<Store> store = Store::Create(true);
   std::unique_ptr<Context> ctx = store->NewContext();
   ctx->Write("/user/prefState/req/#ZOLT/val/zolt/tip/startup", "1");
   ctx->Write("/user/vmlistState/val/item/#0001/type/vm/name", "My \"first\" = machine\n");
   ctx->Write("/user/vmlistState/val/item/#0001/present", "");
   // "Máquina de Ana": a name is saved as its UTF-8 bytes, not escaped.
   const std::string spanish = "M\xC3\xA1quina de Ana";
   ctx->Write("/user/vmlistState/val/item/#0002/type/vm/name", spanish);
   ctx->Write(cui::appdata::kSessionUser, "ann");
   EXPECT_TRUE(store->Save());
   EXPECT_TRUE(Exists(userFile_));
   EXPECT_NE(std::string::npos, ReadFile(userFile_).find("name = \"" + spanish + "\"\n"));
   ctx.reset();
   store.reset();

   store = Store::Create(true);
   ctx = store->NewContext();
   EXPECT_EQ("1", ctx->Read("/user/prefState/req/#ZOLT/val/zolt/tip/startup"));
   EXPECT_EQ("My \"first\" = machine\n", ctx->Read("/user/vmlistState/val/item/#0001/type/vm/name"));
   EXPECT_TRUE(ctx->Exists("/user/vmlistState/val/item/#0001/present"));
   EXPECT_EQ(spanish, ctx->Read("/user/vmlistState/val/item/#0002/type/vm/name"));
   EXPECT_FALSE(ctx->Exists(cui::appdata::kSessionUser));
   // Appended elements continue after the loaded ones.
   EXPECT_EQ("/user/vmlistState/val/item/#0003/", ctx->AppendElement("/user/vmlistState/val/item/#"));

   // Letting go of the database saves what changed since.
   ctx->Write("/user/prefState/req/#ZOLT/val/zolt/tip/startup", "0");
   ctx.reset();
   store.reset();
   store = Store::Create(true);
   EXPECT_EQ("0", store->NewContext()->Read("/user/prefState/req/#ZOLT/val/zolt/tip/startup"));
}

TEST_F(VmdbFiles, AnUnreadableUserFileIsKeptAsItIsToldOnceAndNeverWrittenOver)
{
   const std::string whole = "/user/a = \"1\"\n/user/b = \"2\"\n/user/c = \"3\"\n";
   std::vector<DamagedFile> damaged =
      DamagedVersions(whole, 3, "line 3: missing closing quote", "/user/a = \"1\"\n/user/b = 2\n/user/c = \"3\"\n",
                      "line 2: expected a quoted value");
   damaged.push_back({"an over-long line", "/user/a = \"" + std::string(KeyValueFile::kMaxLine, 'x') + "\"\n",
                      "line 1: line too long"});
   for (const DamagedFile &file : damaged) {
      SCOPED_TRACE(file.what);
      WriteFile(userFile_, file.bytes);
      std::shared_ptr<Store> store = Store::Create(true);
      std::unique_ptr<Context> ctx = store->NewContext();
      EXPECT_TRUE(store->IsUserFileKept());
      EXPECT_FALSE(ctx->Exists("/user/a")) << "the run starts from the defaults";
      std::vector<std::string> notices = ctx->Children("/notice");
      ASSERT_EQ(notices.size(), 1u);
      const std::string notice = "/notice/" + notices[0] + "/";
      EXPECT_EQ(ctx->Read(notice + "kind"), vmdbstore::kNoticeUserFile);
      EXPECT_EQ(ctx->Read(notice + "file"), userFile_);
      EXPECT_EQ(ctx->Read(notice + "problem").compare(0, file.says.size(), file.says), 0)
         << ctx->Read(notice + "problem");

      ctx->Write("/user/vmlistState/val/item/#0001/present", "1");
      EXPECT_FALSE(store->Save());
      ctx.reset();
      store.reset();
      EXPECT_EQ(ReadFile(userFile_), file.bytes) << "byte for byte as it was";
      EXPECT_FALSE(Exists(userFile_ + ".bad"));
      EXPECT_FALSE(Exists(userFile_ + ".tmp"));
   }

   // Mended by the user: the next run reads it and saves again.
   WriteFile(userFile_, whole);
   {
      std::shared_ptr<Store> store = Store::Create(true);
      std::unique_ptr<Context> ctx = store->NewContext();
      EXPECT_FALSE(store->IsUserFileKept());
      EXPECT_TRUE(ctx->Children("/notice").empty());
      EXPECT_EQ(ctx->Read("/user/b"), "2");
      ctx->Write("/user/b", "4");
   }
   std::vector<KeyValueEntry> entries;
   std::string error;
   ASSERT_TRUE(KeyValueFile::Read(userFile_, entries, error)) << error;
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "/user/b"));
   EXPECT_EQ("4", *KeyValueFile::Find(entries, "/user/b"));
}

TEST_F(VmdbFiles, AFolderInTheUserFilesPlaceIsLeftWhereItIs)
{
   ASSERT_TRUE(File_MakeFolders(userFile_ + "\\inside"));
   WriteFile(userFile_ + "\\inside\\kept.txt", "mine");
   {
      std::shared_ptr<Store> store = Store::Create(true);
      std::unique_ptr<Context> ctx = store->NewContext();
      EXPECT_TRUE(store->IsUserFileKept());
      std::vector<std::string> notices = ctx->Children("/notice");
      ASSERT_EQ(notices.size(), 1u);
      EXPECT_EQ(ctx->Read("/notice/" + notices[0] + "/problem"), "it is a folder");
      ctx->Write("/user/prefState/val/x", "1");
      EXPECT_FALSE(store->Save());
   }
   EXPECT_TRUE(File_IsFolder(userFile_));
   EXPECT_EQ(ReadFile(userFile_ + "\\inside\\kept.txt"), "mine");
   EXPECT_FALSE(Exists(userFile_ + ".bad"));
   EXPECT_FALSE(Exists(userFile_ + ".tmp"));
   File_Delete(userFile_ + "\\inside\\kept.txt");
   File_RemoveFolder(userFile_ + "\\inside");
   File_RemoveFolder(userFile_);
}

TEST_F(VmdbFiles, AHalfWrittenTempFileFromACrashLosesNothing)
{
   {
      std::shared_ptr<Store> store = Store::Create(true);
      store->NewContext()->Write("/user/prefState/val/x", "kept");
   }
   // A crash between writing the temporary file and renaming it leaves both files behind.
   WriteFile(userFile_ + ".tmp", "/user/prefState/val/x = \"hal");
   std::shared_ptr<Store> store = Store::Create(true);
   EXPECT_EQ("kept", store->NewContext()->Read("/user/prefState/val/x"));
   EXPECT_FALSE(Exists(userFile_ + ".bad"));
   EXPECT_TRUE(store->Save());
   EXPECT_EQ("kept", store->NewContext()->Read("/user/prefState/val/x"));
}

TEST_F(VmdbFiles, PreloadFillsTheTreeAndDumpWritesItAll)
{
   std::string preload = dir_ + "\\preload.db";
   std::string dump = dir_ + "\\dump.db";
   File_Delete(dump);
   WriteFile(preload, "# fixture\n/host2/%230001/name = \"local\"\n/user/x = \"from preload\"\n");
   Config_Set("vmdb.preload", preload.c_str());
   Config_Set("vmdb.dump", dump.c_str());
   {
      std::shared_ptr<Store> store = Store::Create(true);
      std::unique_ptr<Context> ctx = store->NewContext();
      EXPECT_EQ("local", ctx->Read("/host2/#0001/name"));
      ctx->Write(std::string(cui::appdata::kWebUpdate) + "/url", "");
   }
   std::vector<KeyValueEntry> entries;
   std::string error;
   ASSERT_TRUE(KeyValueFile::Read(dump, entries, error)) << error;
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "/host2/%230001/name"));
   EXPECT_EQ("local", *KeyValueFile::Find(entries, "/host2/%230001/name"));
   EXPECT_NE(nullptr, KeyValueFile::Find(entries, std::string(cui::appdata::kWebUpdate) + "/url"));
   EXPECT_NE(nullptr, KeyValueFile::Find(entries, "/user/x"));
   Config_Set("vmdb.preload", "");
   Config_Set("vmdb.dump", "");
}

TEST_F(VmdbFiles, WritesUnderUserAreSavedSoonAfterwards)
{
   Config_Set("vmdb.saveDelayMs", "30");
   std::shared_ptr<Store> store = Store::Create(true);
   std::unique_ptr<Context> ctx = store->NewContext();
   ctx->Write("/appdata/other", "1");
   Poll_RunUntil([]() { return false; }, 100);
   EXPECT_FALSE(Exists(userFile_)) << "saved although nothing under /user/ changed";
   ctx->Write("/user/vmlistState/val/item/#0001/present", "1");
   EXPECT_TRUE(Poll_RunUntil([this]() { return Exists(userFile_); }, 3000));
   Config_Set("vmdb.saveDelayMs", "0");
}

TEST_F(VmdbFiles, DefaultDatabaseWritesItsFilesWhenTheApplicationDisconnects)
{
   std::string dump = dir_ + "\\dump.db";
   File_Delete(dump);
   Config_Set("vmdb.dump", dump.c_str());
   IVmdbDatabasePtr db;
   ASSERT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
   db->ConnectDefault();
   // The model library may hold on to the store longer than the application's database object.
   std::unique_ptr<Context> kept = vmdbstore::StoreFromRawHandle(db->GetRawHandle())->NewContext();
   kept->Write("/user/prefState/val/x", "1");
   EXPECT_FALSE(Exists(userFile_));
   db->Disconnect();
   EXPECT_TRUE(Exists(userFile_));
   EXPECT_TRUE(Exists(dump));
   Config_Set("vmdb.dump", "");
}
