// Lays out and paints the team page's topology for a team of 30 machines and 10 LANs, each
// machine with an adapter on one LAN and a bridged one: the time of a reload of the view (rows,
// images and check marks under the team's columns) and of the paint it causes on the screen,
// together, as when a member changes.
#include "BenchReport.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cui/Team.h"
#include "cui/VM.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/Store.h"
#include "zoltTeamTopology.h"

namespace {

class BenchTeam : public wui::Team {
public:
   BenchTeam() : wui::Team("C:\\bench\\Bench.vmtm", "Bench") {}
   void Add(cui::VM *vm, int order)
   {
      cui::TeamMember member;
      member.cfgPath = vm->GetFilename();
      member.startupOrder = order;
      member.vm = vm;
      members_.push_back(member);
      vms_.push_back(vm);
   }
   void AddNet(const std::string &id, const std::string &name) { nets_.push_back(new cui::TeamNet(id, name, 0, 0)); }
};

std::unique_ptr<cui::VM> MakeMachine(vmdb::Ctx &ctx, int index, int lans)
{
   std::string vm = "/vm/#b" + std::to_string(index) + "/";
   std::string cfg = vm + "vmx/cfgState/val/";
   ctx.Set(vm + "cfgFile", "C:\\bench\\Machine " + std::to_string(index) + ".vmx");
   ctx.Set(cfg + "displayName", "Machine " + std::to_string(index));
   ctx.Set(cfg + "guestOS", "otherlinux");
   ctx.Set(cfg + "configVersion", vmdb::Value(index % 7 == 0 ? 7 : 8));
   const char *networks[] = {"pvn", "bridged"};
   for (int nic = 0; nic < 2; ++nic) {
      std::string dev = ctx.Append(cfg + "dev/#");
      ctx.Set(dev + "type", "ethernet");
      ctx.Set(dev + "present", vmdb::Value(true));
      ctx.Set(dev + "key", "ethernet" + std::to_string(nic));
      ctx.Set(dev + "network", networks[nic]);
      ctx.Set(dev + "pvnID", "pvn-" + std::to_string(index % lans));
   }
   const char *states[] = {"poweredOn", "poweredOff", "suspended"};
   ctx.Set(vm + "vmx/execState/val", states[index % 3]);
   return std::unique_ptr<cui::VM>(new cui::VM(ctx, vm, nullptr));
}

}  // namespace

int main()
{
   const int kMachines = 30;
   const int kLans = 10;
   CoInitialize(nullptr);
   tremappsdk::RegisterClasses();
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx(reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll);
   std::vector<std::unique_ptr<cui::VM>> machines;
   int result = 1;
   {
      BenchTeam team;
      for (int lan = 0; lan < kLans; ++lan) {
         team.AddNet("pvn-" + std::to_string(lan), "LAN " + std::to_string(lan + 1));
      }
      for (int i = 0; i < kMachines; ++i) {
         machines.push_back(MakeMachine(ctx, i, kLans));
         team.Add(machines.back().get(), (kMachines - i) / 4);
      }

      HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 900, 700, nullptr,
                                  nullptr, nullptr, nullptr);
      CZOLTTeamTopology topology;
      RECT place = {0, 0, 900, 700};
      if (host && topology.Create(host, CZOLTTeamTopology::kControlId, nullptr, place)) {
         topology.SetTeam(&team);
         HWND list = topology.GetWindow();
         HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
         UpdateWindow(host);
         std::vector<double> passes;
         for (int i = 0; i < 11; ++i) {
            bench::Stopwatch watch;
            topology.Load();
            // What the reload made invalid, drawn now rather than at the next quiet moment.
            UpdateWindow(list);
            UpdateWindow(header);
            passes.push_back(watch.Ms());
         }
         bool complete = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == kMachines;
         if (complete) {
            bench::Figure("Team page of 30 machines and 10 LANs", bench::Median(passes), "ms", "<20");
            result = 0;
         }
         topology.SetTeam(nullptr);
      }
      if (host) {
         DestroyWindow(host);
      }
   }
   machines.clear();
   CoUninitialize();
   return result;
}
