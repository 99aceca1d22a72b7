#include "cui/VM.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "ModelCmd.h"
#include "cui/GuestOS.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

VM::PowerState PowerStateOf(const std::string &execState)
{
   if (execState == "poweredOn") {
      return VM::POWERED_ON;
   }
   return execState == "suspended" ? VM::SUSPENDED : VM::POWERED_OFF;
}

// Posts `abort` with `text`: the slot conventions never call back inside the call.
void PostAbort(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

template <class T>
bool Update(T &member, const T &value)
{
   if (member == value) {
      return false;
   }
   member = value;
   return true;
}

}  // namespace

VM::VM(const vmdb::Ctx &ctx, const std::string &vmPath, Host *host)
   : ctx_(ctx.NewCtx()), vmPath_(cuiutil::WithSlash(vmPath)), host_(host)
{
   sharedFolderMgr_.reset(new SharedFolderMgr(*this, ctx_));
   movie_.reset(new Movie(*this, ctx_));
   snapshotTree_.reset(new SnapshotTree(*this, ctx_, vmPath_));
   sessionRecordMgr_.reset(new SessionRecordMgr(*this, *snapshotTree_));
   msgSource_.reset(new MsgSource());
   Refresh();
   watch_ = ctx_.Watch(cuiutil::WithoutSlash(vmPath_), vmdb::Ctx::kWatchSubtree,
                       [this](const std::string &changedPath) { OnWatch(changedPath); });
}

VM::~VM()
{
   watch_.disconnect();
}

std::string VM::GetGuestOSName() const
{
   const GuestOSInfo *os = FindGuestOS(guestOS_);
   return (os ? *os : OtherGuestOS()).displayName;
}

void VM::OnWatch(const std::string &changedPath)
{
   // A write batch arrives as one change per node, all in one delivery that finds the tree
   // already written: the first change reads it all, the rest of that delivery has nothing new.
   // The snapshot list, the long part of a machine, is read again only when a change of the
   // delivery is under it; the first such change reads the machine again with it.
   unsigned long long delivery = ctx_.DeliverySerial();
   const std::string chkpt = vmPath_ + "vmx/chkptState";
   bool snapshotChange = changedPath.compare(0, chkpt.size(), chkpt) == 0 && snapshotDelivery_ != delivery;
   if (snapshotChange) {
      snapshotDelivery_ = delivery;
      snapshotsChanged_ = true;
   }
   if (registered_ && (delivery != refreshedDelivery_ || snapshotChange)) {
      refreshedDelivery_ = delivery;
      Refresh();
   }
}

void VM::SetUnregistered()
{
   registered_ = false;
   watch_.disconnect();
   snapshotTree_->SetClosed();
   msgSource_->SetClosed();
}

SnapshotTree *VM::GetSnapshotTree() const
{
   return registered_ ? snapshotTree_.get() : nullptr;
}

void VM::RefreshSnapshotState(const AbortSlot &abort, const DoneSlot &done)
{
   if (SnapshotTree *tree = GetSnapshotTree()) {
      tree->RefreshFromHost(abort, done);
   } else {
      CallSlot(abort, false, Error(Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.",
                                          name_.c_str())));
   }
}

SessionRecordMgr *VM::GetSessionRecordMgr() const
{
   return registered_ ? sessionRecordMgr_.get() : nullptr;
}

void VM::Refresh(bool withSnapshots)
{
   if (!ctx_.Exists(cuiutil::WithoutSlash(vmPath_) + "/cfgFile")) {
      if (registered_) {
         vanished.emit();   // the manager takes it out and raises `removed`
      }
      return;
   }
   const std::string cfg = vmPath_ + "vmx/cfgState/val/";
   const std::string exec = vmPath_ + "vmx/execState/";

   bool nameDiffers = Update(name_, ctx_.Get(cfg + "displayName"));
   bool notesDiffer = Update(notes_, ctx_.Get(cfg + "annotation"));
   bool configDiffers = Update(generationNo_, ctx_.GetInt(cfg + "generationNo", -1));
   configDiffers = Update(filename_, ctx_.Get(vmPath_ + "cfgFile")) || configDiffers;
   guestOS_ = ctx_.Get(cfg + "guestOS");
   memoryMB_ = ctx_.GetInt(cfg + "memoryMB", 0);
   cpuCount_ = ctx_.GetInt(cfg + "cpuCount", 1);
   configVersion_ = static_cast<int>(ctx_.GetInt(cfg + "configVersion", 0));
   hardwareVersion_ = static_cast<int>(ctx_.GetInt(cfg + "hardwareVersion", 0));
   readOnly_ = ctx_.GetBool(cfg + "readOnly", false);
   independentDisk_ = false;
   for (const std::string &element : ctx_.Elements(cfg + "dev/#")) {
      independentDisk_ = independentDisk_ ||
                         (ctx_.Get(element + "type") == "disk" && ctx_.Get(element + "mode").rfind("independent", 0) == 0);
   }
   guiRestricted_ = ctx_.GetBool(cfg + "gui/restricted", false);
   powerOnAtStartup_ = ctx_.GetBool(cfg + "gui/powerOnAtStartup", false);
   fullScreenAtPowerOn_ = ctx_.GetBool(cfg + "gui/fullScreenAtPowerOn", false);
   exitAtPowerOff_ = ctx_.GetBool(cfg + "gui/exitAtPowerOff", false);
   teamFile_ = ctx_.Get(cfg + "teamFile");
   std::vector<std::string> ancestors;
   for (const std::string &element : ctx_.Elements(cfg + "clone/ancestor/#")) {
      ancestors.push_back(ctx_.Get(element + "name"));
   }
   configDiffers = Update(ancestors_, ancestors) || configDiffers;
   if (snapshotsChanged_ || withSnapshots) {
      snapshotsChanged_ = false;
      snapshotTree_->Refresh();
   }
   const Snapshot *current = snapshotTree_->GetCurrent();
   configDiffers = Update(currentSnapshot_, current ? current->GetDisplayName() : std::string()) || configDiffers;
   configDiffers = Update(snapshotFileError_, snapshotTree_->GetFileError()) || configDiffers;
   remoteDisplay_ = ctx_.GetBool(cfg + "remoteDisplay/enabled", false);
   remoteDisplayPort_ = ctx_.GetInt(cfg + "remoteDisplay/port", 5900);
   remoteDisplayUsers_.clear();
   for (const std::string &element : ctx_.Elements(exec + "remoteDisplay/user/#")) {
      remoteDisplayUsers_.push_back(ctx_.Get(element + "name"));
   }
   std::vector<Connection> connections;
   for (const std::string &element : ctx_.Elements(exec + "cnx/#")) {
      Connection connection;
      connection.user = ctx_.Get(element + "user");
      connection.from = ctx_.Get(element + "from");
      connection.since = static_cast<time_t>(std::strtoll(ctx_.Get(element + "since").c_str(), nullptr, 10));
      connections.push_back(connection);
   }
   bool connectionsDiffer = Update(connections_, connections);

   bool powerDiffers = Update(powerState_, PowerStateOf(ctx_.Get(exec + "val")));
   bool actionDiffers = Update(pending_, ctx_.Get(exec + "pending"));
   poweredOnAt_ = static_cast<time_t>(std::strtoll(ctx_.Get(exec + "poweredOnAt").c_str(), nullptr, 10));
   screenshot_ = ctx_.Get(exec + "screenshot");

   if (configDiffers) {
      configChanged.emit();
   }
   if (nameDiffers) {
      nameChanged.emit();
   }
   if (notesDiffer) {
      notesChanged.emit();
   }
   if (powerDiffers) {
      powerStateChanged.emit();
   }
   if (actionDiffers) {
      actionStateChanged.emit();
   }
   if (connectionsDiffer) {
      connectionsChanged.emit();
   }
   sharedFolderMgr_->Follow(ctx_.GetBool(exec + "sharedFolders/disabled", false), followed_);
   followed_ = true;
   if (movie_->Follow(ctx_.GetBool(vmPath_ + "mks/movieCapture", false), ctx_.Get(vmPath_ + "mks/movie/fileName"),
                      ctx_.Get(vmPath_ + "mks/movie/error"))) {
      movieStateChanged.emit();
   }
   msgSource_->Follow(ctx_, exec + "msgLog/#", name_);
   changed.emit();
}

VM::ActionState VM::GetPowerOnActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "powerOn") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ != POWERED_ON ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

VM::ActionState VM::GetPowerOffActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "powerOff") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ != POWERED_OFF ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

VM::ActionState VM::GetPowerSuspendActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "suspend") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ == POWERED_ON ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

bool VM::GetBusy(int mask) const
{
   return ((mask & BUSY_POWER) && !PendingPowerOp().empty()) || ((mask & BUSY_SNAPSHOT) && snapshotTree_->IsBusy());
}

void VM::SetPowerState(PowerState state, PowerOption option, const AbortSlot &abort, const DoneSlot &done)
{
   const char *op = nullptr;
   switch (state) {
   case POWERED_ON:
   case POWER_ON_FORK:
      op = "powerOn";
      break;
   case POWERED_OFF:
      op = "powerOff";
      break;
   case SUSPENDED:
      op = "suspend";
      break;
   case RESET:
      op = "reset";
      break;
   }
   if (!op) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.power.badState)The power state %d is not known.", static_cast<int>(state)));
      return;
   }
   if (!registered_) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   if (!PendingPowerOp().empty()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.power.busy)The virtual machine \"%s\" is busy with another power "
                              "operation. Try again when it has finished.", name_.c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", op, {{"option", std::to_string(static_cast<int>(option))}}, {},
                              sigc::bind(sigc::mem_fun(*this, &VM::OnPowerAnswer), std::string(op), abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   requested_ = op;
   actionStateChanged.emit();
   changed.emit();
}

void VM::OnPowerAnswer(std::string error, std::map<std::string, std::string>, std::string op, AbortSlot abort,
                       DoneSlot done)
{
   bool wasRequested = requested_ == op;
   if (wasRequested) {
      requested_.clear();
   }
   if (registered_) {
      Refresh();
      // The host's "pending" went before its answer: the operation is over for callers only now.
      if (wasRequested) {
         actionStateChanged.emit();
         changed.emit();
      }
   }
   if (!error.empty()) {
      Log("VM %s: %s failed: %s\n", vmPath_.c_str(), op.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

void VM::PowerOff(const AbortSlot &abort, const DoneSlot &done)
{
   SetPowerState(POWERED_OFF, POWEROP_DEFAULT, abort, done);
}

void VM::GetSuspendScreenshot(const AbortSlot &abort, const sigc::slot<void, std::string> &pathSlot)
{
   if (!registered_) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   std::string path = powerState_ == SUSPENDED ? screenshot_ : std::string();
   if (!path.empty() && !File_Exists(path)) {
      path.clear();
   }
   sigc::slot<void, std::string> slot = pathSlot;
   Poll_Post([slot, path]() { CallSlot(slot, path); });
}

bool VM::IsLegacy() const
{
   return configVersion_ < 8;
}

std::vector<vmdevice::NIC> VM::GetNICs() const
{
   static const struct {
      const char *name;
      int hostIF;
   } kKinds[] = {{"bridged", vmdevice::NIC::HOSTIF_BRIDGED},   {"nat", vmdevice::NIC::HOSTIF_NAT},
                 {"hostonly", vmdevice::NIC::HOSTIF_HOSTONLY}, {"custom", vmdevice::NIC::HOSTIF_CUSTOM},
                 {"pvn", vmdevice::NIC::HOSTIF_PVN}};
   std::vector<vmdevice::NIC> nics;
   if (!registered_) {
      return nics;
   }
   for (const std::string &element : ctx_.Elements(vmPath_ + "vmx/cfgState/val/dev/#")) {
      if (ctx_.Get(element + "type") != "ethernet" || !ctx_.GetBool(element + "present", false)) {
         continue;
      }
      std::string network = ctx_.Get(element + "network");
      int hostIF = vmdevice::NIC::HOSTIF_NONE;
      for (const auto &kind : kKinds) {
         if (_stricmp(network.c_str(), kind.name) == 0) {
            hostIF = kind.hostIF;
         }
      }
      nics.emplace_back(ctx_.Get(element + "key"), hostIF,
                        hostIF == vmdevice::NIC::HOSTIF_PVN ? ctx_.Get(element + "pvnID") : std::string(), network);
   }
   return nics;
}

void VM::SetNICs(const std::vector<vmdevice::NICSetting> &settings, const AbortSlot &failed, const DoneSlot &done)
{
   AbortSlot onFailed = failed;
   auto fail = [onFailed](const std::string &text) {
      Error error(text);
      Poll_Post([onFailed, error]() { CallSlot(onFailed, false, error); });
   };
   if (!registered_) {
      fail(Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   // The host names devices by their element in the mirror ("dev/#0002/network").
   const std::string devices = vmPath_ + "vmx/cfgState/val/dev/";
   std::vector<std::pair<std::string, std::string>> inputs;
   for (const vmdevice::NICSetting &setting : settings) {
      std::string found;
      for (const std::string &element : ctx_.Elements(devices + "#")) {
         if (ctx_.Get(element + "type") == "ethernet" && ctx_.Get(element + "key") == setting.key) {
            found = element.substr(devices.size());
         }
      }
      if (found.empty()) {
         fail(Format("@&!*@*@(msg.vm.nic.unknown)The virtual machine \"%s\" has no network adapter \"%s\".",
                     name_.c_str(), setting.key.c_str()));
         return;
      }
      inputs.push_back({"val/dev/" + found + "network", setting.network});
      inputs.push_back({"val/dev/" + found + "pvnID", setting.network == "pvn" ? setting.pvn : std::string()});
   }
   if (inputs.empty()) {
      DoneSlot onDone = done;
      Poll_Post([onDone]() { CallSlot(onDone); });
      return;
   }
   DoneSlot onDone = done;
   std::string vmPath = vmPath_;
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "setCfgState", inputs, {},
                              [vmPath, onFailed, onDone](std::string error, cuiutil::ModelCmd::Outputs) {
                                 if (!error.empty()) {
                                    Log("VM %s: the network adapters were not changed: %s\n", vmPath.c_str(),
                                        error.c_str());
                                    CallSlot(onFailed, false, Error(error));
                                    return;
                                 }
                                 CallSlot(onDone);
                              });
   } catch (const Error &e) {
      fail(e.what());
   }
}

bool VM::GetCanStartMovieCapture() const
{
   return registered_ && powerState_ == POWERED_ON && !movie_->IsCapturing();
}

std::string VM::GetDefaultMovieFilename() const
{
   std::string name = name_;
   if (name.empty()) {
      size_t slash = filename_.find_last_of("\\/");
      name = filename_.substr(slash == std::string::npos ? 0 : slash + 1);
      size_t dot = name.rfind('.');
      if (dot != std::string::npos && dot > 0) {
         name.erase(dot);
      }
   }
   // A display name may hold what a file name cannot.
   for (char &c : name) {
      if (std::strchr("\\/:*?\"<>|", c) || static_cast<unsigned char>(c) < 32) {
         c = '_';
      }
   }
   return (name.empty() ? std::string("movie") : name) + ".avi";
}

std::string VM::GetSaveMovieDir() const
{
   size_t slash = filename_.find_last_of("\\/");
   return slash == std::string::npos ? std::string() : filename_.substr(0, slash == 2 && filename_[1] == ':' ? 3 : slash);
}

void VM::SetMovieQuality(int quality)
{
   if (quality >= Movie::QUALITY_HIGH && quality <= Movie::QUALITY_LOW) {
      movieQuality_ = quality;
   }
}

void VM::SaveScreenshot(const std::string &file, int format, const CompletionSlot &completion, const DoneSlot &saved)
{
   CompletionSlot slot = completion;
   auto fail = [slot](const std::string &text) {
      Error error(text);
      Poll_Post([slot, error]() { CallSlot(slot, false, error); });
   };
   if (!registered_) {
      fail(Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   if (format != SCREENSHOT_BMP) {
      fail(Format("@&!*@*@(msg.vm.screenshot.format)The picture format %d is not known.", format));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "saveScreenshot", {{"fileName", file}, {"format", "bmp"}}, {},
                              sigc::bind(sigc::mem_fun(*this, &VM::OnScreenshotAnswer), completion, saved));
   } catch (const Error &e) {
      fail(e.what());
   }
}

void VM::OnScreenshotAnswer(std::string error, std::map<std::string, std::string>, CompletionSlot completion,
                            DoneSlot saved)
{
   if (!error.empty()) {
      Log("VM %s: saveScreenshot failed: %s\n", vmPath_.c_str(), error.c_str());
      CallSlot(completion, false, Error(error));
      return;
   }
   CallSlot(saved);
   CallSlot(completion, true, Error());
}

}  // namespace cui
