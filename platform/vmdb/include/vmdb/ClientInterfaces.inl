// Inline wrappers of the client objects' interfaces (included by ClientInterfaces.h).
#pragma once

#define VMDB_CLIENT_RAISE_ON_FAILURE(Interface, call)                                                 \
   do {                                                                                               \
      HRESULT vmdbHr_ = (call);                                                                       \
      if (FAILED(vmdbHr_)) {                                                                          \
         _com_issue_errorex(vmdbHr_, this, __uuidof(Interface));                                      \
      }                                                                                               \
   } while (0)

// IVMClient

inline HRESULT IVMClient::Init(INT_PTR rawCtx, INT_PTR rawPoll, VARIANT_BOOL pollOption)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_Init(rawCtx, rawPoll, pollOption));
   return S_OK;
}

inline HRESULT IVMClient::SetVariables(_bstr_t text)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_SetVariables(text));
   return S_OK;
}

inline _bstr_t IVMClient::GetHostPath()
{
   BSTR path = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_GetHostPath(&path));
   return _bstr_t(path, false);
}

inline _bstr_t IVMClient::GetLocalHostPath()
{
   BSTR path = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_GetLocalHostPath(&path));
   return _bstr_t(path, false);
}

inline _bstr_t IVMClient::Connect(_bstr_t dest, _bstr_t user, _bstr_t password)
{
   BSTR cnxPath = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_Connect(dest, user, password, &cnxPath));
   return _bstr_t(cnxPath, false);
}

inline long IVMClient::GetConnectionHostCount(_bstr_t cnxPath)
{
   long count = 0;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_GetConnectionHostCount(cnxPath, &count));
   return count;
}

inline _bstr_t IVMClient::GetConnectionHostPath(_bstr_t cnxPath, long index)
{
   BSTR hostPath = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_GetConnectionHostPath(cnxPath, index, &hostPath));
   return _bstr_t(hostPath, false);
}

inline HRESULT IVMClient::Attach(_bstr_t cnxPath, _bstr_t hostPath)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_Attach(cnxPath, hostPath));
   return S_OK;
}

inline HRESULT IVMClient::ReleaseHost(_bstr_t hostPath)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_ReleaseHost(hostPath));
   return S_OK;
}

inline HRESULT IVMClient::Disconnect(_bstr_t cnxPath)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_Disconnect(cnxPath));
   return S_OK;
}

inline HRESULT IVMClient::ConnectMks(_bstr_t vmPath)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMClient, raw_ConnectMks(vmPath));
   return S_OK;
}

// IVMList

inline HRESULT IVMList::Init(IVmdbDatabase *db, ITremappPoll *poll)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMList, raw_Init(db, poll));
   return S_OK;
}

inline IVmdbDatabasePtr IVMList::GetDatabase()
{
   IVmdbDatabase *db = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMList, raw_GetDatabase(&db));
   return IVmdbDatabasePtr(db, false);
}

// IVMMsg

inline HRESULT IVMMsg::Init(long channel)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_Init(channel));
   return S_OK;
}

inline HRESULT IVMMsg::SetContext(IVmdbContext *ctx)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_SetContext(ctx));
   return S_OK;
}

inline HRESULT IVMMsg::SetOwner(HWND owner)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_SetOwner(owner));
   return S_OK;
}

inline HWND IVMMsg::GetOwner()
{
   HWND owner = nullptr;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_GetOwner(&owner));
   return owner;
}

inline long IVMMsg::Message(_bstr_t text, _bstr_t title, _bstr_t buttonSet, _bstr_t kind, _bstr_t hintKey)
{
   long answer = 0;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_Message(text, title, buttonSet, kind, hintKey, &answer));
   return answer;
}

inline long IVMMsg::MachineMessage(_bstr_t text, _bstr_t vmName, _bstr_t buttonSet, _bstr_t kind, long defaultAnswer,
                                   long reserved1, long reserved2, long reserved3)
{
   long answer = 0;
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_MachineMessage(text, vmName, buttonSet, kind, defaultAnswer, reserved1,
                                                           reserved2, reserved3, &answer));
   return answer;
}

inline HRESULT IVMMsg::FollowRequest(_bstr_t elementPath)
{
   VMDB_CLIENT_RAISE_ON_FAILURE(IVMMsg, raw_FollowRequest(elementPath));
   return S_OK;
}

#undef VMDB_CLIENT_RAISE_ON_FAILURE
