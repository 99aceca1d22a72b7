// A private database with the model library and its simulated host running on it, a folder of
// its own for machine files, and helpers that drive the poll loop as the program's loop does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cui/Error.h"
#include "cui/VMMgr.h"
#include "cui/VmdbCtx.h"
#include "tremorybase/KeyValueFile.h"
#include "vmdb/Store.h"

// One run of "the program": database, registered model context, machine manager.
struct ModelRun {
   ModelRun();
   ~ModelRun();   // stops the host first, as the program does at exit

   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx{reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll};
   std::unique_ptr<wui::VMMgr> mgr;
};

// What an asynchronous operation called back with.
struct Outcome {
   bool finished = false;
   bool done = false;
   bool cancelled = false;
   std::string error;

   cui::AbortSlot Abort();
   cui::DoneSlot Done();
};

class MachineTest : public ::testing::Test {
protected:
   void SetUp() override;
   void TearDown() override;

   // Runs poll steps until `done` or five seconds; true when done.
   static bool Until(const std::function<bool()> &done);
   // Writes a configuration file in the test folder; returns its path.
   std::string WriteVmx(const std::string &name, const std::vector<KeyValueEntry> &entries);
   std::string Path(const std::string &name) const { return folder_ + "\\" + name; }
   static bool FileExists(const std::string &path);
   static std::vector<KeyValueEntry> ReadEntries(const std::string &path);
   static std::string Value(const std::vector<KeyValueEntry> &entries, const std::string &key);

   // Opens through the run's manager and waits; the machine, or null with `outcome` telling why.
   cui::VM *Open(const std::string &cfgPath, Outcome *outcome = nullptr);
   // Sends a command the way the program's blocking form does; returns its status.
   std::string SendCommand(const std::string &queue, const std::string &op,
                           const std::vector<std::pair<std::string, std::string>> &inputs, std::string *errMsg = nullptr);
   // Starts a run (after ending the one before, if any).
   void NewRun();

   std::unique_ptr<ModelRun> run_;
   std::string folder_;
};
