// A virtual machine as the model library knows it: a machine the host has registered under
// "/vm/#…/". Its getters answer from the library's copy of that node, which follows the
// database from poll steps; its signals are raised there.
#pragma once

#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/HardwareVersion.h"
#include "cui/Movie.h"
#include "cui/MsgSource.h"
#include "cui/SharedFolderMgr.h"
#include "cui/VmdbCtx.h"

namespace wui {
class VMMgr;
}

namespace cui {

class Host;
class MKS;
class SessionRecordMgr;
class SnapshotTree;

namespace vmdevice {

// A network adapter of a machine's configuration ("netN.network", "netN.pvnID").
class NIC {
public:
   // Kinds of host interface: what "netN.network" names.
   enum HostIF { HOSTIF_NONE = 0, HOSTIF_BRIDGED = 1, HOSTIF_NAT = 2, HOSTIF_HOSTONLY = 3, HOSTIF_CUSTOM = 4, HOSTIF_PVN = 6 };
   NIC(std::string key, int hostIF, std::string pvn, std::string network = std::string())
      : key_(std::move(key)), hostIF_(hostIF), pvn_(std::move(pvn)), network_(std::move(network))
   {
   }
   const std::string &GetKey() const { return key_; }   // "net0"
   int GetHostIF() const { return hostIF_; }
   // The private network the adapter is on (HOSTIF_PVN); empty otherwise.
   const std::string &GetPVN() const { return pvn_; }
   // "netN.network" as the configuration has it ("nat", "pvn", ...).
   const std::string &GetNetwork() const { return network_; }

private:
   std::string key_;
   int hostIF_;
   std::string pvn_;
   std::string network_;
};

// What SetNICs puts an adapter on: its key ("net0"), the network kind ("pvn", "nat", "bridged",
// "hostonly", "custom") and, for "pvn", the private network's id.
struct NICSetting {
   std::string key;
   std::string network;
   std::string pvn;
};

}  // namespace vmdevice

class VM : public sigc::trackable {
public:
   // What GetPowerState reports (0 to 2) and what SetPowerState asks for (all five).
   enum PowerState {
      POWERED_ON = 0,
      POWERED_OFF = 1,
      SUSPENDED = 2,
      POWER_ON_FORK = 3,   // asked only: powers a new fork on, like POWERED_ON
      RESET = 4,           // asked only: restarts a running machine
   };
   // How a power change is carried out.
   enum PowerOption {
      POWEROP_DEFAULT = 0,   // as the machine's configuration says ("power.offMode", ...), else hard
      POWEROP_HARD = 1,      // the host acts at once
      POWEROP_SOFT = 2,      // the guest is asked to shut down, suspend or restart itself
      POWEROP_TRYSOFT = 3,   // the guest is asked, the host acts when it cannot be
      POWEROP_FORK = 4,      // the power-on of a new fork; acts as hard
   };
   // State of one power action: not possible now, possible, under way.
   enum ActionState { ACTION_UNAVAILABLE = 0, ACTION_AVAILABLE = 1, ACTION_RUNNING = 2 };
   // Kinds of operation for GetBusy's mask.
   enum BusyKind { BUSY_CONFIG = 1, BUSY_SNAPSHOT = 2, BUSY_POWER = 4, BUSY_OTHER = 8, BUSY_ANY = 15 };

   // Follows the machine registered at `vmPath` ("/vm/#0001/") in `ctx`'s database (on a
   // context of its own). `host` is the host it was opened on (may be null).
   VM(const vmdb::Ctx &ctx, const std::string &vmPath, Host *host);
   virtual ~VM();

   const std::string &GetVmPath() const { return vmPath_; }
   const std::string &GetFilename() const { return filename_; }
   const std::string &GetName() const { return name_; }
   Host *GetHost() const { return host_; }

   // Configuration ("vmx/cfgState/val/").
   const std::string &GetGuestOS() const { return guestOS_; }   // an id of cui/GuestOS.h
   std::string GetGuestOSName() const;
   // A machine of an older configuration format than the one this library writes ("configVersion"
   // below 8): it runs, but some settings are not offered.
   bool IsLegacy() const;
   long GetMemoryMB() const { return memoryMB_; }
   long GetCPUCount() const { return cpuCount_; }
   const std::string &GetNotes() const { return notes_; }
   // Clone ancestry: the display names of the machines this one was cloned from, nearest first
   // ("vmx/cfgState/val/clone/ancestor/#/name", from the configuration's "cloneOf0" chain).
   bool IsClone() const { return !ancestors_.empty(); }
   const std::vector<std::string> &GetAncestors() const { return ancestors_; }
   // The current snapshot's display name (GetSnapshotTree()->GetCurrent(), from the snapshot
   // file beside the configuration); empty when the machine has none.
   const std::string &GetCurrentSnapshotName() const { return currentSnapshot_; }
   // The host's text when the machine's snapshot file could not be read (SnapshotTree::
   // GetFileError); empty when it was read.
   const std::string &GetSnapshotFileError() const { return snapshotFileError_; }
   int GetConfigVersion() const { return configVersion_; }
   // The configuration file cannot be written ("vmx/cfgState/val/readOnly").
   bool IsReadOnly() const { return readOnly_; }
   // A disk of the machine is independent of its snapshots (its "mode" begins "independent").
   bool HasIndependentDisk() const { return independentDisk_; }
   int GetHardwareVersion() const { return hardwareVersion_; }
   long GetGenerationNo() const { return generationNo_; }
   bool GetGUIRestricted() const { return guiRestricted_; }
   bool GetPowerOnAtStartup() const { return powerOnAtStartup_; }
   bool GetFullScreenAtPowerOn() const { return fullScreenAtPowerOn_; }
   bool GetExitAtPowerOff() const { return exitAtPowerOff_; }
   // The configuration's network adapters, in the file's order.
   std::vector<vmdevice::NIC> GetNICs() const;
   // Puts adapters on other networks in one change of the configuration (only while the machine
   // is powered off); `failed` with the host's reason, the configuration unchanged then.
   void SetNICs(const std::vector<vmdevice::NICSetting> &settings, const AbortSlot &failed, const DoneSlot &done);
   // In a team when its configuration names a team file (the host sets it while a team that
   // holds the machine is open).
   bool GetInTeam() const { return !teamFile_.empty(); }
   const std::string &GetTeamFile() const { return teamFile_; }

   // Execution state ("vmx/execState/").
   PowerState GetPowerState() const { return powerState_; }
   ActionState GetPowerOnActionState() const;
   ActionState GetPowerOffActionState() const;
   ActionState GetPowerSuspendActionState() const;
   // True when an operation of a kind in `mask` (BusyKind bits) is under way: power operations
   // and snapshot operations.
   bool GetBusy(int mask) const;
   // What the user may do with the machine now, from its power state and busy flags.
   bool GetCanFitGuest() const { return powerState_ == POWERED_ON; }
   bool GetCanDoCloneWizard() const { return powerState_ == POWERED_OFF && !GetBusy(BUSY_ANY); }
   bool GetCanInstallTools() const { return powerState_ == POWERED_ON; }
   bool GetCanDoVMSettings() const { return !GetBusy(BUSY_ANY); }
   bool GetCanScreenshot() const { return powerState_ == POWERED_ON; }
   // Powered on and no movie capture under way.
   bool GetCanStartMovieCapture() const;
   // Powered off, not busy, and older hardware than the newest the host offers.
   bool GetCanUpgradeHardware() const
   {
      return powerState_ == POWERED_OFF && !GetBusy(BUSY_ANY) && hardwareVersion_ < HardwareVersion::kNewest;
   }
   bool GetCanDelete() const { return powerState_ != POWERED_ON && !GetBusy(BUSY_ANY); }
   // Linked clones can be forked from the current snapshot: powered off, not busy, with one.
   bool IsForkable() const;
   // The tools image is mounted in the running guest ("vmx/execState/toolsInstall").
   bool GetToolsISOMounted() const;
   // The product whose virtual hardware the configuration targets ("productCompat"); 0 when
   // the configuration does not say.
   int GetProductCompat() const;
   // Remote display, from the configuration ("vmx/cfgState/val/remoteDisplay/enabled" and
   // "port", default 5900); the users connected are "vmx/execState/remoteDisplay/user/#/name".
   bool IsVNCEnabled() const { return remoteDisplay_; }
   long GetVNCPort() const { return remoteDisplayPort_; }
   const std::vector<std::string> &GetUsers() const { return remoteDisplayUsers_; }
   // A client session the host has with the machine ("vmx/execState/cnx/#/": "user", "from",
   // "since" in seconds since 1970, UTC).
   struct Connection {
      std::string user;
      std::string from;
      time_t since = 0;
      bool operator==(const Connection &other) const
      {
         return user == other.user && from == other.from && since == other.since;
      }
   };
   // The sessions connected to the machine, in the host's order; `connectionsChanged` follows them.
   const std::vector<Connection> &GetConnections() const { return connections_; }
   // When the machine was powered on (0 when it is off).
   time_t GetPoweredOnAt() const { return poweredOnAt_; }
   // The picture of the guest's screen saved at suspend; empty when none.
   const std::string &GetSuspendScreenshotPath() const { return screenshot_; }
   // False once the host no longer has the machine (closed, or gone from the database).
   bool IsRegistered() const { return registered_; }
   // The machine's shared folders; never null.
   SharedFolderMgr *GetSharedFolderMgr() const { return sharedFolderMgr_.get(); }
   // The machine's snapshots and session recordings; null once the machine is closed.
   SnapshotTree *GetSnapshotTree() const;
   // Has the host read the machine's snapshots again (a file mended or removed meanwhile clears
   // GetSnapshotFileError; one still damaged aborts with its text); the slots as for the snapshot
   // operations.
   void RefreshSnapshotState(const AbortSlot &abort, const DoneSlot &done);
   SessionRecordMgr *GetSessionRecordMgr() const;
   // The messages the host logged for the machine ("vmx/execState/msgLog/"); never null.
   MsgSource *GetMsgSource() const { return msgSource_.get(); }

   // Capturing the screen and movies.
   enum ScreenshotFormat { SCREENSHOT_BMP = 0 };
   // (succeeded, the error): runs last, whatever happened.
   typedef sigc::slot<void, bool, Error> CompletionSlot;
   // Asks the host to write the guest's screen, at the guest's size, to `file` in `format`.
   // `saved` runs once the file is written, then `completion` (true); a machine that is not
   // powered on, or a file that cannot be written, gives `completion` (false, the host's text).
   void SaveScreenshot(const std::string &file, int format, const CompletionSlot &completion, const DoneSlot &saved);
   // The machine's movie; null once the machine is closed.
   Movie *GetMovie() const { return registered_ ? movie_.get() : nullptr; }
   // A capture runs (or its start is under way).
   bool GetCanStopMovieCapture() const { return registered_ && movie_->IsCapturing(); }
   // What the movie's save dialog proposes: the machine's name with ".avi", in its folder.
   std::string GetDefaultMovieFilename() const;
   std::string GetSaveMovieDir() const;
   // The quality (cui::Movie::Quality) last chosen for this machine's movies.
   int GetMovieQuality() const { return movieQuality_; }
   void SetMovieQuality(int quality);

   // The machine's console side (cui/MKS.h); null once the machine is closed.
   MKS *GetMKS() const;
   // Asks the guest for a screen of width x height (MKS::FitGuest); `error` when it is not running.
   void FitGuest(int width, int height, const DoneSlot &done, const sigc::slot<void, Error> &error);

   // Asks for a power change (POWERED_ON and POWER_ON_FORK power on or resume, POWERED_OFF
   // powers off, SUSPENDED suspends, RESET resets). `done` runs when the machine has got there;
   // `abort` (false, the host's text) when it cannot.
   void SetPowerState(PowerState state, PowerOption option, const AbortSlot &abort, const DoneSlot &done = DoneSlot());
   void SetPowerState(int state, int option, const AbortSlot &abort, const DoneSlot &done = DoneSlot())
   {
      SetPowerState(static_cast<PowerState>(state), static_cast<PowerOption>(option), abort, done);
   }
   void PowerOff(const AbortSlot &abort, const DoneSlot &done = DoneSlot());
   // Mounts the tools image in the running guest, or takes it out again when it is mounted.
   void ToggleToolsInstall(const AbortSlot &abort = AbortSlot(), const DoneSlot &done = DoneSlot());
   // Sends Ctrl+Alt+Del to the running guest; throws cui::Error when it is not running.
   void SendCtrlAltDel();
   // Removable devices ("cdrom0", "floppy0"; VMDevices.cpp). Connects the device when it is
   // disconnected and disconnects it when connected; the host does it from a later poll step.
   // Raises _com_error: kSubmissionPending while another client submits configuration changes
   // ("vmx/cfgState/new"), E_FAIL with a text when the machine is not powered on or has no such
   // removable device.
   void ToggleRemDev(const std::string &key);
   // Whether the removable device is connected now ("vmx/execState/dev/<key>/connected").
   bool IsRemDevConnected(const std::string &key) const;
   static constexpr long kSubmissionPending = static_cast<long>(0x80040114UL);
   // The text of a power button's tooltip: operation `op` (PowerState) of `vm` (may be null).
   // With `option` POWEROP_HARD it names the host's action, with any other what the machine's
   // configured mode makes of it (the guest asked to shut down or restart). Empty for no text.
   static std::string GetPowerTooltip(const VM *vm, int op, int option);
   // Gives `pathSlot` the suspend screenshot's path (empty when there is none); `abort` when
   // the machine cannot give one.
   void GetSuspendScreenshot(const AbortSlot &abort, const sigc::slot<void, std::string> &pathSlot);

   // Cloning (VMClone.cpp). The kinds IsCloneable asks about, and the codes it answers, whose
   // texts GetErrorText gives.
   enum CloneType { CLONE_LINKED = 0, CLONE_FULL = 1, CLONE_EITHER = 2 };
   enum CloneError {
      CLONE_OK = 0,
      CLONE_ERR_CLOSED = 1,             // the machine is no longer open
      CLONE_ERR_BUSY = 2,               // another operation is under way
      CLONE_ERR_NOT_POWERED_OFF = 3,    // the current state of a machine that is not powered off
      CLONE_ERR_NO_SNAPSHOT = 4,        // the machine has no such snapshot
      CLONE_ERR_SNAPSHOT_NOT_OFF = 5,   // a snapshot taken while the machine ran
      CLONE_ERR_SINGLE_SNAPSHOT = 6,    // a linked clone of the current state needs a new snapshot
      CLONE_ERR_TEMPLATE = 11,          // a template's current state: only its snapshots clone
   };
   // Whether snapshot `snapshotUid` (0: the current state) can be cloned as `type` (CloneType);
   // `error` gets the reason (CloneError) when not.
   bool IsCloneable(int snapshotUid, int type, int *error = nullptr) const;
   static std::string GetErrorText(int code);
   // A template ("templateVM"): its current state is kept as it is and only its snapshots clone.
   bool IsTemplate() const;
   // Characters of the longest file name (without its folder) of the machine's hard disks.
   int GetLongestHardDiskNameLength() const;
   // Clones the current state (`snapshotUid` 0) or a snapshot into the configuration file `path`
   // as the machine `name`: a full clone copies the disks, a linked one keeps reading the
   // source's (a linked clone of the current state first takes a snapshot of it, and
   // `snapshotStep` runs once that is taken). Then `failed` (cancelled, error) or `done` runs.
   void Clone(int snapshotUid, bool full, const std::string &name, const std::string &path, const AbortSlot &failed,
              const DoneSlot &done, const DoneSlot &snapshotStep);

   sigc::signal<void> changed;             // anything below, and any other change
   sigc::signal<void> powerStateChanged;   // the power state
   sigc::signal<void> actionStateChanged;  // a power operation started or ended
   sigc::signal<void> configChanged;       // the configuration (the mirror's generation)
   sigc::signal<void> nameChanged;
   sigc::signal<void> notesChanged;
   sigc::signal<void> removed;             // the machine was closed or is gone
   sigc::signal<void> movieStateChanged;   // a movie capture started or ended
   sigc::signal<void> connectionsChanged;  // a session connected or went (GetConnections)

   VM(const VM &) = delete;
   VM &operator=(const VM &) = delete;

protected:
   friend class VMMgr;
   friend class wui::VMMgr;
   friend class SnapshotTree;   // a revert changes the power state: the answer reads it all again
   friend class SessionRecordMgr;   // reads the recorder's state from the machine's node
   // Reads the node again and raises the signals of what changed; the snapshot list too when
   // a change came under it or `withSnapshots`.
   void Refresh(bool withSnapshots = false);
   // Marks the machine closed (no more signals but `removed`, raised by the manager).
   void SetUnregistered();
   // Raised when the machine's node has gone from the database; the manager follows it.
   sigc::signal<void> vanished;
   // The power operation the host has under way, or the one asked and not yet answered.
   std::string PendingPowerOp() const { return pending_.empty() ? requested_ : pending_; }

private:
   void OnWatch(const std::string &changedPath);
   void OnScreenshotAnswer(std::string error, std::map<std::string, std::string> outputs, CompletionSlot completion,
                           DoneSlot saved);
   void OnPowerAnswer(std::string error, std::map<std::string, std::string> outputs, std::string op,
                      AbortSlot abort, DoneSlot done);

   vmdb::Ctx ctx_;
   std::string vmPath_;
   Host *host_;
   sigc::connection watch_;
   unsigned long long refreshedDelivery_ = 0;   // the delivery the last watched change came in
   unsigned long long snapshotDelivery_ = 0;    // the last one with a change of the snapshot list
   bool snapshotsChanged_ = true;               // the snapshot tree is to be read again
   bool registered_ = true;

   std::string filename_;
   std::string name_;
   std::string guestOS_;
   long memoryMB_ = 0;
   long cpuCount_ = 0;
   std::string notes_;
   std::vector<std::string> ancestors_;
   std::string currentSnapshot_;
   std::string snapshotFileError_;
   bool remoteDisplay_ = false;
   long remoteDisplayPort_ = 0;
   std::vector<std::string> remoteDisplayUsers_;
   std::vector<Connection> connections_;
   bool readOnly_ = false;
   bool independentDisk_ = false;
   int configVersion_ = 0;
   int hardwareVersion_ = 0;
   long generationNo_ = -1;
   bool guiRestricted_ = false;
   bool powerOnAtStartup_ = false;
   bool fullScreenAtPowerOn_ = false;
   bool exitAtPowerOff_ = false;
   std::string teamFile_;

   PowerState powerState_ = POWERED_OFF;
   std::string pending_;     // "vmx/execState/pending"
   std::string requested_;   // sent by this machine object, not yet answered
   time_t poweredOnAt_ = 0;
   std::string screenshot_;
   std::unique_ptr<SharedFolderMgr> sharedFolderMgr_;
   std::unique_ptr<Movie> movie_;
   std::unique_ptr<SnapshotTree> snapshotTree_;
   std::unique_ptr<SessionRecordMgr> sessionRecordMgr_;
   std::unique_ptr<MsgSource> msgSource_;
   mutable std::shared_ptr<MKS> mks_;   // made on first use
   int movieQuality_ = Movie::QUALITY_MEDIUM;
   bool followed_ = false;   // the first reading of the node is done
};

}  // namespace cui

namespace wui {

// The Windows side's machine: the one the machine manager hands out.
class VM : public cui::VM {
public:
   using cui::VM::VM;
};

}  // namespace wui
