#include "tremsim/SimGuestScreen.h"

#include <vector>

#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace cuisim {

namespace {

const COLORREF kDesktop = RGB(32, 84, 140);
const COLORREF kTaskbar = RGB(200, 200, 200);
const COLORREF kTaskbarText = RGB(0, 0, 0);
const COLORREF kText = RGB(255, 255, 255);

void DrawLine(HDC dc, const std::string &text, RECT rect, int height, UINT format)
{
   rect.bottom = rect.top + height;
   std::wstring wide = WideFromUtf8(text);
   DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect,
             format | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

}  // namespace

void SimGuestScreen::Draw(HDC dc, const RECT &rect) const
{
   HBRUSH desktop = CreateSolidBrush(kDesktop);
   FillRect(dc, &rect, desktop);
   DeleteObject(desktop);

   int height = rect.bottom - rect.top;
   int bar = height / 12 < 14 ? 14 : height / 12;
   RECT taskbar = {rect.left, rect.bottom - bar, rect.right, rect.bottom};
   HBRUSH taskbarBrush = CreateSolidBrush(kTaskbar);
   FillRect(dc, &taskbar, taskbarBrush);
   DeleteObject(taskbarBrush);

   int oldMode = SetBkMode(dc, TRANSPARENT);
   COLORREF oldColour = SetTextColor(dc, kText);
   HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
   TEXTMETRICW metrics = {};
   GetTextMetricsW(dc, &metrics);
   int line = metrics.tmHeight + 2;

   RECT text = {rect.left + 8, rect.top + (height - bar) / 2 - line, rect.right - 8, rect.bottom};
   DrawLine(dc, machineName, text, line, DT_CENTER);
   text.top += line;
   DrawLine(dc, guestName, text, line, DT_CENTER);

   SetTextColor(dc, kTaskbarText);
   RECT status = {taskbar.left + 6, taskbar.top, taskbar.right - 6, taskbar.bottom};
   DrawLine(dc, this->status, status, bar, DT_LEFT | DT_VCENTER);

   SelectObject(dc, oldFont);
   SetTextColor(dc, oldColour);
   SetBkMode(dc, oldMode);
}

bool SimGuestScreen::Render(int width, int height, std::vector<char> &pixels, std::string &error) const
{
   if (width <= 0 || height <= 0) {
      error = "no drawing surface for the screenshot";
      return false;
   }
   BITMAPINFO info = {};
   info.bmiHeader.biSize = sizeof(info.bmiHeader);
   info.bmiHeader.biWidth = width;
   info.bmiHeader.biHeight = height;   // bottom-up, as BMP files store rows
   info.bmiHeader.biPlanes = 1;
   info.bmiHeader.biBitCount = 24;
   info.bmiHeader.biCompression = BI_RGB;
   const DWORD stride = ((static_cast<DWORD>(width) * 3) + 3) & ~3u;
   info.bmiHeader.biSizeImage = stride * static_cast<DWORD>(height);

   void *bits = nullptr;
   HDC screen = GetDC(nullptr);
   HDC dc = CreateCompatibleDC(screen);
   HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
   ReleaseDC(nullptr, screen);
   if (!dc || !bitmap || !bits) {
      if (bitmap) {
         DeleteObject(bitmap);
      }
      if (dc) {
         DeleteDC(dc);
      }
      error = "no drawing surface for the screenshot";
      return false;
   }
   HGDIOBJ old = SelectObject(dc, bitmap);
   RECT rect = {0, 0, width, height};
   Draw(dc, rect);
   GdiFlush();
   pixels.assign(static_cast<const char *>(bits), static_cast<const char *>(bits) + info.bmiHeader.biSizeImage);
   SelectObject(dc, old);
   DeleteObject(bitmap);
   DeleteDC(dc);
   return true;
}

bool SimGuestScreen::SaveBitmap(const std::string &path, std::string &error) const
{
   return SaveBitmap(path, kWidth, kHeight, error);
}

bool SimGuestScreen::SaveBitmap(const std::string &path, int width, int height, std::string &error) const
{
   std::vector<char> pixels;
   if (!Render(width, height, pixels, error)) {
      return false;
   }
   BITMAPINFOHEADER info = {};
   info.biSize = sizeof(info);
   info.biWidth = width;
   info.biHeight = height;
   info.biPlanes = 1;
   info.biBitCount = 24;
   info.biCompression = BI_RGB;
   info.biSizeImage = static_cast<DWORD>(pixels.size());

   BITMAPFILEHEADER header = {};
   header.bfType = 0x4D42;   // "BM"
   header.bfOffBits = sizeof(header) + sizeof(info);
   header.bfSize = header.bfOffBits + info.biSizeImage;

   std::string bytes(reinterpret_cast<const char *>(&header), sizeof(header));
   bytes.append(reinterpret_cast<const char *>(&info), sizeof(info));
   bytes.append(pixels.data(), pixels.size());
   return File_Replace(path, bytes, error);
}

}  // namespace cuisim
