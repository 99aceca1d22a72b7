// "RemoteBrowseDlg": picks a file on a host reached over a connection, in a modal browser of the
// host's folders. The simulated hosts run on this computer, so a host's file system is this
// computer's; a Linux host (OS type 2) matches file patterns with regard to case.
//
// Registered by tremappsdk::RegisterClasses() under its ProgID and class id.
#pragma once

#include <windows.h>
#include <comdef.h>

struct IRemoteBrowseDlg;
struct RemoteBrowseDlg;

__CRT_UUID_DECL(IRemoteBrowseDlg, 0x3f0b6c52, 0x91d4, 0x4a7e, 0xb8, 0x23, 0x5d, 0x60, 0x1e, 0xa9, 0x47, 0xc1)
__CRT_UUID_DECL(RemoteBrowseDlg, 0x6b681417, 0xabe9, 0x46ca, 0x96, 0x15, 0x8b, 0x96, 0xec, 0x72, 0x4d, 0x0c)

_COM_SMARTPTR_TYPEDEF(IRemoteBrowseDlg, __uuidof(IRemoteBrowseDlg));

struct IRemoteBrowseDlg : IUnknown {
   // The connection node of the host ("/db/connection/#0001/"); E_INVALIDARG when empty.
   HRESULT SetConnection(_bstr_t cnxPath)
   {
      HRESULT hr = raw_SetConnection(cnxPath);
      if (FAILED(hr)) {
         _com_issue_errorex(hr, this, __uuidof(IRemoteBrowseDlg));
      }
      return hr;
   }
   // Shows the browser owned by `owner` with `title`, the filter ("text|patterns|...||", patterns
   // separated by ";") and the folder to start in (the host's root when it is no folder). Answers
   // the chosen file's full path, empty when the user cancelled. E_UNEXPECTED without a
   // connection, E_INVALIDARG without a host path.
   _bstr_t Browse(HWND owner, _bstr_t hostPath, long osType, _bstr_t title, _bstr_t filter, _bstr_t startFolder)
   {
      BSTR path = nullptr;
      HRESULT hr = raw_Browse(owner, hostPath, osType, title, filter, startFolder, &path);
      if (FAILED(hr)) {
         _com_issue_errorex(hr, this, __uuidof(IRemoteBrowseDlg));
      }
      return _bstr_t(path, false);
   }

   virtual HRESULT __stdcall raw_SetConnection(BSTR cnxPath) = 0;
   virtual HRESULT __stdcall raw_Browse(HWND owner, BSTR hostPath, long osType, BSTR title, BSTR filter,
                                        BSTR startFolder, BSTR *path) = 0;
};
