// Managed machine templates ("mvmt") the user interface has open.
#pragma once

#include <string>
#include <vector>

#include "cui/VM.h"

struct IUnknown;

namespace wui {
class DlgMgr;
}

namespace cui {

class VMMgr;
class ZephroServerMgr;

// A managed machine template: a machine of its own kind, whose database node
// (GetVmPath) is that of the machine it was opened as.
class MVMTemplate : public VM {
public:
   using VM::VM;
};

class MVMTMgr {
public:
   virtual ~MVMTMgr();
   virtual std::vector<MVMTemplate *> GetMVMTs() const = 0;
   // By the template's file; null when not open.
   virtual MVMTemplate *GetMVMTByFilename(const std::string &filename) const = 0;
};

class MVMTMgrImpl : public MVMTMgr {
public:
   // Registers itself (cui::SetMVMTMgr) and unregisters in the destructor. A reference to
   // `client` (the "VMClient" COM object) is kept for the manager's life.
   MVMTMgrImpl(VMMgr *vmMgr, IUnknown *client, ZephroServerMgr *serverMgr, wui::DlgMgr *dlgMgr);
   ~MVMTMgrImpl() override;

   std::vector<MVMTemplate *> GetMVMTs() const override;
   MVMTemplate *GetMVMTByFilename(const std::string &filename) const override;

   VMMgr *GetVMMgr() const { return vmMgr_; }
   ZephroServerMgr *GetServerMgr() const { return serverMgr_; }
   wui::DlgMgr *GetDlgMgr() const { return dlgMgr_; }

   MVMTMgrImpl(const MVMTMgrImpl &) = delete;
   MVMTMgrImpl &operator=(const MVMTMgrImpl &) = delete;

private:
   VMMgr *vmMgr_;
   IUnknown *client_;
   ZephroServerMgr *serverMgr_;
   wui::DlgMgr *dlgMgr_;
   std::vector<MVMTemplate *> templates_;
};

}  // namespace cui
