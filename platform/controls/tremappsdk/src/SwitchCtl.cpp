#include "SwitchCtl.h"

#include "DeviceGlyph.h"
#include "WinUtil.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

std::wstring LabelOf(IVmdbContext *ctx, const OpenedRecord &record, bool &running)
{
   running = false;
   if (record.type == L"home") {
      return LoadResString(IDS_TREMAPPSDK_HOME);
   }
   if (record.type == L"vm") {
      std::wstring vm = FindVMByCfgFile(ctx, record.path);
      if (!vm.empty()) {
         running = ReadPowerState(ctx, vm) == PowerState::On;
         std::wstring name = ReadText(ctx, vm + L"vmx/cfgState/val/displayName");
         if (!name.empty()) {
            return name;
         }
      }
   }
   if (record.type == L"quen") {
      return record.path;
   }
   return FileTitle(record.path);
}

}  // namespace

SwitchTabs SwitchTabs::Read(IVmdbContext *ctx, const std::wstring &arrayPath, const std::wstring &linkPath)
{
   SwitchTabs result;
   if (!ctx || arrayPath.empty()) {
      return result;
   }
   std::wstring current = ReadLinkedRecord(ctx, linkPath).recordPath;
   for (const std::wstring &element : Elements(ctx, WithSlash(arrayPath) + L"#")) {
      SwitchTab tab;
      tab.record = ReadRecord(ctx, element);
      bool running = false;
      tab.label = LabelOf(ctx, tab.record, running);
      tab.kind = TabKindOf(tab.record.type, running);
      if (tab.record.recordPath == current) {
         result.selected = static_cast<int>(result.tabs.size());
      }
      result.tabs.push_back(tab);
   }
   return result;
}

LRESULT CSwitchWnd::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   NONCLIENTMETRICSW metrics = {};
   metrics.cbSize = sizeof(metrics);
   if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      font_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
      metrics.lfMessageFont.lfWeight = FW_BOLD;
      boldFont_.reset(CreateFontIndirectW(&metrics.lfMessageFont));
   }
   tips_.Create(m_hWnd);
   UpdateTips();
   return 0;
}

LRESULT CSwitchWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   Unadvise();
   ctx_ = nullptr;
   tips_.Destroy();
   font_.reset();
   boldFont_.reset();
   return 0;
}

void CSwitchWnd::SetContext(IVmdbContext *ctx)
{
   Unadvise();
   ctx_ = ctx;
   // Each refresh reads the whole state again: one per poll step is enough.
   CoalesceChanges();
   if (ctx_ && FAILED(Advise(ctx_))) {
      Warning("VMSwitchCtl: cannot follow the database\n");
   }
   Rewatch();
}

void CSwitchWnd::SetLinkPath(const std::wstring &path)
{
   linkPath_ = path;
   Rewatch();
}

void CSwitchWnd::SetArrayPath(const std::wstring &path)
{
   arrayPath_ = path;
   Rewatch();
}

void CSwitchWnd::Rewatch()
{
   if (GetEventSource()) {
      for (const std::wstring &path : {linkPath_, arrayPath_, std::wstring(L"/vm")}) {
         Unwatch(path.c_str());
      }
      if (!linkPath_.empty()) {
         Watch(linkPath_.c_str(), 0, &CSwitchWnd::OnChange);
      }
      if (!arrayPath_.empty()) {
         Watch(arrayPath_.c_str(), 1, &CSwitchWnd::OnChange);
      }
      // Names and power states of the machines behind the tabs.
      Watch(L"/vm", 1, &CSwitchWnd::OnChange);
   }
   Refresh();
}

void CSwitchWnd::OnChange(BSTR)
{
   Refresh();
}

void CSwitchWnd::Refresh()
{
   tabs_ = SwitchTabs::Read(ctx_, arrayPath_, linkPath_);
   if (hotClose_ >= static_cast<int>(tabs_.tabs.size())) {
      hotClose_ = -1;
   }
   if (IsWindow()) {
      UpdateTips();
      Invalidate();
   }
}

// Each tab's label in full, shown over the whole tab.
void CSwitchWnd::UpdateTips()
{
   TabStripLayout layout = Layout();
   std::vector<std::pair<RECT, std::wstring>> tips;
   for (size_t i = 0; i < layout.tabs.size(); i++) {
      tips.emplace_back(layout.tabs[i].box, tabs_.tabs[i].label);
   }
   tips_.Set(tips);
}

TabStripLayout CSwitchWnd::Layout() const
{
   RECT rc = {};
   std::vector<int> widths;
   if (m_hWnd) {
      ::GetClientRect(m_hWnd, &rc);
      atl::ScopedWindowDC dc(m_hWnd);
      for (size_t i = 0; i < tabs_.tabs.size(); i++) {
         // The selected tab is drawn bold: measure it so.
         HFONT font = static_cast<int>(i) == tabs_.selected && boldFont_ ? boldFont_ : font_;
         atl::ScopedSelection selected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
         SIZE size = {};
         const std::wstring &label = tabs_.tabs[i].label;
         GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &size);
         widths.push_back(size.cx);
      }
   }
   return TabStripLayout::Compute(widths, rc.right, rc.bottom, tabs_.selected);
}

void CSwitchWnd::Select(int index)
{
   if (!ctx_ || index < 0 || index >= static_cast<int>(tabs_.tabs.size()) || linkPath_.empty()) {
      return;
   }
   if (index == tabs_.selected) {
      return;
   }
   try {
      ctx_->WriteValue(linkPath_.c_str(), _variant_t(tabs_.tabs[static_cast<size_t>(index)].record.recordPath.c_str()));
   } catch (const _com_error &e) {
      Warning("VMSwitchCtl: cannot select the tab: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
      return;
   }
   tabs_.selected = index;
   UpdateTips();
   Invalidate();
}

void CSwitchWnd::CloseTab(int index)
{
   if (index < 0 || index >= static_cast<int>(tabs_.tabs.size())) {
      return;
   }
   // The program closes the current tab: make this one current first.
   std::wstring path = tabs_.tabs[static_cast<size_t>(index)].record.path;
   Select(index);
   events_.Fire(kSwitchTabCommand, path.c_str(), 1L);
}

LRESULT CSwitchWnd::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   UpdateTips();
   Invalidate();
   return 0;
}

LRESULT CSwitchWnd::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {XParam(lParam), YParam(lParam)};
   TabStripLayout::Hit hit = Layout().HitTest(pt);
   pressedClose_ = -1;
   if (hit.tab < 0) {
      return 0;
   }
   if (hit.close) {
      pressedClose_ = hit.tab;
      SetCapture();
      return 0;
   }
   Select(hit.tab);
   return 0;
}

LRESULT CSwitchWnd::OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   int pressed = pressedClose_;
   pressedClose_ = -1;
   if (::GetCapture() == m_hWnd) {
      ReleaseCapture();
   }
   POINT pt = {XParam(lParam), YParam(lParam)};
   TabStripLayout::Hit hit = Layout().HitTest(pt);
   // A close happens only when the button goes up on the close box it went down on.
   if (pressed >= 0 && hit.close && hit.tab == pressed) {
      CloseTab(pressed);
   }
   return 0;
}

LRESULT CSwitchWnd::OnMButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {XParam(lParam), YParam(lParam)};
   TabStripLayout::Hit hit = Layout().HitTest(pt);
   if (hit.tab >= 0) {
      CloseTab(hit.tab);
   }
   return 0;
}

LRESULT CSwitchWnd::OnRButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT pt = {XParam(lParam), YParam(lParam)};
   TabStripLayout::Hit hit = Layout().HitTest(pt);
   if (hit.tab < 0) {
      return 0;
   }
   const SwitchTab &tab = tabs_.tabs[static_cast<size_t>(hit.tab)];
   std::wstring path = tab.record.path;
   long kind = tab.kind;
   ClientToScreen(&pt);
   events_.Fire(kSwitchContextMenu, static_cast<long>(pt.x), static_cast<long>(pt.y), path.c_str(), kind);
   return 0;
}

LRESULT CSwitchWnd::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   if (!tracking_) {
      TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
      tracking_ = TrackMouseEvent(&track) != FALSE;
   }
   POINT pt = {XParam(lParam), YParam(lParam)};
   TabStripLayout::Hit hit = Layout().HitTest(pt);
   int hot = hit.close ? hit.tab : -1;
   if (hot != hotClose_) {
      hotClose_ = hot;
      Invalidate();
   }
   return 0;
}

LRESULT CSwitchWnd::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL &)
{
   tracking_ = false;
   if (hotClose_ >= 0) {
      hotClose_ = -1;
      Invalidate();
   }
   return 0;
}

LRESULT CSwitchWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   PaintBuffered(m_hWnd, [this](HDC dc) { Paint(dc); });
   return 0;
}

void CSwitchWnd::Paint(HDC dc)
{
   RECT rc;
   GetClientRect(&rc);
   FillRect(dc, &rc, GetSysColorBrush(COLOR_APPWORKSPACE));
   TabStripLayout layout = Layout();
   SetBkMode(dc, TRANSPARENT);
   for (size_t i = 0; i < layout.tabs.size(); i++) {
      const TabStripLayout::Tab &geometry = layout.tabs[i];
      const SwitchTab &tab = tabs_.tabs[i];
      bool selected = static_cast<int>(i) == tabs_.selected;
      RECT box = geometry.box;
      if (!selected) {
         box.top += 2;
      }
      FillRect(dc, &box, GetSysColorBrush(selected ? COLOR_WINDOW : COLOR_3DFACE));
      DrawEdge(dc, &box, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | (selected ? 0 : BF_BOTTOM));
      DrawTabGlyph(dc, geometry.icon, tab.kind);

      {
         HFONT font = selected && boldFont_ ? boldFont_ : font_;
         atl::ScopedSelection fontSelected(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
         SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
         RECT text = geometry.text;
         DrawTextW(dc, tab.label.c_str(), -1, &text,
                   DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
      }

      RECT close = geometry.close;
      if (static_cast<int>(i) == hotClose_) {
         FillRect(dc, &close, GetSysColorBrush(COLOR_3DSHADOW));
         DrawEdge(dc, &close, pressedClose_ == static_cast<int>(i) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      }
      const COLORREF cross = static_cast<int>(i) == hotClose_ ? RGB(255, 255, 255) : RGB(90, 90, 90);
      atl::ScopedPen pen(CreatePen(PS_SOLID, 2, cross));
      atl::ScopedSelection penSelected(dc, pen);
      MoveToEx(dc, close.left + 4, close.top + 4, nullptr);
      LineTo(dc, close.right - 4, close.bottom - 4);
      MoveToEx(dc, close.right - 4, close.top + 4, nullptr);
      LineTo(dc, close.left + 4, close.bottom - 4);
   }
}

HRESULT SwitchCtl::put_Context(IVmdbContext *ctx)
{
   wnd_.SetContext(ctx);
   return S_OK;
}

HRESULT SwitchCtl::put_LinkPath(BSTR path)
{
   wnd_.SetLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT SwitchCtl::put_ArrayPath(BSTR path)
{
   wnd_.SetArrayPath(path ? path : L"");
   return S_OK;
}

HRESULT SwitchCtl::get_TabCount(long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = static_cast<long>(wnd_.Tabs().tabs.size());
   return S_OK;
}

}  // namespace tremappsdk
