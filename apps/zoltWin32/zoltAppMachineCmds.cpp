// Machine commands beside power and open/close: the hardware upgrade, the fork and its opens,
// and the small helpers the open and managed-template code share.
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltMachineCmds.h"
#include "zoltResources.h"

#include "res/resource.h"

#include "cui/ConvertHardware.h"
#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/SnapshotTree.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

std::wstring HelperCommandLine(const std::wstring &executable, const std::wstring &cfgPath)
{
   return L"\"" + executable + L"\" \"" + cfgPath + L"\"";
}

std::wstring HelperExecutable(const std::wstring &modulePath, const std::wstring &name, const std::wstring &extension)
{
   size_t slash = modulePath.find_last_of(L"\\/");
   std::wstring folder = slash == std::wstring::npos ? std::wstring() : modulePath.substr(0, slash + 1);
   return folder + name + L"." + extension;
}

int ForkCloneCount(long configured)
{
   return configured < 1 ? 1 : configured > 64 ? 64 : static_cast<int>(configured);
}

void CZOLTApp::ConvertHardware(cui::VM *vm)
{
   std::unique_ptr<wui::wizard::ConvertHardware> wizard = wui::wizard::ConvertHardware::CreateInstance(vm);
   if (!wizard) {
      return;
   }
   auto converted = [this](std::string cfgPath) {
      _bstr_t path(cfgPath.c_str());
      OpenVM(path, OpenFlags().Second().MakeCurrent(), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
             sigc::bind(sigc::mem_fun(*this, &CZOLTApp::AddOpenedVMToFavorites), path));
   };
   wizard->DoModal(nullptr, 0, true, 0, converted);
}

void CZOLTApp::ForkVM(cui::VM *vm)
{
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   if (!tree) {
      return;
   }
   tree->Fork(ForkCloneCount(Config_GetLong("vmfork.numClones", 1)), sigc::mem_fun(*this, &CZOLTApp::OpenForks),
              sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
}

void CZOLTApp::OpenForks(std::vector<std::string> cfgPaths)
{
   for (const std::string &cfgPath : cfgPaths) {
      _bstr_t path(cfgPath.c_str());
      OpenVM(path, OpenFlags().MakeCurrent(), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
             sigc::bind(sigc::mem_fun(*this, &CZOLTApp::PowerOnOpenedVM), path));
   }
}

void CZOLTApp::AddOpenedVMToFavorites(_bstr_t cfgPath)
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   if (cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(zoltdb::Text(cfgPath)) : nullptr) {
      AddVMToFavorites(vm);
   }
}

void CZOLTApp::CloseByPath(const std::string &cfgPath, cui::AbortSlot completion)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   if (cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(cfgPath) : nullptr) {
      vmMgr->CloseVM(vm, completion, cui::DoneSlot());
      return;
   }
   wui::TeamMgr *teamMgr = wui::GetTeamMgr();
   if (cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(cfgPath) : nullptr) {
      CloseTeamTab(team, false);
   }
}

bool CZOLTApp::LaunchNuvix(const std::string &cfgPath)
{
   wchar_t module[MAX_PATH] = L"";
   DWORD length = GetModuleFileNameW(nullptr, module, MAX_PATH);
   if (length == 0 || length >= MAX_PATH) {
      Warning("CZOLTApp::LaunchNuvix: the program's own file is not known (error %lu)\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   std::wstring executable = HelperExecutable(module, L"nuvix", L"exe");
   std::wstring commandLine = HelperCommandLine(executable, WidePathFromUtf8(cfgPath));
   STARTUPINFOW startup = {};
   startup.cb = sizeof startup;
   PROCESS_INFORMATION process = {};
   // The executable is named twice: the system takes it from the first argument, never by
   // splitting a path with spaces.
   if (!CreateProcessW(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process)) {
      Warning("CZOLTApp::LaunchNuvix: %s cannot be started (error %lu)\n", Utf8FromWide(executable).c_str(),
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   CloseHandle(process.hThread);
   CloseHandle(process.hProcess);
   return true;
}

void CZOLTApp::ShowPublishNotice()
{
   ::MessageBoxW(GetFrameWindow(), WideFromUtf8(LoadResString(IDS_PUBLISH_NOTICE)).c_str(),
                 WideFromUtf8(LoadResString(IDS_PUBLISH_CAPTION)).c_str(), MB_OK | MB_ICONINFORMATION);
}

void CZOLTApp::ShowZephroServerDialog(cui::MVMTemplate *mvmt)
{
   if (!mvmt) {
      return;
   }
   ClearTransientObjIfSame(mvmt->GetFilename());
   Log("wui::dialog::ZephroServer_CreateInstance: not available in this build\n");
}
