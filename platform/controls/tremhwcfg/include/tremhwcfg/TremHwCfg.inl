// Inline wrappers of the wizard's interfaces (included by TremHwCfg.h).
#pragma once

#define TREMHWCFG_RAISE_ON_FAILURE(Interface, call)                                                   \
   do {                                                                                               \
      HRESULT tremhwcfgHr_ = (call);                                                                  \
      if (FAILED(tremhwcfgHr_)) {                                                                     \
         _com_issue_errorex(tremhwcfgHr_, this, __uuidof(Interface));                                 \
      }                                                                                               \
   } while (0)

// ITremNwz

inline HRESULT ITremNwz::SetVmdbContext(IVmdbContext *ctx)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetVmdbContext(ctx));
   return S_OK;
}

inline HRESULT ITremNwz::SetHostPath(_bstr_t path)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetHostPath(path));
   return S_OK;
}

inline HRESULT ITremNwz::SetClientHostPath(_bstr_t path)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetClientHostPath(path));
   return S_OK;
}

inline HRESULT ITremNwz::SetOpenWhenDone(VARIANT_BOOL open)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetOpenWhenDone(open));
   return S_OK;
}

inline HRESULT ITremNwz::SetOperationPath(_bstr_t path)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetOperationPath(path));
   return S_OK;
}

inline HRESULT ITremNwz::SetParentWindow(HWND parent)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_SetParentWindow(reinterpret_cast<INT_PTR>(parent)));
   return S_OK;
}

inline short ITremNwz::Run()
{
   short result = TREMNWZ_FAILED;
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_Run(&result));
   return result;
}

inline _bstr_t ITremNwz::GetVMUserName()
{
   BSTR name = nullptr;
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_GetVMUserName(&name));
   return _bstr_t(name, false);
}

inline _bstr_t ITremNwz::GetVMUserPassword()
{
   BSTR password = nullptr;
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwz, raw_GetVMUserPassword(&password));
   return _bstr_t(password, false);
}

// ITremNwzTemplate

inline HRESULT ITremNwzTemplate::SetMode(long mode)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzTemplate, raw_SetMode(mode));
   return S_OK;
}

inline HRESULT ITremNwzTemplate::SetAppSignals(INT_PTR switchSignal, INT_PTR runningSignal)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzTemplate, raw_SetAppSignals(switchSignal, runningSignal));
   return S_OK;
}

#define TREMHWCFG_BOOL_GETTER_(Name)                                                                  \
   inline VARIANT_BOOL ITremNwzTemplate::Name()                                                       \
   {                                                                                                  \
      VARIANT_BOOL value = VARIANT_FALSE;                                                             \
      TREMHWCFG_RAISE_ON_FAILURE(ITremNwzTemplate, raw_##Name(&value));                               \
      return value;                                                                                   \
   }

TREMHWCFG_BOOL_GETTER_(GetPowerOnWhenOpened)
TREMHWCFG_BOOL_GETTER_(GetOpenInNewTab)
TREMHWCFG_BOOL_GETTER_(GetMakeCurrent)
TREMHWCFG_BOOL_GETTER_(IsForZephroServer)

#undef TREMHWCFG_BOOL_GETTER_

inline _bstr_t ITremNwzTemplate::GetZephroServerName()
{
   BSTR name = nullptr;
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzTemplate, raw_GetZephroServerName(&name));
   return _bstr_t(name, false);
}

inline INT_PTR ITremNwzTemplate::GetZephroServer()
{
   INT_PTR server = 0;
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzTemplate, raw_GetZephroServer(&server));
   return server;
}

// ITremNwzCompleted

inline HRESULT ITremNwzCompleted::SetConfigFile(_bstr_t path)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzCompleted, raw_SetConfigFile(path));
   return S_OK;
}

inline HRESULT ITremNwzCompleted::Show(HWND owner)
{
   TREMHWCFG_RAISE_ON_FAILURE(ITremNwzCompleted, raw_Show(reinterpret_cast<INT_PTR>(owner)));
   return S_OK;
}

#undef TREMHWCFG_RAISE_ON_FAILURE
