// One machine the simulated host has open: its configuration, its lock, its registration under
// "/vm/#…/" and its execution state. Power operations move "vmx/execState/val" over a few poll
// steps ("vmx/execState/pending" names the one under way). A suspended or running machine
// keeps that state in a file beside its configuration ("<name>.vmss"), so it comes back so
// after the program (or the host) restarts; a suspend also leaves "<name>-suspended.bmp", a
// picture of the guest's screen, named in that file.
//
// The console's nodes under "mks/" follow the power state: while the machine is powered on,
// "guestWidth" and "guestHeight" (the configuration's "display.width" and "display.height", else
// 800 by 600; the same in "virtualScreen/width" and "height"), "movieCapture" 0 and
// "windowState/val" "windowed"; when it stops (off or suspended) the guest size, the console
// connection ("connected") and the grab are cleared and the window state goes back to "windowed".
//
// Shared folders: a machine whose configuration shares folders ("sharedFolder<n>.present") and
// says "sharedFolder.defaultDisabled" has them disabled at each boot (a power-on from powered
// off); "vmx/execState/sharedFolders/disabled" is then 1 until it is powered off, and the state
// file keeps it across a suspend.
#pragma once

#include <windows.h>

#include <ctime>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "cui/VmdbCtx.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimConnections.h"
#include "tremsim/SimDevices.h"
#include "tremsim/SimGuestScreen.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

class SimSnapshots;

class SimMachine {
public:
   // Execution states as the database shows them.
   static const char kPoweredOff[];   // "poweredOff"
   static const char kPoweredOn[];    // "poweredOn"
   static const char kSuspended[];    // "suspended"

   // How a power operation asks: the host's power options (cui::VM::PowerOption).
   enum Mode { MODE_CONFIGURED = 0, MODE_HARD = 1, MODE_SOFT = 2, MODE_TRY_SOFT = 3, MODE_FORK = 4 };

   typedef std::function<void(const std::string & /*error*/)> DoneFn;

   // Takes `lock` (an open handle of the lock file, or INVALID_HANDLE_VALUE) and reads the
   // state file.
   SimMachine(vmdb::Ctx &ctx, SimVmxConfig config, HANDLE lock, std::string client);
   // Finishes an operation under way (the files get its end state) and lets the lock go;
   // the database is left alone (it may be going away too).
   ~SimMachine();

   const std::string &GetVmPath() const { return vmPath_; }
   const std::string &GetCfgPath() const { return config_.GetPath(); }
   const std::string &GetClient() const { return client_; }
   const std::string &GetExecState() const { return execState_; }
   const std::string &GetPending() const { return pending_; }
   const SimVmxConfig &GetConfig() const { return config_; }
   vmdb::Ctx &GetCtx() { return ctx_; }
   // The machine's snapshots (SimSnapshots.h).
   SimSnapshots &GetSnapshots() { return *snapshots_; }
   // Puts the machine into `execState` as a revert to a snapshot does (running from now, or
   // suspended with a copy of `screenshot` as its suspend picture); written to the state file
   // and, with `writeDb`, the database.
   void RestoreExecState(const std::string &execState, const std::string &screenshot, bool writeDb);

   // The session of the client that opens the machine (SimConnections.h); set before Register.
   void SetOpener(const SimConnection &opener) { opener_ = opener; }
   // Registers the machine under a new "/vm/##" element, with the opener's and the configured
   // sessions; returns its path ("/vm/#0001/").
   std::string Register();
   // Finishes what is under way, then removes the registration.
   void Unregister();

   // The machine's message log ("vmx/execState/msgLog/#/": "time", "kind", "text"), kept while
   // it is registered: the newest kMaxLogEntries. Nothing is logged while it is not registered.
   static const size_t kMaxLogEntries = 200;
   void LogMessage(const std::string &kind, const std::string &text);
   // Logs the failure of operation `op` (a power or snapshot operation, the hardware upgrade)
   // as an error with the host's text; other operations are not logged.
   void LogFailure(const std::string &op, const std::string &error);

   // Starts "powerOn", "powerOff", "suspend" or "reset"; `done` runs from a later poll step
   // when it has ended. Returns an error text (and never calls `done`) when it cannot start.
   std::string StartPower(const std::string &op, int mode, DoneFn done);

   // Writes the configuration values given under "val/" of a "setCfgState" command or of a
   // request on "vmx/cfgState" (`values`: name under "val/" -> text; a device field is named
   // "dev/#0002/present" or "dev/#0002/fileName" after the device's element). Names not given
   // stay as they are. `generationNo` -1 skips the stale-edit check. All or nothing: the first
   // value that cannot be applied is the error and the configuration is left unchanged.
   std::string SetCfgState(long generationNo, const std::vector<std::pair<std::string, std::string>> &values);
   // Saves `changed` as the configuration and mirrors it: the host's own changes, such as a
   // hardware upgrade (SimMachineFiles.cpp). An error text when it cannot be saved.
   std::string ReplaceConfig(const SimVmxConfig &changed);

   // Removable devices (SimDevices.h): their connection while the machine runs. Connecting an
   // unknown device or one of a machine that is not powered on gives an error text.
   const SimDevices::RemDevStates &GetRemDevStates() const { return remDevConnected_; }
   std::string SetRemDevConnected(const std::string &key, bool connected);

   // The guest screen size the console shows while the machine runs.
   static void GuestSize(const SimVmxConfig &config, long &width, long &height);
   void GetGuestSize(long &width, long &height) const { GuestSize(config_, width, height); }
   // What the guest's screen shows now.
   SimGuestScreen GuestScreen() const;

   // The state file and the screenshot of a configuration.
   static std::string StateFilePath(const std::string &cfgPath);
   static std::string ScreenshotPath(const std::string &cfgPath);
   // Steps and their length, from the host configuration.
   static unsigned StepCount(const std::string &op, bool soft);

private:
   // The state file ("<name>.vmss"): one that cannot be read is kept as it is, never replaced or
   // deleted, and the machine starts powered off (the message log says so).
   void ReadStateFile();
   void WriteStateFile();
   // Reads the state file into `entries` (none when it is not there); false, with
   // `stateUnreadable_` set, when it cannot be read.
   bool ReadStateEntries(std::vector<KeyValueEntry> &entries);
   std::string StateFileUnreadableText() const;
   void Step();
   void Finish(bool writeDb);
   void WriteExecState();
   // Writes or clears the console's nodes when the machine went on or stopped since last time.
   void WriteConsoleState();
   // One value of SetCfgState applied to `changed`; an error text when it cannot be.
   std::string ApplyValue(SimVmxConfig &changed, const std::string &name, const std::string &value) const;
   std::string ApplyDeviceValue(SimVmxConfig &changed, const std::string &name, const std::string &value) const;
   std::string SaveScreenshot();
   std::string Uptime() const;
   // The configuration shares at least one folder with the guest.
   bool SharesFolders() const;

   vmdb::Ctx ctx_;
   SimVmxConfig config_;
   HANDLE lock_;
   std::string client_;
   std::string vmPath_;
   long generationNo_ = 1;

   std::string stateUnreadable_;   // why the state file could not be read; empty when it was
   std::string execState_ = kPoweredOff;
   time_t poweredOnAt_ = 0;
   std::string screenshot_;   // file path, while suspended
   bool consoleOn_ = false;   // the console's nodes show a running guest
   bool sharedFoldersDisabled_ = false;   // by the host, since the last boot
   SimDevices::RemDevStates remDevConnected_;   // while on or suspended

   std::string pending_;      // the power operation under way
   bool pendingSoft_ = false;
   unsigned stepsLeft_ = 0;
   PollTimerId timer_ = 0;
   DoneFn done_;
   std::unique_ptr<SimSnapshots> snapshots_;
   std::deque<std::string> logElements_;   // oldest first
   SimConnection opener_;
};

}  // namespace cuisim
