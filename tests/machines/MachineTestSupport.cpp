#include "MachineTestSupport.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "StoreCommand.h"

#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremsim/SimHostBackend.h"

ModelRun::ModelRun()
{
   cui::SetHostBackend(&cuisim::SimHostBackend::Get());
   cui::SetVmdbCtx(ctx);
   mgr.reset(new wui::VMMgr(nullptr));
   cui::SetVMMgr(mgr.get());
}

ModelRun::~ModelRun()
{
   cui::SetVmdbCtx(vmdb::Ctx());
   cui::SetHostBackend(nullptr);
   mgr.reset();
   Poll_Reset();
}

cui::AbortSlot Outcome::Abort()
{
   return [this](bool wasCancelled, cui::Error e) {
      EXPECT_FALSE(finished) << "an operation finished twice";
      finished = true;
      cancelled = wasCancelled;
      error = e.what();
   };
}

cui::DoneSlot Outcome::Done()
{
   return [this]() {
      EXPECT_FALSE(finished) << "an operation finished twice";
      finished = true;
      done = true;
   };
}

void MachineTest::SetUp()
{
   static int count = 0;
   folder_ = File_GetTempFolder() + "zolt-machines-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++count);
   ASSERT_TRUE(File_MakeFolders(folder_)) << folder_;
   Config_Set("test.host.stepMs", "2");
   Config_Set("test.host.delayMs", "1");
   NewRun();
}

void MachineTest::TearDown()
{
   run_.reset();
   for (const char *key : {"test.host.fail", "test.host.failText", "test.host.noAnswer", "test.host.stepMs",
                           "test.host.delayMs"}) {
      Config_Set(key, "");
   }
   if (getenv("ZOLT_KEEP_MACHINE_FILES")) {
      printf("machine files kept in %s\n", folder_.c_str());
      return;
   }
   // The folder and what the tests left in it.
   std::vector<std::string> folders = {folder_};
   std::vector<std::string> all;
   while (!folders.empty()) {
      std::string dir = folders.back();
      folders.pop_back();
      all.push_back(dir);
      WIN32_FIND_DATAW found;
      HANDLE find = FindFirstFileW(WidePathFromUtf8(dir + "\\*").c_str(), &found);
      if (find == INVALID_HANDLE_VALUE) {
         continue;
      }
      do {
         std::string name = Utf8FromWide(found.cFileName);
         if (name == "." || name == "..") {
            continue;
         }
         std::string path = dir + "\\" + name;
         if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(path);
         } else {
            File_Delete(path);
         }
      } while (FindNextFileW(find, &found));
      FindClose(find);
   }
   for (auto it = all.rbegin(); it != all.rend(); ++it) {
      File_RemoveFolder(*it);
   }
}

void MachineTest::NewRun()
{
   run_.reset();
   run_.reset(new ModelRun);
}

bool MachineTest::Until(const std::function<bool()> &done)
{
   return Poll_RunUntil(done, 5000);
}

std::string MachineTest::WriteVmx(const std::string &name, const std::vector<KeyValueEntry> &entries)
{
   std::string path = Path(name);
   std::string error;
   EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
   return path;
}

bool MachineTest::FileExists(const std::string &path)
{
   return File_Exists(path);
}

std::vector<KeyValueEntry> MachineTest::ReadEntries(const std::string &path)
{
   std::vector<KeyValueEntry> entries;
   std::string error;
   EXPECT_TRUE(KeyValueFile::Read(path, entries, error)) << error;
   return entries;
}

std::string MachineTest::Value(const std::vector<KeyValueEntry> &entries, const std::string &key)
{
   const std::string *value = KeyValueFile::Find(entries, key);
   return value ? *value : "<missing>";
}

cui::VM *MachineTest::Open(const std::string &cfgPath, Outcome *outcome)
{
   Outcome local;
   Outcome &result = outcome ? *outcome : local;
   run_->mgr->OpenVM(cfgPath, nullptr, result.Abort(), result.Done());
   EXPECT_FALSE(result.finished) << "the open completed inside the call";
   EXPECT_TRUE(Until([&]() { return result.finished; })) << "the open of " << cfgPath << " never completed";
   if (!outcome) {
      EXPECT_TRUE(result.done) << result.error;
   }
   return result.done ? run_->mgr->GetVMByCfgPath(cfgPath) : nullptr;
}

std::string MachineTest::SendCommand(const std::string &queue, const std::string &op,
                                     const std::vector<std::pair<std::string, std::string>> &inputs, std::string *errMsg)
{
   std::unique_ptr<vmdbstore::Context> c = run_->store->NewContext();
   return testsupport::SendStoreCommand(*c, queue, op, inputs, errMsg);
}
