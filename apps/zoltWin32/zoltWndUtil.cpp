#include "zoltWndUtil.h"

#include "zoltIconStrip.h"
#include "zoltResources.h"

#include "atl/Gdi.h"
#include "cui/GuestOS.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <string>
#include <vector>

std::string GetWindowTextUtf8(HWND window)
{
   if (!window) {
      return std::string();
   }
   int length = ::GetWindowTextLengthW(window);
   std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
   int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
   return Utf8FromWide(std::wstring_view(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0));
}

BOOL SetWindowTextUtf8(HWND window, const std::string &text)
{
   return ::SetWindowTextW(window, WideFromUtf8(text).c_str());
}

std::string GetDlgItemTextUtf8(HWND dialog, int id)
{
   return GetWindowTextUtf8(::GetDlgItem(dialog, id));
}

BOOL SetDlgItemTextUtf8(HWND dialog, int id, const std::string &text)
{
   return ::SetDlgItemTextW(dialog, id, WideFromUtf8(text).c_str());
}

int MessageBoxUtf8(HWND owner, const std::string &text, const std::string &caption, UINT flags)
{
   return ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), flags);
}

int DrawTextUtf8(HDC dc, const std::string &text, RECT *rect, UINT format)
{
   std::wstring wide = WideFromUtf8(text);
   return ::DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

bool SameTextNoCase(const std::string &a, const std::string &b)
{
   std::wstring wideA = WideFromUtf8(a);
   std::wstring wideB = WideFromUtf8(b);
   return ::CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, wideA.c_str(), static_cast<int>(wideA.size()),
                           wideB.c_str(), static_cast<int>(wideB.size())) == CSTR_EQUAL;
}

HBITMAP LoadBitmapFile(const std::string &path)
{
   if (path.empty()) {
      return nullptr;
   }
   return static_cast<HBITMAP>(
      ::LoadImageW(nullptr, WideFromUtf8(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

SIZE FitSize(int pictureWidth, int pictureHeight, int width, int height)
{
   SIZE size = {0, 0};
   if (pictureWidth <= 0 || pictureHeight <= 0 || width <= 0 || height <= 0) {
      return size;
   }
   size.cx = std::min({pictureWidth, width, MulDiv(height, pictureWidth, pictureHeight)});
   size.cy = std::min({pictureHeight, MulDiv(width, pictureHeight, pictureWidth), height});
   return size;
}

HBITMAP ScaleBitmapToFit(HWND window, HBITMAP bitmap, const RECT &rect, SIZE *size)
{
   SIZE none = {0, 0};
   BITMAP info;
   if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info)) {
      if (size) {
         *size = none;
      }
      return nullptr;
   }
   SIZE fit = FitSize(info.bmWidth, info.bmHeight, rect.right - rect.left, rect.bottom - rect.top);
   if (size) {
      *size = fit;
   }
   // A zero side makes no bitmap: there is nothing to draw into.
   if (fit.cx == 0 || fit.cy == 0) {
      return nullptr;
   }
   atl::ScopedWindowDC windowDC(window);
   atl::ScopedDC from(windowDC);
   atl::ScopedDC to(windowDC);
   HBITMAP scaled = ::CreateCompatibleBitmap(windowDC, fit.cx, fit.cy);
   if (scaled) {
      atl::ScopedSelection fromSelected(from, bitmap);
      atl::ScopedSelection toSelected(to, scaled);
      if (fit.cx != info.bmWidth) {
         ::SetStretchBltMode(to, info.bmBitsPixel == 8 ? COLORONCOLOR : HALFTONE);
         ::StretchBlt(to, 0, 0, fit.cx, fit.cy, from, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      } else {
         ::BitBlt(to, 0, 0, fit.cx, fit.cy, from, 0, 0, SRCCOPY);
      }
   }
   return scaled;
}

std::string EscapeAmpersands(const std::string &text)
{
   std::string out;
   out.reserve(text.size() + 4);
   for (char c : text) {
      if (c == '&') {
         out += "&&";
      } else if (c == '\t') {
         out += ' ';
      } else {
         out += c;
      }
   }
   return out;
}

_bstr_t EscapeAmpersandsBstr(const _bstr_t &text)
{
   if (text.length() == 0) {
      return text;
   }
   std::wstring out;
   for (const wchar_t *p = static_cast<const wchar_t *>(text); *p; ++p) {
      if (*p == L'&') {
         out += L"&&";
      } else if (*p == L'\t') {
         out += L' ';
      } else {
         out += *p;
      }
   }
   return _bstr_t(out.c_str());
}

WaitCursor::WaitCursor(bool show) : wait_(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)))
{
   if (show) {
      Set();
   }
}

void WaitCursor::Set()
{
   HCURSOR previous = ::SetCursor(wait_);
   if (!replaced_) {
      replaced_ = previous;
   }
   active_ = true;
}

void WaitCursor::Restore()
{
   if (replaced_) {
      ::SetCursor(replaced_);
   }
   active_ = false;
}

void TooltipText::SetText(NMTTDISPINFOW *request, const std::string &text)
{
   if (text != text_ || wide_.empty()) {
      text_ = text;
      wide_ = WideFromUtf8(text_);
   }
   request->lpszText = const_cast<wchar_t *>(wide_.c_str());
}

bool CreateTooltipWindow(HWND &tooltip, HWND parent, DWORD style)
{
   tooltip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, parent, nullptr, GetResourceInstance(), nullptr);
   if (!tooltip) {
      return false;
   }
   ::SetWindowPos(tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   TOOLINFOW tool = {};
   tool.cbSize = sizeof(tool);
   tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
   tool.hwnd = parent;
   tool.uId = reinterpret_cast<UINT_PTR>(parent);
   tool.lpszText = LPSTR_TEXTCALLBACKW;
   ::SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   ::SendMessageA(tooltip, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN));
   return true;
}

void Tooltip::Activate(int state)
{
   if (state != state_) {
      state_ = state;
      ::SendMessageA(window_, TTM_ACTIVATE, FALSE, 0);
   }
   ::SendMessageA(window_, TTM_ACTIVATE, TRUE, 0);
}

void Tooltip::Deactivate()
{
   ::SendMessageA(window_, TTM_ACTIVATE, FALSE, 0);
}

bool CreateStatusBar(HWND &statusBar, HWND parent, UINT id)
{
   const DWORD style = WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM;
   static_assert(style == 0x50000103, "the status bar's style");
   statusBar = ::CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                 GetResourceInstance(), nullptr);
   return statusBar != nullptr;
}

RECT PlaceRect(const RECT &control, RECT &area, int placement, int advance)
{
   const int width = control.right - control.left;
   const int height = control.bottom - control.top;
   RECT r = control;
   auto left = [&](int x) { r.left = x; r.right = x + width; };
   auto top = [&](int y) { r.top = y; r.bottom = y + height; };
   auto right = [&](int x) { r.right = x; r.left = x - width; };
   auto bottom = [&](int y) { r.bottom = y; r.top = y - height; };
   switch (placement) {
   case PLACE_LEFT: left(area.left); break;
   case PLACE_TOP: top(area.top); break;
   case PLACE_RIGHT: right(area.right); break;
   case PLACE_BOTTOM: bottom(area.bottom); break;
   case PLACE_LEFT_TOP: left(area.left); top(area.top); break;
   case PLACE_LEFT_BOTTOM: left(area.left); bottom(area.bottom); break;
   case PLACE_RIGHT_TOP: right(area.right); top(area.top); break;
   case PLACE_RIGHT_BOTTOM: right(area.right); bottom(area.bottom); break;
   case PLACE_ACROSS_TOP: r.left = area.left; r.right = area.right; top(area.top); break;
   case PLACE_DOWN_LEFT: r.top = area.top; r.bottom = area.bottom; left(area.left); break;
   default: break;
   }
   switch (advance) {
   case ADVANCE_RIGHT_EDGE: area.right -= (r.right - r.left) + kPlaceGap; break;
   case ADVANCE_LEFT_EDGE: area.left += (r.right - r.left) + kPlaceGap; break;
   case ADVANCE_BOTTOM_EDGE: area.bottom -= (r.bottom - r.top) + kPlaceGap; break;
   case ADVANCE_TOP_EDGE: area.top += (r.bottom - r.top) + kPlaceGap; break;
   default: break;
   }
   return r;
}

void PlaceDlgItem(HWND parent, int id, RECT &area, int placement, int advance, BOOL repaint)
{
   HWND control = ::GetDlgItem(parent, id);
   RECT current;
   ::GetWindowRect(control, &current);
   ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&current), 2);
   RECT r = PlaceRect(current, area, placement, advance);
   ::MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
}

size_t FillerMaskBytes(int width, int height)
{
   // CreateIcon reads every mask row padded to a 16-bit boundary: a 24-pixel row takes 4 bytes.
   return static_cast<size_t>((width + 15) / 16) * 2 * static_cast<size_t>(height);
}

HIMAGELIST IconImageListBuilder(const HICON *icons, int count)
{
   int width = 0;
   int height = 0;
   for (int i = 0; i < count; ++i) {
      ICONINFO info;
      if (!icons[i] || !::GetIconInfo(icons[i], &info)) {
         continue;
      }
      // The bitmaps are copies the caller owns.
      atl::ScopedBitmap color(info.hbmColor);
      atl::ScopedBitmap mask(info.hbmMask);
      BITMAP bitmap;
      if (info.hbmColor && ::GetObjectA(info.hbmColor, sizeof(bitmap), &bitmap)) {
         width = std::max<int>(width, bitmap.bmWidth);
         height = std::max<int>(height, bitmap.bmHeight);
      } else if (info.hbmMask && ::GetObjectA(info.hbmMask, sizeof(bitmap), &bitmap)) {
         // A monochrome icon has no colour bitmap; its mask holds both masks, one above the other.
         width = std::max<int>(width, bitmap.bmWidth);
         height = std::max<int>(height, bitmap.bmHeight / 2);
      }
   }
   if (width == 0 || height == 0) {
      return nullptr;
   }
   std::vector<BYTE> mask(FillerMaskBytes(width, height), 0);
   HICON filler = ::CreateIcon(GetResourceInstance(), width, height, 1, 1, mask.data(), mask.data());
   HIMAGELIST list = ImageList_Create(width, height, ILC_MASK | ILC_COLORDDB, count, 0);
   if (list) {
      IconStrip strip(width, height, count);
      for (int i = 0; i < count; ++i) {
         strip.DrawIcon(i, icons[i] ? icons[i] : filler);
      }
      if (!strip.AppendTo(list)) {
         for (int i = 0; i < count; ++i) {
            ImageList_ReplaceIcon(list, -1, icons[i] ? icons[i] : filler);
         }
      }
   }
   if (filler) {
      ::DestroyIcon(filler);
   }
   return list;
}

HIMAGELIST CreateIconImageList(HINSTANCE module, const UINT *ids, int count)
{
   if (!module || !ids || count <= 0) {
      return nullptr;
   }
   if (HIMAGELIST list = IconImageListFromResources(module, ids, count)) {
      return list;
   }
   std::vector<HICON> icons(count, nullptr);
   for (int i = 0; i < count; ++i) {
      if (ids[i]) {
         icons[i] = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, 0, 0, 0));
      }
   }
   HIMAGELIST list = IconImageListBuilder(icons.data(), count);
   for (HICON icon : icons) {
      if (icon) {
         ::DestroyIcon(icon);
      }
   }
   return list;
}

namespace {

// The icon of each guest system's family, by the system's id.
UINT GuestIcon(const char *id)
{
   const std::string os = id;
   if (os.compare(0, 3, "win") == 0 || os == "vista") {
      return IDI_GUEST_WINDOWS;
   }
   if (os.compare(0, 5, "linux") == 0) {
      return IDI_GUEST_LINUX;
   }
   if (os.compare(0, 7, "solaris") == 0) {
      return IDI_GUEST_SOLARIS;
   }
   if (os.find("bsd") != std::string::npos) {
      return IDI_GUEST_BSD;
   }
   return os == "dos" ? IDI_GUEST_DOS : IDI_GUEST_OTHER;
}

}  // namespace

const int kSharedLANImage = static_cast<int>(cui::kGuestOSCount);

HIMAGELIST CreateSharedIconImageList()
{
   std::vector<UINT> ids;
   for (const cui::GuestOSInfo &os : cui::kGuestOSTable) {
      ids.push_back(GuestIcon(os.id));
   }
   ids.push_back(IDI_TEAM_LAN);
   return CreateIconImageList(GetResourceInstance(), ids.data(), static_cast<int>(ids.size()));
}

void DisconnectAll(std::list<sigc::connection> &connections)
{
   for (sigc::connection &connection : connections) {
      connection.disconnect();
   }
   connections.clear();
}

int FindIndexInArray(int value, const int *values, int count)
{
   if (!values) {
      return -1;
   }
   for (int i = 0; i < count; ++i) {
      if (values[i] == value) {
         return i;
      }
   }
   return -1;
}

void RequestSuspendScreenshot(cui::VM *vm, const sigc::slot<void, std::string> &done)
{
   if (!vm) {
      cui::CallSlot(done, std::string());
      return;
   }
   sigc::slot<void, std::string> answer = done;
   vm->GetSuspendScreenshot([answer](bool, cui::Error) { cui::CallSlot(answer, std::string()); }, done);
}
