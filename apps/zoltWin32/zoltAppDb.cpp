#include "zoltAppDb.h"

#include "tremorybase/Text.h"

#include <cstdio>

namespace zoltdb {

const char kPrefsZoltPath[] = "/user/prefState/req/#ZOLT/val/zolt";

IVmdbContextPtr NewContextAt(const IVmdbDatabasePtr &db, const char *path)
{
   if (!db) {
      _com_issue_error(E_POINTER);
   }
   IVmdbContextPtr ctx = db->NewContext();
   ctx->ChangePath(path);
   return ctx;
}

std::string Text(const _bstr_t &text)
{
   const wchar_t *wide = static_cast<const wchar_t *>(text);
   return wide ? Utf8FromWide(std::wstring_view(wide, text.length())) : std::string();
}

std::string ReadText(const IVmdbContextPtr &ctx, const _bstr_t &path)
{
   _variant_t value = ctx->ReadValue(path);
   if (value.vt == VT_BOOL) {
      return value.boolVal ? "1" : "0";
   }
   if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
      return std::string();
   }
   return Text(_bstr_t(value));
}

bool ReadFlag(const IVmdbContextPtr &ctx, const _bstr_t &path)
{
   std::string text = ReadText(ctx, path);
   return !text.empty() && text != "0" && text != "false";
}

std::string ComText(const _com_error &error)
{
   _bstr_t description = error.Description();
   if (description.length() > 0) {
      return Text(description);
   }
   char code[32];
   snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(error.Error()));
   return code;
}

}  // namespace zoltdb
