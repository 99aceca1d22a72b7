// A host: a node under "/host2/#" of the state database.
#pragma once

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VmdbCtx.h"

namespace cui {

class Cnx;   // a connection to a remote host; none for the local host
class DlgMgr;

class Host : public sigc::trackable {
public:
   // `hostPath` is the host's node ("/host2/#0001/"); a trailing "/" is added when missing.
   Host(Cnx *cnx, const vmdb::Ctx &ctx, const std::string &hostPath);
   // Unregisters itself where it is the client or the current host.
   virtual ~Host();

   const std::string &GetPath() const { return path_; }
   Cnx *GetCnx() const { return cnx_; }
   vmdb::Ctx &GetCtx() { return ctx_; }

   // The product the host runs ("setup/product/name", "setup/product/versionDotted").
   std::string GetProductName() const;
   std::string GetProductVersion() const;
   // Facts about the host: what its node says ("info/hostname", "info/memoryMB",
   // "info/osVersion"), else, for the local host (no connection), this computer's own; empty or
   // 0 when neither is known.
   std::string GetName() const;
   int GetMemory() const;   // physical memory in megabytes
   std::string GetOSVersion() const;
   // The configuration files of the machines registered on the host, in the order of
   // "vms/registeredvms/#" (each element's "cfgPath").
   std::vector<std::string> GetRegisteredVMs() const;
   // The registered entry for `cfgPath` as the host lists it; empty when it is not registered.
   // Paths are compared as the same file: without regard to case, slash direction, relative or
   // short forms.
   std::string GetRegisteredVMPath(const std::string &cfgPath) const;
   // Adds `cfgPath` to the host's registered machines ("registerVM" on the host's queue) or
   // drops it ("unregisterVM"). Both wait for the host's answer, so the list is up to date when
   // they return, then call `abort` (a failure, as cui::Error) or `done`.
   void RegisterVM(const std::string &cfgPath, const AbortSlot &abort, const DoneSlot &done);
   void UnregisterVM(const std::string &cfgPath, const AbortSlot &abort, const DoneSlot &done);
   // Deletes the machine of `cfgPath` from the disk once the user agrees (a question through
   // `dlgMgr`, null: wui::GetDlgMgr): the host drops it and removes the files its configuration
   // names ("deleteVMFromDisk"). A No ends it silently; a refusal goes to `abort`.
   void DeleteVM(const std::string &cfgPath, DlgMgr *dlgMgr, const DoneSlot &done, const AbortSlot &abort);
   // Deletes the team file `cfgPath` once the user agrees (the question through `dlgMgr`, null:
   // wui::GetDlgMgr): the host drops the team and removes the file; its machines stay. A No ends it
   // silently; a refusal (a member powered on, the team busy) goes to `abort`.
   void DeleteTeam(const std::string &cfgPath, DlgMgr *dlgMgr, const DoneSlot &done, const AbortSlot &abort);
   // (writable, the folder as the host checked it, the host's reason when it is not writable).
   typedef sigc::slot<void, bool, std::string, std::string> WritablePathSlot;
   // Asks the host whether it can make files in the folder `path` ("checkWritablePath"; a
   // missing folder is made for the check and taken away again). `done` gets the answer from a
   // poll step; `abort` when the host cannot be asked.
   void GetWritablePath(const std::string &path, const AbortSlot &abort, const WritablePathSlot &done);
   // What the host lets this user do ("cap/newVM", "cap/editSettings", "cap/unregisterVM"): allowed
   // unless the node says "0" or "false".
   bool CapNewVM() const;
   bool CapEditSettings() const;
   bool CapUnregisterVM() const;
   // "cap/registerVM": whether machines may be added to the host's registered machines.
   bool CapRegisterVM() const;
   // "cap/editVmStartStop": whether machines may be set to start and stop with the host.
   bool CapEditVmStartStop() const;
   // The host's operating system ("setup/osType": "1" or "windows", "2" or "linux"): 1 Windows,
   // 2 Linux, 0 another; a host that does not say is the Windows one this library runs on.
   int GetOSType() const;
   // The top of the host's file system: "info/root" when the node says, else "/" for a Linux
   // host and, for a Windows one, the root of the drive of this computer's Windows folder (the
   // local host) or of drive C.
   std::string GetRoot() const;

   // Raised from a poll step when anything under the host's node changes.
   sigc::signal<void> changed;
   // Raised from a poll step when the registered machines ("vms/registeredvms") change.
   sigc::signal<void> registeredVMsChanged;

protected:
   // Sets the path and (re)watches the host's subtree; an empty path watches nothing.
   void SetPath(const std::string &hostPath);

private:
   bool GetCap(const char *name) const;
   // Sends `op` with "in/cfgPath" to the host's queue and waits for its status.
   void RunRegistrationCommand(const char *op, const std::string &cfgPath, const AbortSlot &abort,
                               const DoneSlot &done);

   Cnx *cnx_;
   vmdb::Ctx ctx_;
   std::string path_;
   sigc::connection watch_;
   sigc::connection registeredWatch_;
};

}  // namespace cui
