// "tremappsdk.HardwareCtl.9": the machine page's device list.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "WindowedControl.h"
#include "DbUtil.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

// One line of the list: the machine's memory and processors, then its devices.
struct HardwareRow {
   std::wstring label;
   std::wstring summary;
   std::wstring type;   // a device type, "memory" or "cpu"
   int device = -1;     // index into the devices, -1 for memory and processors
};

// The lines for a configuration: memory and processors when they are set (above 0), then each device.
std::vector<HardwareRow> HardwareRows(long memoryMB, long cpuCount, const std::vector<DeviceInfo> &devices);

class CHardwareWnd : public CWindowImpl<CHardwareWnd>, public vmdb::CtxEventSink<CHardwareWnd> {
public:
   static constexpr int kListId = 1;

   DECLARE_WND_CLASS_EX("TremappsdkHardware", CS_DBLCLKS, COLOR_WINDOW)

   explicit CHardwareWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CHardwareWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      NOTIFY_HANDLER(kListId, NM_DBLCLK, OnListDblClk)
   END_MSG_MAP()

   void SetDatabase(IVmdbDatabase *db);
   void SetPath(const std::wstring &cfgStatePath);
   // The chosen device's element after an edit event, else the configuration-state path.
   const std::wstring &GetPath() const { return path_; }
   void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
   void SetBorder(bool border);
   const std::vector<DeviceInfo> &Devices() const { return devices_; }
   HWND List() const { return list_; }

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnListDblClk(int, LPNMHDR hdr, BOOL &);

   void OnChange(BSTR path);
   void Refresh();
   void Fill();
   int ImageOf(const std::wstring &type) const;

   atl::DispEventSource &events_;
   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
   std::wstring cfgStatePath_;
   std::wstring path_;
   std::vector<DeviceInfo> devices_;
   std::vector<HardwareRow> rows_;
   HWND list_ = nullptr;
   HIMAGELIST images_ = nullptr;
   bool readOnly_ = false;
};

class HardwareCtl : public WindowedControl<IHardwareCtl, CHardwareWnd, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN> {
public:
   HardwareCtl() : WindowedControl(DIID__IHardwareCtlEvents) {}

   HRESULT __stdcall put_Database(IVmdbDatabase *db) override;
   HRESULT __stdcall get_Path(BSTR *path) override;
   HRESULT __stdcall put_Path(BSTR path) override;
   HRESULT __stdcall put_ReadOnly(long readOnly) override;
   HRESULT __stdcall put_Border(long border) override;
};

}  // namespace tremappsdk
