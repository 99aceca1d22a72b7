#include "GuestScreen.h"

#include <algorithm>
#include <cstdio>

#include "DbUtil.h"
#include "atl/Gdi.h"
#include "tremappsdkRes.h"

namespace tremappsdk {

namespace {

atl::ScopedFont ScreenFont(int height, bool fixed, bool bold)
{
   LOGFONTW lf = {};
   lf.lfHeight = -height;
   lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
   lf.lfCharSet = DEFAULT_CHARSET;
   lf.lfPitchAndFamily = static_cast<BYTE>((fixed ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS));
   lstrcpyW(lf.lfFaceName, fixed ? L"Courier New" : L"Tahoma");
   return atl::ScopedFont(CreateFontIndirectW(&lf));
}

void Fill(HDC dc, const RECT &rc, COLORREF colour)
{
   FillRect(dc, &rc, atl::ScopedBrush(CreateSolidBrush(colour)));
}

void Text(HDC dc, const std::wstring &text, RECT rc, COLORREF colour, UINT format)
{
   SetTextColor(dc, colour);
   DrawTextW(dc, text.c_str(), -1, &rc, format | DT_NOPREFIX);
}

bool IsFamily(const std::wstring &id, const wchar_t *prefix)
{
   return id.compare(0, lstrlenW(prefix), prefix) == 0;
}

// The guest's size scaled to fill the client by its tighter side; integer arithmetic keeps
// the aspect within a pixel.
void ScaleToFit(int guestW, int guestH, int clientW, int clientH, int &w, int &h)
{
   if (static_cast<long long>(clientW) * guestH <= static_cast<long long>(clientH) * guestW) {
      w = clientW;
      h = static_cast<int>(static_cast<long long>(guestH) * clientW / guestW);
   } else {
      h = clientH;
      w = static_cast<int>(static_cast<long long>(guestW) * clientH / guestH);
   }
}

RECT Centred(int w, int h, int clientW, int clientH)
{
   int left = (clientW - w) / 2;
   int top = (clientH - h) / 2;
   return RECT{left, top, left + w, top + h};
}

}  // namespace

RECT GuestScreen::Fit(int guestW, int guestH, int clientW, int clientH)
{
   if (guestW <= 0 || guestH <= 0 || clientW <= 0 || clientH <= 0) {
      return RECT{0, 0, 0, 0};
   }
   int w = guestW;
   int h = guestH;
   if (w > clientW || h > clientH) {
      ScaleToFit(guestW, guestH, clientW, clientH, w, h);
   }
   return Centred(w, h, clientW, clientH);
}

RECT GuestScreen::FitFullScreen(int guestW, int guestH, int clientW, int clientH, int mode)
{
   if (guestW <= 0 || guestH <= 0 || clientW <= 0 || clientH <= 0) {
      return RECT{0, 0, 0, 0};
   }
   if (mode == 1) {
      return RECT{0, 0, clientW, clientH};
   }
   int w = guestW;
   int h = guestH;
   if (mode != 2) {
      ScaleToFit(guestW, guestH, clientW, clientH, w, h);
   }
   return Centred(w, h, clientW, clientH);
}

std::wstring GuestScreen::Uptime(DWORD ms)
{
   DWORD s = ms / 1000;
   wchar_t text[32];
   swprintf(text, 32, L"%lu:%02lu:%02lu", static_cast<unsigned long>(s / 3600), static_cast<unsigned long>(s / 60 % 60),
            static_cast<unsigned long>(s % 60));
   return text;
}

void GuestScreen::Draw(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs)
{
   int saved = SaveDC(dc);
   IntersectClipRect(dc, screen.left, screen.top, screen.right, screen.bottom);
   SetBkMode(dc, TRANSPARENT);
   if (uptimeMs < kBootMs) {
      DrawBoot(dc, screen, info, uptimeMs);
   } else {
      DrawDesktop(dc, screen, info, uptimeMs);
   }
   RestoreDC(dc, saved);
}

void GuestScreen::DrawBoot(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs)
{
   Fill(dc, screen, RGB(0, 0, 0));
   int h = screen.bottom - screen.top;
   int line = std::max(10, h / 30);
   atl::ScopedFont font = ScreenFont(line, true, false);
   atl::ScopedSelection selected(dc, font);
   RECT rc = {screen.left + line, screen.top + line, screen.right - line, screen.top + 2 * line + line / 2};
   Text(dc, FormatResString(IDS_TREMAPPSDK_BIOS, static_cast<int>(info.memoryMB), static_cast<int>(info.cpuCount)), rc,
        RGB(192, 192, 192), DT_LEFT | DT_SINGLELINE);
   OffsetRect(&rc, 0, 2 * line);
   std::wstring starting = FormatResString(IDS_TREMAPPSDK_BOOTING, info.guestOS.c_str());
   starting.append(static_cast<size_t>(uptimeMs / 500 % 8), L'.');
   Text(dc, starting, rc, RGB(255, 255, 255), DT_LEFT | DT_SINGLELINE);
   // A progress bar along the bottom third.
   int barTop = screen.top + h * 2 / 3;
   RECT bar = {screen.left + (screen.right - screen.left) / 4, barTop, screen.right - (screen.right - screen.left) / 4,
               barTop + line};
   FrameRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
   RECT done = bar;
   InflateRect(&done, -2, -2);
   done.right = done.left + static_cast<int>(static_cast<long long>(done.right - done.left) * uptimeMs / kBootMs);
   Fill(dc, done, RGB(40, 110, 200));
}

void GuestScreen::DrawDesktop(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs)
{
   int w = screen.right - screen.left;
   int h = screen.bottom - screen.top;
   // Each family of guests gets its own desktop colours.
   COLORREF top = RGB(40, 90, 160);
   COLORREF bottom = RGB(90, 150, 210);
   if (IsFamily(info.guestId, L"linux") || IsFamily(info.guestId, L"freebsd") || IsFamily(info.guestId, L"solaris")) {
      top = RGB(40, 60, 50);
      bottom = RGB(90, 130, 100);
   } else if (info.guestId == L"dos" || info.guestId == L"other" || info.guestId.empty()) {
      top = RGB(30, 30, 70);
      bottom = RGB(70, 70, 130);
   }
   for (int y = 0; y < h; y += 4) {
      int r = GetRValue(top) + (GetRValue(bottom) - GetRValue(top)) * y / std::max(h, 1);
      int g = GetGValue(top) + (GetGValue(bottom) - GetGValue(top)) * y / std::max(h, 1);
      int b = GetBValue(top) + (GetBValue(bottom) - GetBValue(top)) * y / std::max(h, 1);
      Fill(dc, RECT{screen.left, screen.top + y, screen.right, screen.top + y + 4}, RGB(r, g, b));
   }

   int unit = std::max(8, h / 40);
   atl::ScopedFont font = ScreenFont(unit, false, false);
   atl::ScopedFont bold = ScreenFont(unit, false, true);
   atl::ScopedSelection selected(dc, font);

   // Desktop icons down the left side.
   for (int i = 0; i < 3; i++) {
      RECT icon = {screen.left + unit, screen.top + unit + i * 4 * unit, screen.left + 3 * unit,
                   screen.top + 3 * unit + i * 4 * unit};
      Fill(dc, icon, i == 0 ? RGB(240, 220, 120) : i == 1 ? RGB(200, 200, 210) : RGB(120, 200, 120));
      FrameRect(dc, &icon, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
   }

   // Task bar with a menu button and the clock showing the uptime.
   int barH = unit * 2;
   RECT bar = {screen.left, screen.bottom - barH, screen.right, screen.bottom};
   Fill(dc, bar, RGB(210, 210, 215));
   RECT edge = bar;
   DrawEdge(dc, &edge, BDR_RAISEDOUTER, BF_TOP);
   RECT button = {bar.left + 3, bar.top + 3, bar.left + 3 + unit * 4, bar.bottom - 3};
   Fill(dc, button, RGB(60, 140, 60));
   DrawEdge(dc, &button, EDGE_RAISED, BF_RECT);
   RECT clock = {bar.right - unit * 8, bar.top + 3, bar.right - 3, bar.bottom - 3};
   DrawEdge(dc, &clock, BDR_SUNKENOUTER, BF_RECT);
   Text(dc, Uptime(uptimeMs), clock, RGB(0, 0, 0), DT_CENTER | DT_VCENTER | DT_SINGLELINE);

   // A window that tells which machine this is.
   RECT win = {screen.left + w / 4, screen.top + h / 5, screen.right - w / 4, screen.top + h / 5 + unit * 9};
   Fill(dc, win, RGB(240, 240, 240));
   DrawEdge(dc, &win, EDGE_RAISED, BF_RECT);
   RECT title = {win.left + 3, win.top + 3, win.right - 3, win.top + 3 + unit * 2};
   Fill(dc, title, RGB(30, 70, 150));
   {
      atl::ScopedSelection boldSelected(dc, bold);
      RECT titleText = {title.left + unit / 2, title.top, title.right, title.bottom};
      Text(dc, info.name, titleText, RGB(255, 255, 255), DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
   }
   RECT body = {win.left + unit, title.bottom + unit, win.right - unit, title.bottom + unit * 3};
   Text(dc, info.guestOS, body, RGB(0, 0, 0), DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
   OffsetRect(&body, 0, unit * 2);
   Text(dc, FormatResString(IDS_TREMAPPSDK_UPTIME, static_cast<int>(uptimeMs / 3600000), static_cast<int>(uptimeMs / 60000 % 60),
                      static_cast<int>(uptimeMs / 1000 % 60)),
        body, RGB(0, 0, 0), DT_LEFT | DT_SINGLELINE);
}

}  // namespace tremappsdk
