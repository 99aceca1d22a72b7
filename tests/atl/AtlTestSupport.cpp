#include "AtlTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "atl/Atl.h"
#include "tremorybase/Log.h"

namespace {

class AtlEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      char dir[MAX_PATH];
      GetTempPathA(sizeof(dir), dir);
      char file[MAX_PATH + 64];
      snprintf(file, sizeof(file), "%satl_tests-%lu.log", dir, GetCurrentProcessId());
      DeleteFileA(file);
      ASSERT_TRUE(Log_Start("atl_tests", "atl_tests.log.unset", file));
      ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
      ASSERT_TRUE(AtlAxWinInit());
   }
   void TearDown() override
   {
      AtlAxWinTerm();
      OleUninitialize();
      std::string file = Log_GetFileName();
      Log_Stop();
      DeleteFileA(file.c_str());
   }
};

const ::testing::Environment *const environment = ::testing::AddGlobalTestEnvironment(new AtlEnvironment);

} // namespace

std::string LogText()
{
   std::ifstream in(Log_GetFileName(), std::ios::binary);
   std::ostringstream text;
   text << in.rdbuf();
   return text.str();
}

void PumpMessages()
{
   MSG msg;
   while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessage(&msg);
   }
}
