// One application object per test, on a database of its own that lives in memory, with the
// simulated host answering from the poll loop. Error boxes answer at once (test.vmmsg.answer).
#pragma once

#include "zoltApp.h"

#include "cui/cui.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class SessionFixture : public ::testing::Test {
protected:
   static void SetUpTestSuite();
   void SetUp() override { MakeApp(false); }
   void TearDown() override;

   // A new application in UI mode 0 (local) or 1 (remote hosts), replacing the one there is,
   // started with the command line's files.
   void MakeApp(bool remoteMode, const std::vector<std::string> &files = {});
   // Runs poll steps until `done` holds or `ms` pass; false when the time ran out.
   static bool PollUntil(const std::function<bool()> &done, long ms = 5000);
   static void Poll(long ms);

   // Reads of the application's database.
   std::string Read(const std::string &path) const;
   bool Exists(const std::string &path) const;
   void Write(const std::string &path, const std::string &value) const;
   int CountElements(const std::string &arrayPath) const;
   std::string Current() const { return wui::GetPrefs()->GetCurrentObj(); }

   // A machine configuration file in the test's folder, opened through the machine manager.
   std::string WriteVmx(const std::string &name) const;
   cui::VM *OpenVm(const std::string &name);

   CZOLTApp *app_ = nullptr;
   std::string folder_;
};
