// Inline wrappers of the state database's interfaces (included by VmdbInterfaces.h).
#pragma once

#define VMDB_RAISE_ON_FAILURE(Interface, call)                                                        \
   do {                                                                                               \
      HRESULT vmdbHr_ = (call);                                                                       \
      if (FAILED(vmdbHr_)) {                                                                          \
         _com_issue_errorex(vmdbHr_, this, __uuidof(Interface));                                      \
      }                                                                                               \
   } while (0)

// IVmdbDatabase

inline HRESULT IVmdbDatabase::ConnectDefault()
{
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_ConnectDefault());
   return S_OK;
}

inline HRESULT IVmdbDatabase::Connect(_bstr_t name, long flags)
{
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_Connect(name, flags));
   return S_OK;
}

inline HRESULT IVmdbDatabase::Disconnect()
{
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_Disconnect());
   return S_OK;
}

inline IVmdbContextPtr IVmdbDatabase::NewContext()
{
   IVmdbContext *ctx = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_NewContext(&ctx));
   return IVmdbContextPtr(ctx, false);
}

inline HRESULT IVmdbDatabase::Save()
{
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_Save());
   return S_OK;
}

inline INT_PTR IVmdbDatabase::GetRawHandle()
{
   INT_PTR handle = 0;
   VMDB_RAISE_ON_FAILURE(IVmdbDatabase, raw_GetRawHandle(&handle));
   return handle;
}

// IVmdbContext

inline HRESULT IVmdbContext::ChangePath(_bstr_t path)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_ChangePath(path));
   return S_OK;
}

inline _bstr_t IVmdbContext::CurrentPath()
{
   BSTR path = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_CurrentPath(&path));
   return _bstr_t(path, false);
}

inline _bstr_t IVmdbContext::FullPath(_bstr_t path)
{
   BSTR full = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_FullPath(path, &full));
   return _bstr_t(full, false);
}

inline _variant_t IVmdbContext::ReadValue(_bstr_t path)
{
   VARIANT value;
   VariantInit(&value);
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_ReadValue(path, &value));
   return _variant_t(value, false);
}

inline HRESULT IVmdbContext::WriteValue(_bstr_t path, const _variant_t &value)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_WriteValue(path, value));
   return S_OK;
}

inline VARIANT_BOOL IVmdbContext::TestNode(_bstr_t path)
{
   VARIANT_BOOL result = VARIANT_FALSE;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_TestNode(path, &result));
   return result;
}

inline _bstr_t IVmdbContext::AppendElement(_bstr_t path)
{
   BSTR element = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_AppendElement(path, &element));
   return _bstr_t(element, false);
}

inline _bstr_t IVmdbContext::NextElement(_bstr_t path)
{
   BSTR element = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_NextElement(path, &element));
   return _bstr_t(element, false);
}

inline HRESULT IVmdbContext::OpenBatch()
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_OpenBatch());
   return S_OK;
}

inline HRESULT IVmdbContext::CloseBatch(long flag, long reserved)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_CloseBatch(flag, reserved));
   return S_OK;
}

inline VARIANT_BOOL IVmdbContext::WaitUntilChanged(_bstr_t path, const _variant_t &value, VARIANT_BOOL untilEqual,
                                                   long limitMs)
{
   VARIANT_BOOL result = VARIANT_FALSE;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_WaitUntilChanged(path, value, untilEqual, limitMs, &result));
   return result;
}

inline HRESULT IVmdbContext::RemoveNode(_bstr_t path, VARIANT_BOOL recursive)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_RemoveNode(path, recursive));
   return S_OK;
}

inline HRESULT IVmdbContext::Watch(_bstr_t path, long mode)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_Watch(path, mode));
   return S_OK;
}

inline HRESULT IVmdbContext::Unwatch(_bstr_t path)
{
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_Unwatch(path));
   return S_OK;
}

inline IVmdbDatabasePtr IVmdbContext::GetDatabase()
{
   IVmdbDatabase *db = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_GetDatabase(&db));
   return IVmdbDatabasePtr(db, false);
}

inline INT_PTR IVmdbContext::GetRawHandle()
{
   INT_PTR handle = 0;
   VMDB_RAISE_ON_FAILURE(IVmdbContext, raw_GetRawHandle(&handle));
   return handle;
}

// _IVmdbContextEvents

inline HRESULT _IVmdbContextEvents::OnChange(_bstr_t watchedPath, _bstr_t changedPath)
{
   VMDB_RAISE_ON_FAILURE(_IVmdbContextEvents, raw_OnChange(watchedPath, changedPath));
   return S_OK;
}

// IVmdbUtil

inline HRESULT IVmdbUtil::Attach(IVmdbDatabase *db)
{
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_Attach(db));
   return S_OK;
}

inline IVmdbDatabasePtr IVmdbUtil::GetDatabase()
{
   IVmdbDatabase *db = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_GetDatabase(&db));
   return IVmdbDatabasePtr(db, false);
}

inline HRESULT IVmdbUtil::ChangeSchemaPath(_bstr_t name)
{
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_ChangeSchemaPath(name));
   return S_OK;
}

inline _bstr_t IVmdbUtil::GetSchemaPath()
{
   BSTR path = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_GetSchemaPath(&path));
   return _bstr_t(path, false);
}

inline _bstr_t IVmdbUtil::JoinPath(_bstr_t base, _bstr_t path)
{
   BSTR result = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_JoinPath(base, path, &result));
   return _bstr_t(result, false);
}

inline _bstr_t IVmdbUtil::ParentPath(_bstr_t path)
{
   BSTR result = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_ParentPath(path, &result));
   return _bstr_t(result, false);
}

inline _bstr_t IVmdbUtil::RelativePath(_bstr_t from, _bstr_t to)
{
   BSTR result = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbUtil, raw_RelativePath(from, to, &result));
   return _bstr_t(result, false);
}

// IVmdbSchema

inline HRESULT IVmdbSchema::SetName(_bstr_t name)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_SetName(name));
   return S_OK;
}

inline _bstr_t IVmdbSchema::GetName()
{
   BSTR name = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetName(&name));
   return _bstr_t(name, false);
}

inline HRESULT IVmdbSchema::SetType(long type)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_SetType(type));
   return S_OK;
}

inline long IVmdbSchema::GetType()
{
   long type = 0;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetType(&type));
   return type;
}

inline HRESULT IVmdbSchema::AddEnumValue(_bstr_t value)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_AddEnumValue(value));
   return S_OK;
}

inline long IVmdbSchema::GetEnumValueCount()
{
   long count = 0;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetEnumValueCount(&count));
   return count;
}

inline _bstr_t IVmdbSchema::GetEnumValue(long index)
{
   BSTR value = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetEnumValue(index, &value));
   return _bstr_t(value, false);
}

inline HRESULT IVmdbSchema::SetDefault(_bstr_t value)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_SetDefault(value));
   return S_OK;
}

inline _bstr_t IVmdbSchema::GetDefault()
{
   BSTR value = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetDefault(&value));
   return _bstr_t(value, false);
}

inline HRESULT IVmdbSchema::SetLinkTarget(_bstr_t pattern)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_SetLinkTarget(pattern));
   return S_OK;
}

inline _bstr_t IVmdbSchema::GetLinkTarget()
{
   BSTR pattern = nullptr;
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_GetLinkTarget(&pattern));
   return _bstr_t(pattern, false);
}

inline HRESULT IVmdbSchema::AddToParent(IVmdbUtil *util)
{
   VMDB_RAISE_ON_FAILURE(IVmdbSchema, raw_AddToParent(util));
   return S_OK;
}

// ITremappPoll

inline INT_PTR ITremappPoll::GetRawHandle()
{
   INT_PTR handle = 0;
   VMDB_RAISE_ON_FAILURE(ITremappPoll, raw_GetRawHandle(&handle));
   return handle;
}

inline HRESULT ITremappPoll::Shutdown()
{
   VMDB_RAISE_ON_FAILURE(ITremappPoll, raw_Shutdown());
   return S_OK;
}

#undef VMDB_RAISE_ON_FAILURE
