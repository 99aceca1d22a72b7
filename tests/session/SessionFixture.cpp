#include "SessionFixture.h"

#include "atl/Atl.h"
#include "tremorybase/Base.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Poll.h"
#include "vmdb/Classes.h"
#include "vmdb/ClientClasses.h"

#include <windows.h>

void SessionFixture::SetUpTestSuite()
{
   static bool started = false;
   if (started) {
      return;
   }
   started = true;
   Base_Init();
   Base_InitPoll(nullptr, nullptr, nullptr);
   _Module.Init(nullptr, GetModuleHandleA(nullptr));
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   vmdb::RegisterClientClasses();
   Base_InitComplete();
}

void SessionFixture::MakeApp(bool remoteMode, const std::vector<std::string> &files)
{
   if (app_) {
      TearDown();
   }
   Config_Set("test.vmmsg.answer", "0");
   Config_Set("test.comFailure.silent", "true");
   Config_Set("test.host.stepMs", "2");
   Config_Set("test.host.delayMs", "1");
   static int count = 0;
   ++count;
   char temp[MAX_PATH] = "";
   GetTempPathA(MAX_PATH, temp);
   // A folder no earlier run has used: process ids repeat between runs, and a machine left
   // running by one run would still be running for the next.
   const std::string base = std::string(temp) + "zolt-session-" + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(count);
   folder_ = base;
   for (int n = 1; !CreateDirectoryA(folder_.c_str(), nullptr); ++n) {
      ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << folder_;
      folder_ = base + "-" + std::to_string(n);
   }

   CommandLineOptions options;
   options.databaseName = "session-test-" + std::to_string(count);
   options.forceDeskmoorMode = !remoteMode;
   options.files = files;
   app_ = new CZOLTApp(options);
   gApp = app_;
}

void SessionFixture::TearDown()
{
   delete app_;
   app_ = nullptr;
   gApp = nullptr;
   Poll_Reset();
   for (const char *key : {"test.remoteHosts", "test.remotePassword", "test.host.noAnswer", "test.host.fail"}) {
      Config_Set(key, "");
   }
}

bool SessionFixture::PollUntil(const std::function<bool()> &done, long ms)
{
   return Poll_RunUntil(done, ms);
}

void SessionFixture::Poll(long ms)
{
   Poll_RunUntil([]() { return false; }, ms);
}

std::string SessionFixture::Read(const std::string &path) const
{
   return cui::GetVmdbCtx().Get(path);
}

bool SessionFixture::Exists(const std::string &path) const
{
   return cui::GetVmdbCtx().Exists(path);
}

void SessionFixture::Write(const std::string &path, const std::string &value) const
{
   cui::GetVmdbCtx().Set(path, value);
}

int SessionFixture::CountElements(const std::string &arrayPath) const
{
   return static_cast<int>(cui::GetVmdbCtx().Elements(arrayPath).size());
}

std::string SessionFixture::WriteVmx(const std::string &name) const
{
   std::string path = folder_ + "\\" + name + ".vmx";
   std::string error;
   EXPECT_TRUE(KeyValueFile::Write(path, {{"displayName", name}, {"guestOS", "other"}}, error)) << error;
   return path;
}

cui::VM *SessionFixture::OpenVm(const std::string &name)
{
   std::string path = WriteVmx(name);
   bool answered = false;
   std::string error;
   wui::GetVMMgr()->OpenVM(
      path, nullptr,
      [&](bool, cui::Error e) {
         answered = true;
         error = e.what();
      },
      [&]() { answered = true; });
   EXPECT_TRUE(PollUntil([&]() { return answered; })) << "opening " << path;
   EXPECT_EQ(error, "");
   return wui::GetVMMgr()->GetVMByCfgPath(path);
}
