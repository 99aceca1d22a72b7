// The new-machine wizard control ("tremhwcfg.Nwz.9") and its completion page
// ("tremhwcfg.NwzCompleted.9"). Both are created by name through the class table once
// tremhwcfg::RegisterClasses has run:
//    ITremNwzPtr nwz;
//    nwz.CreateInstance(L"tremhwcfg.Nwz.9", nullptr, 0x17);   // or CoCreateInstance by class id
//    nwz->SetVmdbContext(ctx);
//    nwz->SetOperationPath(ctx->CurrentPath());
//    if (nwz->Run() == 0) { ... finished ... }
// The interfaces are plain vtables (no IDispatch); each raw_ method returns an HRESULT and the
// inline wrappers raise _com_error on failure, as type-library wrappers do.
//
// While it runs the wizard writes the inputs of the "createVMCfg" command below the operation
// path: "in/file", "in/access/private" and "in/config/{displayName, guestOS, memoryMB,
// cpuCount, diskSizeMB, network}". When the user cancels, "in/file" is left empty.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <comdef.h>

#include <sigc++/sigc++.h>

#include "vmdb/VmdbInterfaces.h"

struct ITremNwz;
struct ITremNwzTemplate;
struct ITremNwzCompleted;
struct TremNwz;
struct TremNwzCompleted;

__CRT_UUID_DECL(ITremNwz, 0xed4b8ec0, 0x5de0, 0x4f67, 0x8d, 0xe7, 0x89, 0x93, 0x0c, 0xc7, 0x36, 0xe3)
__CRT_UUID_DECL(ITremNwzTemplate, 0x18d54a0a, 0xe2de, 0x4319, 0x83, 0xa0, 0xae, 0x61, 0x25, 0x9d, 0x82, 0xe7)
__CRT_UUID_DECL(ITremNwzCompleted, 0x6577f0c3, 0x89db, 0x4f86, 0xab, 0x21, 0xc4, 0x00, 0xfe, 0x58, 0x0b, 0x4b)
__CRT_UUID_DECL(TremNwz, 0x8af4ca7b, 0x0a28, 0x4f88, 0x9a, 0x96, 0x95, 0x51, 0x66, 0xa5, 0xd3, 0x52)
__CRT_UUID_DECL(TremNwzCompleted, 0x5a5bb659, 0xf008, 0x4b62, 0x96, 0xe9, 0xdf, 0x46, 0xd2, 0x68, 0x2f, 0x1a)

_COM_SMARTPTR_TYPEDEF(ITremNwz, __uuidof(ITremNwz));
_COM_SMARTPTR_TYPEDEF(ITremNwzTemplate, __uuidof(ITremNwzTemplate));
_COM_SMARTPTR_TYPEDEF(ITremNwzCompleted, __uuidof(ITremNwzCompleted));

// Results of ITremNwz::Run.
enum TremNwzResult : short {
   TREMNWZ_FINISHED = 0,
   TREMNWZ_CANCELLED = 1,
   TREMNWZ_FAILED = -1,   // the wizard could not be shown (no context or operation path, no window)
};

// Modes of ITremNwzTemplate::SetMode.
enum TremNwzMode : long {
   TREMNWZ_MODE_MACHINE = 0,
   TREMNWZ_MODE_TEMPLATE = 1,   // a new managed machine template
};

// The application signals handed to a template-mode wizard by address.
//  - the switch signal is emitted with true when the user chooses to make the template from an
//    existing machine instead; the wizard then ends as cancelled;
//  - the running signal is emitted with true when the wizard shows and false when it closes.
typedef sigc::signal<void, bool> TremNwzSignal;

struct ITremNwz : IUnknown {
   HRESULT SetVmdbContext(IVmdbContext *ctx);
   HRESULT SetHostPath(_bstr_t path);
   HRESULT SetClientHostPath(_bstr_t path);
   // True when the new machine is opened on its own once the wizard finishes, false when the
   // caller adds it elsewhere (a team); the last page tells the user which.
   HRESULT SetOpenWhenDone(VARIANT_BOOL open);
   // The command's "op/createVMCfg" node (absolute).
   HRESULT SetOperationPath(_bstr_t path);
   HRESULT SetParentWindow(HWND parent);
   // Modal; a TremNwzResult.
   short Run();
   // The account the machine is to run under, as the user gave it on the last page (may be empty).
   _bstr_t GetVMUserName();
   _bstr_t GetVMUserPassword();

   virtual HRESULT __stdcall raw_SetVmdbContext(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall raw_SetHostPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_SetClientHostPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_SetOpenWhenDone(VARIANT_BOOL open) = 0;
   virtual HRESULT __stdcall raw_SetOperationPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_SetParentWindow(INT_PTR parent) = 0;
   virtual HRESULT __stdcall raw_Run(short *result) = 0;
   virtual HRESULT __stdcall raw_GetVMUserName(BSTR *name) = 0;
   virtual HRESULT __stdcall raw_GetVMUserPassword(BSTR *password) = 0;
};

// The template twin's interface of the same object.
struct ITremNwzTemplate : IUnknown {
   HRESULT SetMode(long mode);
   // Addresses of two TremNwzSignal objects (see above); either may be 0.
   HRESULT SetAppSignals(INT_PTR switchSignal, INT_PTR runningSignal);
   // The options of the template's first opening, VARIANT_TRUE (-1) when chosen: power the
   // master on, open it in a new tab, make it the current object.
   VARIANT_BOOL GetPowerOnWhenOpened();
   VARIANT_BOOL GetOpenInNewTab();
   VARIANT_BOOL GetMakeCurrent();
   // Whether the user chose to put the template on a Zephro server, its name, and the server
   // (a cui::ZephroServer* of the model library's server manager, 0 when not connected).
   VARIANT_BOOL IsForZephroServer();
   _bstr_t GetZephroServerName();
   INT_PTR GetZephroServer();

   virtual HRESULT __stdcall raw_SetMode(long mode) = 0;
   virtual HRESULT __stdcall raw_SetAppSignals(INT_PTR switchSignal, INT_PTR runningSignal) = 0;
   virtual HRESULT __stdcall raw_GetPowerOnWhenOpened(VARIANT_BOOL *value) = 0;
   virtual HRESULT __stdcall raw_GetOpenInNewTab(VARIANT_BOOL *value) = 0;
   virtual HRESULT __stdcall raw_GetMakeCurrent(VARIANT_BOOL *value) = 0;
   virtual HRESULT __stdcall raw_IsForZephroServer(VARIANT_BOOL *value) = 0;
   virtual HRESULT __stdcall raw_GetZephroServerName(BSTR *name) = 0;
   virtual HRESULT __stdcall raw_GetZephroServer(INT_PTR *server) = 0;
};

// The page shown once the new machine is open: what was made and what to do next.
struct ITremNwzCompleted : IUnknown {
   // The new machine's configuration file (optional: named on the page when given).
   HRESULT SetConfigFile(_bstr_t path);
   // Modal over `owner` (0: the active window) until the user closes it.
   HRESULT Show(HWND owner);

   virtual HRESULT __stdcall raw_SetConfigFile(BSTR path) = 0;
   virtual HRESULT __stdcall raw_Show(INT_PTR owner) = 0;
};

namespace tremhwcfg {

// Registers "tremhwcfg.Nwz.9" and "tremhwcfg.NwzCompleted.9" (ProgID and class id) in the class
// table. Call after CoInitialize so CoCreateInstance finds them by class id.
void RegisterClasses();

}  // namespace tremhwcfg

#include "tremhwcfg/TremHwCfg.inl"
