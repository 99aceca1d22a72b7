#include "ComSupport.h"

#include "atl/ComPtr.h"
#include "vmdb/Store.h"

#include <cstdio>

namespace vmdb {

bool TextFromVariant(const VARIANT &in, std::string &text, bool &isBool)
{
   VARIANT value;
   VariantInit(&value);
   if (FAILED(VariantCopyInd(&value, const_cast<VARIANT *>(&in)))) {
      return false;
   }
   isBool = false;
   bool ok = true;
   char buf[32];
   switch (V_VT(&value)) {
   case VT_EMPTY:
   case VT_NULL: text.clear(); break;
   case VT_BSTR: text = Utf8FromBstr(V_BSTR(&value)); break;
   case VT_BOOL:
      text = V_BOOL(&value) ? "1" : "0";
      isBool = true;
      break;
   case VT_I1: snprintf(buf, sizeof buf, "%d", V_I1(&value)); text = buf; break;
   case VT_I2: snprintf(buf, sizeof buf, "%d", V_I2(&value)); text = buf; break;
   case VT_I4: snprintf(buf, sizeof buf, "%ld", static_cast<long>(V_I4(&value))); text = buf; break;
   case VT_INT: snprintf(buf, sizeof buf, "%d", V_INT(&value)); text = buf; break;
   case VT_UI1: snprintf(buf, sizeof buf, "%u", V_UI1(&value)); text = buf; break;
   case VT_UI2: snprintf(buf, sizeof buf, "%u", V_UI2(&value)); text = buf; break;
   case VT_UI4: snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(V_UI4(&value))); text = buf; break;
   case VT_UINT: snprintf(buf, sizeof buf, "%u", V_UINT(&value)); text = buf; break;
   case VT_I8: snprintf(buf, sizeof buf, "%lld", static_cast<long long>(V_I8(&value))); text = buf; break;
   case VT_UI8: snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(V_UI8(&value))); text = buf; break;
   default:
      if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
         text = Utf8FromBstr(V_BSTR(&value));
      } else {
         ok = false;
      }
      break;
   }
   VariantClear(&value);
   return ok;
}

HRESULT Fail(HRESULT hr, REFIID iid, const std::string &text)
{
   atl::CComPtr<ICreateErrorInfo> create;
   if (SUCCEEDED(CreateErrorInfo(&create))) {
      _bstr_t description(BstrFromUtf8(text), false);
      create->SetDescription(description);
      create->SetGUID(iid);
      _bstr_t source(L"vmdb");
      create->SetSource(source);
      atl::CComQIPtr<IErrorInfo> info(create);
      if (info) {
         SetErrorInfo(0, info);
      }
   }
   return hr;
}

HRESULT FailFromException(REFIID iid, const char *method)
{
   std::string prefix = std::string(method) + ": ";
   try {
      throw;
   } catch (const vmdbstore::Error &e) {
      HRESULT hr = e.code() == vmdbstore::Error::NotEmpty ? HRESULT_FROM_WIN32(ERROR_DIR_NOT_EMPTY)
                   : e.code() == vmdbstore::Error::Io  ? E_FAIL
                                                       : E_INVALIDARG;
      return Fail(hr, iid, prefix + e.what());
   } catch (const _com_error &e) {
      std::string text = e.Description().length() ? static_cast<const char *>(e.Description()) : "COM error";
      return Fail(e.Error(), iid, prefix + text);
   } catch (const std::bad_alloc &) {
      return Fail(E_OUTOFMEMORY, iid, prefix + "out of memory");
   } catch (const std::exception &e) {
      return Fail(E_FAIL, iid, prefix + e.what());
   } catch (...) {
      return Fail(E_FAIL, iid, prefix + "unexpected failure");
   }
}

}  // namespace vmdb
