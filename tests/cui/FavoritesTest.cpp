// The favourites state "/user/vmlistState/" as the simulated host keeps it: requests that make
// items present or not, renames, folders, and what survives a reload of the user file.
#include "tremsim/SimFavorites.h"
#include "tremsim/SimHost.h"
#include "tremsim/SimHostBackend.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestDb.h"
#include "cui/Error.h"
#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"

namespace {

const std::string kState = "/user/vmlistState/";

// Items are written the way the program writes them (element, then a request for `present`);
// requests go through the library's request manager, as the program sends them.
class FavoritesTest : public ::testing::Test {
protected:
   void SetUp() override { Start(std::make_unique<TestDb>()); }
   void TearDown() override
   {
      cui::SetVmdbCtx(vmdb::Ctx());
      cui::SetHostBackend(nullptr);
      mgr.reset();
   }

   void Start(std::unique_ptr<TestDb> fresh)
   {
      cui::SetVmdbCtx(vmdb::Ctx());
      mgr.reset();
      db = std::move(fresh);
      cui::SetHostBackend(&cuisim::SimHostBackend::Get());
      cui::SetVmdbCtx(db->ctx);
      mgr = std::make_unique<vmdbLayout::rpc::Mgr>(db->ctx);
   }

   // Appends an item; its fields are in the state, it is not present yet. Returns its element.
   std::string Write(const std::string &type, const std::string &name, const std::string &cfgPath, long parent = 0)
   {
      std::string item = db->ctx.Append(kState + "val/item/#");
      long id = 1;
      while (IdTaken(id)) {
         id++;
      }
      db->ctx.Set(item + "id", vmdb::Value(id));
      db->ctx.Set(item + "parentID", vmdb::Value(parent));
      db->ctx.Set(item + "ix", vmdb::Value(-1));
      db->ctx.Set(item + "type", type);
      db->ctx.Set(item + "type/" + type + "/name", name);
      if (!cfgPath.empty()) {
         db->ctx.Set(item + "type/" + type + "/cfgPath", cfgPath);
      }
      return item;
   }

   bool IdTaken(long id)
   {
      for (const std::string &e : db->ctx.Elements(kState + "val/item/#")) {
         if (db->ctx.GetInt(e + "id", 0) == id) {
            return true;
         }
      }
      return false;
   }

   // Sends one request and waits for its outcome: "done", "resubmit" or the refusal's text.
   std::string Request(const std::vector<std::pair<std::string, std::string>> &values)
   {
      std::string outcome;
      vmdbLayout::rpc::Req req = mgr->NewReq(kState + "req/#/");
      for (const auto &value : values) {
         req[value.first] = vmdb::Value(value.second);
      }
      req->done.connect([&outcome]() { outcome = "done"; });
      req->resubmit.connect([&outcome]() { outcome = "resubmit"; });
      req->abort.connect(cui::MakeRPCAbortSlot([&outcome](bool, cui::Error e) { outcome = e.what(); }));
      req->Invoke();
      EXPECT_TRUE(Poll_RunUntil([&outcome]() { return !outcome.empty(); }, 2000)) << "never answered";
      return outcome;
   }

   // "val/item/#0003/" of an absolute item element.
   static std::string Rel(const std::string &item) { return item.substr(kState.size()); }

   std::string Add(const std::string &type, const std::string &name, const std::string &cfgPath, long parent = 0)
   {
      std::string item = Write(type, name, cfgPath, parent);
      EXPECT_EQ("done", Request({{Rel(item) + "present/", "1"}}));
      return item;
   }

   // A database with the user file, loaded from it as at a start.
   static std::unique_ptr<TestDb> PersistentDb()
   {
      auto fresh = std::make_unique<TestDb>();
      fresh->store = vmdbstore::Store::Create(true);
      fresh->raw = fresh->store->NewContext();
      fresh->ctx = vmdb::Ctx(reinterpret_cast<intptr_t>(fresh->raw.get()), true, vmdb::Ctx::kAll);
      return fresh;
   }

   std::vector<std::string> PresentNames()
   {
      std::vector<std::string> names;
      for (const std::string &item : cuisim::SimFavorites::PresentItems(db->ctx, kState)) {
         std::string type = db->ctx.Get(item + "type");
         names.push_back(db->ctx.Get(item + "type/" + type + "/name"));
      }
      return names;
   }

   std::unique_ptr<TestDb> db;
   std::unique_ptr<vmdbLayout::rpc::Mgr> mgr;
};

TEST_F(FavoritesTest, AddAndRemoveMakeItemsPresentOrNotAndASecondAddOfAFileAddsNoElement)
{
   std::string xp = Add("vm", "Windows XP", "C:\\VMs\\xp\\xp.vmx");
   Add("team", "Lab", "C:\\VMs\\lab.vmtm");
   EXPECT_EQ((std::vector<std::string>{"Windows XP", "Lab"}), PresentNames());

   // The same file again, with other letter case and slashes (an add sent twice): the list
   // keeps one item and drops the new element.
   std::string again = Write("vm", "Windows XP", "c:/vms/XP/XP.VMX");
   EXPECT_EQ("done", Request({{Rel(again) + "present/", "1"}}));
   EXPECT_FALSE(db->ctx.Exists(again));
   EXPECT_EQ(2u, db->ctx.Elements(kState + "val/item/#").size());

   // Removed: kept with present 0 until the next start, and the file may be added anew.
   EXPECT_EQ("done", Request({{Rel(xp) + "present/", "0"}}));
   EXPECT_EQ((std::vector<std::string>{"Lab"}), PresentNames());
   EXPECT_EQ("0", db->ctx.Get(xp + "present"));
   std::string anew = Add("vm", "Windows XP", "C:\\VMs\\xp\\xp.vmx");
   EXPECT_TRUE(db->ctx.Test(anew + "present"));
   EXPECT_EQ((std::vector<std::string>{"Lab", "Windows XP"}), PresentNames());

   // Two elements of one file in one request: the first is kept.
   std::string one = Write("mvmt", "Template", "C:\\VMs\\t.vmxa");
   std::string two = Write("mvmt", "Template", "C:\\VMs\\T.vmxa");
   EXPECT_EQ("done", Request({{Rel(one) + "present/", "1"}, {Rel(two) + "present/", "1"}}));
   EXPECT_TRUE(db->ctx.Test(one + "present"));
   EXPECT_FALSE(db->ctx.Exists(two));
}

TEST_F(FavoritesTest, RequestsNamingNoItemABlankNameOrABadFolderAreRefused)
{
   std::string xp = Add("vm", "Windows XP", "C:\\VMs\\xp\\xp.vmx");
   std::string lab = Add("folder", "Lab", "");
   std::string inner = Add("folder", "Inner", "", db->ctx.GetInt(lab + "id", 0));
   long labId = db->ctx.GetInt(lab + "id", 0);
   long innerId = db->ctx.GetInt(inner + "id", 0);

   EXPECT_EQ("The favorites list has no such entry.", Request({{"val/item/#00ff/present/", "1"}}));
   EXPECT_FALSE(db->ctx.Exists(kState + "val/item/#00ff")) << "a refused request leaves no fragment";
   EXPECT_EQ("A name in the favorites list cannot be blank.", Request({{Rel(xp) + "type/vm/name/", "  "}}));
   EXPECT_EQ("The entry cannot be moved into that folder.", Request({{Rel(xp) + "parentID/", "99"}}));
   // A folder cannot go into itself or into a folder inside it.
   EXPECT_EQ("The entry cannot be moved into that folder.", Request({{Rel(lab) + "parentID/", std::to_string(labId)}}));
   EXPECT_EQ("The entry cannot be moved into that folder.", Request({{Rel(lab) + "parentID/", std::to_string(innerId)}}));
   EXPECT_EQ("Windows XP", db->ctx.Get(xp + "type/vm/name"));
   EXPECT_EQ(0, db->ctx.GetInt(lab + "parentID", -1));

   EXPECT_EQ("done", Request({{Rel(xp) + "type/vm/name/", "XP (work)"}, {Rel(xp) + "parentID/", std::to_string(innerId)}}));
   EXPECT_EQ("XP (work)", db->ctx.Get(xp + "type/vm/name"));
   EXPECT_EQ(innerId, db->ctx.GetInt(xp + "parentID", 0));
   EXPECT_EQ("C:\\VMs\\xp\\xp.vmx", db->ctx.Get(xp + "type/vm/cfgPath")) << "a rename changes the name only";
}

TEST_F(FavoritesTest, RemovingAFolderKeepsItsItemsInTheFolderAbove)
{
   std::string lab = Add("folder", "Lab", "");
   long labId = db->ctx.GetInt(lab + "id", 0);
   std::string inner = Add("folder", "Inner", "", labId);
   long innerId = db->ctx.GetInt(inner + "id", 0);
   std::string xp = Add("vm", "Windows XP", "C:\\VMs\\xp\\xp.vmx", innerId);
   std::string team = Add("team", "Lab team", "C:\\VMs\\lab.vmtm", innerId);
   std::string top = Add("vm", "Top", "C:\\VMs\\top.vmx");

   EXPECT_EQ("done", Request({{Rel(inner) + "present/", "0"}}));
   EXPECT_EQ(labId, db->ctx.GetInt(xp + "parentID", 0));
   EXPECT_EQ(labId, db->ctx.GetInt(team + "parentID", 0));
   EXPECT_EQ(0, db->ctx.GetInt(top + "parentID", -1));
   EXPECT_EQ((std::vector<std::string>{"Lab", "Windows XP", "Lab team", "Top"}), PresentNames());
}

// The user file is saved and read back as at a restart; the host that starts on it purges what
// was removed and the requests already answered.
TEST_F(FavoritesTest, TheListSurvivesAReloadOfTheUserFileWithoutItsRemovedEntries)
{
   std::string dir = File_GetTempFolder() + "favorites-" + std::to_string(GetCurrentProcessId());
   File_MakeFolders(dir);
   std::string userFile = dir + "\\zolt-user.db";
   File_Delete(userFile);
   Config_Set("vmdb.userFile", userFile.c_str());
   Config_Set("vmdb.saveDelayMs", "0");
   Config_Set("vmdb.preload", "");

   Start(PersistentDb());

   std::string lab = Add("folder", "Lab", "");
   std::string xp = Add("vm", "Windows \xCE\xA7 XP", "C:\\VMs\\xp\\xp.vmx", db->ctx.GetInt(lab + "id", 0));
   std::string gone = Add("vm", "Gone", "C:\\VMs\\gone.vmx");
   EXPECT_EQ("done", Request({{Rel(gone) + "present/", "0"}}));
   std::string unsent = Write("vm", "Never sent", "C:\\VMs\\half.vmx");
   EXPECT_FALSE(db->ctx.Elements(kState + "req/#").empty());
   ASSERT_TRUE(db->store->Save());

   Start(PersistentDb());

   EXPECT_EQ((std::vector<std::string>{"Lab", "Windows \xCE\xA7 XP"}), PresentNames());
   EXPECT_EQ(db->ctx.GetInt(lab + "id", 0), db->ctx.GetInt(xp + "parentID", 0));
   EXPECT_FALSE(db->ctx.Exists(gone));
   EXPECT_FALSE(db->ctx.Exists(unsent)) << "an element whose add never went out";
   EXPECT_TRUE(db->ctx.Elements(kState + "req/#").empty());
   // Ids of purged items are free again.
   EXPECT_EQ("done", Request({{Rel(Write("vm", "Next", "C:\\VMs\\next.vmx")) + "present/", "1"}}));
   EXPECT_EQ(3u, PresentNames().size());

   // The store writes its file when it goes: let it go before the file is deleted.
   Start(std::make_unique<TestDb>());
   Config_Set("vmdb.userFile", "");
   File_Delete(userFile);
}

}  // namespace
