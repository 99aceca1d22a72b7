// The dynamic VM > Removable Devices popup: one submenu per removable device of the current
// machine (connect or disconnect, edit), then the machine's USB devices, in which a checked item
// is a connected device. The popup is rebuilt each time it opens; its commands carry the ids of
// the last rebuild.
#pragma once

#include "resource.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/VmdbInterfaces.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

struct DeviceMenuEntry {
   std::wstring key;   // a removable device's configuration key, or a USB device's "id"
   int32_t kind;       // a CZOLTRemovableDeviceMenu::EntryKind
};

class CZOLTRemovableDeviceMenu {
public:
   enum EntryKind {
      KIND_NOT_CONNECTED = 0,   // a removable device's connect item; a USB device not connected
      KIND_CONNECTED = 1,       // its disconnect item; a USB device connected
      KIND_EDIT = 2,            // a removable device's edit item
   };
   // Each removable device takes two ids, and every id must stay in its range: ids past a range's
   // end would be routed to the wrong list or not at all.
   static constexpr size_t kMaxRemovableDevices = (IDM_VM_DEVICE_LAST - IDM_VM_DEVICE_FIRST + 1) / 2;

   CZOLTRemovableDeviceMenu();
   ~CZOLTRemovableDeviceMenu();

   void Build(HMENU menu);
   void RebuildUsbDevMenu(HMENU menu);
   // True when the command's id (low 16 bits) is one of the lists'.
   bool ExecCommand(UINT command, HWND owner);
   void ExecRemDev(UINT command, HWND owner);
   void ExecUsbDev(UINT command);
   // Asks for a USB device's connection (or disconnection) with a request on its state.
   void EditUsbDevConnection(const std::wstring &elementPath, bool connect);

   const std::map<uint32_t, DeviceMenuEntry> &GetEntries() const { return entries_; }
   const std::wstring &GetMachinePath() const { return machinePath_; }

   CZOLTRemovableDeviceMenu(const CZOLTRemovableDeviceMenu &) = delete;
   CZOLTRemovableDeviceMenu &operator=(const CZOLTRemovableDeviceMenu &) = delete;

private:
   // Adds an entry at the next id of the range that starts at `first` and ends at `last`; 0 when
   // the range is full.
   UINT AddEntry(UINT first, UINT last, const std::wstring &key, int32_t kind);
   void AddDeviceItem(HMENU menu, const _bstr_t &row, UINT position, bool &added);
   // The device utility object, made on first use.
   bool EnsureUtil();

   IVmdbContextPtr ctx_;
   ITremAppSdkUtilPtr util_;
   bool utilTried_ = false;
   std::map<uint32_t, DeviceMenuEntry> entries_;
   std::wstring machinePath_;
};
