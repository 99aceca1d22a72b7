#include "UtilObject.h"

#include "DatabaseObject.h"
#include "PathText.h"

namespace vmdb {

HRESULT UtilObject::Create(REFIID iid, void **ppv)
{
   return Hand(new UtilObject, iid, ppv);
}

HRESULT UtilObject::raw_Attach(IVmdbDatabase *db)
{
   db_ = db;
   return S_OK;
}

HRESULT UtilObject::raw_GetDatabase(IVmdbDatabase **db)
{
   if (!db) {
      return E_POINTER;
   }
   *db = nullptr;
   // Not attached: the default database, as a connect without a name would give.
   if (!db_) {
      IVmdbDatabase *created = nullptr;
      HRESULT hr = DatabaseObject::Create(__uuidof(IVmdbDatabase), reinterpret_cast<void **>(&created));
      if (FAILED(hr)) {
         return hr;
      }
      db_.Attach(created);
   }
   *db = db_;
   (*db)->AddRef();
   return S_OK;
}

HRESULT UtilObject::raw_ChangeSchemaPath(BSTR name)
{
   VMDB_COM_TRY
   std::string text = Utf8FromBstr(name);
   std::string joined = vmdb::JoinPath(GetSchemaPathText(), text);
   cursor_.clear();
   size_t pos = 1;
   while (pos < joined.size()) {
      size_t end = joined.find('/', pos);
      if (end == std::string::npos) {
         end = joined.size();
      }
      cursor_.push_back(joined.substr(pos, end - pos));
      pos = end + 1;
   }
   return S_OK;
   VMDB_COM_CATCH(IVmdbUtil)
}

std::string UtilObject::GetSchemaPathText() const
{
   std::string path = "/";
   for (const std::string &name : cursor_) {
      path += name + "/";
   }
   return path;
}

HRESULT UtilObject::raw_GetSchemaPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = BstrFromUtf8(GetSchemaPathText());
   return S_OK;
}

HRESULT UtilObject::raw_JoinPath(BSTR base, BSTR path, BSTR *result)
{
   if (!result) {
      return E_POINTER;
   }
   *result = nullptr;
   VMDB_COM_TRY
   *result = BstrFromUtf8(vmdb::JoinPath(Utf8FromBstr(base), Utf8FromBstr(path)));
   return S_OK;
   VMDB_COM_CATCH(IVmdbUtil)
}

HRESULT UtilObject::raw_ParentPath(BSTR path, BSTR *result)
{
   if (!result) {
      return E_POINTER;
   }
   *result = nullptr;
   VMDB_COM_TRY
   *result = BstrFromUtf8(vmdb::ParentPath(Utf8FromBstr(path)));
   return S_OK;
   VMDB_COM_CATCH(IVmdbUtil)
}

HRESULT UtilObject::raw_RelativePath(BSTR from, BSTR to, BSTR *result)
{
   if (!result) {
      return E_POINTER;
   }
   *result = nullptr;
   VMDB_COM_TRY
   *result = BstrFromUtf8(vmdb::RelativePath(Utf8FromBstr(from), Utf8FromBstr(to)));
   return S_OK;
   VMDB_COM_CATCH(IVmdbUtil)
}

}  // namespace vmdb
