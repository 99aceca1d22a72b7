// "Tremappsdk.RegVmsCtl.9": the registered machines of the current host, a tree view over
// "<host>vms/registeredvms/#".
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

#include "DbUtil.h"
#include "ListSupport.h"
#include "WindowedControl.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

// One registered machine.
struct RegisteredVM {
   std::wstring cfgPath;
   std::wstring name;
   std::wstring vmPath;    // its node when the machine is open ("/vm/#0001/"), else empty
   long kind = kListVM;
   bool current = false;

   bool operator==(const RegisteredVM &o) const
   {
      return cfgPath == o.cfgPath && name == o.name && vmPath == o.vmPath && kind == o.kind && current == o.current;
   }
};

// The display name a configuration file gives ("displayName"); empty when the file has none or
// cannot be read.
std::wstring ReadVmxDisplayName(const std::wstring &cfgPath);
// Sets "displayName" in a configuration file, keeping its other settings. False (with `error`)
// when the file cannot be read or written.
bool WriteVmxDisplayName(const std::wstring &cfgPath, const std::wstring &name, std::string &error);

// The host a link node points to ("/host2/#0000/"); empty when unset.
std::wstring ReadHostLink(IVmdbContext *ctx, const std::wstring &hostLinkPath);
// The first host of a connection ("<cnx>hosts/#"); empty when it has none.
std::wstring FirstHostOf(IVmdbContext *ctx, const std::wstring &cnxPath);

// Names that files give, kept between reads: the list is read again on every change of a tab or
// a machine, the files only when asked to.
typedef std::map<std::wstring, std::wstring> VmxNameCache;

// The host's registered machines sorted by name (case-blind), with their kinds and the current one.
std::vector<RegisteredVM> ReadRegisteredVMs(IVmdbContext *ctx, const std::wstring &hostPath,
                                            const std::wstring &linkPath, const std::wstring &arrayPath,
                                            VmxNameCache &names);

class CRegVmsWnd : public CWindowImpl<CRegVmsWnd>, public vmdb::CtxEventSink<CRegVmsWnd> {
public:
   static constexpr int kTreeId = 1;
   static constexpr UINT kRefreshMessage = WM_APP + 1;

   DECLARE_WND_CLASS_EX("TremappsdkRegVms", 0, COLOR_WINDOW)

   explicit CRegVmsWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CRegVmsWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_SETFOCUS, OnSetFocus)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
      MESSAGE_HANDLER(kRefreshMessage, OnDeferredRefresh)
      NOTIFY_HANDLER(kTreeId, NM_DBLCLK, OnTreeDblClk)
      NOTIFY_HANDLER(kTreeId, NM_RCLICK, OnTreeRClick)
      NOTIFY_HANDLER(kTreeId, TVN_KEYDOWN, OnTreeKeyDown)
      NOTIFY_HANDLER(kTreeId, TVN_BEGINLABELEDITW, OnTreeBeginLabelEdit)
      NOTIFY_HANDLER(kTreeId, TVN_ENDLABELEDITW, OnTreeEndLabelEdit)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetSessionPath(const std::wstring &path) { sessionPath_ = path; }
   void SetTransientLinkPath(const std::wstring &path);
   void SetLinkPath(const std::wstring &path);
   void SetHostLinkPath(const std::wstring &path);
   void SetConnectionPath(const std::wstring &cnxPath) { cnxPath_ = cnxPath; }
   // Reads the host link, the list and the machines' files again.
   void Refresh();
   void Rename();
   const RegisteredVM *Selected() const;

   const std::vector<RegisteredVM> &Machines() const { return vms_; }
   const std::wstring &HostPath() const { return hostPath_; }
   HWND Tree() const { return tree_; }

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &) { return NFR_UNICODE; }
   LRESULT OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnDeferredRefresh(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTreeDblClk(int, LPNMHDR, BOOL &);
   LRESULT OnTreeRClick(int, LPNMHDR, BOOL &);
   LRESULT OnTreeKeyDown(int, LPNMHDR hdr, BOOL &);
   LRESULT OnTreeBeginLabelEdit(int, LPNMHDR, BOOL &);
   LRESULT OnTreeEndLabelEdit(int, LPNMHDR hdr, BOOL &);

   void Rewatch();
   void WatchHost();
   void OnChange(BSTR path);
   void OnHostChange(BSTR path);
   void OnListChange(BSTR path);
   void Reread(bool force);
   void Fill(const std::wstring &selectedFile);
   const RegisteredVM *ItemOf(HTREEITEM item) const;
   HTREEITEM TreeItemOf(const std::wstring &cfgPath) const;
   void FireOpenVM(const RegisteredVM &vm);
   void FireContextMenu(const RegisteredVM *vm, POINT screen);
   void RenameMachine(const RegisteredVM &vm, const std::wstring &name);

   atl::DispEventSource &events_;
   IVmdbContextPtr ctx_;
   std::wstring sessionPath_;
   std::wstring transientLinkPath_;
   std::wstring linkPath_;
   std::wstring hostLinkPath_;
   std::wstring cnxPath_;
   std::wstring hostPath_;          // the host whose list is shown and watched
   std::wstring arrayPath_;         // the opened-object array beside the link
   std::vector<RegisteredVM> vms_;
   VmxNameCache names_;
   ListRequests requests_{"RegVmsCtl"};
   HWND tree_ = nullptr;
   HIMAGELIST images_ = nullptr;
   bool renameAllowed_ = false;
   bool editing_ = false;
   bool stale_ = false;
};

class RegVmsCtl : public WindowedControl<IRegVmsCtl, CRegVmsWnd, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN> {
public:
   RegVmsCtl() : WindowedControl(DIID__IRegVmsCtlEvents) {}

   HRESULT __stdcall put_Context(IVmdbContext *ctx) override;
   HRESULT __stdcall put_SessionPath(BSTR path) override;
   HRESULT __stdcall put_TransientLinkPath(BSTR path) override;
   HRESULT __stdcall put_LinkPath(BSTR path) override;
   HRESULT __stdcall put_HostLinkPath(BSTR path) override;
   HRESULT __stdcall put_ConnectionPath(BSTR cnxPath) override;
   HRESULT __stdcall raw_Refresh() override;
   HRESULT __stdcall raw_Rename() override;
   HRESULT __stdcall get_SelectedPath(BSTR *path) override;
   HRESULT __stdcall get_Count(long *count) override;
};

}  // namespace tremappsdk
