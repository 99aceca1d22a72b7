#include "HardwareCtl.h"

#include "DeviceGlyph.h"
#include "WinUtil.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

const wchar_t *const kGlyphTypes[] = {L"disk", L"cdrom", L"floppy", L"ethernet", L"sound", L"usb", L""};

}  // namespace

LRESULT CHardwareWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   RECT rc;
   GetClientRect(&rc);
   list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                               LVS_NOSORTHEADER,
                           0, 0, rc.right, rc.bottom, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                           _Module.GetModuleInstance(), nullptr);
   if (!list_) {
      return -1;
   }
   ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);

   // The glyphs, drawn once side by side and added to the image list in one go.
   const int glyphs = static_cast<int>(sizeof kGlyphTypes / sizeof kGlyphTypes[0]);
   images_ = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, glyphs, 0);
   AddMaskedStrip(images_, glyphs, [&](HDC dc) {
      for (int i = 0; i < glyphs; ++i) {
         RECT box = {16 * i, 0, 16 * i + 16, 16};
         DrawDeviceGlyph(dc, box, kGlyphTypes[i], true);
      }
   });
   ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));

   std::wstring device = LoadResString(IDS_TREMAPPSDK_DEV_OTHER);
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH;
   column.cx = 150;
   column.pszText = &device[0];
   ::SendMessageW(list_, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
   std::wstring summary = L"";
   column.cx = rc.right > 160 ? rc.right - 160 : 100;
   column.pszText = &summary[0];
   ::SendMessageW(list_, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
   Fill();
   return 0;
}

LRESULT CHardwareWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   Unadvise();
   ctx_ = nullptr;
   db_ = nullptr;
   list_ = nullptr;   // a child: destroyed with us
   if (images_) {
      ImageList_Destroy(images_);
      images_ = nullptr;
   }
   return 0;
}

LRESULT CHardwareWnd::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   if (list_) {
      ::MoveWindow(list_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      int rest = static_cast<int>(LOWORD(lParam)) - 160;
      ::SendMessageW(list_, LVM_SETCOLUMNWIDTH, 1, rest > 100 ? rest : 100);
   }
   return 0;
}

void CHardwareWnd::SetDatabase(IVmdbDatabase *db)
{
   Unadvise();
   ctx_ = nullptr;
   db_ = db;
   // Each refresh reads the whole state again: one per poll step is enough.
   CoalesceChanges();
   if (db_ && (FAILED(db_->raw_NewContext(&ctx_)) || !ctx_ || FAILED(Advise(ctx_)))) {
      Warning("HardwareCtl: cannot follow the database\n");
   }
   SetPath(cfgStatePath_);
}

void CHardwareWnd::SetPath(const std::wstring &cfgStatePath)
{
   if (GetEventSource() && !cfgStatePath_.empty()) {
      Unwatch(cfgStatePath_.c_str());
   }
   cfgStatePath_ = cfgStatePath;
   while (cfgStatePath_.size() > 1 && cfgStatePath_.back() == L'/') {
      cfgStatePath_.pop_back();
   }
   path_ = cfgStatePath;
   if (GetEventSource() && !cfgStatePath_.empty()) {
      Watch(cfgStatePath_.c_str(), 1, &CHardwareWnd::OnChange);
   }
   Refresh();
}

void CHardwareWnd::SetBorder(bool border)
{
   if (list_) {
      LONG_PTR ex = ::GetWindowLongPtrW(list_, GWL_EXSTYLE);
      ex = border ? (ex | WS_EX_CLIENTEDGE) : (ex & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
      ::SetWindowLongPtrW(list_, GWL_EXSTYLE, ex);
      ::SetWindowPos(list_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
   }
}

void CHardwareWnd::OnChange(BSTR)
{
   Refresh();
}

std::vector<HardwareRow> HardwareRows(long memoryMB, long cpuCount, const std::vector<DeviceInfo> &devices)
{
   std::vector<HardwareRow> rows;
   if (memoryMB > 0) {
      rows.push_back({LoadResString(IDS_TREMAPPSDK_MEMORY),
                      FormatResString(IDS_TREMAPPSDK_MEMORY_SIZE, static_cast<int>(memoryMB)), L"memory", -1});
   }
   if (cpuCount > 0) {
      rows.push_back({LoadResString(IDS_TREMAPPSDK_PROCESSORS),
                      FormatResString(IDS_TREMAPPSDK_PROCESSOR_COUNT, static_cast<int>(cpuCount)), L"cpu", -1});
   }
   for (size_t i = 0; i < devices.size(); i++) {
      const DeviceInfo &device = devices[i];
      std::wstring label = device.label.empty() ? LoadResString(DeviceTypeStringId(device.type)) : device.label;
      rows.push_back({label, DeviceSummary(device), device.type, static_cast<int>(i)});
   }
   return rows;
}

void CHardwareWnd::Refresh()
{
   devices_.clear();
   long memoryMB = 0;
   long cpuCount = 0;
   if (ctx_ && !cfgStatePath_.empty()) {
      devices_ = ReadDevices(ctx_, cfgStatePath_);
      memoryMB = ReadLong(ctx_, WithSlash(cfgStatePath_) + L"val/memoryMB", 0);
      cpuCount = ReadLong(ctx_, WithSlash(cfgStatePath_) + L"val/cpuCount", 0);
   }
   rows_ = HardwareRows(memoryMB, cpuCount, devices_);
   Fill();
}

int CHardwareWnd::ImageOf(const std::wstring &type) const
{
   int count = static_cast<int>(sizeof(kGlyphTypes) / sizeof(kGlyphTypes[0]));
   for (int i = 0; i < count - 1; i++) {
      if (type == kGlyphTypes[i]) {
         return i;
      }
   }
   return count - 1;
}

void CHardwareWnd::Fill()
{
   if (!list_) {
      return;
   }
   ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
   ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
   for (size_t i = 0; i < rows_.size(); i++) {
      HardwareRow &row = rows_[i];
      LVITEMW item = {};
      item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
      item.iItem = static_cast<int>(i);
      item.pszText = &row.label[0];
      item.iImage = ImageOf(row.type);
      item.lParam = static_cast<LPARAM>(i);
      int index = static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
      LVITEMW sub = {};
      sub.iSubItem = 1;
      sub.pszText = &row.summary[0];
      ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&sub));
   }
   ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(list_, nullptr, TRUE);
}

LRESULT CHardwareWnd::OnListDblClk(int, LPNMHDR hdr, BOOL &)
{
   const NMITEMACTIVATE *activate = reinterpret_cast<const NMITEMACTIVATE *>(hdr);
   int index = activate->iItem;
   if (index < 0) {
      index = static_cast<int>(::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
   }
   // Memory and processors are shown, not edited from here.
   if (readOnly_ || index < 0 || index >= static_cast<int>(rows_.size()) || rows_[static_cast<size_t>(index)].device < 0) {
      return 0;
   }
   path_ = devices_[static_cast<size_t>(rows_[static_cast<size_t>(index)].device)].element;
   events_.Fire(kHardwareEdit);
   return 0;
}

HRESULT HardwareCtl::put_Database(IVmdbDatabase *db)
{
   wnd_.SetDatabase(db);
   return S_OK;
}

HRESULT HardwareCtl::get_Path(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = SysAllocString(wnd_.GetPath().c_str());
   return S_OK;
}

HRESULT HardwareCtl::put_Path(BSTR path)
{
   wnd_.SetPath(path ? path : L"");
   return S_OK;
}

HRESULT HardwareCtl::put_ReadOnly(long readOnly)
{
   wnd_.SetReadOnly(readOnly != 0);
   return S_OK;
}

HRESULT HardwareCtl::put_Border(long border)
{
   wnd_.SetBorder(border != 0);
   return S_OK;
}

}  // namespace tremappsdk
