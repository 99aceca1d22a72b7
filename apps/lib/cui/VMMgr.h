// The machines the user interface has open.
//
// Opening a configuration file asks the host ("openVM" on its "util/vm/cmd/##/"), which reads the
// file and registers the machine under "/vm/#…/"; closing asks it to let the machine go
// ("closeVM"). A machine the host drops by itself leaves the manager the same way: vmRemoved,
// then the machine's own `removed`; the object is deleted from a later poll step.
// Operations follow the slot conventions of cui/Error.h: they return at once and call the abort
// or the done slot from a later poll step.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VM.h"

struct IUnknown;

namespace wui {
class DlgMgr;
}

namespace cui {

class Host;

class VMMgr : public sigc::trackable {
public:
   VMMgr();
   // Unregisters itself when it is the registered machine manager; deletes its machines
   // (the host keeps them registered: the database goes with the program).
   virtual ~VMMgr();

   // In the order they were opened.
   std::vector<VM *> GetVMs() const;
   // By database path ("/vm/#0001/"); null when not open.
   VM *GetVMByVMPath(const std::string &vmPath) const;
   // By configuration file, compared without regard to case and slash direction; null when none.
   VM *GetVMByCfgPath(const std::string &cfgPath) const;

   sigc::signal<void, VM *> vmAdded;
   sigc::signal<void, VM *> vmRemoved;

   VMMgr(const VMMgr &) = delete;
   VMMgr &operator=(const VMMgr &) = delete;

protected:
   void AddVM(std::unique_ptr<VM> vm);
   // Takes the machine out of the list, raises vmRemoved and its `removed`, and deletes it
   // from a later poll step. False when it was not in the list.
   bool RemoveVM(VM *vm);

private:
   void OnVMChanged(VM *vm);
   std::vector<std::unique_ptr<VM>> vms_;
};

}  // namespace cui

namespace wui {

class VMMgr : public cui::VMMgr {
public:
   // `client` is the "VMClient" COM object; a reference is kept for the manager's life.
   explicit VMMgr(IUnknown *client);
   ~VMMgr() override;

   IUnknown *GetClient() const { return client_; }
   // Who opens machines through this manager, as the host records it ("client" of "/vm/#…/").
   const std::string &GetClientId() const { return clientId_; }

   // Opens the configuration file on the local host (the client host, else the current host).
   // A file this manager has open already completes at once with the machine it has.
   void OpenVM(const std::string &cfgPath, DlgMgr *dlgMgr, const cui::AbortSlot &abort, const cui::DoneSlot &done);
   // Opens it on `host`.
   void OpenVM(cui::Host *host, const std::string &cfgPath, DlgMgr *dlgMgr, const cui::AbortSlot &abort,
               const cui::DoneSlot &done);
   // Lets the machine go: it leaves the manager at once, the host lets it go later. A running
   // machine goes on running on the host.
   void CloseVM(cui::VM *vm, const cui::AbortSlot &abort, const cui::DoneSlot &done);
   void CloseAllVMs(const cui::AbortSlot &abort, const cui::DoneSlot &done);
   // Powers off (suspends) every machine that is powered on, waiting first for power
   // operations under way; done once all have got there, abort at the first failure.
   void PowerOffVMs(int option, const cui::AbortSlot &abort, const cui::DoneSlot &done);
   void SuspendVMs(int option, const cui::AbortSlot &abort, const cui::DoneSlot &done);

   // The host node a machine is opened on when no host is given.
   static std::string LocalHostPath();

private:
   struct PendingOpen;
   class Batch;
   void OnOpenAnswer(std::string error, std::map<std::string, std::string> outputs, std::string cfgPath);
   void ChangeAllPower(cui::VM::PowerState target, int option, const cui::AbortSlot &abort, const cui::DoneSlot &done);

   IUnknown *client_;
   std::string clientId_;
   std::vector<std::shared_ptr<PendingOpen>> pendingOpens_;
};

}  // namespace wui
