#include "zoltIconStrip.h"

#include <vector>

namespace {

size_t RowBytes(int width, int bitCount)
{
   return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
}

// The colour table entries that follow a bitmap header.
size_t ColorTableEntries(const BITMAPINFOHEADER &header)
{
   if (header.biClrUsed) {
      return header.biClrUsed;
   }
   return header.biBitCount <= 8 ? size_t(1) << header.biBitCount : 0;
}

bool HasAlpha(const BYTE *pixels, size_t bytes)
{
   for (size_t i = 3; i < bytes; i += 4) {
      if (pixels[i]) {
         return true;
      }
   }
   return false;
}

}  // namespace

bool FindIconResource(HINSTANCE module, UINT id, IconResource &icon)
{
   HRSRC groupInfo = ::FindResourceA(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
   HGLOBAL group = groupInfo ? ::LoadResource(module, groupInfo) : nullptr;
   BYTE *directory = group ? static_cast<BYTE *>(::LockResource(group)) : nullptr;
   if (!directory) {
      return false;
   }
   int imageId = ::LookupIconIdFromDirectoryEx(directory, TRUE, 0, 0, LR_DEFAULTCOLOR);
   HRSRC imageInfo = imageId ? ::FindResourceA(module, MAKEINTRESOURCEA(imageId), RT_ICON) : nullptr;
   HGLOBAL image = imageInfo ? ::LoadResource(module, imageInfo) : nullptr;
   const BYTE *bits = image ? static_cast<const BYTE *>(::LockResource(image)) : nullptr;
   size_t size = imageInfo ? ::SizeofResource(module, imageInfo) : 0;
   if (!bits || size < sizeof(BITMAPINFOHEADER)) {
      return false;
   }
   const BITMAPINFOHEADER *header = reinterpret_cast<const BITMAPINFOHEADER *>(bits);
   int bitCount = header->biBitCount;
   if (header->biSize < sizeof(BITMAPINFOHEADER) || header->biSize > size || header->biCompression != BI_RGB ||
       header->biPlanes != 1 || header->biWidth <= 0 || header->biWidth > 256 || header->biHeight <= 0 ||
       header->biHeight > 512 || header->biHeight % 2 ||
       (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)) {
      return false;
   }
   int width = header->biWidth;
   int height = header->biHeight / 2;
   size_t colorTable = ColorTableEntries(*header) * sizeof(RGBQUAD);
   size_t colorBytes = RowBytes(width, bitCount) * height;
   size_t maskBytes = RowBytes(width, 1) * height;
   if (colorTable > size || header->biSize + colorTable + colorBytes + maskBytes > size) {
      return false;
   }
   icon.header = header;
   icon.width = width;
   icon.height = height;
   icon.colors = bits + header->biSize + colorTable;
   icon.mask = icon.colors + colorBytes;
   return true;
}

IconStrip::IconStrip(int width, int height, int count) : width_(width), height_(height), count_(count)
{
   if (width <= 0 || height <= 0 || count <= 0) {
      return;
   }
   HDC screen = ::GetDC(nullptr);
   imageDc_ = ::CreateCompatibleDC(screen);
   maskDc_ = ::CreateCompatibleDC(screen);
   if (imageDc_ && maskDc_) {
      image_ = ::CreateCompatibleBitmap(screen, width * count, height);
      mask_ = ::CreateBitmap(width * count, height, 1, 1, nullptr);
   }
   ::ReleaseDC(nullptr, screen);
   if (!IsValid()) {
      return;
   }
   oldImage_ = ::SelectObject(imageDc_, image_);
   oldMask_ = ::SelectObject(maskDc_, mask_);
   // Outside the icons' own pixels a slot is transparent: black image, white mask.
   RECT all = {0, 0, width * count, height};
   ::FillRect(imageDc_, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
   ::FillRect(maskDc_, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

IconStrip::~IconStrip()
{
   if (oldImage_) {
      ::SelectObject(imageDc_, oldImage_);
   }
   if (oldMask_) {
      ::SelectObject(maskDc_, oldMask_);
   }
   for (HBITMAP bitmap : {image_, mask_}) {
      if (bitmap) {
         ::DeleteObject(bitmap);
      }
   }
   for (HDC dc : {imageDc_, maskDc_}) {
      if (dc) {
         ::DeleteDC(dc);
      }
   }
}

void IconStrip::DrawIcon(int slot, HICON icon)
{
   if (!IsValid() || slot < 0 || slot >= count_ || !icon) {
      return;
   }
   ::DrawIconEx(imageDc_, slot * width_, 0, icon, width_, height_, 0, nullptr, DI_IMAGE);
   ::DrawIconEx(maskDc_, slot * width_, 0, icon, width_, height_, 0, nullptr, DI_MASK);
}

void IconStrip::DrawResource(int slot, const IconResource &icon)
{
   if (!IsValid() || slot < 0 || slot >= count_ || !icon.header || icon.width != width_ || icon.height != height_) {
      return;
   }
   const BITMAPINFOHEADER &stored = *icon.header;
   size_t colorTable = ColorTableEntries(stored);
   std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + colorTable * sizeof(RGBQUAD));
   BITMAPINFOHEADER header = stored;
   header.biSize = sizeof(BITMAPINFOHEADER);
   header.biHeight = height_;
   header.biSizeImage = 0;
   memcpy(info.data(), &header, sizeof header);
   memcpy(info.data() + sizeof header, reinterpret_cast<const BYTE *>(&stored) + stored.biSize,
          colorTable * sizeof(RGBQUAD));

   size_t colorBytes = RowBytes(width_, stored.biBitCount) * height_;
   std::vector<BYTE> colors(icon.colors, icon.colors + colorBytes);
   // An icon with an alpha channel is blended onto the black slot.
   if (stored.biBitCount == 32 && HasAlpha(colors.data(), colors.size())) {
      for (size_t i = 0; i + 3 < colors.size(); i += 4) {
         unsigned alpha = colors[i + 3];
         for (size_t c = 0; c < 3; ++c) {
            colors[i + c] = static_cast<BYTE>((colors[i + c] * alpha + 127) / 255);
         }
      }
   }
   ::SetDIBitsToDevice(imageDc_, slot * width_, 0, width_, height_, 0, 0, 0, height_, colors.data(),
                       reinterpret_cast<const BITMAPINFO *>(info.data()), DIB_RGB_COLORS);

   struct {
      BITMAPINFOHEADER header;
      RGBQUAD colors[2];
   } mask = {};
   mask.header = header;
   mask.header.biBitCount = 1;
   mask.header.biClrUsed = 0;
   mask.colors[1] = {255, 255, 255, 0};
   ::SetDIBitsToDevice(maskDc_, slot * width_, 0, width_, height_, 0, 0, 0, height_, icon.mask,
                       reinterpret_cast<const BITMAPINFO *>(&mask), DIB_RGB_COLORS);
}

void IconStrip::DrawBlack(int slot)
{
   if (!IsValid() || slot < 0 || slot >= count_) {
      return;
   }
   RECT r = {slot * width_, 0, (slot + 1) * width_, height_};
   ::FillRect(imageDc_, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
   ::FillRect(maskDc_, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
}

bool IconStrip::AppendTo(HIMAGELIST list)
{
   if (!IsValid() || !list) {
      return false;
   }
   // The list copies the bitmaps, which must not be selected into a device context meanwhile.
   ::SelectObject(imageDc_, oldImage_);
   ::SelectObject(maskDc_, oldMask_);
   bool added = ImageList_Add(list, image_, mask_) >= 0;
   oldImage_ = ::SelectObject(imageDc_, image_);
   oldMask_ = ::SelectObject(maskDc_, mask_);
   return added;
}

HIMAGELIST IconImageListFromResources(HINSTANCE module, const UINT *ids, int count)
{
   if (!module || !ids || count <= 0) {
      return nullptr;
   }
   std::vector<IconResource> icons(count);
   int width = 0;
   int height = 0;
   for (int i = 0; i < count; ++i) {
      if (!ids[i]) {
         continue;
      }
      if (!FindIconResource(module, ids[i], icons[i]) || (width && (icons[i].width != width || icons[i].height != height))) {
         return nullptr;
      }
      width = icons[i].width;
      height = icons[i].height;
   }
   if (!width) {
      return nullptr;
   }
   IconStrip strip(width, height, count);
   HIMAGELIST list = strip.IsValid() ? ImageList_Create(width, height, ILC_MASK | ILC_COLORDDB, count, 0) : nullptr;
   if (!list) {
      return nullptr;
   }
   for (int i = 0; i < count; ++i) {
      if (ids[i]) {
         strip.DrawResource(i, icons[i]);
      } else {
         strip.DrawBlack(i);
      }
   }
   if (!strip.AppendTo(list)) {
      ImageList_Destroy(list);
      return nullptr;
   }
   return list;
}
