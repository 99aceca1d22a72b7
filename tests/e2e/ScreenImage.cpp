#include "ScreenImage.h"

#include "e2e/Files.h"

#include <algorithm>

namespace e2e {

namespace {

ScreenImage ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height)
{
   ScreenImage image;
   BITMAPINFO info = {};
   info.bmiHeader.biSize = sizeof(info.bmiHeader);
   info.bmiHeader.biWidth = width;
   info.bmiHeader.biHeight = -height;   // top-down rows
   info.bmiHeader.biPlanes = 1;
   info.bmiHeader.biBitCount = 32;
   info.bmiHeader.biCompression = BI_RGB;
   std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
   if (GetDIBits(dc, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height) {
      for (uint32_t &p : pixels) {
         p &= 0x00FFFFFF;
      }
      image.width = width;
      image.height = height;
      image.pixels.swap(pixels);
   }
   return image;
}

// Draws into a bitmap of the given size through `draw` and reads it back.
template <class Draw>
ScreenImage Capture(int width, int height, Draw draw)
{
   if (width <= 0 || height <= 0) {
      return ScreenImage();
   }
   HDC screen = GetDC(nullptr);
   HDC memory = CreateCompatibleDC(screen);
   HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
   HGDIOBJ old = SelectObject(memory, bitmap);
   const bool drawn = draw(memory, screen);
   SelectObject(memory, old);
   ScreenImage image = drawn ? ReadBitmap(memory, bitmap, width, height) : ScreenImage();
   DeleteObject(bitmap);
   DeleteDC(memory);
   ReleaseDC(nullptr, screen);
   return image;
}

uint32_t Crc(const unsigned char *data, size_t size, uint32_t crc = 0)
{
   crc = ~crc;
   for (size_t i = 0; i < size; ++i) {
      crc ^= data[i];
      for (int k = 0; k < 8; ++k) {
         crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
      }
   }
   return ~crc;
}

void PutBig(std::string &out, uint32_t value)
{
   for (int shift = 24; shift >= 0; shift -= 8) {
      out += static_cast<char>((value >> shift) & 0xFF);
   }
}

void PutChunk(std::string &out, const char *type, const std::string &data)
{
   PutBig(out, static_cast<uint32_t>(data.size()));
   std::string body = std::string(type, 4) + data;
   out += body;
   PutBig(out, Crc(reinterpret_cast<const unsigned char *>(body.data()), body.size()));
}

// A zlib stream of stored (uncompressed) blocks.
std::string Stored(const std::string &raw)
{
   std::string out("\x78\x01", 2);
   size_t at = 0;
   do {
      const size_t size = std::min<size_t>(raw.size() - at, 65535);
      const bool last = at + size == raw.size();
      out += static_cast<char>(last ? 1 : 0);
      out += static_cast<char>(size & 0xFF);
      out += static_cast<char>(size >> 8);
      out += static_cast<char>(~size & 0xFF);
      out += static_cast<char>((~size >> 8) & 0xFF);
      out.append(raw, at, size);
      at += size;
   } while (at < raw.size());
   uint32_t a = 1;
   uint32_t b = 0;
   for (unsigned char c : raw) {
      a = (a + c) % 65521;
      b = (b + a) % 65521;
   }
   PutBig(out, (b << 16) | a);
   return out;
}

}  // namespace

size_t ScreenImage::CountColour(COLORREF colour) const
{
   const uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
   size_t count = 0;
   for (uint32_t p : pixels) {
      count += p == wanted;
   }
   return count;
}

ScreenImage CaptureClientFromScreen(HWND window)
{
   RECT client;
   if (!GetClientRect(window, &client)) {
      return ScreenImage();
   }
   POINT origin = {0, 0};
   ClientToScreen(window, &origin);
   return Capture(client.right, client.bottom, [&](HDC memory, HDC screen) {
      return BitBlt(memory, 0, 0, client.right, client.bottom, screen, origin.x, origin.y, SRCCOPY) != FALSE;
   });
}

ScreenImage CaptureWindowFromScreen(HWND window)
{
   RECT rect;
   if (!GetWindowRect(window, &rect)) {
      return ScreenImage();
   }
   const int width = rect.right - rect.left;
   const int height = rect.bottom - rect.top;
   return Capture(width, height, [&](HDC memory, HDC screen) {
      return BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
   });
}

bool SavePng(const ScreenImage &image, const std::string &path)
{
   if (image.Empty()) {
      return false;
   }
   std::string header;
   PutBig(header, static_cast<uint32_t>(image.width));
   PutBig(header, static_cast<uint32_t>(image.height));
   header += std::string("\x08\x02\x00\x00\x00", 5);   // 8-bit RGB, no interlace
   std::string raw;
   raw.reserve(static_cast<size_t>(image.height) * (1 + 3 * image.width));
   for (int y = 0; y < image.height; ++y) {
      raw += '\0';   // no filter
      for (int x = 0; x < image.width; ++x) {
         const uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
         raw += static_cast<char>((p >> 16) & 0xFF);
         raw += static_cast<char>((p >> 8) & 0xFF);
         raw += static_cast<char>(p & 0xFF);
      }
   }
   std::string png("\x89PNG\r\n\x1a\n", 8);
   PutChunk(png, "IHDR", header);
   PutChunk(png, "IDAT", Stored(raw));
   PutChunk(png, "IEND", "");
   return WriteTextFile(path, png);
}

void KeepWindowScreenshot(const std::string &folder, HWND window, const std::string &name)
{
   RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
   ScreenImage image = CaptureWindowFromScreen(window);
   SavePng(image, folder + "\\" + name);
   SavePng(image, TestProgramFolder() + "\\" + name);
}

}  // namespace e2e
