#include "cui/Host.h"

#include "ModelCmd.h"
#include "cui/Confirm.h"
#include "cui/HostBackend.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

#include <windows.h>

namespace cui {

namespace {

const char kRegisteredVMs[] = "vms/registeredvms";
// A registration is a short host operation; a host silent for this long is taken as gone.
const long kRegistrationAnswerMs = 120000;

}  // namespace

Host::Host(Cnx *cnx, const vmdb::Ctx &ctx, const std::string &hostPath) : cnx_(cnx), ctx_(ctx)
{
   SetPath(hostPath);
}

Host::~Host()
{
   watch_.disconnect();
   registeredWatch_.disconnect();
   if (GetClientHost() == this) {
      SetClientHost(nullptr);
   }
   if (wui::GetCurrentHost() == this) {
      wui::SetCurrentHost(nullptr);
   }
}

void Host::SetPath(const std::string &hostPath)
{
   watch_.disconnect();
   registeredWatch_.disconnect();
   path_ = cuiutil::WithSlash(hostPath);
   if (!path_.empty()) {
      watch_ = ctx_.Watch(cuiutil::WithoutSlash(path_), vmdb::Ctx::kWatchSubtree,
                          [this](const std::string &) { changed.emit(); });
      registeredWatch_ = ctx_.Watch(path_ + kRegisteredVMs, vmdb::Ctx::kWatchSubtree,
                                    [this](const std::string &) { registeredVMsChanged.emit(); });
   }
}

std::string Host::GetProductName() const
{
   return path_.empty() ? std::string() : ctx_.Get(path_ + "setup/product/name");
}

std::string Host::GetProductVersion() const
{
   return path_.empty() ? std::string() : ctx_.Get(path_ + "setup/product/versionDotted");
}

std::string Host::GetName() const
{
   std::string name = path_.empty() ? std::string() : ctx_.Get(path_ + "info/hostname");
   if (name.empty() && !cnx_) {
      wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"";
      DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
      if (GetComputerNameW(computer, &size)) {
         name = Utf8FromWide(computer);
      }
   }
   return name;
}

int Host::GetMemory() const
{
   long memory = path_.empty() ? 0 : ctx_.GetInt(path_ + "info/memoryMB", 0);
   if (memory <= 0 && !cnx_) {
      MEMORYSTATUSEX status = {};
      status.dwLength = sizeof status;
      if (GlobalMemoryStatusEx(&status)) {
         memory = static_cast<long>(status.ullTotalPhys / (1024 * 1024));
      }
   }
   return memory > 0 ? static_cast<int>(memory) : 0;
}

std::string Host::GetOSVersion() const
{
   std::string version = path_.empty() ? std::string() : ctx_.Get(path_ + "info/osVersion");
   if (version.empty() && !cnx_) {
      // GetVersionEx answers as the program's manifest allows; the numbers are what Windows says
      // of itself to this program.
      OSVERSIONINFOEXW info = {};
      info.dwOSVersionInfoSize = sizeof info;
      if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW *>(&info))) {
         version = "Windows " + std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) +
                   " build " + std::to_string(info.dwBuildNumber);
         std::string pack = Utf8FromWide(info.szCSDVersion);
         if (!pack.empty()) {
            version += " " + pack;
         }
      }
   }
   return version;
}

bool Host::CapNewVM() const
{
   return GetCap("newVM");
}

bool Host::CapEditSettings() const
{
   return GetCap("editSettings");
}

bool Host::CapUnregisterVM() const
{
   return GetCap("unregisterVM");
}

bool Host::CapRegisterVM() const
{
   return GetCap("registerVM");
}

bool Host::CapEditVmStartStop() const
{
   return GetCap("editVmStartStop");
}

int Host::GetOSType() const
{
   if (path_.empty()) {
      return 0;
   }
   std::string type = ctx_.Get(path_ + "setup/osType");
   if (type.empty() || type == "1" || type == "windows") {
      return 1;
   }
   return type == "2" || type == "linux" ? 2 : 0;
}

std::string Host::GetRoot() const
{
   std::string root = path_.empty() ? std::string() : ctx_.Get(path_ + "info/root");
   if (!root.empty()) {
      return root;
   }
   if (GetOSType() == 2) {
      return "/";
   }
   wchar_t windows[MAX_PATH] = L"";
   UINT length = cnx_ ? 0 : GetSystemWindowsDirectoryW(windows, MAX_PATH);
   if (length >= 2 && length < MAX_PATH && windows[1] == L':') {
      return Utf8FromWide(std::wstring(windows, 2)) + "\\";
   }
   return "C:\\";
}

bool Host::GetCap(const char *name) const
{
   if (path_.empty()) {
      return true;
   }
   std::string value = ctx_.Get(path_ + "cap/" + name);
   return value != "0" && value != "false";
}

std::vector<std::string> Host::GetRegisteredVMs() const
{
   std::vector<std::string> files;
   if (path_.empty()) {
      return files;
   }
   // A host node made by a write the host backend has not heard of yet (a connection made
   // just now) gets its list before the first look.
   if (HostBackend *backend = GetHostBackend()) {
      backend->LoadRegisteredVMs(ctx_, path_);
   }
   for (const std::string &element : ctx_.Elements(path_ + kRegisteredVMs + "/#")) {
      std::string file = ctx_.Get(element + "cfgPath");
      if (!file.empty()) {
         files.push_back(file);
      }
   }
   return files;
}

std::string Host::GetRegisteredVMPath(const std::string &cfgPath) const
{
   if (cfgPath.empty()) {
      return std::string();
   }
   const std::string wanted = cuiutil::FullFilePath(cfgPath);
   for (const std::string &file : GetRegisteredVMs()) {
      if (cuiutil::SameFilePath(cuiutil::FullFilePath(file), wanted)) {
         return file;
      }
   }
   return std::string();
}

void Host::RegisterVM(const std::string &cfgPath, const AbortSlot &abort, const DoneSlot &done)
{
   RunRegistrationCommand("registerVM", cfgPath, abort, done);
}

void Host::UnregisterVM(const std::string &cfgPath, const AbortSlot &abort, const DoneSlot &done)
{
   RunRegistrationCommand("unregisterVM", cfgPath, abort, done);
}

void Host::RunRegistrationCommand(const char *op, const std::string &cfgPath, const AbortSlot &abort,
                                  const DoneSlot &done)
{
   std::string error;
   if (path_.empty()) {
      error = GetLocalString("@&!*@*@(msg.host.registration.noHost)There is no host to ask about its virtual "
                             "machines.");
   } else {
      try {
         vmdb::Ctx ctx = ctx_.NewCtx();
         std::string element;
         {
            vmdb::Batch batch(ctx);
            element = ctx.Append(path_ + "util/vm/cmd/##/");
            ctx.Set(element + "op/" + op + "/in/cfgPath", cfgPath);
            ctx.Set(element + "op", op);
         }
         // The wait runs poll steps: the host answers meanwhile.
         if (!ctx.WaitUntilChanged(element + "status", "", false, kRegistrationAnswerMs)) {
            error = GetLocalString("@&!*@*@(msg.host.registration.noAnswer)The host did not answer. Try again "
                                   "later.");
         } else if (ctx.Get(element + "status") != "ok") {
            error = ctx.Get(element + "status/error/errMsg");
            if (error.empty()) {
               error = GetLocalString("@&!*@*@(msg.rpc.cmd.failed)The operation failed.");
            }
         }
         ctx.Remove(element, true);
      } catch (const Error &e) {
         error = e.what();
      }
   }
   if (!error.empty()) {
      Log("Host: %s %s on %s failed: %s\n", op, cfgPath.c_str(), path_.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
      return;
   }
   Log("Host: %s %s on %s\n", op, cfgPath.c_str(), path_.c_str());
   CallSlot(done);
}

}  // namespace cui

namespace cui {

void Host::DeleteTeam(const std::string &cfgPath, DlgMgr *dlgMgr, const DoneSlot &done, const AbortSlot &abort)
{
   if (path_.empty() || cfgPath.empty()) {
      AbortSlot slot = abort;
      Error error(GetLocalString("@&!*@*@(msg.host.deleteTeam.nothing)There is no team to delete."));
      Poll_Post([slot, error]() { CallSlot(slot, false, error); });
      return;
   }
   const std::string queue = path_ + "util/vm/cmd/##/";
   vmdb::Ctx ctx = ctx_;
   auto send = [ctx, queue, cfgPath, done, abort]() {
      cuiutil::ModelCmd::AnswerSlot answer = [cfgPath, done, abort](std::string error, cuiutil::ModelCmd::Outputs) {
         if (!error.empty()) {
            Log("Host: deleteTeam %s failed: %s\n", cfgPath.c_str(), error.c_str());
            CallSlot(abort, false, Error(error));
            return;
         }
         Log("Host: deleted the team %s\n", cfgPath.c_str());
         // The host has dropped the node: the team leaves the manager now, not at its watch.
         if (TeamMgr *teams = GetTeamMgr()) {
            if (Team *team = teams->GetTeamByCfgPath(cfgPath)) {
               teams->CloseTeam(team);
            }
         }
         CallSlot(done);
      };
      try {
         cuiutil::ModelCmd::Send(ctx, queue, "deleteTeam", {{"cfgPath", cfgPath}}, {}, answer);
      } catch (const Error &e) {
         CallSlot(abort, false, e);
      }
   };
   std::string text = Format("@&!*@*@(msg.host.deleteTeam.question)Are you sure you want to delete the team \"%s\" "
                             "from the disk? Its virtual machines are kept.",
                             cfgPath.c_str());
   // Confirm deletes itself once answered; No is the default, and No ends it silently.
   auto *confirm = new Confirm(std::string(), dlgMgr, text, Confirm::YES_NO, 1);
   confirm->SetAnswerSlot(sigc::slot<void>(send));
   confirm->Invoke();
}

}  // namespace cui
