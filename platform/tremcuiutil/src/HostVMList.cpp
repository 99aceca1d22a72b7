#include "cui/HostVMList.h"

#include "cui/Host.h"
#include "cui/HostBackend.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/KeyValueFile.h"

namespace cui {

namespace {

// The "displayName" line of a configuration file; empty when the file cannot be read.
std::string FileDisplayName(const std::string &cfgPath)
{
   std::vector<KeyValueEntry> entries;
   std::string error;
   if (!KeyValueFile::Read(cfgPath, entries, error)) {
      return std::string();
   }
   const std::string *name = KeyValueFile::Find(entries, "displayName");
   return name ? *name : std::string();
}

}  // namespace

std::shared_ptr<HostVMList> HostVMList::FromHost(Host *host)
{
   std::vector<Entry> entries;
   if (!host || host->GetPath().empty()) {
      return std::make_shared<HostVMList>(entries);
   }
   // A host node the host backend has not read its list into yet gets it first.
   if (HostBackend *backend = GetHostBackend()) {
      backend->LoadRegisteredVMs(host->GetCtx(), host->GetPath());
   }
   VMMgr *vmMgr = GetVMMgr();
   for (const std::string &element : host->GetCtx().Elements(host->GetPath() + "vms/registeredvms/#")) {
      Entry entry;
      entry.id = element;
      entry.cfgPath = host->GetCtx().Get(element + "cfgPath");
      if (!entry.cfgPath.empty()) {
         VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(entry.cfgPath) : nullptr;
         entry.displayName = vm ? vm->GetName() : std::string();
         if (entry.displayName.empty()) {
            entry.displayName = FileDisplayName(entry.cfgPath);
         }
      }
      entries.push_back(entry);
   }
   return std::make_shared<HostVMList>(entries);
}

}  // namespace cui
