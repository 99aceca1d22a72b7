// The snapshot benchmarks' machine: `count` snapshots in one tree that mixes long chains with
// wide fans. Every other snapshot continues the newest chain, the rest hang from an earlier one
// picked by a fixed pseudo-random sequence.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cui/VM.h"
#include "vmdb/Store.h"

inline std::unique_ptr<cui::VM> MakeBenchMachine(vmdb::Ctx &ctx, int count)
{
   const std::string vm = "/vm/#0001/";
   ctx.Remove("/vm/#0001", true);
   ctx.Set(vm + "cfgFile", "C:\\bench\\bench.vmx");
   ctx.Set(vm + "vmx/cfgState/val/displayName", "Bench");
   uint32_t seed = 12345;
   for (int uid = 1; uid <= count; ++uid) {
      seed = seed * 1103515245u + 12345u;
      int parent = uid % 2 == 0 ? uid - 1 : static_cast<int>((seed >> 8) % static_cast<uint32_t>(uid));
      std::string item = ctx.Append(vm + "vmx/chkptState/val/item/#");
      ctx.Set(item + "uid", vmdb::Value(uid));
      ctx.Set(item + "parent", vmdb::Value(parent));
      ctx.Set(item + "displayName", "Snapshot " + std::to_string(uid));
   }
   ctx.Set(vm + "vmx/chkptState/val/current", vmdb::Value(count / 2));
   return std::unique_ptr<cui::VM>(new cui::VM(ctx, vm, nullptr));
}
