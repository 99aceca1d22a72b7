#include "StatusbarCtl.h"

#include "DeviceGlyph.h"
#include "WinUtil.h"
#include "cui/AppDataPaths.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

StatusbarState StatusbarState::Read(IVmdbContext *ctx)
{
   StatusbarState state;
   OpenedRecord record = ReadLinkedRecord(ctx, WideFromUtf8(cui::appdata::kCurrentObj));
   if (record.type != L"vm") {
      return state;
   }
   state.vmPath = FindVMByCfgFile(ctx, record.path);
   if (state.vmPath.empty()) {
      return state;
   }
   state.name = ReadText(ctx, state.vmPath + L"vmx/cfgState/val/displayName");
   if (state.name.empty()) {
      state.name = FileTitle(record.path);
   }
   state.power = ReadPowerState(ctx, state.vmPath);
   state.devices = ReadDevices(ctx, state.vmPath + L"vmx/cfgState");
   state.recording = ReadFlag(ctx, state.vmPath + L"mks/movieCapture");
   return state;
}

LRESULT CStatusbarWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   NONCLIENTMETRICSW metrics = {};
   metrics.cbSize = sizeof(metrics);
   if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      font_.reset(CreateFontIndirectW(&metrics.lfStatusFont));
   }
   tips_.Create(m_hWnd);
   UpdateTips();
   // Connecting to the default database waits for the first message loop turn, so a container
   // that hands the bar a database right after creating it is followed instead.
   PostMessage(WM_CONNECT_DEFAULT);
   return 0;
}

LRESULT CStatusbarWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   Unadvise();
   ctx_ = nullptr;
   db_ = nullptr;
   tips_.Destroy();
   font_.reset();
   return 0;
}

LRESULT CStatusbarWnd::OnConnectDefault(UINT, WPARAM, LPARAM, BOOL &)
{
   if (db_) {
      return 0;
   }
   IVmdbDatabasePtr db;
   if (FAILED(db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL)) || FAILED(db->raw_ConnectDefault())) {
      Warning("VMStatusbarCtl: cannot connect to the default database\n");
      return 0;
   }
   SetDatabase(db);
   return 0;
}

void CStatusbarWnd::SetDatabase(IVmdbDatabase *db)
{
   Unadvise();
   ctx_ = nullptr;
   db_ = db;
   // Each refresh reads the whole state again: one per poll step is enough.
   CoalesceChanges();
   if (db_) {
      if (SUCCEEDED(db_->raw_NewContext(&ctx_)) && ctx_ && SUCCEEDED(Advise(ctx_))) {
         Watch(cui::appdata::kCurrentObj, 0, &CStatusbarWnd::OnChange);
         Watch(cui::appdata::kOpenedObj, 1, &CStatusbarWnd::OnChange);
         Watch(L"/vm", 1, &CStatusbarWnd::OnChange);
      }
   }
   Refresh();
}

void CStatusbarWnd::SetCanFit(bool canFit)
{
   canFit_ = canFit;
   if (IsWindow()) {
      UpdateTips();
      Invalidate();
   }
}

void CStatusbarWnd::OnChange(BSTR)
{
   Refresh();
}

void CStatusbarWnd::Refresh()
{
   state_ = ctx_ ? StatusbarState::Read(ctx_) : StatusbarState();
   if (IsWindow()) {
      UpdateTips();
      Invalidate();
   }
}

StatusbarLayout CStatusbarWnd::Layout() const
{
   RECT rc = {};
   if (m_hWnd) {
      ::GetClientRect(m_hWnd, &rc);
   }
   return StatusbarLayout::Compute(rc.right, rc.bottom, state_.devices.size(), state_.recording, canFit_);
}

void CStatusbarWnd::UpdateTips()
{
   StatusbarLayout layout = Layout();
   std::vector<std::pair<RECT, std::wstring>> tips;
   for (size_t i = 0; i < layout.devices.size(); i++) {
      const DeviceInfo &device = state_.devices[i];
      tips.emplace_back(layout.devices[i],
                        FormatResString(IDS_TREMAPPSDK_STATUS, device.label.c_str(), DeviceSummary(device).c_str()));
   }
   if (state_.recording) {
      tips.emplace_back(layout.record, LoadResString(IDS_TREMAPPSDK_RECORDING));
   }
   tips_.Set(tips);
}

LRESULT CStatusbarWnd::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   UpdateTips();
   Invalidate();
   return 0;
}

LRESULT CStatusbarWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   // Drawn off screen: the bar repaints on every database change.
   PaintBuffered(m_hWnd, [this](HDC dc) { Paint(dc); });
   return 0;
}

void CStatusbarWnd::Paint(HDC dc)
{
   RECT rc;
   GetClientRect(&rc);
   FillRect(dc, &rc, GetSysColorBrush(COLOR_3DFACE));
   RECT edge = {0, 0, rc.right, 2};
   DrawEdge(dc, &edge, EDGE_ETCHED, BF_TOP);

   StatusbarLayout layout = Layout();
   atl::ScopedSelection font(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
   SetBkMode(dc, TRANSPARENT);
   SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));

   std::wstring text;
   if (state_.vmPath.empty()) {
      text = LoadResString(IDS_TREMAPPSDK_NO_MACHINE);
   } else {
      unsigned id = state_.power == PowerState::On          ? IDS_TREMAPPSDK_POWERED_ON
                    : state_.power == PowerState::Suspended ? IDS_TREMAPPSDK_SUSPENDED
                                                            : IDS_TREMAPPSDK_POWERED_OFF;
      text = FormatResString(IDS_TREMAPPSDK_STATUS, state_.name.c_str(), LoadResString(id).c_str());
   }
   RECT textRect = layout.text;
   DrawTextW(dc, text.c_str(), -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);

   for (size_t i = 0; i < layout.devices.size(); i++) {
      const DeviceInfo &device = state_.devices[i];
      RECT box = layout.devices[i];
      DrawEdge(dc, &box, BDR_SUNKENOUTER, BF_RECT);
      DrawDeviceGlyph(dc, box, device.type, device.present && state_.power == PowerState::On);
   }

   if (state_.recording) {
      RECT box = layout.record;
      DrawEdge(dc, &box, BDR_RAISEDINNER, BF_RECT);
      {
         atl::ScopedBrush red(CreateSolidBrush(RGB(210, 20, 20)));
         atl::ScopedSelection brush(dc, red);
         atl::ScopedSelection pen(dc, GetStockObject(NULL_PEN));
         int cy = (box.top + box.bottom) / 2;
         Ellipse(dc, box.left + 5, cy - 5, box.left + 15, cy + 5);
      }
      RECT label = {box.left + 19, box.top, box.right - 2, box.bottom};
      DrawTextW(dc, LoadResString(IDS_TREMAPPSDK_RECORDING).c_str(), -1, &label, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
   }

   if (canFit_) {
      RECT grip = layout.grip;
      DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
   }
}

LRESULT CStatusbarWnd::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {XParam(lParam), YParam(lParam)};
   StatusbarLayout layout = Layout();
   if (state_.recording && !state_.vmPath.empty() && PtInRect(&layout.record, pt)) {
      std::wstring vmPath = state_.vmPath;
      events_.Fire(kStatusbarCaptureMovie, vmPath.c_str());
   }
   return 0;
}

LRESULT CStatusbarWnd::OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   // The grip sizes the top-level window.
   POINT pt = {XParam(lParam), YParam(lParam)};
   ScreenToClient(&pt);
   StatusbarLayout layout = Layout();
   if (canFit_ && PtInRect(&layout.grip, pt)) {
      return HTBOTTOMRIGHT;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CStatusbarWnd::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   if (wParam != HTBOTTOMRIGHT) {
      bHandled = FALSE;
      return 0;
   }
   ::SendMessageW(::GetAncestor(m_hWnd, GA_ROOT), WM_SYSCOMMAND, SC_SIZE | WMSZ_BOTTOMRIGHT, lParam);
   return 0;
}

StatusbarCtl::~StatusbarCtl()
{
   if (wnd_.IsWindow()) {
      wnd_.DestroyWindow();
   }
}

HRESULT StatusbarCtl::CreateControlWindow(HWND parent, const RECT *rect, HWND *window)
{
   if (!window || !rect) {
      return E_POINTER;
   }
   RECT rc = *rect;
   wnd_.SetCanFit(canFit_);
   *window = wnd_.Create(parent, rc, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
   return *window ? S_OK : E_FAIL;
}

HRESULT StatusbarCtl::DestroyControlWindow()
{
   if (wnd_.IsWindow()) {
      wnd_.DestroyWindow();
   }
   return S_OK;
}

HRESULT StatusbarCtl::get_CanFitWindow(VARIANT_BOOL *canFit)
{
   if (!canFit) {
      return E_POINTER;
   }
   *canFit = canFit_ ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT StatusbarCtl::put_CanFitWindow(VARIANT_BOOL canFit)
{
   canFit_ = canFit != VARIANT_FALSE;
   wnd_.SetCanFit(canFit_);
   return S_OK;
}

HRESULT StatusbarCtl::put_Database(IVmdbDatabase *db)
{
   wnd_.SetDatabase(db);
   return S_OK;
}

HRESULT StatusbarCtl::get_VMPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = SysAllocString(wnd_.State().vmPath.c_str());
   return S_OK;
}

}  // namespace tremappsdk
