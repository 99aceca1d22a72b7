// Shared set-up of the control tests: COM and the classes, a named in-memory database with the
// application's opened-object subtree, machines written as the simulated host lays them out, and
// an event recorder.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>
#include <vector>

#include "tremappsdk/TremAppSdk.h"

namespace controls_test {

// Runs poll steps and window messages until neither has anything left.
void Drain();

// A database of its own with the application's subtree (cui::appdata::kRoot) declared
// (currentObj is a link).
IVmdbDatabasePtr NewDatabase(const wchar_t *name);

// Writes a machine "/vm/#000n/" for `cfgFile` with three devices (disk0, cdrom0, net0).
std::wstring AddMachine(IVmdbContext *ctx, const std::wstring &element, const std::wstring &cfgFile,
                        const std::wstring &name, const std::wstring &state, const std::wstring &guestOS = L"winxp");

// Writes an opened-object record and returns its absolute path.
std::wstring AddRecord(IVmdbContext *ctx, const std::wstring &element, const std::wstring &type, const std::wstring &path);
void SetCurrent(IVmdbContext *ctx, const std::wstring &recordPath);
std::wstring CurrentRecord(IVmdbContext *ctx);

std::wstring Text(const _variant_t &v);

// A visible top-level window to host controls in.
HWND NewParent(int width, int height);
// A host window of `progId` over the whole client area of `parent`; its child is the control's window.
HWND NewHost(HWND parent, const wchar_t *progId, int width, int height);
HWND ControlWindow(HWND host);

void Click(HWND wnd, UINT down, UINT up, int x, int y);

// The texts of the tooltips' tools over `owner`, in the order they were added.
std::vector<std::wstring> TipTexts(HWND owner);

// Records the events a control raises.
class EventRecorder : public IDispatch {
public:
   struct Event {
      DISPID dispid;
      std::vector<_variant_t> args;   // first to last
   };

   HRESULT Connect(IUnknown *control, REFIID events);
   void Disconnect();
   ~EventRecorder();

   HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **ppv) override;
   ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
   ULONG STDMETHODCALLTYPE Release() override { return 1; }
   HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
   HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
   HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;
   HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *result,
                                    EXCEPINFO *, UINT *) override;

   std::vector<Event> events;
   long answer = 0;   // written into a by-reference long argument

private:
   IConnectionPoint *point_ = nullptr;
   DWORD cookie_ = 0;
};

}  // namespace controls_test
