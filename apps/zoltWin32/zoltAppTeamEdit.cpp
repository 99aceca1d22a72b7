// Changing a team: Team > Add (a new machine, an existing one, a new clone, a LAN) through one-shot
// edits of the model library, and Team > Settings in the property frame over a loaded editable,
// saved after OK. The team's tab, the favourites and the members' own tabs follow only once the
// library reports success; a refused change leaves the team file as it was.
#include "zoltApp.h"

#include "atl/FileDialog.h"
#include "zoltAppDb.h"
#include "zoltComObjects.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltResources.h"
#include "zoltTeamEdit.h"

#include "cui/AppDataPaths.h"
#include "cui/PathText.h"
#include "cui/DlgMgr.h"
#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "cui/VMMgr.h"
#include "res/resource.h"
#include "res/teamedit.h"
#include "tremappcfg/TeamCfg.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commdlg.h>

#include <algorithm>
#include <functional>

namespace {

const DWORD kOpenVMFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
const wchar_t *const kTeamPages[] = {L"tremappcfg.PropTeamSummary.9", L"tremappcfg.PropTeamVMs.9",
                                     L"tremappcfg.PropTeamLANs.9", L"tremappcfg.PropTeamOptions.9"};

// Teams are looked up again by file at each step: a team can be closed while a command waits.
cui::Team *FindTeam(const std::string &file)
{
   cui::TeamMgr *teams = cui::GetTeamMgr();
   return teams && !file.empty() ? teams->GetTeamByCfgPath(file) : nullptr;
}

cui::VM *FindVM(const std::string &file)
{
   wui::VMMgr *vms = wui::GetVMMgr();
   return vms && !file.empty() ? vms->GetVMByCfgPath(file) : nullptr;
}

bool LockoutAllows(const IVmdbContextPtr &ctx, const char *policy)
{
   cui::Host *host = wui::GetCurrentHost();
   return TremAppUtil_CheckLockout(ctx, host ? host->GetPath().c_str() : "", policy);
}

// Lowers the modal state on every way out of a dialog.
class ModalHold {
public:
   explicit ModalHold(CZOLTApp &app) { app.BeginModal(restore_); }
   ~ModalHold() { Guard(restore_); }
   ModalHold(const ModalHold &) = delete;
   ModalHold &operator=(const ModalHold &) = delete;

private:
   sigc::slot<void> restore_;
};

// The machine file the user picks; empty after Cancel.
std::string AskMachineFile(CZOLTApp &app, UINT titleId)
{
   std::wstring filter = LoadDialogFilter(IDS_OPEN_VMX_FILTER);
   std::wstring title = WideFromUtf8(LoadResString(titleId));
   wchar_t file[MAX_PATH] = L"";
   OPENFILENAMEW ofn = {};
   // The size of the structure without the fields added after Windows 2000's dialog.
   ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
   ofn.hwndOwner = app.GetFrameWindow();
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.lpstrTitle = title.c_str();
   ofn.Flags = kOpenVMFlags;
   ModalHold modal(app);
   return atl::GetOpenFileName(&ofn) ? Utf8FromWide(file) : std::string();
}

// Runs a step the library calls back: a cui::Error it raises is reported, anything else is logged
// by Guard, and nothing reaches the library.
void RunReported(const std::function<void()> &step)
{
   Guard([&step]() {
      try {
         step();
      } catch (const cui::Error &e) {
         Warning("CZOLTApp: a team edit failed: %s\n", e.what());
         ReportTeamError(false, e);
      }
   });
}

std::vector<std::string> MemberFiles(cui::Team *team)
{
   std::vector<std::string> files;
   for (cui::VM *vm : team->GetSortedVMList()) {
      files.push_back(vm->GetFilename());
   }
   return files;
}

}  // namespace

std::vector<std::string> NewTeamMemberFiles(const std::vector<std::string> &before, const std::vector<std::string> &now)
{
   std::vector<std::string> added;
   for (const std::string &file : now) {
      bool known = std::any_of(before.begin(), before.end(),
                               [&file](const std::string &old) { return cuiutil::SameFilePath(old, file); });
      if (!known) {
         added.push_back(file);
      }
   }
   return added;
}

void CZOLTApp::AddNewVMToTeam(cui::Team *team)
{
   if (!team) {
      return;
   }
   const std::string teamFile = team->GetFilename();
   _bstr_t cfgFile;
   _bstr_t userName;
   _bstr_t password;
   // The new-machine command makes its own checks and dialogs.
   if (!NewVM(cfgFile, userName, password, true) || cfgFile.length() == 0) {
      return;
   }
   if (cui::Team *still = FindTeam(teamFile)) {
      AddVMPathToTeam(still, zoltdb::Text(cfgFile));
   }
}

void CZOLTApp::AddExistingVMToTeam(cui::Team *team)
{
   if (!team || !LockoutAllows(ctx_, "lockoutEditVM")) {
      return;
   }
   const std::string teamFile = team->GetFilename();
   const std::string file = AskMachineFile(*this, IDS_TEAM_ADD_EXISTING_TITLE);
   if (file.empty()) {
      return;
   }
   if (cui::Team *still = FindTeam(teamFile)) {
      AddVMPathToTeam(still, file);
   }
}

void CZOLTApp::AddCloneToTeam(cui::Team *team)
{
   if (!team || !LockoutAllows(ctx_, "lockoutCreateVM")) {
      return;
   }
   const std::string teamFile = team->GetFilename();
   const std::string source = wui::util::GetLongPathNameA(AskMachineFile(*this, IDS_TEAM_ADD_CLONE_TITLE), true);
   wui::VMMgr *vms = wui::GetVMMgr();
   if (source.empty() || !vms) {
      return;
   }
   // The source is opened for the clone wizard; the clone joins the team once it is made.
   sigc::slot<void> opened = [this, source, teamFile]() {
      RunReported([this, &source, &teamFile]() {
         cui::VM *vm = FindVM(source);
         if (!vm) {
            return;
         }
         _bstr_t clone = CloneVM(vm, vm->GetSnapshotTree(), 0, GetFrameWindow(), false, false, false);
         cui::Team *team = FindTeam(teamFile);
         if (clone.length() > 0 && team) {
            AddVMPathToTeam(team, zoltdb::Text(clone));
         }
      });
   };
   vms->OpenVM(source, wui::GetDlgMgr(), sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), source),
               opened);
}

void CZOLTApp::AddVMPathToTeam(cui::Team *team, const std::string &cfgPath)
{
   wui::VMMgr *vms = wui::GetVMMgr();
   if (!team || cfgPath.empty() || !vms) {
      return;
   }
   const std::string file = wui::util::GetLongPathNameA(cfgPath, true);
   const std::string teamFile = team->GetFilename();
   Log("CZOLTApp::AddVMPathToTeam %s to %s\n", file.c_str(), teamFile.c_str());
   sigc::slot<void> opened = [this, file, teamFile]() {
      RunReported([this, &file, &teamFile]() {
         cui::VM *vm = FindVM(file);
         cui::Team *team = FindTeam(teamFile);
         if (!vm || !team) {
            Warning("CZOLTApp::AddVMPathToTeam: %s or its team %s is no longer open\n", file.c_str(),
                    teamFile.c_str());
            return;
         }
         OnVMOpenedForTeam(vm, team);
      });
   };
   vms->OpenVM(file, wui::GetDlgMgr(), sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), file),
               opened);
}

void CZOLTApp::OnVMOpenedForTeam(cui::VM *vm, cui::Team *team)
{
   if (!vm || !team) {
      return;
   }
   const std::string vmFile = vm->GetFilename();
   const std::string teamFile = team->GetFilename();
   try {
      // The edit runs after the team has been read again: it names the machine by its file.
      cui::TeamEditableSimple::Edit(
         team, [vmFile](cui::TeamEditableSimple &editable) { editable.AddVMPath(vmFile); }, &ReportTeamError,
         [this, vmFile, teamFile]() {
            RunReported([this, &vmFile, &teamFile]() {
               cui::Team *team = FindTeam(teamFile);
               cui::VM *vm = FindVM(vmFile);
               if (team && vm) {
                  OnTeamMemberAdded(team, vm);
               }
            });
         });
   } catch (const cui::Error &e) {
      ReportError(_bstr_t(e.what()), IDS_TEAM_ADD_VM_FAILED, _bstr_t(vmFile.c_str()));
   }
}

void CZOLTApp::AddTeamLAN(cui::Team *team)
{
   if (!team || !LockoutAllows(ctx_, "lockoutEditVM")) {
      return;
   }
   ITeamAddLANDlgPtr dlg;
   if (!CreateComObject(__uuidof(TeamAddLANDlg), "TeamAddLANDlg", dlg)) {
      return;
   }
   const std::string teamFile = team->GetFilename();
   std::string name;
   long bandwidth = 0;
   long loss = 0;
   try {
      _com_util::CheckError(dlg->raw_PutName(_bstr_t(WideFromUtf8(team->GetUniqueNetName()).c_str())));
      _com_util::CheckError(dlg->raw_PutTeamPath(_bstr_t(WideFromUtf8(teamFile).c_str())));
      HRESULT shown;
      {
         ModalHold modal(*this);
         shown = dlg->raw_ShowModal(reinterpret_cast<INT_PTR>(GetFrameWindow()));
      }
      _com_util::CheckError(shown);
      if (shown != S_OK) {
         return;
      }
      BSTR typed = nullptr;
      _com_util::CheckError(dlg->raw_GetName(&typed));
      name = Utf8FromBstr(_bstr_t(typed, false).GetBSTR());
      _com_util::CheckError(dlg->raw_GetBandwidth(&bandwidth));
      _com_util::CheckError(dlg->raw_GetLoss(&loss));
   } catch (const _com_error &e) {
      ReportComError(e, -1, _bstr_t(""));
      return;
   }
   // The team may have been closed while the dialog was up.
   if (cui::Team *still = FindTeam(teamFile)) {
      AddNetToTeam(still, name, bandwidth, loss);
   }
}

void CZOLTApp::AddNetToTeam(cui::Team *team, const std::string &name, long bandwidth, long loss)
{
   if (!team) {
      return;
   }
   cui::TeamEditableSimple::Edit(
      team, [name, bandwidth, loss](cui::TeamEditableSimple &editable) { editable.AddNet(name, bandwidth, loss); },
      &ReportTeamError);
}

void CZOLTApp::EditTeam(cui::Team *team)
{
   if (!team || !team->GetCanEditSettings() || !LockoutAllows(ctx_, "lockoutEditVM")) {
      return;
   }
   auto edit = std::make_shared<TeamSettingsEdit>();
   edit->teamFile = team->GetFilename();
   edit->team = team;
   edit->membersBefore = MemberFiles(team);
   edit->editable = std::make_unique<cui::TeamEditable>(team);
   Log("CZOLTApp::EditTeam %s\n", edit->teamFile.c_str());
   edit->editable->Load(
      [this, edit](bool cancelled, cui::Error error) {
         RunReported([&]() { OnTeamSettingsFailed(edit, cancelled, error); });
      },
      [this, edit](cui::TeamEditable *loaded) { RunReported([&]() { EditTeamSettings(edit, loaded); }); });
}

void CZOLTApp::EditTeamSettings(std::shared_ptr<TeamSettingsEdit> edit, cui::TeamEditable *loaded)
{
   if (!loaded || !edit->editable) {
      AfterTeamEdit(edit);
      return;
   }
   ICuiObjPtr holder;
   ITremappPropFramePtr frame;
   if (!CreateComObject(__uuidof(TremappPropFrame), "TremappPropFrame", frame) ||
       !CreateComObject(__uuidof(CuiObj), "CuiObj", holder)) {
      AfterTeamEdit(edit);
      return;
   }
   bool confirmed = false;
   try {
      _com_util::CheckError(holder->raw_SetTeamEditable(loaded));
      frame->AddDataObject(ITremappPropObjPtr(holder));
      for (const wchar_t *page : kTeamPages) {
         frame->AddPage(page);
      }
      wchar_t title[100] = L"";
      ::LoadStringW(::GetModuleHandleW(nullptr), IDS_TEAM_SETTINGS_TITLE, title, 100);
      ModalHold modal(*this);
      confirmed = frame->ShowModal(GetFrameWindow(), title);
   } catch (const _com_error &e) {
      ReportComError(e, -1, _bstr_t(""));
      AfterTeamEdit(edit);
      return;
   }
   if (!confirmed) {
      Log("CZOLTApp::EditTeamSettings: Cancel\n");
      AfterTeamEdit(edit);
      return;
   }
   Log("CZOLTApp::EditTeamSettings: OK\n");
   // The editable can be saved only while its team is open; a closed team's object is gone.
   if (FindTeam(edit->teamFile) != edit->team) {
      OnTeamSettingsFailed(edit, false, cui::Error(LoadResString(IDS_TEAM_CLOSED_DURING_EDIT)));
      return;
   }
   if (!edit->editable) {
      OnTeamSettingsFailed(edit, false, cui::Error(LoadResString(IDS_TEAM_NOTHING_TO_SAVE)));
      return;
   }
   edit->editable->Save(
      [this, edit](bool cancelled, cui::Error error) {
         RunReported([&]() { OnTeamSettingsFailed(edit, cancelled, error); });
      },
      [this, edit]() { RunReported([&]() { OnTeamSettingsSaved(edit); }); });
}

void CZOLTApp::OnTeamSettingsSaved(std::shared_ptr<TeamSettingsEdit> edit)
{
   AfterTeamEdit(edit);
}

void CZOLTApp::OnTeamSettingsFailed(std::shared_ptr<TeamSettingsEdit> edit, bool cancelled, cui::Error error)
{
   AfterTeamEdit(edit);
   ReportTeamError(cancelled, error);
}

void CZOLTApp::AfterTeamEdit(std::shared_ptr<TeamSettingsEdit> edit)
{
   if (edit->finished) {
      return;
   }
   edit->finished = true;
   // The console may be gone with the frame's window; the members are brought into line anyway.
   Guard([this]() {
      if (frame_) {
         frame_->CallConsoleCtl();
      }
   });
   cui::Team *team = FindTeam(edit->teamFile);
   if (team && team == edit->team) {
      UpdateTeamMembers(team);
      OpenNewTeamMembers(team, edit->membersBefore);
   }
   // Answers of the editable's own commands check that it is alive; none runs it after this.
   edit->editable.reset();
   edit->membersBefore.clear();
}

void CZOLTApp::OpenNewTeamMembers(cui::Team *team, const std::vector<std::string> &before)
{
   if (!team) {
      return;
   }
   for (const std::string &file : NewTeamMemberFiles(before, MemberFiles(team))) {
      Log("CZOLTApp::OpenNewTeamMembers %s\n", file.c_str());
      // Opened as members: a machine of a team has no tab of its own.
      OpenVM(_bstr_t(file.c_str()), OpenFlags().OpenTab(false), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
             sigc::slot<void>());
   }
}
