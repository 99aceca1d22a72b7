// The command dispatcher: every command ends here and goes to one handler group.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "zoltCommandRoute.h"
#include "zoltGuard.h"
#include "zoltVmdbForms.h"

#include "cui/HotFixMgr.h"
#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/Log.h"

namespace {

// The managers the application registered with the model library, and its current object.
class RegisteredTargetLookup : public CommandTargetLookup {
public:
   explicit RegisteredTargetLookup(CZOLTApp &app) : app_(app) {}

   cui::VM *GetVMByCfgPath(const std::string &cfgPath) override
   {
      wui::VMMgr *mgr = wui::GetVMMgr();
      return mgr ? mgr->GetVMByCfgPath(cfgPath) : nullptr;
   }
   cui::VM *GetVMByVMPath(const std::string &vmPath) override
   {
      wui::VMMgr *mgr = wui::GetVMMgr();
      return mgr ? mgr->GetVMByVMPath(vmPath) : nullptr;
   }
   cui::Team *GetTeamByCfgPath(const std::string &cfgPath) override
   {
      wui::TeamMgr *mgr = wui::GetTeamMgr();
      return mgr ? mgr->GetTeamByCfgPath(cfgPath) : nullptr;
   }
   cui::Team *GetTeamByVMPath(const std::string &vmPath) override
   {
      wui::TeamMgr *mgr = wui::GetTeamMgr();
      return mgr ? mgr->GetTeamByVMPath(vmPath) : nullptr;
   }
   bool HasTemplateMgr() override { return cui::GetMVMTMgr() != nullptr; }
   cui::MVMTemplate *GetMVMTByFilename(const std::string &filename) override
   {
      cui::MVMTMgr *mgr = cui::GetMVMTMgr();
      return mgr ? mgr->GetMVMTByFilename(filename) : nullptr;
   }
   bool HasZephroExtension() override { return wui::util::HasZephroExtension(); }
   cui::VM *GetCurrentVM() override { return app_.GetCurrentVM(); }

private:
   CZOLTApp &app_;
};

}  // namespace

void CZOLTApp::MenuButtonClicked(CommandId id, _bstr_t &path, CommandSource source)
{
   const std::string pathText = zoltdb::Text(path);
   Log("CZOLTApp::MenuButtonClicked: %d %s\n", static_cast<int>(id), pathText.c_str());

   // The resolution runs inside the guard too, and model-library failures are caught with COM
   // errors: commands come from window procedures, which no exception may cross.
   RunCommandGuarded([&]() {
      // A model failure is the user's to read, not only the log's.
      try {
         wui::VM *vm = ResolveCommandVM(source, path);
         RouteToHandler(id, path, source, vm);
      } catch (const cui::Error &e) {
         ReportError(_bstr_t(e.what()), -1, _bstr_t());
      }
   });
}

void CZOLTApp::RouteToHandler(CommandId id, _bstr_t &path, CommandSource source, wui::VM *vm)
{
   switch (RouteCommand(id)) {
   case CommandGroup::None:
      break;
   case CommandGroup::File:
      OnFileCommand(id);
      break;
   case CommandGroup::Edit:
      OnEditCommand(id);
      break;
   case CommandGroup::View:
      HandleViewMenuOps(id);
      break;
   case CommandGroup::Host:
      OnHostCommand(id);
      break;
   case CommandGroup::Help:
      OnHelpCommand(id);
      break;
   case CommandGroup::Home:
      CloseHomepage();
      break;
   case CommandGroup::Server:
      OnQuenServerCommand(id, path, source);
      break;
   case CommandGroup::Zephro:
      OnZephroCommand(id, path, source);
      break;
   case CommandGroup::VM:
      OnVMCommand(id, path, source);
      break;
   case CommandGroup::Team:
      OnTeamCommand(id, path, source);
      break;
   case CommandGroup::Power:
      OnPowerCommand(id, vm);
      break;
   case CommandGroup::Snapshot:
      OnSnapshotCommand(id, vm);
      break;
   case CommandGroup::HotFix: {
      cui::HotFixMgr *hotFixMgr = cui::GetHotFixMgr();
      cui::HotFixRequest *request = hotFixMgr ? hotFixMgr->GetRequestByHotFixPath(zoltdb::Text(path)) : nullptr;
      if (request) {
         OnHotFixCommand(id, request->GetHotFixPath());
      }
      break;
   }
   }
}

wui::VM *CZOLTApp::ResolveCommandVM(CommandSource source, const _bstr_t &path, wui::Team **team)
{
   RegisteredTargetLookup lookup(*this);
   CommandTarget target = ResolveCommandTarget(source, zoltdb::Text(path), lookup);
   if (team) {
      *team = target.team;
   }
   return target.vm;
}

void CZOLTApp::GrabInput(cui::VM *vm)
{
   if (!vm || !cui::GetRpcMgr()) {
      return;
   }
   // The resubmission finds the machine again by its path: it may have been closed meanwhile.
   const std::string vmPath = vm->GetVmPath();
   SendGrabRequest(cui::GetRpcMgr(), vm, [vmPath]() {
      Guard([vmPath]() {
         cui::VMMgr *vmMgr = cui::GetVMMgr();
         if (gApp && vmMgr) {
            gApp->GrabInput(vmMgr->GetVMByVMPath(vmPath));
         }
      });
   });
}
