#include "tremsim/SimMachine.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "SimHostConfig.h"
#include "cui/GuestOS.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremsim/SimGuestScreen.h"
#include "tremsim/SimMachineFiles.h"
#include "tremsim/SimSnapshots.h"

namespace cuisim {

const char SimMachine::kPoweredOff[] = "poweredOff";
const char SimMachine::kPoweredOn[] = "poweredOn";
const char SimMachine::kSuspended[] = "suspended";

namespace {

const char kHardwareKeys[][12] = {"memoryMB", "cpuCount", "guestOS"};
const int kMaxSharedFolders = 64;

std::string StripExtension(const std::string &cfgPath)
{
   std::string folder = SimVmxConfig::Folder(cfgPath);
   return folder + SimVmxConfig::BaseName(cfgPath);
}

bool IsHardwareKey(const std::string &name)
{
   for (const char *key : kHardwareKeys) {
      if (name == key) {
         return true;
      }
   }
   return false;
}

}  // namespace

SimMachine::SimMachine(vmdb::Ctx &ctx, SimVmxConfig config, HANDLE lock, std::string client)
   : ctx_(ctx), config_(std::move(config)), lock_(lock), client_(std::move(client))
{
   ReadStateFile();
   snapshots_.reset(new SimSnapshots(*this));
}

SimMachine::~SimMachine()
{
   if (timer_) {
      Poll_RemoveTimer(timer_);
      timer_ = 0;
   }
   if (!pending_.empty()) {
      Finish(false);
   }
   snapshots_.reset();
   if (lock_ != INVALID_HANDLE_VALUE) {
      CloseHandle(lock_);
   }
}

std::string SimMachine::StateFilePath(const std::string &cfgPath)
{
   return StripExtension(cfgPath) + ".vmss";
}

std::string SimMachine::ScreenshotPath(const std::string &cfgPath)
{
   return StripExtension(cfgPath) + "-suspended.bmp";
}

unsigned SimMachine::StepCount(const std::string &op, bool soft)
{
   // A guest asked to stop takes a little longer than the host stopping it.
   unsigned steps = op == "suspend" ? 4 : 3;
   return soft ? steps + 2 : steps;
}

bool SimMachine::ReadStateEntries(std::vector<KeyValueEntry> &entries)
{
   std::string path = StateFilePath(GetCfgPath());
   bool wasUnreadable = !stateUnreadable_.empty();
   if (ReadKeptFile(path, entries, stateUnreadable_)) {
      return true;
   }
   if (!wasUnreadable) {
      Warning("SimHost: the state file %s cannot be read and is kept as it is: %s\n", path.c_str(),
              stateUnreadable_.c_str());
   }
   return false;
}

std::string SimMachine::StateFileUnreadableText() const
{
   return cui::Format("@&!*@*@(msg.host.vm.stateUnreadable)The saved power state of \"%s\" could not be read from "
                      "\"%s\" (%s). The file is kept as it is: the virtual machine starts powered off, and its "
                      "power state is not saved until the file is mended or removed.",
                      config_.GetDisplayName().c_str(), StateFilePath(GetCfgPath()).c_str(), stateUnreadable_.c_str());
}

void SimMachine::ReadStateFile()
{
   std::vector<KeyValueEntry> entries;
   if (!ReadStateEntries(entries)) {
      return;
   }
   const std::string *state = KeyValueFile::Find(entries, "state");
   const std::string *onAt = KeyValueFile::Find(entries, "poweredOnAt");
   const std::string *shot = KeyValueFile::Find(entries, "screenshot");
   const std::string *foldersOff = KeyValueFile::Find(entries, "sharedFoldersDisabled");
   if (state && (*state == kSuspended || *state == kPoweredOn)) {
      execState_ = *state;
      poweredOnAt_ = onAt ? static_cast<time_t>(std::strtoll(onAt->c_str(), nullptr, 10)) : time(nullptr);
      sharedFoldersDisabled_ = foldersOff && *foldersOff == "1";
      remDevConnected_ = SimDevices::ReadStates(entries, config_);
      if (execState_ == kSuspended && shot && !shot->empty()) {
         std::string file = SimVmxConfig::Folder(GetCfgPath()) + *shot;
         if (File_Exists(file)) {
            screenshot_ = file;
         }
      }
   }
}

void SimMachine::WriteStateFile()
{
   std::string path = StateFilePath(GetCfgPath());
   // A state file that could not be read is neither replaced nor deleted, unless it has been
   // mended or removed since.
   std::vector<KeyValueEntry> unused;
   if (!stateUnreadable_.empty() && !ReadStateEntries(unused)) {
      Warning("SimHost: the state of %s is not saved: %s cannot be read\n", GetCfgPath().c_str(), path.c_str());
      return;
   }
   if (execState_ == kPoweredOff) {
      File_Delete(path);
      return;
   }
   std::vector<KeyValueEntry> entries = {
      {"state", execState_},
      {"poweredOnAt", std::to_string(static_cast<long long>(poweredOnAt_))},
   };
   if (sharedFoldersDisabled_) {
      entries.push_back({"sharedFoldersDisabled", "1"});
   }
   SimDevices::AddStates(remDevConnected_, entries);
   if (!screenshot_.empty()) {
      size_t slash = screenshot_.find_last_of("\\/");
      entries.push_back({"screenshot", slash == std::string::npos ? screenshot_ : screenshot_.substr(slash + 1)});
   }
   std::string error;
   if (!KeyValueFile::Write(path, entries, error)) {
      Warning("SimHost: the state of %s was not saved: %s\n", GetCfgPath().c_str(), error.c_str());
   }
}

std::string SimMachine::Register()
{
   vmdb::Batch batch(ctx_);
   consoleOn_ = false;
   vmPath_ = ctx_.Append("/vm/##");
   ctx_.Set(vmPath_ + "cfgFile", GetCfgPath());
   ctx_.Set(vmPath_ + "client", client_);
   ctx_.Set(vmPath_ + "cfgStatus", "ok");
   config_.MirrorTo(ctx_, vmPath_ + "vmx/cfgState/val/", generationNo_);
   snapshots_->Mirror();
   WriteExecState();
   if (!stateUnreadable_.empty()) {
      LogMessage("error", StateFileUnreadableText());
   }
   std::vector<SimConnection> connections = SimConnections::Configured(time(nullptr));
   if (!opener_.user.empty()) {
      connections.insert(connections.begin(), opener_);
   }
   SimConnections::Write(ctx_, vmPath_ + "vmx/execState/cnx/", connections);
   Log("SimHost: registered %s as %s (%s)\n", GetCfgPath().c_str(), vmPath_.c_str(), execState_.c_str());
   return vmPath_;
}

void SimMachine::Unregister()
{
   snapshots_->FinishNow(true);
   if (!pending_.empty()) {
      if (timer_) {
         Poll_RemoveTimer(timer_);
         timer_ = 0;
      }
      Finish(true);
   }
   if (!vmPath_.empty()) {
      ctx_.Remove(cuiutil::WithoutSlash(vmPath_), true);
      Log("SimHost: unregistered %s (%s)\n", vmPath_.c_str(), GetCfgPath().c_str());
      vmPath_.clear();
   }
   logElements_.clear();
}

void SimMachine::LogMessage(const std::string &kind, const std::string &text)
{
   if (vmPath_.empty()) {
      return;
   }
   vmdb::Batch batch(ctx_);
   std::string element = ctx_.Append(vmPath_ + "vmx/execState/msgLog/#");
   ctx_.Set(element + "time", std::to_string(static_cast<long long>(time(nullptr))));
   ctx_.Set(element + "kind", kind);
   ctx_.Set(element + "text", text);
   logElements_.push_back(element);
   while (logElements_.size() > kMaxLogEntries) {
      ctx_.Remove(cuiutil::WithoutSlash(logElements_.front()), true);
      logElements_.pop_front();
   }
   Log("SimHost: logged for %s (%s): %s\n", vmPath_.c_str(), kind.c_str(), text.c_str());
}

void SimMachine::LogFailure(const std::string &op, const std::string &error)
{
   const char *what = nullptr;
   if (op == "powerOn") {
      what = execState_ == kSuspended ? "@&!*@*@(msg.host.log.resumeFailed)The virtual machine could not be resumed: %s"
                                      : "@&!*@*@(msg.host.log.powerOnFailed)The virtual machine could not be powered "
                                        "on: %s";
   } else if (op == "powerOff") {
      what = "@&!*@*@(msg.host.log.powerOffFailed)The virtual machine could not be powered off: %s";
   } else if (op == "suspend") {
      what = "@&!*@*@(msg.host.log.suspendFailed)The virtual machine could not be suspended: %s";
   } else if (op == "reset") {
      what = "@&!*@*@(msg.host.log.resetFailed)The virtual machine could not be reset: %s";
   } else if (op == "createSnapshot") {
      what = "@&!*@*@(msg.host.log.takeFailed)The snapshot could not be taken: %s";
   } else if (op == "revertToSnapshot") {
      what = "@&!*@*@(msg.host.log.revertFailed)The virtual machine could not be reverted to the snapshot: %s";
   } else if (op == "removeSnapshot") {
      what = "@&!*@*@(msg.host.log.removeFailed)The snapshot could not be deleted: %s";
   } else if (op == "upgradeHardware") {
      what = "@&!*@*@(msg.host.log.upgradeFailed)The virtual hardware could not be upgraded: %s";
   }
   if (what) {
      LogMessage("error", cui::Format(what, error.c_str()));
   }
}

void SimMachine::WriteExecState()
{
   if (vmPath_.empty()) {
      return;
   }
   std::string exec = vmPath_ + "vmx/execState/";
   vmdb::Batch batch(ctx_);
   ctx_.Set(exec + "val", execState_);
   ctx_.Set(exec + "pending", pending_);
   ctx_.Set(exec + "poweredOnAt", execState_ == kPoweredOff ? std::string() : std::to_string(static_cast<long long>(poweredOnAt_)));
   ctx_.Set(exec + "screenshot", screenshot_);
   ctx_.Set(exec + "sharedFolders/disabled", vmdb::Value(sharedFoldersDisabled_ ? 1 : 0));
   SimDevices::WriteExecState(ctx_, vmPath_, execState_, remDevConnected_);
   WriteConsoleState();
}

void SimMachine::GuestSize(const SimVmxConfig &config, long &width, long &height)
{
   width = config.GetInt("display.width", 0);
   height = config.GetInt("display.height", 0);
   if (width < 320 || width > 8192 || height < 200 || height > 8192) {
      width = 800;
      height = 600;
   }
}

void SimMachine::WriteConsoleState()
{
   bool on = execState_ == kPoweredOn;
   if (vmPath_.empty() || on == consoleOn_) {
      return;
   }
   consoleOn_ = on;
   std::string mks = vmPath_ + "mks/";
   vmdb::Batch batch(ctx_);
   if (on) {
      long width = 0;
      long height = 0;
      GuestSize(config_, width, height);
      ctx_.Set(mks + "guestWidth", vmdb::Value(width));
      ctx_.Set(mks + "guestHeight", vmdb::Value(height));
      // One guest monitor: the virtual screen is the guest screen.
      ctx_.Set(mks + "virtualScreen/width", vmdb::Value(width));
      ctx_.Set(mks + "virtualScreen/height", vmdb::Value(height));
   } else {
      ctx_.Remove(mks + "guestWidth", true);
      ctx_.Remove(mks + "guestHeight", true);
      ctx_.Remove(mks + "virtualScreen", true);
      ctx_.Remove(mks + "connected", true);
      if (ctx_.Exists(mks + "grabState/val")) {
         ctx_.Set(mks + "grabState/val", "");
      }
   }
   // A capture and a console-driven full screen end with the guest.
   ctx_.Set(mks + "movieCapture", vmdb::Value(0));
   ctx_.Set(mks + "windowState/val", "windowed");
}

std::string SimMachine::StartPower(const std::string &op, int mode, DoneFn done)
{
   std::string name = config_.GetDisplayName();
   if (!pending_.empty() || snapshots_->IsBusy()) {
      return cui::Format("@&!*@*@(msg.host.vm.busy)The virtual machine \"%s\" is busy with another power "
                         "operation. Try again when it has finished.", name.c_str());
   }
   bool on = execState_ == kPoweredOn;
   bool suspended = execState_ == kSuspended;
   if (op == "powerOn") {
      if (on) {
         return cui::Format("@&!*@*@(msg.host.vm.alreadyOn)The virtual machine \"%s\" is already powered on.",
                            name.c_str());
      }
   } else if (op == "powerOff") {
      if (!on && !suspended) {
         return cui::Format("@&!*@*@(msg.host.vm.alreadyOff)The virtual machine \"%s\" is already powered off.",
                            name.c_str());
      }
   } else if (op == "suspend" || op == "reset") {
      if (!on) {
         return cui::Format("@&!*@*@(msg.host.vm.notOn)The virtual machine \"%s\" is not powered on.", name.c_str());
      }
   } else {
      return "The virtual machine does not support the operation \"" + op + "\".";
   }
   if (mode == MODE_CONFIGURED) {
      std::string configured = config_.Get(op == "powerOff" ? "power.offMode" : op == "suspend" ? "power.suspendMode"
                                                                           : "power.resetMode");
      mode = configured == "soft" ? MODE_SOFT : configured == "trySoft" ? MODE_TRY_SOFT : MODE_HARD;
   }
   // A guest that is not running (off or suspended) cannot be asked: the host acts itself.
   pendingSoft_ = on && (mode == MODE_SOFT || mode == MODE_TRY_SOFT) && op != "powerOn";
   pending_ = op;
   stepsLeft_ = StepCount(op, pendingSoft_);
   done_ = std::move(done);
   Log("SimHost: %s: %s%s started\n", vmPath_.c_str(), op.c_str(), pendingSoft_ ? " (through the guest)" : "");
   WriteExecState();
   unsigned stepMs = SimHostConfig::StepMs();
   timer_ = Poll_AddTimer(stepMs ? stepMs : 1, true, [this]() { Step(); });
   return std::string();
}

void SimMachine::Step()
{
   if (stepsLeft_ > 1) {
      --stepsLeft_;
      return;
   }
   Poll_RemoveTimer(timer_);
   timer_ = 0;
   Finish(true);
}

void SimMachine::Finish(bool writeDb)
{
   std::string op = pending_;
   pending_.clear();
   const char *logged = op == "powerOn" && execState_ == kSuspended
                           ? "@&!*@*@(msg.host.log.resumed)The virtual machine was resumed."
                        : op == "powerOn"  ? "@&!*@*@(msg.host.log.poweredOn)The virtual machine was powered on."
                        : op == "powerOff" ? "@&!*@*@(msg.host.log.poweredOff)The virtual machine was powered off."
                        : op == "suspend"  ? "@&!*@*@(msg.host.log.suspended)The virtual machine was suspended."
                        : op == "reset"    ? "@&!*@*@(msg.host.log.reset)The virtual machine was reset."
                                           : nullptr;
   if (op == "powerOn") {
      if (execState_ == kSuspended) {
         if (!screenshot_.empty()) {
            File_Delete(screenshot_);
            screenshot_.clear();
         }
      } else {
         poweredOnAt_ = time(nullptr);
         remDevConnected_ = SimDevices::BootStates(config_);
         // A boot applies the host's default to the configured shared folders.
         sharedFoldersDisabled_ = SharesFolders() && config_.GetBool("sharedFolder.defaultDisabled", false);
         if (sharedFoldersDisabled_) {
            Log("SimHost: %s: shared folders disabled\n", vmPath_.c_str());
         }
      }
      execState_ = kPoweredOn;
   } else if (op == "powerOff") {
      if (writeDb) {
         ClearBootState(ctx_, vmPath_);
      }
      if (!screenshot_.empty()) {
         File_Delete(screenshot_);
         screenshot_.clear();
      }
      execState_ = kPoweredOff;
      poweredOnAt_ = 0;
      sharedFoldersDisabled_ = false;
      remDevConnected_.clear();
   } else if (op == "suspend") {
      screenshot_ = SaveScreenshot();
      execState_ = kSuspended;
   } else if (op == "reset") {
      poweredOnAt_ = time(nullptr);
   }
   WriteStateFile();
   if (writeDb) {
      WriteExecState();
      Log("SimHost: %s: %s done, %s\n", vmPath_.c_str(), op.c_str(), execState_.c_str());
      if (logged) {
         LogMessage("info", cui::GetLocalString(logged));
      }
   }
   DoneFn done = std::move(done_);
   done_ = nullptr;
   if (done && writeDb) {
      done(std::string());
   }
}

void SimMachine::RestoreExecState(const std::string &execState, const std::string &screenshot, bool writeDb)
{
   if (!screenshot_.empty()) {
      File_Delete(screenshot_);
      screenshot_.clear();
   }
   bool wasOff = execState_ == kPoweredOff;
   execState_ = execState;
   if (execState_ == kPoweredOff) {
      poweredOnAt_ = 0;
      sharedFoldersDisabled_ = false;
      remDevConnected_.clear();
   } else {
      poweredOnAt_ = time(nullptr);
      if (wasOff) {
         sharedFoldersDisabled_ = SharesFolders() && config_.GetBool("sharedFolder.defaultDisabled", false);
         remDevConnected_ = SimDevices::BootStates(config_);
      }
   }
   if (execState_ == kSuspended) {
      std::string path = ScreenshotPath(GetCfgPath());
      std::string bytes;
      std::string error;
      if (!screenshot.empty() && File_Read(screenshot, bytes, error) && File_Replace(path, bytes, error)) {
         screenshot_ = path;
      } else if (!screenshot.empty()) {
         Warning("SimHost: no suspend screenshot for %s: %s\n", GetCfgPath().c_str(), error.c_str());
      }
   }
   WriteStateFile();
   if (writeDb) {
      WriteExecState();
      Log("SimHost: %s: reverted, %s\n", vmPath_.c_str(), execState_.c_str());
   }
}

bool SimMachine::SharesFolders() const
{
   for (int n = 0; n < kMaxSharedFolders; ++n) {
      if (config_.GetBool("sharedFolder" + std::to_string(n) + ".present", false)) {
         return true;
      }
   }
   return false;
}

std::string SimMachine::Uptime() const
{
   long long seconds = poweredOnAt_ ? static_cast<long long>(time(nullptr) - poweredOnAt_) : 0;
   if (seconds < 0) {
      seconds = 0;
   }
   char text[64];
   snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
   return cui::Format("@&!*@*@(msg.host.vm.uptime)Up %s", text);
}

SimGuestScreen SimMachine::GuestScreen() const
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(config_.Get("guestOS"));
   SimGuestScreen screen;
   screen.machineName = config_.GetDisplayName();
   screen.guestName = (os ? *os : cui::OtherGuestOS()).displayName;
   screen.status = Uptime();
   return screen;
}

std::string SimMachine::SaveScreenshot()
{
   SimGuestScreen screen = GuestScreen();
   std::string path = ScreenshotPath(GetCfgPath());
   std::string error;
   if (!screen.SaveBitmap(path, error)) {
      Warning("SimHost: no suspend screenshot for %s: %s\n", GetCfgPath().c_str(), error.c_str());
      return std::string();
   }
   return path;
}

std::string SimMachine::ApplyDeviceValue(SimVmxConfig &changed, const std::string &name, const std::string &value) const
{
   // "dev/#0002/present": the field of the device the mirror shows at that element.
   size_t slash = name.find('/', 4);
   std::string element = slash == std::string::npos ? std::string() : name.substr(4, slash - 4);
   std::string field = slash == std::string::npos ? std::string() : name.substr(slash + 1);
   std::string mirrored = vmPath_ + "vmx/cfgState/val/dev/" + element + "/";
   std::string key = element.size() > 1 && element[0] == '#' && !vmPath_.empty() ? ctx_.Get(mirrored + "key") : std::string();
   if (key.empty() || SimVmxConfig::DeviceType(key).empty()) {
      return cui::Format("@&!*@*@(msg.host.vm.noDevice)The virtual machine \"%s\" has no device \"%s\".",
                         config_.GetDisplayName().c_str(), element.c_str());
   }
   const bool adapterField = field == "network" || field == "pvnID";
   if ((field != "present" && field != "fileName" && !adapterField) ||
       (adapterField && SimVmxConfig::DeviceType(key) != "ethernet")) {
      return "The setting \"" + name + "\" cannot be changed.";
   }
   static const char *const kNetworks[] = {"bridged", "nat", "hostonly", "custom", "pvn"};
   if (field == "network" && std::none_of(std::begin(kNetworks), std::end(kNetworks),
                                          [&value](const char *known) { return value == known; })) {
      return cui::Format("@&!*@*@(msg.host.newvm.badNetwork)The network type \"%s\" is not known.", value.c_str());
   }
   // Only removable media change under a running (or suspended) guest.
   if (execState_ != kPoweredOff && ctx_.Get(mirrored + "media") != "removable") {
      return cui::Format("@&!*@*@(msg.host.vm.devWhileOn)The device \"%s\" of \"%s\" can be changed only while "
                         "the virtual machine is powered off.", ctx_.Get(mirrored + "label").c_str(),
                         config_.GetDisplayName().c_str());
   }
   if (field == "present") {
      changed.SetBool(key + ".present", value == "1" || value == "true");
   } else {
      changed.Set(key + "." + field, value);
   }
   return std::string();
}

std::string SimMachine::ApplyValue(SimVmxConfig &changed, const std::string &name, const std::string &value) const
{
   if (name.compare(0, 4, "dev/") == 0) {
      return ApplyDeviceValue(changed, name, value);
   }
   const SimVmxConfig::MirroredKey *key = nullptr;
   for (const SimVmxConfig::MirroredKey &known : SimVmxConfig::MirroredKeys()) {
      if (name == known.dbName) {
         key = &known;
      }
   }
   if (!key || name == "configVersion" || name == "hardwareVersion") {
      return "The setting \"" + name + "\" cannot be changed.";
   }
   if (IsHardwareKey(name) && execState_ != kPoweredOff) {
      return cui::Format("@&!*@*@(msg.host.vm.cfgWhileOn)This setting of \"%s\" can be changed only while "
                         "the virtual machine is powered off.", config_.GetDisplayName().c_str());
   }
   if (name == "memoryMB" || name == "cpuCount") {
      char *end = nullptr;
      long number = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end != '\0' || number < 1) {
         return "The value \"" + value + "\" of \"" + name + "\" is not a positive number.";
      }
   }
   if (key->isBool) {
      changed.SetBool(key->vmxKey, value == "1" || value == "true");
   } else {
      changed.Set(key->vmxKey, value);
   }
   return std::string();
}

std::string SimMachine::SetCfgState(long generationNo, const std::vector<std::pair<std::string, std::string>> &values)
{
   if (generationNo >= 0 && generationNo != generationNo_) {
      return cui::Format("@&!*@*@(msg.host.vm.cfgStale)The configuration of \"%s\" was changed meanwhile. "
                         "Look at it again and repeat the change.", config_.GetDisplayName().c_str());
   }
   SimVmxConfig changed = config_;
   for (const auto &value : values) {
      std::string error = ApplyValue(changed, value.first, value.second);
      if (!error.empty()) {
         return error;
      }
   }
   std::string error;
   if (!changed.Save(error)) {
      return error;
   }
   config_ = changed;
   ++generationNo_;
   if (!vmPath_.empty()) {
      vmdb::Batch batch(ctx_);
      config_.MirrorTo(ctx_, vmPath_ + "vmx/cfgState/val/", generationNo_);
      // "snapshot.multiple" and "snapshot.maxMRU" are the configuration's.
      snapshots_->Mirror();
   }
   return std::string();
}

}  // namespace cuisim
