// The small settings dialog of one device: its connection and, for drives, the image file.
#pragma once

#include <string>

#include "DbUtil.h"
#include "atl/Atl.h"
#include "tremappsdkRes.h"

namespace tremappsdk {

// What the user changed; only fields marked changed are submitted.
struct DeviceChange {
   bool presentChanged = false;
   bool present = false;
   bool fileChanged = false;
   std::wstring fileName;

   bool Any() const { return presentChanged || fileChanged; }
   // Compares the dialog's final values with the device as it was.
   static DeviceChange Between(const DeviceInfo &before, bool present, const std::wstring &fileName);
};

class CDeviceDialog : public CDialogImpl<CDeviceDialog> {
public:
   enum { IDD = IDD_TREMAPPSDK_DEVICE };

   explicit CDeviceDialog(const DeviceInfo &device) : device_(device) {}

   BEGIN_MSG_MAP(CDeviceDialog)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      COMMAND_ID_HANDLER(IDC_TREMAPPSDK_DEV_BROWSE, OnBrowse)
   END_MSG_MAP()

   const DeviceChange &Change() const { return change_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);
   LRESULT OnBrowse(WORD, WORD, HWND, BOOL &);

   bool HasImage() const;

   DeviceInfo device_;
   DeviceChange change_;
};

}  // namespace tremappsdk
