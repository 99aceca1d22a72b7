#include "NwzObject.h"

#include <exception>
#include <new>

#include "NwzSheet.h"
#include "NwzText.h"
#include "cui/ZephroServerMgr.h"
#include "tremorybase/Log.h"

namespace tremhwcfg {

namespace {

std::wstring FromBstr(BSTR text)
{
   return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

HRESULT AnswerText(const std::wstring &text, BSTR *out)
{
   if (!out) {
      return E_POINTER;
   }
   *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
   return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring WithoutTrailingSlash(std::wstring path)
{
   while (!path.empty() && path.back() == L'/') {
      path.pop_back();
   }
   return path;
}

}  // namespace

HRESULT NwzObject::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<NwzObject>(iid, ppv);
}

bool NwzObject::SameHost(const std::wstring &host, const std::wstring &clientHost)
{
   if (host.empty() || clientHost.empty()) {
      return true;
   }
   return WithoutTrailingSlash(host) == WithoutTrailingSlash(clientHost);
}

HRESULT NwzObject::raw_SetVmdbContext(IVmdbContext *ctx)
{
   ctx_ = ctx;
   return S_OK;
}

HRESULT NwzObject::raw_SetHostPath(BSTR path)
{
   hostPath_ = FromBstr(path);
   return S_OK;
}

HRESULT NwzObject::raw_SetClientHostPath(BSTR path)
{
   clientHostPath_ = FromBstr(path);
   return S_OK;
}

HRESULT NwzObject::raw_SetOpenWhenDone(VARIANT_BOOL open)
{
   openWhenDone_ = open != VARIANT_FALSE;
   return S_OK;
}

HRESULT NwzObject::raw_SetOperationPath(BSTR path)
{
   opPath_ = FromBstr(path);
   return S_OK;
}

HRESULT NwzObject::raw_SetParentWindow(INT_PTR parent)
{
   parent_ = reinterpret_cast<HWND>(parent);
   return S_OK;
}

HRESULT NwzObject::raw_Run(short *result)
{
   if (!result) {
      return E_POINTER;
   }
   *result = TREMNWZ_FAILED;
   if (running_) {
      return E_UNEXPECTED;   // one run at a time
   }
   try {
      NwzRunOptions options;
      options.ctx = ctx_;
      options.opPath = opPath_;
      options.local = SameHost(hostPath_, clientHostPath_);
      options.openWhenDone = openWhenDone_;
      options.mode = mode_;
      options.switchSignal = switchSignal_;
      options.runningSignal = runningSignal_;
      CNwzSheet sheet(options);
      running_ = true;
      *result = sheet.Run(parent_ && ::IsWindow(parent_) ? parent_ : nullptr);
      running_ = false;
      if (*result == TREMNWZ_FINISHED) {
         chosen_ = sheet.Settings();
      }
      return S_OK;
   } catch (const std::bad_alloc &) {
      running_ = false;
      return E_OUTOFMEMORY;
   } catch (const std::exception &e) {
      running_ = false;
      Warning("NWZ: the wizard failed: %s\n", e.what());
      return E_FAIL;
   } catch (const _com_error &e) {
      running_ = false;
      Warning("NWZ: the wizard failed (0x%08lx)\n", static_cast<unsigned long>(e.Error()));
      return e.Error();
   } catch (...) {
      running_ = false;
      Warning("NWZ: the wizard failed with an unknown exception\n");
      return E_FAIL;
   }
}

HRESULT NwzObject::raw_GetVMUserName(BSTR *name)
{
   return AnswerText(chosen_.userName, name);
}

HRESULT NwzObject::raw_GetVMUserPassword(BSTR *password)
{
   return AnswerText(chosen_.password, password);
}

HRESULT NwzObject::raw_SetMode(long mode)
{
   if (mode != TREMNWZ_MODE_MACHINE && mode != TREMNWZ_MODE_TEMPLATE) {
      return E_INVALIDARG;
   }
   mode_ = mode;
   return S_OK;
}

HRESULT NwzObject::raw_SetAppSignals(INT_PTR switchSignal, INT_PTR runningSignal)
{
   switchSignal_ = reinterpret_cast<TremNwzSignal *>(switchSignal);
   runningSignal_ = reinterpret_cast<TremNwzSignal *>(runningSignal);
   return S_OK;
}

HRESULT NwzObject::AnswerBool(bool value, VARIANT_BOOL *out)
{
   if (!out) {
      return E_POINTER;
   }
   *out = value ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT NwzObject::raw_GetPowerOnWhenOpened(VARIANT_BOOL *value)
{
   return AnswerBool(chosen_.powerOnWhenOpened, value);
}

HRESULT NwzObject::raw_GetOpenInNewTab(VARIANT_BOOL *value)
{
   return AnswerBool(chosen_.openInNewTab, value);
}

HRESULT NwzObject::raw_GetMakeCurrent(VARIANT_BOOL *value)
{
   return AnswerBool(chosen_.makeCurrent, value);
}

HRESULT NwzObject::raw_IsForZephroServer(VARIANT_BOOL *value)
{
   return AnswerBool(chosen_.toZephroServer, value);
}

HRESULT NwzObject::raw_GetZephroServerName(BSTR *name)
{
   return AnswerText(chosen_.zephroServer, name);
}

HRESULT NwzObject::raw_GetZephroServer(INT_PTR *server)
{
   if (!server) {
      return E_POINTER;
   }
   *server = 0;
   cui::ZephroServerMgr *manager = cui::ZephroServerMgrImpl::GetInstance();
   if (chosen_.toZephroServer && manager) {
      *server = reinterpret_cast<INT_PTR>(manager->GetServerByID(Utf8FromWide(chosen_.zephroServer)));
   }
   return S_OK;
}

}  // namespace tremhwcfg
