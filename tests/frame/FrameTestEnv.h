// A private database with the preferences and the managers registered, as the application
// registers them, for the main window's tests.
#pragma once

#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "cui/VmdbCtx.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimHostBackend.h"
#include "vmdb/Store.h"

#include <memory>

struct FrameTestEnv {
   std::shared_ptr<vmdbstore::Store> store = vmdbstore::Store::Create();
   std::unique_ptr<vmdbstore::Context> raw = store->NewContext();
   vmdb::Ctx ctx{reinterpret_cast<intptr_t>(raw.get()), true, vmdb::Ctx::kAll};
   std::unique_ptr<wui::Prefs> prefs;
   std::unique_ptr<wui::VMMgr> vms;
   std::unique_ptr<wui::TeamMgr> teams;

   FrameTestEnv()
   {
      cui::SetHostBackend(&cuisim::SimHostBackend::Get());
      cui::SetVmdbCtx(ctx);
      prefs.reset(new wui::Prefs);
      vms.reset(new wui::VMMgr(nullptr));
      teams.reset(new wui::TeamMgr);
      cui::SetPrefs(prefs.get());
      cui::SetVMMgr(vms.get());
      cui::SetTeamMgr(teams.get());
   }
   ~FrameTestEnv()
   {
      cui::SetTeamMgr(nullptr);
      cui::SetVMMgr(nullptr);
      cui::SetPrefs(nullptr);
      teams.reset();
      vms.reset();
      prefs.reset();
      Drain();
      cui::SetVmdbCtx(vmdb::Ctx());
      cui::SetHostBackend(nullptr);
   }

   // Runs poll steps until nothing is left (watches are delivered there), and window messages.
   static void Drain()
   {
      for (int round = 0; round < 3; ++round) {
         while (Poll_Step(0) > 0) {
         }
         MSG msg;
         while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
         }
      }
   }

   std::string Pref(const std::string &valPath) const { return ctx.Get(prefs->GetRequestPath() + valPath); }
};
