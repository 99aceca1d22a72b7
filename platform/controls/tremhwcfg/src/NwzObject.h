// "tremhwcfg.Nwz.9": the wizard control. Keeps what its caller hands it and runs the wizard
// sheet; the template interface switches it to a new managed template and reads the choices
// only that mode offers.
#pragma once

#include <string>

#include "NwzSettings.h"
#include "atl/ComObject.h"
#include "tremhwcfg/TremHwCfg.h"

namespace tremhwcfg {

class NwzObject : public atl::ComObject<ITremNwz, ITremNwzTemplate> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   // ITremNwz
   HRESULT __stdcall raw_SetVmdbContext(IVmdbContext *ctx) override;
   HRESULT __stdcall raw_SetHostPath(BSTR path) override;
   HRESULT __stdcall raw_SetClientHostPath(BSTR path) override;
   HRESULT __stdcall raw_SetOpenWhenDone(VARIANT_BOOL open) override;
   HRESULT __stdcall raw_SetOperationPath(BSTR path) override;
   HRESULT __stdcall raw_SetParentWindow(INT_PTR parent) override;
   HRESULT __stdcall raw_Run(short *result) override;
   HRESULT __stdcall raw_GetVMUserName(BSTR *name) override;
   HRESULT __stdcall raw_GetVMUserPassword(BSTR *password) override;

   // ITremNwzTemplate
   HRESULT __stdcall raw_SetMode(long mode) override;
   HRESULT __stdcall raw_SetAppSignals(INT_PTR switchSignal, INT_PTR runningSignal) override;
   HRESULT __stdcall raw_GetPowerOnWhenOpened(VARIANT_BOOL *value) override;
   HRESULT __stdcall raw_GetOpenInNewTab(VARIANT_BOOL *value) override;
   HRESULT __stdcall raw_GetMakeCurrent(VARIANT_BOOL *value) override;
   HRESULT __stdcall raw_IsForZephroServer(VARIANT_BOOL *value) override;
   HRESULT __stdcall raw_GetZephroServerName(BSTR *name) override;
   HRESULT __stdcall raw_GetZephroServer(INT_PTR *server) override;

   // Host paths compare equal but for a trailing slash, or one of them was never given.
   static bool SameHost(const std::wstring &host, const std::wstring &clientHost);

private:
   HRESULT AnswerBool(bool value, VARIANT_BOOL *out);

   IVmdbContextPtr ctx_;
   std::wstring hostPath_;
   std::wstring clientHostPath_;
   std::wstring opPath_;
   bool openWhenDone_ = true;
   HWND parent_ = nullptr;
   long mode_ = TREMNWZ_MODE_MACHINE;
   TremNwzSignal *switchSignal_ = nullptr;
   TremNwzSignal *runningSignal_ = nullptr;
   bool running_ = false;
   // The choices of the last finished run (empty until then).
   NwzSettings chosen_;
};

}  // namespace tremhwcfg
