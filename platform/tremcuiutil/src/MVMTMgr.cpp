#include "cui/MVMTMgr.h"

#include <unknwn.h>

#include "cui/Registry.h"

namespace cui {

MVMTMgr::~MVMTMgr() = default;

MVMTMgrImpl::MVMTMgrImpl(VMMgr *vmMgr, IUnknown *client, ZephroServerMgr *serverMgr, wui::DlgMgr *dlgMgr)
   : vmMgr_(vmMgr), client_(client), serverMgr_(serverMgr), dlgMgr_(dlgMgr)
{
   if (client_) {
      client_->AddRef();
   }
   SetMVMTMgr(this);
}

MVMTMgrImpl::~MVMTMgrImpl()
{
   if (GetMVMTMgr() == this) {
      SetMVMTMgr(nullptr);
   }
   if (client_) {
      client_->Release();
   }
}

std::vector<MVMTemplate *> MVMTMgrImpl::GetMVMTs() const
{
   return templates_;
}

MVMTemplate *MVMTMgrImpl::GetMVMTByFilename(const std::string &) const
{
   // Templates are added by the managed-template open, which comes with the Zephro work.
   return nullptr;
}

}  // namespace cui
