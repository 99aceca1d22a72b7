// Opened objects: one record per tab under cui::appdata::kOpenedObj, the current and
// the transient tab, the per-type tab openers and the questions about the current object.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltModelOps.h"

#include "cui/CnxDlg.h"
#include "cui/cui.h"
#include "tremorybase/Log.h"

#include <cstdio>

namespace {

const char kOpenedObjArray[] = "openedObj/#";

// "/a/b/#0002/" -> "/a/b/#0002": the element form the database's element walk takes.
std::string WithoutTrailingSlash(std::string path)
{
   while (path.size() > 1 && path.back() == '/') {
      path.pop_back();
   }
   return path;
}

}  // namespace

_bstr_t CZOLTApp::FindOpenedObj(const _bstr_t &type, const _bstr_t &path, bool teamCurrentVM)
{
   IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
   const std::string wantedType = zoltdb::Text(type);
   const std::string wantedPath = zoltdb::Text(path);
   for (_bstr_t element = ctx->NextElement(kOpenedObjArray); element.length() > 0;
        element = ctx->NextElement(element)) {
      std::string recordType = zoltdb::ReadText(ctx, element + "type");
      std::string recordPath = zoltdb::ReadText(ctx, element + "path");
      if (teamCurrentVM && wantedType == "vm" && recordType == "team") {
         // A team's tab shows its current machine: it counts as that machine's tab.
         recordType = "vm";
         cui::TeamMgr *teamMgr = cui::GetTeamMgr();
         cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(recordPath) : nullptr;
         cui::VM *current = team ? team->GetCurrentVM() : nullptr;
         recordPath = current ? current->GetVmPath() : std::string();
      }
      if (recordType == wantedType && (wantedPath.empty() || (!recordPath.empty() && recordPath == wantedPath))) {
         return ctx->FullPath(element);
      }
   }
   return _bstr_t("");
}

_bstr_t CZOLTApp::OpenTabInt(const _bstr_t &type, const _bstr_t &path, const _bstr_t &key, bool transient,
                             bool select, bool *existed)
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool found = false;
   _bstr_t record = FindOpenedObj(type, path, true);
   if (record.length() > 0) {
      found = true;
   } else {
      if (transient) {
         if (zoltdb::Text(key) != openPath_) {
            // An open the user has since replaced by another: it takes no tab.
            return _bstr_t("");
         }
         record = RecycleTransientObj();
      }
      IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
      if (record.length() == 0) {
         char name[32];
         snprintf(name, sizeof name, "openedObj/#%04x/", openedObjCounter_++);
         record = name;
      }
      ctx->WriteValue(record + "type", _variant_t(type));
      ctx->WriteValue(record + "path", _variant_t(path));
      record = ctx->FullPath(record);
      Log("CZOLTApp::OpenTabInt: opened %s\n", zoltdb::Text(record).c_str());
      if (transient) {
         prefs->SetTransientObj(zoltdb::Text(record));
      }
   }
   if (existed) {
      *existed = found;
   }
   if (!transient) {
      prefs->UnsetTransientObj();
   }
   if (select && (found || zoltdb::Text(key) == openPath_ || prefs->GetCurrentObj().empty())) {
      openPath_.clear();
      prefs->SetCurrentObj(zoltdb::Text(record));
   }
   return record;
}

bool CZOLTApp::CloseObj(const _bstr_t &type, const _bstr_t &path)
{
   try {
      _bstr_t record = FindOpenedObj(type, path, false);
      if (record.length() == 0) {
         return true;
      }
      Log("CZOLTApp::CloseObj: %s\n", zoltdb::Text(path).c_str());
      IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
      ctx->RemoveNode(record, VARIANT_TRUE);
      wui::Prefs *prefs = wui::GetPrefs();
      if (zoltdb::Text(record) == prefs->GetCurrentObj()) {
         _bstr_t next = NextOpenedObj(record);
         if (next.length() > 0 && ctx->TestNode(next)) {
            prefs->SetCurrentObj(zoltdb::Text(next));
         } else {
            ctx->RemoveNode("currentObj", VARIANT_TRUE);
         }
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::CloseObj failed: %s\n", zoltdb::ComText(e).c_str());
   } catch (const std::exception &e) {
      Warning("CZOLTApp::CloseObj failed: %s\n", e.what());
   }
   return true;
}

_bstr_t CZOLTApp::NextOpenedObj(const _bstr_t &recordPath)
{
   IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
   _bstr_t next = ctx->NextElement(WithoutTrailingSlash(zoltdb::Text(recordPath)).c_str());
   if (next.length() == 0) {
      next = ctx->NextElement(kOpenedObjArray);
   }
   return next.length() > 0 ? ctx->FullPath(next) : _bstr_t("");
}

_bstr_t CZOLTApp::RecycleTransientObj()
{
   wui::Prefs *prefs = wui::GetPrefs();
   const std::string record = prefs->GetTransientObj();
   if (record.empty()) {
      return _bstr_t("");
   }
   const std::string type = prefs->GetTransientObjType();
   const std::string path = prefs->GetTransientObjPath();
   if (type == "vm") {
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
      // A machine that is gone has nothing left to close: its tab is free.
      if (!vm) {
         return _bstr_t(record.c_str());
      }
      if (!IsPowerOnAllowed(vm)) {
         return _bstr_t("");
      }
      CloseVMTab(path, true, cui::AbortSlot());
      return _bstr_t(record.c_str());
   }
   if (type == "team") {
      cui::TeamMgr *teamMgr = cui::GetTeamMgr();
      cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr;
      if (team && team->GetPowerState() != cui::VM::POWERED_ON && !zoltmodel::IsTeamBusy(team)) {
         CloseTeamTab(team, true);
         return _bstr_t(record.c_str());
      }
      return _bstr_t("");
   }
   if (type == "mvmt") {
      CloseMVMT(_bstr_t(path.c_str()), cui::AbortSlot(), cui::DoneSlot());
      return _bstr_t(record.c_str());
   }
   return _bstr_t("");
}

bool CZOLTApp::IsObjOpened(const _bstr_t &type, const _bstr_t &path)
{
   _bstr_t record = FindOpenedObj(type, path, true);
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs->GetTransientObj().empty() && prefs->GetTransientObjPath() == zoltdb::Text(path)) {
      return false;
   }
   return record.length() > 0;
}

_bstr_t CZOLTApp::OpenVMTab(cui::VM *vm, bool powerOn, bool transient, bool select)
{
   bool existed = false;
   _bstr_t record = OpenTabInt(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()), _bstr_t(vm->GetFilename().c_str()),
                               transient, select, &existed);
   // The machine manager has the machine open already: it hands out only opened machines.
   if (!existed && record.length() > 0) {
      PowerOnIfRequested(vm, powerOn);
   }
   return record;
}

_bstr_t CZOLTApp::OpenTeamTab(cui::Team *team, bool powerOn, bool transient, bool select)
{
   _bstr_t file(team->GetFilename().c_str());
   bool existed = false;
   _bstr_t record = OpenTabInt(_bstr_t("team"), file, file, transient, select, &existed);
   if (!existed && record.length() > 0 && powerOn && options_.powerOn && !options_.fullScreen) {
      wui::Prefs *prefs = wui::GetPrefs();
      if (prefs->GetTransientObj() == zoltdb::Text(record)) {
         prefs->UnsetTransientObj();
      }
      zoltmodel::PowerOnTeam(team);
   }
   return record;
}

_bstr_t CZOLTApp::OpenHotFixTab(cui::HotFixRequest *request, bool, bool transient, bool select)
{
   return OpenTabInt(_bstr_t("hotfix"), _bstr_t(request->GetHotFixPath().c_str()),
                     _bstr_t(request->GetHotFixFilePath().c_str()), transient, select, nullptr);
}

void CZOLTApp::OpenPoweredOnVMTab(cui::VM *vm)
{
   if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON) {
      return;
   }
   _bstr_t record = OpenVMTab(vm, false, false, false);
   if (record.length() > 0) {
      ctx_->WriteValue(record + "viewType/", _variant_t(zoltmodel::ShowsApplianceView(vm) ? "appliance" : "console"));
   }
}

void CZOLTApp::OnNewVMCreated(cui::VM *vm, OpenFlags flags, sigc::slot<void> done)
{
   _bstr_t record;
   if (flags.openTab) {
      record = OpenVMTab(vm, flags.powerOn, flags.newTab, flags.makeCurrent);
   }
   cui::CallSlot(done);
   // A new machine nobody shows in a tab is let go again; one with a tab stays open for it.
   if (record.length() == 0) {
      if (wui::VMMgr *vmMgr = wui::GetVMMgr()) {
         vmMgr->CloseVM(vm, cui::AbortSlot(), cui::DoneSlot());
      }
   }
}

cui::VM *CZOLTApp::GetCurrentVM()
{
   wui::Prefs *prefs = wui::GetPrefs();
   const std::string type = prefs->GetCurrentObjType();
   const std::string path = prefs->GetCurrentObjPath();
   if (type == "vm") {
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      return vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
   }
   if (type == "team") {
      cui::TeamMgr *teamMgr = cui::GetTeamMgr();
      cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr;
      return team ? team->GetCurrentVM() : nullptr;
   }
   return nullptr;
}

bool CZOLTApp::IsCurrentVMGUIRestricted()
{
   if (wui::util::HasZephroExtension()) {
      return false;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs->GetCurrentObj().empty() || prefs->GetCurrentObjType() != "vm") {
      return false;
   }
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(prefs->GetCurrentObjPath()) : nullptr;
   return vm && vm->GetGUIRestricted();
}

void CZOLTApp::OnCtxCurrentObj()
{
   wui::Prefs *prefs = wui::GetPrefs();
   cnxTeamConnection_.disconnect();
   if (prefs->GetCurrentObj().empty()) {
      Log("CZOLTApp::OnCtxCurrentObj: %s\n", "");
      return;
   }
   std::string type = prefs->GetCurrentObjType();
   std::string path = prefs->GetCurrentObjPath();
   cui::VM *vm = nullptr;
   if (type == "vm") {
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
   } else if (type == "mvmt") {
      // A managed template is its own machine.
      cui::MVMTMgr *mvmtMgr = cui::GetMVMTMgr();
      for (cui::MVMTemplate *mvmt : mvmtMgr ? mvmtMgr->GetMVMTs() : std::vector<cui::MVMTemplate *>()) {
         if (mvmt && mvmt->GetVmPath() == path) {
            vm = mvmt;
            break;
         }
      }
   } else if (type == "team") {
      cui::TeamMgr *teamMgr = cui::GetTeamMgr();
      if (cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr) {
         vm = team->GetCurrentVM();
         // The slot goes with the team's signal, so it never outlives the team.
         cnxTeamConnection_ =
            team->changed.connect([team]() { wui::dialog::CnxDlg::UpdateDialog(team->GetCurrentVM()); });
      }
   }
   wui::dialog::CnxDlg::UpdateDialog(vm);
   Log("CZOLTApp::OnCtxCurrentObj: %s\n", type == "home" ? type.c_str() : path.c_str());
}

bool IsPowerOnAllowed(cui::VM *vm)
{
   if (!vm) {
      return true;
   }
   if (vm->GetPowerState() == cui::VM::POWERED_ON) {
      return false;
   }
   return vm->GetPowerOnActionState() != cui::VM::ACTION_RUNNING;
}
