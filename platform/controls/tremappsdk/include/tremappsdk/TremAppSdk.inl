// Inline wrappers of the controls' interfaces (included by TremAppSdk.h).
#pragma once

#define TREMAPPSDK_RAISE_ON_FAILURE(Interface, call)                                                    \
   do {                                                                                               \
      HRESULT tremappsdkHr_ = (call);                                                                 \
      if (FAILED(tremappsdkHr_)) {                                                                    \
         _com_issue_errorex(tremappsdkHr_, this, __uuidof(Interface));                                \
      }                                                                                               \
   } while (0)

// IVMStatusbarCtl

inline VARIANT_BOOL IVMStatusbarCtl::GetCanFitWindow()
{
   VARIANT_BOOL v = VARIANT_FALSE;
   TREMAPPSDK_RAISE_ON_FAILURE(IVMStatusbarCtl, get_CanFitWindow(&v));
   return v;
}

inline void IVMStatusbarCtl::PutCanFitWindow(VARIANT_BOOL canFit)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMStatusbarCtl, put_CanFitWindow(canFit));
}

inline void IVMStatusbarCtl::PutDatabase(IVmdbDatabase *db)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMStatusbarCtl, put_Database(db));
}

inline _bstr_t IVMStatusbarCtl::GetVMPath()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IVMStatusbarCtl, get_VMPath(&v));
   return _bstr_t(v, false);
}

// IMksCtl

inline void IMksCtl::PutContext(IVmdbContext *ctx)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, put_Context(ctx));
}

inline void IMksCtl::PutLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, put_LinkPath(path));
}

inline VARIANT_BOOL IMksCtl::GetMessageActive()
{
   VARIANT_BOOL v = VARIANT_FALSE;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_MessageActive(&v));
   return v;
}

inline void IMksCtl::PutMessageActive(VARIANT_BOOL active)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, put_MessageActive(active));
}

inline _bstr_t IMksCtl::GetMessageText()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_MessageText(&v));
   return _bstr_t(v, false);
}

inline void IMksCtl::PutMessageText(_bstr_t text)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, put_MessageText(text));
}

inline long IMksCtl::GetReservedWidth()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_ReservedWidth(&v));
   return v;
}

inline long IMksCtl::GetReservedHeight()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_ReservedHeight(&v));
   return v;
}

inline HRESULT IMksCtl::ReleaseInput()
{
   HRESULT hr = raw_ReleaseInput();
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, hr);
   return hr;
}

inline _bstr_t IMksCtl::GetVMPath()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_VMPath(&v));
   return _bstr_t(v, false);
}

inline VARIANT_BOOL IMksCtl::GetGrabbed()
{
   VARIANT_BOOL v = VARIANT_FALSE;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_Grabbed(&v));
   return v;
}

inline long IMksCtl::GetGuestWidth()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_GuestWidth(&v));
   return v;
}

inline long IMksCtl::GetGuestHeight()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IMksCtl, get_GuestHeight(&v));
   return v;
}

// IVMSwitchCtl

inline void IVMSwitchCtl::PutContext(IVmdbContext *ctx)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMSwitchCtl, put_Context(ctx));
}

inline void IVMSwitchCtl::PutLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMSwitchCtl, put_LinkPath(path));
}

inline void IVMSwitchCtl::PutArrayPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMSwitchCtl, put_ArrayPath(path));
}

inline long IVMSwitchCtl::GetTabCount()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IVMSwitchCtl, get_TabCount(&v));
   return v;
}

// IHardwareCtl

inline void IHardwareCtl::PutDatabase(IVmdbDatabase *db)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IHardwareCtl, put_Database(db));
}

inline _bstr_t IHardwareCtl::GetPath()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IHardwareCtl, get_Path(&v));
   return _bstr_t(v, false);
}

inline void IHardwareCtl::PutPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IHardwareCtl, put_Path(path));
}

inline void IHardwareCtl::PutReadOnly(long readOnly)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IHardwareCtl, put_ReadOnly(readOnly));
}

inline void IHardwareCtl::PutBorder(long border)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IHardwareCtl, put_Border(border));
}

// ITremAppSdkUtil

inline HRESULT ITremAppSdkUtil::SetLocale(_bstr_t locale)
{
   HRESULT hr = raw_SetLocale(locale);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetContext(IVmdbContext *ctx)
{
   HRESULT hr = raw_SetContext(ctx);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetDatabase(IVmdbDatabase *db)
{
   HRESULT hr = raw_SetDatabase(db);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetClient(IVMClient *client)
{
   HRESULT hr = raw_SetClient(client);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetHostPath(_bstr_t hostPath)
{
   HRESULT hr = raw_SetHostPath(hostPath);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetVMPath(_bstr_t vmPath)
{
   HRESULT hr = raw_SetVMPath(vmPath);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline HRESULT ITremAppSdkUtil::SetCfgStatePath(_bstr_t cfgStatePath)
{
   HRESULT hr = raw_SetCfgStatePath(cfgStatePath);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

inline _bstr_t ITremAppSdkUtil::GetDeviceName(_bstr_t key)
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, raw_GetDeviceName(key, &v));
   return _bstr_t(v, false);
}

inline VARIANT_BOOL ITremAppSdkUtil::IsDeviceConnected(_bstr_t key)
{
   VARIANT_BOOL v = VARIANT_FALSE;
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, raw_IsDeviceConnected(key, &v));
   return v;
}

inline _bstr_t ITremAppSdkUtil::GetConnectionText(_bstr_t key)
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, raw_GetConnectionText(key, &v));
   return _bstr_t(v, false);
}

inline HRESULT ITremAppSdkUtil::EditDevice(_bstr_t key, HWND owner)
{
   HRESULT hr = raw_EditDevice(key, owner);
   TREMAPPSDK_RAISE_ON_FAILURE(ITremAppSdkUtil, hr);
   return hr;
}

// IVMListCtl

inline void IVMListCtl::PutContext(IVmdbContext *ctx)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, put_Context(ctx));
}

inline void IVMListCtl::PutFavoritesPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, put_FavoritesPath(path));
}

inline void IVMListCtl::PutLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, put_LinkPath(path));
}

inline void IVMListCtl::PutArrayPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, put_ArrayPath(path));
}

inline void IVMListCtl::PutDestination(_bstr_t dest)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, put_Destination(dest));
}

inline HRESULT IVMListCtl::Rename()
{
   HRESULT hr = raw_Rename();
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, hr);
   return hr;
}

inline HRESULT IVMListCtl::NewFolder(long parentId)
{
   HRESULT hr = raw_NewFolder(parentId);
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, hr);
   return hr;
}

inline HRESULT IVMListCtl::OpenSelection()
{
   HRESULT hr = raw_OpenSelection();
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, hr);
   return hr;
}

inline _bstr_t IVMListCtl::GetSelectedPath()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IVMListCtl, get_SelectedPath(&v));
   return _bstr_t(v, false);
}

// IRegVmsCtl

inline void IRegVmsCtl::PutContext(IVmdbContext *ctx)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_Context(ctx));
}

inline void IRegVmsCtl::PutSessionPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_SessionPath(path));
}

inline void IRegVmsCtl::PutTransientLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_TransientLinkPath(path));
}

inline void IRegVmsCtl::PutLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_LinkPath(path));
}

inline void IRegVmsCtl::PutHostLinkPath(_bstr_t path)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_HostLinkPath(path));
}

inline void IRegVmsCtl::PutConnectionPath(_bstr_t cnxPath)
{
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, put_ConnectionPath(cnxPath));
}

inline HRESULT IRegVmsCtl::Refresh()
{
   HRESULT hr = raw_Refresh();
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, hr);
   return hr;
}

inline HRESULT IRegVmsCtl::Rename()
{
   HRESULT hr = raw_Rename();
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, hr);
   return hr;
}

inline _bstr_t IRegVmsCtl::GetSelectedPath()
{
   BSTR v = nullptr;
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, get_SelectedPath(&v));
   return _bstr_t(v, false);
}

inline long IRegVmsCtl::GetCount()
{
   long v = 0;
   TREMAPPSDK_RAISE_ON_FAILURE(IRegVmsCtl, get_Count(&v));
   return v;
}
