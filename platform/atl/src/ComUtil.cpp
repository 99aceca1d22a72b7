// The support functions that comdef.h and comutil.h declare and the MinGW runtime leaves out.
// _bstr_t converts through them: 8-bit text is UTF-8 throughout (tremorybase/Text.h).
#include <comdef.h>

#include <cstring>
#include <string>

#include "tremorybase/Text.h"

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char *src)
{
   if (!src) {
      return nullptr;
   }
   BSTR out = BstrFromUtf8(src);
   if (!out) {
      _com_issue_error(E_OUTOFMEMORY);
   }
   return out;
}

// The whole BSTR, embedded zeros included; the caller deletes the array.
char *WINAPI ConvertBSTRToString(BSTR src)
{
   if (!src) {
      return nullptr;
   }
   std::string text = Utf8FromBstr(src);
   char *out = new char[text.size() + 1];
   memcpy(out, text.c_str(), text.size() + 1);
   return out;
}

} // namespace _com_util

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown *unknown, REFIID iid)
{
   IErrorInfo *info = nullptr;
   if (unknown) {
      ISupportErrorInfo *support = nullptr;
      if (SUCCEEDED(unknown->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void **>(&support)))) {
         if (support->InterfaceSupportsErrorInfo(iid) == S_OK) {
            GetErrorInfo(0, &info);
         }
         support->Release();
      }
   }
   // _com_error takes over the reference to the error information.
   _com_raise_error(hr, info);
}
