#include "SdkUtil.h"

#include "ComError.h"
#include "DeviceGlyph.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

HRESULT Answer(BSTR *out, const std::wstring &text)
{
   if (!out) {
      return E_POINTER;
   }
   *out = SysAllocString(text.c_str());
   return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring Without(const std::wstring &path, const std::wstring &prefix)
{
   return path.compare(0, prefix.size(), prefix) == 0 ? path.substr(prefix.size()) : path;
}

}  // namespace

HRESULT SdkUtil::Fail(HRESULT hr, const std::wstring &text) const
{
   return SetComErrorInfo(__uuidof(ITremAppSdkUtil), text.c_str(), hr);
}

HRESULT SdkUtil::raw_SetLocale(BSTR locale)
{
   locale_ = locale ? locale : L"";
   return S_OK;
}

HRESULT SdkUtil::raw_SetContext(IVmdbContext *ctx)
{
   ctx_ = ctx;
   return S_OK;
}

HRESULT SdkUtil::raw_SetDatabase(IVmdbDatabase *db)
{
   ctx_ = nullptr;
   if (db) {
      return db->raw_NewContext(&ctx_);
   }
   return S_OK;
}

HRESULT SdkUtil::raw_SetClient(IVMClient *client)
{
   client_ = client;
   return S_OK;
}

HRESULT SdkUtil::raw_SetHostPath(BSTR hostPath)
{
   hostPath_ = hostPath ? hostPath : L"";
   return S_OK;
}

HRESULT SdkUtil::raw_SetVMPath(BSTR vmPath)
{
   vmPath_ = vmPath ? vmPath : L"";
   return S_OK;
}

HRESULT SdkUtil::raw_SetCfgStatePath(BSTR cfgStatePath)
{
   cfgStatePath_ = cfgStatePath ? cfgStatePath : L"";
   return S_OK;
}

std::wstring SdkUtil::CfgStatePath() const
{
   std::wstring path = cfgStatePath_.empty() && !vmPath_.empty() ? WithSlash(vmPath_) + L"vmx/cfgState" : cfgStatePath_;
   while (path.size() > 1 && path.back() == L'/') {
      path.pop_back();
   }
   return path;
}

std::wstring SdkUtil::MachinePath() const
{
   if (!vmPath_.empty()) {
      return WithSlash(vmPath_);
   }
   // "/vm/#0001/vmx/cfgState" belongs to "/vm/#0001/".
   std::wstring state = CfgStatePath();
   size_t at = state.rfind(L"vmx/cfgState");
   return at == std::wstring::npos ? std::wstring() : state.substr(0, at);
}

bool SdkUtil::Find(BSTR key, DeviceInfo &device) const
{
   std::wstring wanted = key ? key : L"";
   if (!wanted.empty()) {
      for (const DeviceInfo &d : ReadDevices(ctx_, CfgStatePath())) {
         if (d.key == wanted) {
            device = d;
            return true;
         }
      }
   }
   Fail(E_INVALIDARG, FormatResString(IDS_TREMAPPSDK_UNKNOWN_DEVICE, wanted.c_str()));
   return false;
}

HRESULT SdkUtil::raw_GetDeviceName(BSTR key, BSTR *name)
{
   DeviceInfo device;
   if (!ctx_) {
      return E_POINTER;
   }
   if (!Find(key, device)) {
      return E_INVALIDARG;
   }
   return Answer(name, device.label.empty() ? LoadResString(DeviceTypeStringId(device.type)) : device.label);
}

HRESULT SdkUtil::raw_IsDeviceConnected(BSTR key, VARIANT_BOOL *connected)
{
   DeviceInfo device;
   if (!connected) {
      return E_POINTER;
   }
   if (!ctx_) {
      return E_POINTER;
   }
   if (!Find(key, device)) {
      return E_INVALIDARG;
   }
   bool on = device.present;
   if (device.media == L"removable") {
      // A running machine's drive is connected or not by its own state; a stopped one's as it boots.
      std::wstring state = MachinePath() + L"vmx/execState/dev/" + device.key + L"/connected";
      if (!ReadText(ctx_, state).empty()) {
         on = ReadFlag(ctx_, state);
      } else {
         on = on && ReadLong(ctx_, device.element + L"startConnected", 1) != 0;
      }
   }
   *connected = on ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT SdkUtil::raw_GetConnectionText(BSTR key, BSTR *text)
{
   DeviceInfo device;
   if (!ctx_) {
      return E_POINTER;
   }
   if (!Find(key, device)) {
      return E_INVALIDARG;
   }
   if (device.type == L"cdrom" || device.type == L"floppy" || device.type == L"disk") {
      return Answer(text, device.fileName.empty() ? LoadResString(IDS_TREMAPPSDK_NO_MEDIA) : device.fileName);
   }
   return Answer(text, LoadResString(device.present ? IDS_TREMAPPSDK_PRESENT : IDS_TREMAPPSDK_ABSENT));
}

HRESULT SdkUtil::raw_EditDevice(BSTR key, HWND owner)
{
   DeviceInfo device;
   if (!ctx_) {
      return E_POINTER;
   }
   if (!Find(key, device)) {
      return E_INVALIDARG;
   }
   CDeviceDialog dialog(device);
   INT_PTR result = dialog.DoModal(owner);
   if (result == -1) {
      return Fail(E_FAIL, L"TremAppSdkUtil: the device dialog cannot be shown");
   }
   if (result != IDOK || !dialog.Change().Any()) {
      return S_FALSE;
   }
   try {
      SubmitChange(ctx_, CfgStatePath(), device, dialog.Change());
   } catch (const _com_error &e) {
      Warning("TremAppSdkUtil: the change to %s was not submitted: 0x%08lx\n", Utf8FromWide(device.key).c_str(),
              static_cast<unsigned long>(e.Error()));
      return e.Error();
   }
   return S_OK;
}

std::wstring SdkUtil::SubmitChange(IVmdbContext *ctx, const std::wstring &cfgStatePath, const DeviceInfo &device,
                                   const DeviceChange &change)
{
   std::wstring state = WithSlash(cfgStatePath);
   // The device's element relative to the state's value: "dev/#0002/".
   std::wstring relative = Without(device.element, state + L"val/");
   std::wstring request = ToWide(ctx->AppendElement((state + L"req/#").c_str()));
   ctx->OpenBatch();
   try {
      if (change.fileChanged) {
         ctx->WriteValue((request + L"val/" + relative + L"fileName").c_str(), _variant_t(change.fileName.c_str()));
      }
      if (change.presentChanged) {
         ctx->WriteValue((request + L"val/" + relative + L"present").c_str(), _variant_t(change.present));
      }
   } catch (...) {
      ctx->CloseBatch(-1, 0);
      throw;
   }
   ctx->CloseBatch(-1, 0);
   ctx->WriteValue((state + L"new").c_str(), _variant_t(request.c_str()));
   return request;
}

}  // namespace tremappsdk
