#include "cui/Registry.h"

#include "RegistryInternal.h"
#include "cui/DlgMgr.h"
#include "cui/Error.h"
#include "cui/HostBackend.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Log.h"

namespace {

// Plain pointers and slots, reached through a function so that registration also works from
// other static initialisers.
struct Registry {
   vmdb::Ctx vmdbCtx;
   cui::HostBackend *hostBackend = nullptr;
   vmdbLayout::rpc::Mgr *rpcMgr = nullptr;
   cui::Prefs *prefs = nullptr;
   cui::Host *clientHost = nullptr;
   cui::VMMgr *vmMgr = nullptr;
   cui::TeamMgr *teamMgr = nullptr;
   cui::HotFixMgr *hotFixMgr = nullptr;
   cui::MVMTMgr *mvmtMgr = nullptr;
   cui::DlgMgr *appDlgMgr = nullptr;
   cui::BrowseSlot browse;
   wui::Navbar *navbar = nullptr;
   wui::AppContext *appContext = nullptr;
   cui::Host *currentHost = nullptr;
   wui::DlgMgr *libDlgMgr = nullptr;
   wui::NewVMWizardSlot newVMWizard;
   wui::CloneVMWizardSlot cloneVMWizard;
   HINSTANCE resourceInstance = nullptr;
};

Registry &Reg()
{
   static Registry registry;
   return registry;
}

}  // namespace

namespace cuiutil {

void ForgetLibDlgMgr(wui::DlgMgr *dlgMgr)
{
   if (Reg().libDlgMgr == dlgMgr) {
      Reg().libDlgMgr = nullptr;
   }
}

}  // namespace cuiutil

namespace cui {

void SetVmdbCtx(const vmdb::Ctx &ctx)
{
   Reg().vmdbCtx = ctx;
   // The hosts and machines of the database answer from here on (and stop with an empty context).
   if (Reg().hostBackend) {
      Reg().hostBackend->AnswerDatabase(ctx);
   } else if (ctx.IsValid()) {
      Log("cui::SetVmdbCtx: no host backend is installed; commands to hosts and machines go unanswered\n");
   }
}
vmdb::Ctx GetVmdbCtx() { return Reg().vmdbCtx; }

void SetHostBackend(HostBackend *backend)
{
   if (backend == Reg().hostBackend) {
      return;
   }
   if (Reg().hostBackend) {
      Reg().hostBackend->AnswerDatabase(vmdb::Ctx());
   }
   Reg().hostBackend = backend;
   if (backend && Reg().vmdbCtx.IsValid()) {
      backend->AnswerDatabase(Reg().vmdbCtx);
   }
}
HostBackend *GetHostBackend() { return Reg().hostBackend; }

vmdb::Ctx GetNewVmdbCtx()
{
   if (!Reg().vmdbCtx.IsValid()) {
      throw Error("cui::GetNewVmdbCtx: no database context is registered");
   }
   return Reg().vmdbCtx.NewCtx();
}

void SetRpcMgr(vmdbLayout::rpc::Mgr *mgr) { Reg().rpcMgr = mgr; }
vmdbLayout::rpc::Mgr *GetRpcMgr() { return Reg().rpcMgr; }
void SetPrefs(Prefs *prefs) { Reg().prefs = prefs; }
Prefs *GetPrefs() { return Reg().prefs; }
void SetClientHost(Host *host) { Reg().clientHost = host; }
Host *GetClientHost() { return Reg().clientHost; }
void SetVMMgr(VMMgr *mgr) { Reg().vmMgr = mgr; }
VMMgr *GetVMMgr() { return Reg().vmMgr; }
void SetTeamMgr(TeamMgr *mgr) { Reg().teamMgr = mgr; }
TeamMgr *GetTeamMgr() { return Reg().teamMgr; }
void SetHotFixMgr(HotFixMgr *mgr) { Reg().hotFixMgr = mgr; }
HotFixMgr *GetHotFixMgr() { return Reg().hotFixMgr; }
void SetMVMTMgr(MVMTMgr *mgr) { Reg().mvmtMgr = mgr; }
MVMTMgr *GetMVMTMgr() { return Reg().mvmtMgr; }
void SetDlgMgr(DlgMgr *dlgMgr) { Reg().appDlgMgr = dlgMgr; }
DlgMgr *GetDlgMgr() { return Reg().appDlgMgr; }
void SetBrowseSlot(const BrowseSlot &slot) { Reg().browse = slot; }
BrowseSlot GetBrowseSlot() { return Reg().browse; }

bool Browse(const std::string &url)
{
   return CallSlot(Reg().browse, url);
}

}  // namespace cui

namespace wui {

void SetNavbar(Navbar *navbar) { Reg().navbar = navbar; }
Navbar *GetNavbar() { return Reg().navbar; }
void SetAppContext(AppContext *context) { Reg().appContext = context; }
AppContext *GetAppContext() { return Reg().appContext; }
void SetCurrentHost(cui::Host *host) { Reg().currentHost = host; }
cui::Host *GetCurrentHost() { return Reg().currentHost; }

Prefs *GetPrefs() { return dynamic_cast<Prefs *>(Reg().prefs); }
VMMgr *GetVMMgr() { return dynamic_cast<VMMgr *>(Reg().vmMgr); }
TeamMgr *GetTeamMgr() { return dynamic_cast<TeamMgr *>(Reg().teamMgr); }

DlgMgr *GetDlgMgr()
{
   Registry &reg = Reg();
   if (reg.libDlgMgr && reg.libDlgMgr->GetAppDlgMgr() != reg.appDlgMgr) {
      // Made over an earlier factory: this library made it, so this library replaces it.
      DlgMgr *old = reg.libDlgMgr;
      reg.libDlgMgr = nullptr;
      delete old;
   }
   if (!reg.libDlgMgr) {
      reg.libDlgMgr = new DlgMgr(reg.appDlgMgr);
   }
   return reg.libDlgMgr;
}

void SetNewVMWizardSlot(const NewVMWizardSlot &slot) { Reg().newVMWizard = slot; }
NewVMWizardSlot GetNewVMWizardSlot() { return Reg().newVMWizard; }
void SetCloneVMWizardSlot(const CloneVMWizardSlot &slot) { Reg().cloneVMWizard = slot; }
CloneVMWizardSlot GetCloneVMWizardSlot() { return Reg().cloneVMWizard; }

namespace resource {

void SetInstance(HINSTANCE instance) { Reg().resourceInstance = instance; }
HINSTANCE GetInstance() { return Reg().resourceInstance; }

}  // namespace resource
}  // namespace wui
