// "TremAppSdkUtil": names and connection states of a machine's devices, and their settings dialog.
#pragma once

#include <string>

#include "DbUtil.h"
#include "DeviceDialog.h"
#include "atl/ComObject.h"
#include "tremappsdk/TremAppSdk.h"

namespace tremappsdk {

class SdkUtil : public atl::ComObject<ITremAppSdkUtil, ISupportErrorInfo> {
public:
   // Failures carry a text for the caller's _com_error.
   HRESULT __stdcall InterfaceSupportsErrorInfo(REFIID iid) override
   {
      return iid == __uuidof(ITremAppSdkUtil) ? S_OK : S_FALSE;
   }
   HRESULT __stdcall raw_SetLocale(BSTR locale) override;
   HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) override;
   HRESULT __stdcall raw_SetDatabase(IVmdbDatabase *db) override;
   HRESULT __stdcall raw_SetClient(IVMClient *client) override;
   HRESULT __stdcall raw_SetHostPath(BSTR hostPath) override;
   HRESULT __stdcall raw_SetVMPath(BSTR vmPath) override;
   HRESULT __stdcall raw_SetCfgStatePath(BSTR cfgStatePath) override;
   HRESULT __stdcall raw_GetDeviceName(BSTR key, BSTR *name) override;
   HRESULT __stdcall raw_IsDeviceConnected(BSTR key, VARIANT_BOOL *connected) override;
   HRESULT __stdcall raw_GetConnectionText(BSTR key, BSTR *text) override;
   HRESULT __stdcall raw_EditDevice(BSTR key, HWND owner) override;

   // Writes the change as a request on the configuration state; the request element's path.
   static std::wstring SubmitChange(IVmdbContext *ctx, const std::wstring &cfgStatePath, const DeviceInfo &device,
                                    const DeviceChange &change);

private:
   std::wstring CfgStatePath() const;
   // The machine's node ("/vm/#0001/"), from the machine path or the configuration state's.
   std::wstring MachinePath() const;
   // False (with the error set) when no device of the machine has `key`.
   bool Find(BSTR key, DeviceInfo &device) const;
   HRESULT Fail(HRESULT hr, const std::wstring &text) const;

   IVmdbContextPtr ctx_;
   IVMClientPtr client_;
   std::wstring locale_;
   std::wstring hostPath_;
   std::wstring vmPath_;
   std::wstring cfgStatePath_;
};

}  // namespace tremappsdk
