// A private in-memory database and a model context on it, for the library's tests.
#pragma once

#include <memory>
#include <string>

#include "cui/VmdbCtx.h"
#include "tremorybase/Poll.h"
#include "vmdb/Store.h"

struct TestDb {
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();   // stands for the program's context
   vmdb::Ctx ctx{reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll};

   // Runs poll steps until nothing is left to run (watches are delivered there).
   static void Drain()
   {
      while (Poll_Step(0) > 0) {
      }
   }
};
