// The machines the user interface has open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

struct IUnknown;

namespace cui {

class VM;

class VMMgr : public sigc::trackable {
public:
   VMMgr();
   // Unregisters itself when it is the registered machine manager; deletes its machines.
   virtual ~VMMgr();

   std::vector<VM *> GetVMs() const;
   // By database path ("/vm/#0001/"); null when not open.
   VM *GetVMByVMPath(const std::string &vmPath) const;

   sigc::signal<void, VM *> vmAdded;
   sigc::signal<void, VM *> vmRemoved;

protected:
   void AddVM(std::unique_ptr<VM> vm);
   void RemoveVM(VM *vm);

private:
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
   // By configuration file, compared without regard to case and slash direction; null when none.
   cui::VM *GetVMByCfgPath(const std::string &cfgPath) const;

   VMMgr(const VMMgr &) = delete;
   VMMgr &operator=(const VMMgr &) = delete;

private:
   IUnknown *client_;
};

}  // namespace wui
