// The settings pages ("tremappcfg.<Page>.9"), their page-data object ("TremappPropObj") and the
// property frame that shows them ("TremappPropFrame"). All are created by name through the class
// table once tremappcfg::RegisterClasses has run:
//    ITremappPropObjPtr data(__uuidof(TremappPropObj));
//    data->SetContext(ctx);                       // the context the pages read and write through
//    data->SetElementPath(element);               // ".../settingsState/req/#0001/"
//    data->SetHostPath(clientHostPath);
//    ITremappPropFramePtr frame(__uuidof(TremappPropFrame));
//    frame->AddDataObject(data);
//    frame->AddPage(L"tremappcfg.GlbMemory.9");
//    if (frame->ShowModal(owner, title)) { ... the element holds the changed values ... }
//
// Each page edits a few values of one state: the host pages ("Glb*", "PropLockout") the host's
// "settingsState", the preference pages ("Pref*") the user's "prefState". A page works on the
// data object whose element is a request of its state. It shows each value as the element holds
// it, else as the state's "val" holds it, else its default; on OK it writes the values the user
// changed into the element's "val/...". Nothing is written when the user cancels. When the state
// has a "version", the element gets the version the pages showed as "baseVersion", so the owner
// can refuse changes made over settings another client changed meanwhile.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <prsht.h>
#include <comdef.h>

#include "vmdb/VmdbInterfaces.h"

struct ITremappPropObj;
struct ITremappPropFrame;
struct ITremappCfgPage;
struct TremappPropObj;
struct TremappPropFrame;

__CRT_UUID_DECL(ITremappPropObj, 0x3c1b7e52, 0x90a4, 0x4d8e, 0x9b, 0x61, 0x27, 0x0e, 0x5d, 0xa3, 0x48, 0xc1)
__CRT_UUID_DECL(ITremappPropFrame, 0x6f2d9a17, 0x4c3b, 0x4e75, 0xa8, 0x0f, 0x91, 0x5c, 0x2e, 0x7b, 0x36, 0xd4)
__CRT_UUID_DECL(ITremappCfgPage, 0x8a54c3e9, 0x1f62, 0x47b0, 0xbd, 0x27, 0x6e, 0x93, 0x04, 0xf1, 0x5a, 0x82)
__CRT_UUID_DECL(TremappPropObj, 0x2e9f4b6d, 0x7a15, 0x4c38, 0x86, 0xd2, 0x0b, 0x5e, 0xc1, 0x79, 0xa4, 0x3f)
__CRT_UUID_DECL(TremappPropFrame, 0xd7306e1c, 0x58b9, 0x4a2f, 0x93, 0x4e, 0xc5, 0x18, 0x6b, 0x2d, 0xf0, 0x97)

_COM_SMARTPTR_TYPEDEF(ITremappPropObj, __uuidof(ITremappPropObj));
_COM_SMARTPTR_TYPEDEF(ITremappPropFrame, __uuidof(ITremappPropFrame));
_COM_SMARTPTR_TYPEDEF(ITremappCfgPage, __uuidof(ITremappCfgPage));

// The data of one state the pages edit.
struct ITremappPropObj : IUnknown {
   HRESULT SetContext(IVmdbContext *ctx);
   // The request element the pages write into (absolute, "…/req/#0001/").
   HRESULT SetElementPath(_bstr_t path);
   // The client host's node ("/host2/#0000/").
   HRESULT SetHostPath(_bstr_t path);
   IVmdbContextPtr GetContext();
   _bstr_t GetElementPath();
   _bstr_t GetHostPath();

   virtual HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) = 0;
   virtual HRESULT __stdcall raw_SetElementPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_SetHostPath(BSTR path) = 0;
   virtual HRESULT __stdcall raw_GetContext(IVmdbContext **ctx) = 0;
   virtual HRESULT __stdcall raw_GetElementPath(BSTR *path) = 0;
   virtual HRESULT __stdcall raw_GetHostPath(BSTR *path) = 0;
};

// The modal frame around the pages.
struct ITremappPropFrame : IUnknown {
   HRESULT AddDataObject(ITremappPropObj *data);
   // A page by ProgID, shown in the order added. An unknown name fails at ShowModal.
   HRESULT AddPage(_bstr_t progId);
   // Modal over `owner`, titled `title`; true when the user confirmed with OK (the pages have
   // then written their changes). Raises _com_error when a page cannot be made or bound.
   bool ShowModal(HWND owner, _bstr_t title);

   virtual HRESULT __stdcall raw_AddDataObject(ITremappPropObj *data) = 0;
   virtual HRESULT __stdcall raw_AddPage(BSTR progId) = 0;
   virtual HRESULT __stdcall raw_ShowModal(INT_PTR owner, BSTR title, VARIANT_BOOL *confirmed) = 0;
};

// One settings page, as the frame drives it.
struct ITremappCfgPage : IUnknown {
   // Picks the data object of its state among `count` objects; E_INVALIDARG when none fits.
   virtual HRESULT __stdcall raw_Bind(ITremappPropObj *const *objects, long count) = 0;
   // The sheet page (owned by the sheet once added).
   virtual HRESULT __stdcall raw_CreatePage(HPROPSHEETPAGE *page) = 0;
   // S_OK when the user accepted the page's values with OK; S_FALSE otherwise.
   virtual HRESULT __stdcall raw_IsAccepted() = 0;
   // Writes the accepted values that differ from those shown into the element.
   virtual HRESULT __stdcall raw_Commit() = 0;
};

namespace tremappcfg {

// Registers "TremappPropObj", "TremappPropFrame" and every page (ProgID and class id) in the class
// table. Call after CoInitialize so CoCreateInstance finds them by class id.
void RegisterClasses();

}  // namespace tremappcfg

#include "tremappcfg/TremAppCfg.inl"
