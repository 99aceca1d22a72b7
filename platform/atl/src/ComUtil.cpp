// The support functions that comdef.h and comutil.h declare and the MinGW runtime leaves out.
// _bstr_t converts through them: 8-bit text is UTF-8 throughout (tremorybase/Text.h).
#include <comdef.h>

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char *src)
{
   if (!src) {
      return nullptr;
   }
   int len = MultiByteToWideChar(CP_UTF8, 0, src, -1, nullptr, 0);
   if (len <= 0) {
      return SysAllocString(L"");
   }
   BSTR out = SysAllocStringLen(nullptr, len - 1);
   if (!out) {
      _com_issue_error(E_OUTOFMEMORY);
   }
   MultiByteToWideChar(CP_UTF8, 0, src, -1, out, len);
   return out;
}

char *WINAPI ConvertBSTRToString(BSTR src)
{
   if (!src) {
      return nullptr;
   }
   int wlen = static_cast<int>(SysStringLen(src));
   int len = WideCharToMultiByte(CP_UTF8, 0, src, wlen, nullptr, 0, nullptr, nullptr);
   char *out = new char[len + 1];
   WideCharToMultiByte(CP_UTF8, 0, src, wlen, out, len, nullptr, nullptr);
   out[len] = '\0';
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
