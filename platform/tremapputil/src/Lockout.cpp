#include "tremapputil/TremAppUtil.h"

#include "tremorybase/Log.h"
#include "vmdb/VmdbInterfaces.h"

#include <string>

bool TremAppUtil_CheckLockout(IVmdbContext *ctx, const char *hostPath, const char *policyKey)
{
   if (!ctx || !hostPath || !*hostPath || !policyKey) {
      return true;
   }
   std::string host = hostPath;
   if (host.back() != '/') {
      host += '/';
   }
   try {
      if (ctx->TestNode((host + "policy/" + policyKey).c_str())) {
         Log("Lockout: %s is locked out on %s\n", policyKey, host.c_str());
         return false;
      }
   } catch (const _com_error &e) {
      Warning("Lockout: cannot read the policy %s: 0x%lx\n", policyKey, static_cast<unsigned long>(e.Error()));
   }
   return true;
}

void TremAppUtil_NotifyVMCreated(IVmdbContext *ctx, const char *hostPath, const char *cfgPath, bool isPrivate)
{
   if (!ctx || !hostPath || !*hostPath || !cfgPath) {
      return;
   }
   std::string host = hostPath;
   if (host.back() != '/') {
      host += '/';
   }
   try {
      _bstr_t element = ctx->AppendElement((host + "vms/created/#").c_str());
      ctx->WriteValue(element + "cfgPath", _variant_t(cfgPath));
      ctx->WriteValue(element + "private", _variant_t(static_cast<short>(isPrivate ? 1 : 0)));
   } catch (const _com_error &e) {
      Warning("TremAppUtil_NotifyVMCreated %s: 0x%lx\n", cfgPath, static_cast<unsigned long>(e.Error()));
   }
}
