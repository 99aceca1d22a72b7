#include "tremsim/SimClone.h"

#include <windows.h>

#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <random>

#include "SimHostConfig.h"
#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Snapshot.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"
#include "tremsim/SimSnapshots.h"

namespace cuisim {

namespace {

const char kStepPath[] = "vmx/cloneState/step";
const int kMaxAdapters = 10;

bool IsAbsolute(const std::string &path)
{
   return (path.size() > 2 && path[1] == ':' && (path[2] == '\\' || path[2] == '/')) ||
          (path.size() > 1 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/'));
}

bool FolderIsEmpty(const std::string &folder)
{
   WIN32_FIND_DATAW found;
   HANDLE find = FindFirstFileW(WidePathFromUtf8(cuiutil::WithSlash(folder) + "*").c_str(), &found);
   if (find == INVALID_HANDLE_VALUE) {
      return true;
   }
   bool empty = true;
   do {
      std::wstring name = found.cFileName;
      empty = name == L"." || name == L"..";
   } while (empty && FindNextFileW(find, &found));
   FindClose(find);
   return empty;
}

std::string SystemText(DWORD error)
{
   wchar_t *buffer = nullptr;
   DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
   std::string text = length ? Utf8FromWide(std::wstring(buffer, length)) : "error " + std::to_string(error);
   LocalFree(buffer);
   while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.')) {
      text.pop_back();
   }
   return text;
}

// A new identity: 16 random bytes as the configuration writes them ("56 4d 2a ... -b1 02 ...").
std::string NewUuid()
{
   static std::mt19937 random(static_cast<unsigned>(time(nullptr)) ^ GetTickCount() ^ GetCurrentProcessId());
   std::string text;
   char byte[4];
   for (int i = 0; i < 16; ++i) {
      snprintf(byte, sizeof(byte), "%02x", static_cast<unsigned>(random() & 0xff));
      text += (i == 0 ? "" : i == 8 ? "-" : " ") + std::string(byte);
   }
   return text;
}

std::string DiskPath(const std::string &cfgPath, const std::string &fileName)
{
   return IsAbsolute(fileName) ? fileName : SimVmxConfig::Folder(cfgPath) + fileName;
}

// One clone under way.
class CloneOp {
public:
   struct Request {
      std::string vmPath;
      int uid = 0;
      bool full = false;
      std::string name;
      std::string cfgPath;
   };
   typedef std::function<void(const std::string & /*error*/)> DoneFn;

   CloneOp(SimMachines &machines, Request request, DoneFn done)
      : machines_(machines), request_(std::move(request)), done_(std::move(done))
   {
   }
   ~CloneOp()
   {
      if (timer_) {
         Poll_RemoveTimer(timer_);
      }
   }

   void Start()
   {
      SetStep("prepare");
      Log("SimHost: %s: cloneVM to %s (%s, snapshot %d) started\n", request_.vmPath.c_str(), request_.cfgPath.c_str(),
          request_.full ? "full" : "linked", request_.uid);
      Schedule(1, [this]() { Prepared(); });
   }

   bool IsOver() const { return over_; }

   CloneOp(const CloneOp &) = delete;
   CloneOp &operator=(const CloneOp &) = delete;

private:
   void SetStep(const std::string &step)
   {
      if (SimMachine *machine = machines_.Find(request_.vmPath)) {
         machine->GetCtx().Set(request_.vmPath + kStepPath, step);
      }
   }

   void Schedule(unsigned steps, std::function<void()> next)
   {
      stepsLeft_ = steps;
      next_ = std::move(next);
      unsigned stepMs = SimHostConfig::StepMs();
      timer_ = Poll_AddTimer(stepMs ? stepMs : 1, true, [this]() { Step(); });
   }

   void Step()
   {
      if (stepsLeft_ > 1) {
         --stepsLeft_;
         return;
      }
      Poll_RemoveTimer(timer_);
      timer_ = 0;
      std::function<void()> next = std::move(next_);
      next_ = nullptr;
      next();
   }

   SimMachine *Source()
   {
      SimMachine *machine = machines_.Find(request_.vmPath);
      if (!machine) {
         Finish(cui::GetLocalString("@&!*@*@(msg.host.clone.closed)The virtual machine was closed before its clone "
                                    "was made."));
      }
      return machine;
   }

   void Prepared()
   {
      SimMachine *machine = Source();
      if (!machine) {
         return;
      }
      if (request_.full || request_.uid != 0) {
         Copy();
         return;
      }
      SetStep("snapshot");
      std::string description = cui::Format("@&!*@*@(msg.host.clone.snapshotDescription)Taken for the linked clone "
                                            "\"%s\".", request_.name.c_str());
      std::string name = cui::Format("@&!*@*@(msg.host.clone.snapshotName)Before cloning to %s", request_.name.c_str());
      std::string error = machine->GetSnapshots().StartTake(
         name, description, [this](int uid) { request_.uid = uid; },
         [this](const std::string &takeError) {
            if (!takeError.empty()) {
               Finish(takeError);
               return;
            }
            Copy();
         });
      if (!error.empty()) {
         Finish(error);
      }
   }

   void Copy()
   {
      SetStep("copy");
      Schedule(2, [this]() { Write(); });
   }

   void Write()
   {
      SimMachine *machine = Source();
      if (!machine) {
         return;
      }
      std::vector<std::string> madeFolders;
      std::vector<std::string> madeFiles;
      std::string error = WriteClone(machine->GetConfig(), madeFolders, madeFiles);
      if (!error.empty()) {
         // Nothing half made stays behind.
         for (auto file = madeFiles.rbegin(); file != madeFiles.rend(); ++file) {
            File_Delete(*file);
         }
         for (auto folder = madeFolders.rbegin(); folder != madeFolders.rend(); ++folder) {
            File_RemoveFolder(*folder);
         }
      }
      Finish(error);
   }

   std::string WriteClone(const SimVmxConfig &source, std::vector<std::string> &madeFolders,
                          std::vector<std::string> &madeFiles)
   {
      // Checked again: the folder may have changed since the command came.
      std::string refusal = CheckCloneDestination(request_.cfgPath);
      if (refusal.empty()) {
         refusal = CheckWritableFolder(SimVmxConfig::Folder(request_.cfgPath), &madeFolders);
      }
      if (!refusal.empty()) {
         return refusal;
      }
      SimVmxConfig clone = MakeCloneConfig(source, request_.cfgPath, request_.name, request_.full, request_.uid);
      std::string folder = SimVmxConfig::Folder(request_.cfgPath);
      std::string base = SimVmxConfig::BaseName(request_.cfgPath);
      int disks = 0;
      for (const SimVmxConfig::Device &device : source.GetDevices()) {
         if (device.type != "disk" || device.fileName.empty()) {
            continue;
         }
         std::string from = DiskPath(source.GetPath(), device.fileName);
         std::string file = base + (disks ? "-" + std::to_string(disks) : std::string()) + ".vmdk";
         ++disks;
         std::string to = folder + file;
         if (!File_Exists(from) || File_IsFolder(from)) {
            return cui::Format("@&!*@*@(msg.host.clone.diskMissing)The virtual disk \"%s\" of \"%s\" cannot be found, "
                               "so the virtual machine cannot be cloned.", from.c_str(),
                               source.GetDisplayName().c_str());
         }
         std::string error;
         bool written = false;
         if (request_.full) {
            written = CopyFileW(WidePathFromUtf8(from).c_str(), WidePathFromUtf8(to).c_str(), TRUE) != FALSE;
            if (!written) {
               error = SystemText(GetLastError());
            }
         } else {
            // Written by the key-value writer, which escapes the path's backslashes.
            written = KeyValueFile::Write(to, {{"parentFileName", cuiutil::FullFilePath(from)}}, error);
         }
         if (!written) {
            return cui::Format("@&!*@*@(msg.host.clone.diskCopy)The virtual disk \"%s\" could not be written: %s",
                               to.c_str(), error.c_str());
         }
         madeFiles.push_back(to);
         clone.Set(device.key + ".fileName", file);
      }
      std::string error;
      if (!clone.Save(error)) {
         return error;
      }
      madeFiles.push_back(request_.cfgPath);
      return std::string();
   }

   void Finish(const std::string &error)
   {
      if (over_) {
         return;
      }
      over_ = true;
      if (SimMachine *machine = machines_.Find(request_.vmPath)) {
         machine->GetCtx().Remove(request_.vmPath + "vmx/cloneState", true);
      }
      Log("SimHost: %s: cloneVM %s\n", request_.vmPath.c_str(), error.empty() ? "done" : error.c_str());
      DoneFn done = std::move(done_);
      done_ = nullptr;
      if (done) {
         done(error);
      }
   }

   SimMachines &machines_;
   Request request_;
   DoneFn done_;
   unsigned stepsLeft_ = 0;
   PollTimerId timer_ = 0;
   std::function<void()> next_;
   bool over_ = false;
};

// The clones under way, by source machine; one at a time for each.
typedef std::map<std::string, std::unique_ptr<CloneOp>> CloneOps;

std::string Refusal(SimMachine &machine, int uid, bool full)
{
   std::string name = machine.GetConfig().GetDisplayName();
   if (!machine.GetPending().empty() || machine.GetSnapshots().IsBusy()) {
      return cui::Format("@&!*@*@(msg.host.clone.busy)The virtual machine \"%s\" is busy with another operation. "
                         "Try again when it has finished.", name.c_str());
   }
   if (uid > 0) {
      const auto &snapshots = machine.GetSnapshots().GetFile().snapshots;
      auto snapshot = snapshots.find(uid);
      if (snapshot == snapshots.end()) {
         return cui::Format("@&!*@*@(msg.host.snapshot.unknown)The virtual machine \"%s\" has no snapshot %d.",
                            name.c_str(), uid);
      }
      if (snapshot->second.powerState != cui::Snapshot::POWERED_OFF) {
         return cui::Format("@&!*@*@(msg.host.clone.snapshotRunning)The snapshot \"%s\" of \"%s\" was taken while "
                            "the virtual machine ran; only snapshots of a powered-off machine can be cloned.",
                            snapshot->second.displayName.c_str(), name.c_str());
      }
      return std::string();
   }
   if (machine.GetConfig().GetBool("templateVM", false)) {
      return cui::Format("@&!*@*@(msg.host.clone.template)The current state of the template \"%s\" cannot be cloned. "
                         "Clone one of its snapshots.", name.c_str());
   }
   if (machine.GetExecState() != SimMachine::kPoweredOff) {
      return cui::Format("@&!*@*@(msg.host.clone.running)The current state of \"%s\" cannot be cloned while the "
                         "virtual machine is powered on or suspended. Power it off, or clone one of its snapshots.",
                         name.c_str());
   }
   if (!full && !machine.GetConfig().GetBool("snapshot.multiple", true)) {
      return cui::Format("@&!*@*@(msg.host.clone.singleSnapshot)A linked clone of \"%s\" needs a new snapshot, and "
                         "the virtual machine keeps only one.", name.c_str());
   }
   return std::string();
}

void StartClone(SimCommand &cmd, SimMachines &machines, CloneOps &ops)
{
   SimMachine *machine = machines.Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   // Ended operations are dropped here, never inside their own callbacks.
   for (auto it = ops.begin(); it != ops.end();) {
      it = it->second->IsOver() ? ops.erase(it) : std::next(it);
   }
   CloneOp::Request request;
   request.vmPath = machine->GetVmPath();
   request.uid = static_cast<int>(std::strtol(cmd.In("uid").c_str(), nullptr, 10));
   request.full = cmd.In("full") == "1";
   request.name = cmd.In("name");
   request.cfgPath = cmd.In("cfgPath");
   if (ops.count(request.vmPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.clone.busy)The virtual machine \"%s\" is busy with another "
                                   "operation. Try again when it has finished.",
                                   machine->GetConfig().GetDisplayName().c_str()));
   }
   if (request.name.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.clone.noName)The clone needs a name."));
   }
   std::string refusal = Refusal(*machine, request.uid, request.full);
   if (refusal.empty()) {
      refusal = CheckCloneDestination(request.cfgPath);
   }
   if (!refusal.empty()) {
      throw cui::Error(refusal);
   }
   vmdb::Ctx ctx = cmd.Ctx();
   std::string element = cmd.Element();
   std::string cfgPath = request.cfgPath;
   auto op = std::make_unique<CloneOp>(machines, request, [ctx, element, cfgPath](const std::string &error) mutable {
      if (error.empty() && ctx.Exists(element + "op")) {
         ctx.Set(element + "op/cloneVM/out/cfgPath", cfgPath);
      }
      SimCmdOwner::Answer(ctx, element, error);
   });
   CloneOp &started = *op;
   ops[request.vmPath] = std::move(op);
   started.Start();
   cmd.Defer();
}

void CheckWritablePath(SimCommand &cmd)
{
   std::string folder = cuiutil::FullFilePath(cmd.In("path"));
   std::vector<std::string> made;
   std::string reason = folder.empty() ? cui::GetLocalString("@&!*@*@(msg.host.path.empty)No folder was given.")
                                       : CheckWritableFolder(folder, &made);
   for (auto it = made.rbegin(); it != made.rend(); ++it) {
      File_RemoveFolder(*it);
   }
   cmd.SetOut("writable", reason.empty() ? "1" : "0");
   cmd.SetOut("path", folder);
   cmd.SetOut("reason", reason);
}

}  // namespace

std::string CheckWritableFolder(const std::string &folder, std::vector<std::string> *made)
{
   std::string path = folder;
   // "C:\" stays as it is; any other folder loses its trailing separator.
   while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) {
      path.pop_back();
   }
   if (File_Exists(path) && !File_IsFolder(path)) {
      return cui::Format("@&!*@*@(msg.host.path.isFile)\"%s\" is a file, not a folder.", path.c_str());
   }
   if (!File_MakeFolders(path, made)) {
      return cui::Format("@&!*@*@(msg.host.path.cannotMake)The folder \"%s\" cannot be made: %s", path.c_str(),
                         SystemText(GetLastError()).c_str());
   }
   std::string probe = path + "\\~write-check.tmp";
   HANDLE file = CreateFileW(WidePathFromUtf8(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
   if (file == INVALID_HANDLE_VALUE) {
      return cui::Format("@&!*@*@(msg.host.path.cannotWrite)Files cannot be made in the folder \"%s\": %s",
                         path.c_str(), SystemText(GetLastError()).c_str());
   }
   CloseHandle(file);
   return std::string();
}

std::string CheckCloneDestination(const std::string &cfgPath)
{
   if (cfgPath.empty() || !IsAbsolute(cfgPath)) {
      return cui::Format("@&!*@*@(msg.host.clone.badPath)\"%s\" is not a full path for the clone's configuration "
                         "file.", cfgPath.c_str());
   }
   if (File_Exists(cfgPath)) {
      return cui::Format("@&!*@*@(msg.host.clone.exists)The file \"%s\" already exists. Choose another name or "
                         "folder for the clone.", cfgPath.c_str());
   }
   std::string folder = SimVmxConfig::Folder(cfgPath);
   if (File_IsFolder(folder) && !FolderIsEmpty(folder)) {
      return cui::Format("@&!*@*@(msg.host.clone.folderNotEmpty)The folder \"%s\" is not empty. A clone needs a "
                         "folder of its own: choose a new or an empty one.", folder.c_str());
   }
   return std::string();
}

SimVmxConfig MakeCloneConfig(const SimVmxConfig &source, const std::string &cfgPath, const std::string &name,
                             bool full, int snapshotUid)
{
   SimVmxConfig clone = source;
   clone.SetPath(cfgPath);
   clone.Set("displayName", name);
   clone.Set("uuid.bios", NewUuid());
   clone.Set("uuid.location", NewUuid());
   // Network adapters are written "ethernet<n>" or "net<n>".
   for (const char *prefix : {"ethernet", "net"}) {
      for (int n = 0; n < kMaxAdapters; ++n) {
         std::string key = prefix + std::to_string(n) + ".generatedAddress";
         if (!source.Get(key).empty()) {
            clone.Set(key, "");
         }
      }
   }
   // A clone is not a template, and a full clone stands on its own.
   if (!source.Get("templateVM").empty()) {
      clone.SetBool("templateVM", false);
   }
   if (full) {
      if (!source.Get("cloneOf0").empty()) {
         clone.Set("cloneOf0", "");
         clone.Set("cloneOf0.snapshotUID", "");
      }
   } else {
      clone.Set("cloneOf0", cuiutil::FullFilePath(source.GetPath()));
      clone.Set("cloneOf0.snapshotUID", std::to_string(snapshotUid));
   }
   return clone;
}

void RegisterCloneOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds, SimMachines &machines)
{
   // Owned by the handlers, so they go with the host's queues.
   auto ops = std::make_shared<CloneOps>();
   vmCmds.Register("cloneVM", [&machines, ops](SimCommand &cmd) { StartClone(cmd, machines, *ops); });
   hostCmds.Register("checkWritablePath", [](SimCommand &cmd) { CheckWritablePath(cmd); });
}

}  // namespace cuisim
