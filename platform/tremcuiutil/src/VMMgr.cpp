#include "cui/VMMgr.h"

#include <windows.h>
#include <unknwn.h>

#include <algorithm>
#include <set>

#include "ModelCmd.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace {

const char kDefaultLocalHost[] = "/host2/#0000/";

void PostDone(const cui::DoneSlot &done)
{
   cui::DoneSlot slot = done;
   Poll_Post([slot]() { cui::CallSlot(slot); });
}

void PostAbort(const cui::AbortSlot &abort, const std::string &text)
{
   cui::AbortSlot slot = abort;
   cui::Error error(text);
   Poll_Post([slot, error]() { cui::CallSlot(slot, false, error); });
}

}  // namespace

namespace cui {

VMMgr::VMMgr() = default;

VMMgr::~VMMgr()
{
   if (GetVMMgr() == this) {
      SetVMMgr(nullptr);
   }
}

std::vector<VM *> VMMgr::GetVMs() const
{
   std::vector<VM *> out;
   for (const auto &vm : vms_) {
      out.push_back(vm.get());
   }
   return out;
}

VM *VMMgr::GetVMByVMPath(const std::string &vmPath) const
{
   std::string wanted = cuiutil::WithSlash(vmPath);
   for (const auto &vm : vms_) {
      if (!wanted.empty() && vm->GetVmPath() == wanted) {
         return vm.get();
      }
   }
   return nullptr;
}

VM *VMMgr::GetVMByCfgPath(const std::string &cfgPath) const
{
   for (const auto &vm : vms_) {
      if (!cfgPath.empty() && cuiutil::SameFilePath(vm->GetFilename(), cfgPath)) {
         return vm.get();
      }
   }
   return nullptr;
}

void VMMgr::AddVM(std::unique_ptr<VM> vm)
{
   VM *added = vm.get();
   added->vanished.connect(sigc::bind(sigc::mem_fun(*this, &VMMgr::OnVMChanged), added));
   vms_.push_back(std::move(vm));
   vmAdded.emit(added);
}

void VMMgr::OnVMChanged(VM *vm)
{
   Log("VMMgr: %s has gone from the host\n", vm->GetVmPath().c_str());
   RemoveVM(vm);
}

bool VMMgr::RemoveVM(VM *vm)
{
   auto it = std::find_if(vms_.begin(), vms_.end(), [vm](const std::unique_ptr<VM> &p) { return p.get() == vm; });
   if (it == vms_.end()) {
      return false;
   }
   std::shared_ptr<VM> removed(it->release());
   vms_.erase(it);
   removed->SetUnregistered();
   vmRemoved.emit(removed.get());
   removed->removed.emit();
   // Handlers of `removed` may still be on the stack of the machine's own signal.
   Poll_Post([removed]() {});
   return true;
}

}  // namespace cui

namespace wui {

// One operation over several machines: done once every part is done, abort at the first failure.
class VMMgr::Batch : public std::enable_shared_from_this<VMMgr::Batch> {
public:
   Batch(const cui::AbortSlot &abort, const cui::DoneSlot &done) : abort_(abort), done_(done) {}

   void Add() { ++outstanding_; }
   void PartDone()
   {
      if (--outstanding_ == 0 && sealed_ && !finished_) {
         finished_ = true;
         cui::CallSlot(done_);
      }
   }
   void PartFailed(bool cancelled, const cui::Error &error)
   {
      --outstanding_;
      if (!finished_) {
         finished_ = true;
         cui::CallSlot(abort_, cancelled, error);
      }
   }
   // No more parts: finishes from a later poll step when none is outstanding.
   void Seal()
   {
      sealed_ = true;
      if (outstanding_ == 0 && !finished_) {
         finished_ = true;
         PostDone(done_);
      }
   }
   cui::AbortSlot PartAbort()
   {
      std::shared_ptr<Batch> self = shared_from_this();
      return [self](bool cancelled, cui::Error error) { self->PartFailed(cancelled, error); };
   }
   cui::DoneSlot PartDoneSlot()
   {
      std::shared_ptr<Batch> self = shared_from_this();
      return [self]() { self->PartDone(); };
   }

   std::map<cui::VM *, std::vector<sigc::connection>> waits;

private:
   cui::AbortSlot abort_;
   cui::DoneSlot done_;
   int outstanding_ = 0;
   bool sealed_ = false;
   bool finished_ = false;
};

struct VMMgr::PendingOpen {
   std::string cfgPath;
   cui::Host *host = nullptr;
   std::vector<std::pair<cui::AbortSlot, cui::DoneSlot>> callers;
};

VMMgr::VMMgr(IUnknown *client) : client_(client)
{
   static unsigned count = 0;
   clientId_ = "zolt-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
   if (client_) {
      client_->AddRef();
   }
}

VMMgr::~VMMgr()
{
   if (client_) {
      client_->Release();
   }
}

std::string VMMgr::LocalHostPath()
{
   if (cui::Host *host = cui::GetClientHost()) {
      if (!host->GetPath().empty()) {
         return host->GetPath();
      }
   }
   if (cui::Host *host = wui::GetCurrentHost()) {
      if (!host->GetPath().empty()) {
         return host->GetPath();
      }
   }
   return kDefaultLocalHost;
}

void VMMgr::OpenVM(const std::string &cfgPath, DlgMgr *dlgMgr, const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   OpenVM(nullptr, cfgPath, dlgMgr, abort, done);
}

void VMMgr::OpenVM(cui::Host *host, const std::string &cfgPath, DlgMgr *, const cui::AbortSlot &abort,
                   const cui::DoneSlot &done)
{
   if (cfgPath.empty()) {
      PostAbort(abort, cui::GetLocalString("@&!*@*@(msg.vmmgr.noPath)No virtual machine configuration file was given."));
      return;
   }
   if (GetVMByCfgPath(cfgPath)) {
      PostDone(done);
      return;
   }
   for (const auto &pending : pendingOpens_) {
      if (cuiutil::SameFilePath(pending->cfgPath, cfgPath)) {
         pending->callers.push_back({abort, done});
         return;
      }
   }
   vmdb::Ctx ctx = cui::GetVmdbCtx();
   if (!ctx.IsValid()) {
      PostAbort(abort, cui::GetLocalString("@&!*@*@(msg.vmmgr.noDatabase)The virtual machine cannot be opened: there "
                                           "is no connection to the host."));
      return;
   }
   std::string hostPath = host && !host->GetPath().empty() ? host->GetPath() : LocalHostPath();
   std::shared_ptr<PendingOpen> pending = std::make_shared<PendingOpen>();
   pending->cfgPath = cfgPath;
   pending->host = host ? host : cui::GetClientHost();
   pending->callers.push_back({abort, done});
   try {
      cuiutil::ModelCmd::Send(ctx, hostPath + "util/vm/cmd/##/", "openVM", {{"cfgPath", cfgPath}, {"client", clientId_}},
                              {"vmPath"}, sigc::bind(sigc::mem_fun(*this, &VMMgr::OnOpenAnswer), cfgPath));
   } catch (const cui::Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   Log("VMMgr: opening %s on %s\n", cfgPath.c_str(), hostPath.c_str());
   pendingOpens_.push_back(pending);
}

void VMMgr::OnOpenAnswer(std::string error, std::map<std::string, std::string> outputs, std::string cfgPath)
{
   auto it = std::find_if(pendingOpens_.begin(), pendingOpens_.end(),
                          [&cfgPath](const std::shared_ptr<PendingOpen> &p) { return p->cfgPath == cfgPath; });
   if (it == pendingOpens_.end()) {
      return;
   }
   std::shared_ptr<PendingOpen> pending = *it;
   pendingOpens_.erase(it);
   std::string vmPath = outputs["vmPath"];
   vmdb::Ctx ctx = cui::GetVmdbCtx();
   if (error.empty() && (vmPath.empty() || !ctx.IsValid())) {
      error = cui::GetLocalString("@&!*@*@(msg.vmmgr.noAnswer)The host did not say where it opened the virtual machine.");
   }
   if (!error.empty()) {
      Log("VMMgr: opening %s failed: %s\n", cfgPath.c_str(), error.c_str());
      for (const auto &caller : pending->callers) {
         cui::CallSlot(caller.first, false, cui::Error(error));
      }
      return;
   }
   AddVM(std::unique_ptr<cui::VM>(new wui::VM(ctx, vmPath, pending->host)));
   for (const auto &caller : pending->callers) {
      cui::CallSlot(caller.second);
   }
}

void VMMgr::CloseVM(cui::VM *vm, const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   if (!vm || GetVMByVMPath(vm->GetVmPath()) != vm) {
      PostDone(done);
      return;
   }
   std::string vmPath = vm->GetVmPath();
   std::string hostPath = vm->GetHost() && !vm->GetHost()->GetPath().empty() ? vm->GetHost()->GetPath() : LocalHostPath();
   vmdb::Ctx ctx = cui::GetVmdbCtx();
   RemoveVM(vm);
   if (!ctx.IsValid()) {
      PostDone(done);
      return;
   }
   cui::AbortSlot onAbort = abort;
   cui::DoneSlot onDone = done;
   cuiutil::ModelCmd::AnswerSlot answer = [onAbort, onDone](std::string error, std::map<std::string, std::string>) {
      if (error.empty()) {
         cui::CallSlot(onDone);
      } else {
         cui::CallSlot(onAbort, false, cui::Error(error));
      }
   };
   try {
      cuiutil::ModelCmd::Send(ctx, hostPath + "util/vm/cmd/##/", "closeVM", {{"vmPath", vmPath}}, {}, answer);
   } catch (const cui::Error &e) {
      PostAbort(abort, e.what());
   }
}

void VMMgr::CloseAllVMs(const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   std::shared_ptr<Batch> batch = std::make_shared<Batch>(abort, done);
   for (cui::VM *vm : GetVMs()) {
      batch->Add();
      CloseVM(vm, batch->PartAbort(), batch->PartDoneSlot());
   }
   batch->Seal();
}

void VMMgr::PowerOffVMs(int option, const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   ChangeAllPower(cui::VM::POWERED_OFF, option, abort, done);
}

void VMMgr::SuspendVMs(int option, const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   ChangeAllPower(cui::VM::SUSPENDED, option, abort, done);
}

void VMMgr::ChangeAllPower(cui::VM::PowerState target, int option, const cui::AbortSlot &abort, const cui::DoneSlot &done)
{
   std::shared_ptr<Batch> batch = std::make_shared<Batch>(abort, done);
   std::weak_ptr<Batch> weak = batch;
   // A machine whose power operation is under way is looked at again when it has ended (or gone).
   std::function<void(cui::VM *, bool)> settle = [weak, target, option](cui::VM *vm, bool gone) {
      std::shared_ptr<Batch> b = weak.lock();
      if (!b || !b->waits.count(vm) || (!gone && !vm->PendingPowerOp().empty())) {
         return;
      }
      // Disconnected later: this runs inside one of those slots.
      std::vector<sigc::connection> waits = b->waits[vm];
      b->waits.erase(vm);
      Poll_Post([waits]() mutable {
         for (sigc::connection &c : waits) {
            c.disconnect();
         }
      });
      if (!gone && vm->GetPowerState() == cui::VM::POWERED_ON) {
         vm->SetPowerState(target, static_cast<cui::VM::PowerOption>(option), b->PartAbort(), b->PartDoneSlot());
      } else {
         b->PartDone();
      }
   };
   for (cui::VM *vm : GetVMs()) {
      if (!vm->PendingPowerOp().empty()) {
         batch->Add();
         // The connections keep the batch alive until the machine settles.
         std::vector<sigc::connection> &waits = batch->waits[vm];
         waits.push_back(vm->actionStateChanged.connect([batch, settle, vm]() { settle(vm, false); }));
         waits.push_back(vm->removed.connect([batch, settle, vm]() { settle(vm, true); }));
      } else if (vm->GetPowerState() == cui::VM::POWERED_ON) {
         batch->Add();
         vm->SetPowerState(target, static_cast<cui::VM::PowerOption>(option), batch->PartAbort(), batch->PartDoneSlot());
      }
   }
   batch->Seal();
}

}  // namespace wui
