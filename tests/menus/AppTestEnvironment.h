// One application object for a whole test program, in the desktop mode, with the database, client
// and control classes registered and COM failures silent. A test file adds it with
// ZOLT_APP_TEST_ENVIRONMENT().
#pragma once

#include "zoltApp.h"

#include "atl/Atl.h"
#include "atl/ClassTable.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Config.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

class AppTestEnvironment : public ::testing::Environment {
public:
   void SetUp() override
   {
      CoInitialize(nullptr);
      vmdb::RegisterClasses();
      vmdb::RegisterClientClasses();
      tremappsdk::RegisterClasses();
      _Module.Init(nullptr, GetModuleHandleA(nullptr));
      Config_Set("test.comFailure.silent", "1");
      CommandLineOptions options;
      options.forceDeskmoorMode = true;
      gApp = new CZOLTApp(options);
   }
   void TearDown() override
   {
      delete gApp;
      gApp = nullptr;
      atl::ClassTable::RevokeAllFromCom();
      CoUninitialize();
   }
};

#define ZOLT_APP_TEST_ENVIRONMENT()                                                                      \
   ::testing::Environment *const gAppTestEnvironment =                                                   \
      ::testing::AddGlobalTestEnvironment(new AppTestEnvironment)
