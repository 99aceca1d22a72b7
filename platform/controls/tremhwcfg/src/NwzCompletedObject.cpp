#include "NwzCompletedObject.h"

#include "NwzCompletedDlg.h"
#include "tremorybase/Log.h"

namespace tremhwcfg {

HRESULT NwzCompletedObject::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<NwzCompletedObject>(iid, ppv);
}

HRESULT NwzCompletedObject::raw_SetConfigFile(BSTR path)
{
   configFile_ = path ? std::wstring(path, SysStringLen(path)) : std::wstring();
   return S_OK;
}

HRESULT NwzCompletedObject::raw_Show(INT_PTR owner)
{
   HWND window = reinterpret_cast<HWND>(owner);
   if (!window || !::IsWindow(window)) {
      window = ::GetActiveWindow();
   }
   CNwzCompletedDlg dialog(configFile_);
   if (dialog.DoModal(window) < 0) {
      Warning("NWZ: the completion page could not be shown (error %lu)\n", ::GetLastError());
      return HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND);
   }
   return S_OK;
}

}  // namespace tremhwcfg
