#include "SchemaObject.h"

namespace vmdb {

namespace {

HRESULT ReturnText(const std::string &text, BSTR *out)
{
   if (!out) {
      return E_POINTER;
   }
   *out = BstrFromUtf8(text);
   return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT SchemaObject::Create(REFIID iid, void **ppv)
{
   return Hand(new SchemaObject, iid, ppv);
}

HRESULT SchemaObject::raw_SetName(BSTR name)
{
   decl_.name = Utf8FromBstr(name);
   return S_OK;
}

HRESULT SchemaObject::raw_GetName(BSTR *name)
{
   return ReturnText(decl_.name, name);
}

HRESULT SchemaObject::raw_SetType(long type)
{
   switch (type) {
   case VMDB_TYPE_DIR:
   case VMDB_TYPE_TEXT:
   case VMDB_TYPE_FLAG:
   case VMDB_TYPE_ENUM:
   case VMDB_TYPE_LINK:
      decl_.type = static_cast<vmdbstore::NodeType>(type);
      return S_OK;
   default:
      return Fail(E_INVALIDARG, __uuidof(IVmdbSchema), "SetType: unknown type code " + std::to_string(type));
   }
}

HRESULT SchemaObject::raw_GetType(long *type)
{
   if (!type) {
      return E_POINTER;
   }
   *type = static_cast<long>(decl_.type);
   return S_OK;
}

HRESULT SchemaObject::raw_AddEnumValue(BSTR value)
{
   VMDB_COM_TRY
   decl_.values.push_back(Utf8FromBstr(value));
   decl_.type = vmdbstore::NodeType::Enum;
   return S_OK;
   VMDB_COM_CATCH(IVmdbSchema)
}

HRESULT SchemaObject::raw_GetEnumValueCount(long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = static_cast<long>(decl_.values.size());
   return S_OK;
}

HRESULT SchemaObject::raw_GetEnumValue(long index, BSTR *value)
{
   if (index < 0 || static_cast<size_t>(index) >= decl_.values.size()) {
      return Fail(E_INVALIDARG, __uuidof(IVmdbSchema), "GetEnumValue: no value " + std::to_string(index));
   }
   return ReturnText(decl_.values[static_cast<size_t>(index)], value);
}

HRESULT SchemaObject::raw_SetDefault(BSTR value)
{
   decl_.defaultValue = Utf8FromBstr(value);
   return S_OK;
}

HRESULT SchemaObject::raw_GetDefault(BSTR *value)
{
   return ReturnText(decl_.defaultValue, value);
}

HRESULT SchemaObject::raw_SetLinkTarget(BSTR pattern)
{
   decl_.linkTarget = Utf8FromBstr(pattern);
   decl_.type = vmdbstore::NodeType::Link;
   return S_OK;
}

HRESULT SchemaObject::raw_GetLinkTarget(BSTR *pattern)
{
   return ReturnText(decl_.linkTarget, pattern);
}

HRESULT SchemaObject::raw_AddToParent(IVmdbUtil *util)
{
   if (!util) {
      return E_POINTER;
   }
   VMDB_COM_TRY
   IVmdbDatabasePtr db = util->GetDatabase();
   vmdbstore::Store *store = vmdbstore::StoreFromRawHandle(db->GetRawHandle());
   store->Declare(static_cast<const char *>(util->GetSchemaPath()), decl_);
   return S_OK;
   VMDB_COM_CATCH(IVmdbSchema)
}

}  // namespace vmdb
