#include "cui/VMMgr.h"

#include <unknwn.h>

#include <algorithm>

#include "PathText.h"
#include "cui/Registry.h"
#include "cui/VM.h"

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
      if (!wanted.empty() && cuiutil::WithSlash(vm->GetVmPath()) == wanted) {
         return vm.get();
      }
   }
   return nullptr;
}

void VMMgr::AddVM(std::unique_ptr<VM> vm)
{
   VM *added = vm.get();
   vms_.push_back(std::move(vm));
   vmAdded.emit(added);
}

void VMMgr::RemoveVM(VM *vm)
{
   auto it = std::find_if(vms_.begin(), vms_.end(), [vm](const std::unique_ptr<VM> &p) { return p.get() == vm; });
   if (it == vms_.end()) {
      return;
   }
   std::unique_ptr<VM> removed = std::move(*it);
   vms_.erase(it);
   vmRemoved.emit(removed.get());
}

}  // namespace cui

namespace wui {

VMMgr::VMMgr(IUnknown *client) : client_(client)
{
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

cui::VM *VMMgr::GetVMByCfgPath(const std::string &cfgPath) const
{
   for (cui::VM *vm : GetVMs()) {
      if (!cfgPath.empty() && cuiutil::SameFilePath(vm->GetFilename(), cfgPath)) {
         return vm;
      }
   }
   return nullptr;
}

}  // namespace wui
