// The error information a failing COM method leaves for its caller.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace tremappsdk {

// Sets the thread's error information to `text` from the interface `source` and returns `hr`,
// so a method can end with `return SetComErrorInfo(...)`.
inline HRESULT SetComErrorInfo(REFGUID source, const wchar_t *text, HRESULT hr)
{
   ICreateErrorInfo *create = nullptr;
   if (SUCCEEDED(CreateErrorInfo(&create))) {
      create->SetGUID(source);
      create->SetDescription(const_cast<LPOLESTR>(text));
      IErrorInfo *info = nullptr;
      if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info)))) {
         SetErrorInfo(0, info);
         info->Release();
      }
      create->Release();
   }
   return hr;
}

}  // namespace tremappsdk
