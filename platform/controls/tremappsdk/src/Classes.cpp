#include "tremappsdk/TremAppSdk.h"

#include "atl/ClassTable.h"
#include "atl/ComObject.h"
#include "CheckedListCtl.h"
#include "HardwareCtl.h"
#include "MksCtl.h"
#include "RegVmsCtl.h"
#include "RemoteBrowseDlg.h"
#include "SdkUtil.h"
#include "StatusbarCtl.h"
#include "SwitchCtl.h"
#include "VMListCtl.h"

extern "C" const IID DIID__IVMStatusbarCtlEvents = {0x250de806, 0x5c16, 0x46d8, {0xa1, 0x3a, 0x4a, 0x71, 0x57, 0xf0, 0xbb, 0x77}};
extern "C" const IID DIID__IMksCtlEvents = {0x61c08fb9, 0x9120, 0x4ec4, {0x8b, 0xba, 0x16, 0xbd, 0x7b, 0xeb, 0x1a, 0xc5}};
extern "C" const IID DIID__IVMSwitchCtlEvents = {0x34516e95, 0xe3d9, 0x42cf, {0x95, 0x41, 0x48, 0x37, 0x4d, 0x50, 0xaf, 0x6b}};
extern "C" const IID DIID__IHardwareCtlEvents = {0x37b1a3d0, 0x97ac, 0x417e, {0xa2, 0x62, 0xfc, 0xe7, 0xcc, 0x2d, 0x1a, 0x4c}};
extern "C" const IID DIID__IVMListCtlEvents = {0x9d41c6a2, 0x0e57, 0x4b93, {0xa8, 0x2f, 0x63, 0x1d, 0xc5, 0x70, 0x94, 0xe8}};
extern "C" const IID DIID__IRegVmsCtlEvents = {0x2f86b1e4, 0x5c3d, 0x4e0a, {0x97, 0x6b, 0xd0, 0x18, 0x4a, 0xe2, 0x3c, 0x75}};

namespace tremappsdk {

void RegisterClasses()
{
   atl::ClassTable::Register(L"tremappsdk.VMStatusbarCtl.9", __uuidof(::VMStatusbarCtl),
                             &atl::CreateComObject<StatusbarCtl>);
   atl::ClassTable::Register(L"tremappsdk.MksCtl.9", __uuidof(::MksCtl), &atl::CreateComObject<tremappsdk::MksCtl>);
   atl::ClassTable::Register(L"tremappsdk.VMSwitchCtl.9", __uuidof(::VMSwitchCtl), &atl::CreateComObject<SwitchCtl>);
   atl::ClassTable::Register(L"tremappsdk.HardwareCtl.9", __uuidof(::HardwareCtl),
                             &atl::CreateComObject<tremappsdk::HardwareCtl>);
   atl::ClassTable::Register(L"Tremappsdk.VMListCtl.9", __uuidof(::VMListCtl), &atl::CreateComObject<tremappsdk::VMListCtl>);
   atl::ClassTable::Register(L"Tremappsdk.RegVmsCtl.9", __uuidof(::RegVmsCtl), &atl::CreateComObject<tremappsdk::RegVmsCtl>);
   atl::ClassTable::Register(L"Tremappsdk.CheckedListCtl.9", __uuidof(::CheckedListCtl),
                             &atl::CreateComObject<tremappsdk::CheckedListCtl>);
   atl::ClassTable::Register(L"TremAppSdkUtil", __uuidof(::TremAppSdkUtil), &atl::CreateComObject<SdkUtil>);
   atl::ClassTable::Register(L"RemoteBrowseDlg", __uuidof(::RemoteBrowseDlg), &atl::CreateComObject<RemoteBrowseObject>);
}

}  // namespace tremappsdk
