// Inline wrappers of the settings interfaces (included by TremAppCfg.h).
#pragma once

#define TREMAPPCFG_RAISE_ON_FAILURE(Interface, call)                                                  \
   do {                                                                                               \
      HRESULT tremappcfgHr_ = (call);                                                                 \
      if (FAILED(tremappcfgHr_)) {                                                                    \
         _com_issue_errorex(tremappcfgHr_, this, __uuidof(Interface));                                \
      }                                                                                               \
   } while (0)

inline HRESULT ITremappPropObj::SetContext(IVmdbContext *ctx)
{
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_SetContext(ctx));
   return S_OK;
}

inline HRESULT ITremappPropObj::SetElementPath(_bstr_t path)
{
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_SetElementPath(path));
   return S_OK;
}

inline HRESULT ITremappPropObj::SetHostPath(_bstr_t path)
{
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_SetHostPath(path));
   return S_OK;
}

inline IVmdbContextPtr ITremappPropObj::GetContext()
{
   IVmdbContext *ctx = nullptr;
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_GetContext(&ctx));
   return IVmdbContextPtr(ctx, false);
}

inline _bstr_t ITremappPropObj::GetElementPath()
{
   BSTR path = nullptr;
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_GetElementPath(&path));
   return _bstr_t(path, false);
}

inline _bstr_t ITremappPropObj::GetHostPath()
{
   BSTR path = nullptr;
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropObj, raw_GetHostPath(&path));
   return _bstr_t(path, false);
}

inline HRESULT ITremappPropFrame::AddDataObject(ITremappPropObj *data)
{
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropFrame, raw_AddDataObject(data));
   return S_OK;
}

inline HRESULT ITremappPropFrame::AddPage(_bstr_t progId)
{
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropFrame, raw_AddPage(progId));
   return S_OK;
}

inline bool ITremappPropFrame::ShowModal(HWND owner, _bstr_t title)
{
   VARIANT_BOOL confirmed = VARIANT_FALSE;
   TREMAPPCFG_RAISE_ON_FAILURE(ITremappPropFrame,
                               raw_ShowModal(reinterpret_cast<INT_PTR>(owner), title, &confirmed));
   return confirmed != VARIANT_FALSE;
}

#undef TREMAPPCFG_RAISE_ON_FAILURE
