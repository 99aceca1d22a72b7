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
#include "ListTreeWnd.h"
#include "WindowedControl.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"

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

class CRegVmsWnd : public CListTreeWnd<CRegVmsWnd, RegisteredVM> {
public:
   typedef CListTreeWnd<CRegVmsWnd, RegisteredVM> Base;
   static constexpr DWORD kTreeStyle = TVS_SHOWSELALWAYS | TVS_EDITLABELS | TVS_FULLROWSELECT;

   DECLARE_WND_CLASS_EX("TremappsdkRegVms", 0, COLOR_WINDOW)

   explicit CRegVmsWnd(atl::DispEventSource &events) : Base(events, "RegVmsCtl") {}

   BEGIN_MSG_MAP(CRegVmsWnd)
      NOTIFY_HANDLER(kTreeId, NM_DBLCLK, OnTreeDblClk)
      NOTIFY_HANDLER(kTreeId, TVN_KEYDOWN, OnTreeKeyDown)
      CHAIN_MSG_MAP(Base)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetSessionPath(const std::wstring &path) { sessionPath_ = path; }
   void SetTransientLinkPath(const std::wstring &path);
   void SetLinkPath(const std::wstring &path);
   void SetHostLinkPath(const std::wstring &path);
   void SetConnectionPath(const std::wstring &cnxPath) { cnxPath_ = cnxPath; }
   // Reads the host link, the list and the machines' files again.
   void Refresh();

   const std::vector<RegisteredVM> &Machines() const { return items_; }
   const std::wstring &HostPath() const { return hostPath_; }

private:
   friend Base;

   LRESULT OnTreeDblClk(int, LPNMHDR, BOOL &);
   LRESULT OnTreeKeyDown(int, LPNMHDR hdr, BOOL &);

   void Rewatch();
   void WatchHost();
   void OnChange(BSTR path);
   void OnHostChange(BSTR path);
   void OnListChange(BSTR path);
   void Reread(bool force);
   void Fill(const std::wstring &selectedFile);
   HTREEITEM TreeItemOf(const std::wstring &cfgPath) const;
   HTREEITEM ShownItem(const RegisteredVM &vm) const { return TreeItemOf(vm.cfgPath); }
   void FireOpenVM(const RegisteredVM &vm);
   void FireContextMenu(const RegisteredVM *vm, POINT screen);
   void StartRename(HTREEITEM item);
   void ApplyName(const RegisteredVM &vm, const std::wstring &name);

   std::wstring sessionPath_;
   std::wstring transientLinkPath_;
   std::wstring linkPath_;
   std::wstring hostLinkPath_;
   std::wstring cnxPath_;
   std::wstring hostPath_;          // the host whose list is shown and watched
   std::wstring arrayPath_;         // the opened-object array beside the link
   VmxNameCache names_;
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
