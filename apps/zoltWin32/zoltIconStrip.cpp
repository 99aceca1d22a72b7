#include "zoltIconStrip.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
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

#pragma pack(push, 2)
struct GroupIconEntry {
   BYTE width;
   BYTE height;
   BYTE colorCount;
   BYTE reserved;
   WORD planes;
   WORD bitCount;
   DWORD bytesInRes;
   WORD id;
};
#pragma pack(pop)

// The image of an icon group that LookupIconIdFromDirectoryEx picks at the icons' own size. The
// system asks the screen's depth on every call: the choice depends only on the entries' sizes and
// depths, so it is asked once per kind of group and remembered.
int ChooseIconImage(const BYTE *directory, DWORD size)
{
   const size_t header = 3 * sizeof(WORD);
   if (size < header) {
      return 0;
   }
   WORD count = reinterpret_cast<const WORD *>(directory)[2];
   if (count == 0 || size < header + count * sizeof(GroupIconEntry)) {
      return 0;
   }
   const auto *entries = reinterpret_cast<const GroupIconEntry *>(directory + header);
   std::string shape;
   for (WORD i = 0; i < count; ++i) {
      const GroupIconEntry &entry = entries[i];
      shape += std::to_string(entry.width) + "x" + std::to_string(entry.height) + "x" +
               std::to_string(entry.colorCount) + "x" + std::to_string(entry.planes) + "x" +
               std::to_string(entry.bitCount) + ";";
   }
   static std::mutex lock;
   static std::map<std::string, WORD> chosen;
   std::lock_guard<std::mutex> hold(lock);
   auto known = chosen.find(shape);
   if (known != chosen.end()) {
      return known->second < count ? entries[known->second].id : 0;
   }
   int id = ::LookupIconIdFromDirectoryEx(const_cast<BYTE *>(directory), TRUE, 0, 0, LR_DEFAULTCOLOR);
   for (WORD i = 0; i < count; ++i) {
      if (entries[i].id == id) {
         chosen[shape] = i;
         return id;
      }
   }
   return id;
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
   int imageId = ChooseIconImage(directory, ::SizeofResource(module, groupInfo));
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
   {
      atl::ScopedWindowDC screen(nullptr);
      imageDc_ = atl::ScopedDC(screen);
      maskDc_ = atl::ScopedDC(screen);
      if (imageDc_ && maskDc_) {
         image_.reset(::CreateCompatibleBitmap(screen, width * count, height));
         mask_.reset(::CreateBitmap(width * count, height, 1, 1, nullptr));
      }
   }
   if (!IsValid()) {
      return;
   }
   imageSelected_ = atl::ScopedSelection(imageDc_, image_);
   maskSelected_ = atl::ScopedSelection(maskDc_, mask_);
   // Outside the icons' own pixels a slot is transparent: black image, white mask.
   RECT all = {0, 0, width * count, height};
   ::FillRect(imageDc_, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
   ::FillRect(maskDc_, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
}

void IconStrip::DrawIcon(int slot, HICON icon)
{
   if (!IsValid() || slot < 0 || slot >= count_ || !icon) {
      return;
   }
   ::DrawIconEx(imageDc_, slot * width_, 0, icon, width_, height_, 0, nullptr, DI_IMAGE);
   ::DrawIconEx(maskDc_, slot * width_, 0, icon, width_, height_, 0, nullptr, DI_MASK);
}

bool IconStrip::AppendTo(HIMAGELIST list)
{
   if (!IsValid() || !list) {
      return false;
   }
   // The list copies the bitmaps, which must not be selected into a device context meanwhile.
   imageSelected_.restore();
   maskSelected_.restore();
   bool added = ImageList_Add(list, image_, mask_) >= 0;
   imageSelected_ = atl::ScopedSelection(imageDc_, image_);
   maskSelected_ = atl::ScopedSelection(maskDc_, mask_);
   return added;
}

IconStripBits::IconStripBits(int width, int height, int count)
   : width_(width), height_(height), count_(count), maskRow_(((static_cast<size_t>(width) * count + 15) / 16) * 2)
{
   if (width <= 0 || height <= 0 || count <= 0) {
      width_ = height_ = count_ = 0;
      return;
   }
   // Outside the icons' own pixels a slot is transparent: black image, set mask.
   colors_.assign(static_cast<size_t>(width) * count * height, 0);
   mask_.assign(maskRow_ * height, 0xFF);
}

void IconStripBits::PutResource(int slot, const IconResource &icon)
{
   if (slot < 0 || slot >= count_ || !icon.header || icon.width != width_ || icon.height != height_) {
      return;
   }
   const BITMAPINFOHEADER &header = *icon.header;
   int bitCount = header.biBitCount;
   const RGBQUAD *table = reinterpret_cast<const RGBQUAD *>(reinterpret_cast<const BYTE *>(&header) + header.biSize);
   size_t tableEntries = ColorTableEntries(header);
   size_t colorRow = RowBytes(width_, bitCount);
   size_t maskRow = RowBytes(width_, 1);
   // An icon with an alpha channel is blended onto the black slot.
   bool blend = bitCount == 32 && HasAlpha(icon.colors, colorRow * height_);
   size_t stride = static_cast<size_t>(width_) * count_;
   for (int y = 0; y < height_; ++y) {
      // The resource's rows run bottom up, the strip's top down.
      const BYTE *colors = icon.colors + colorRow * (height_ - 1 - y);
      const BYTE *mask = icon.mask + maskRow * (height_ - 1 - y);
      DWORD *out = &colors_[stride * y + static_cast<size_t>(slot) * width_];
      for (int x = 0; x < width_; ++x) {
         BYTE blue = 0, green = 0, red = 0;
         if (bitCount >= 24) {
            const BYTE *pixel = colors + static_cast<size_t>(x) * (bitCount / 8);
            blue = pixel[0];
            green = pixel[1];
            red = pixel[2];
            if (blend) {
               unsigned alpha = pixel[3];
               blue = static_cast<BYTE>((blue * alpha + 127) / 255);
               green = static_cast<BYTE>((green * alpha + 127) / 255);
               red = static_cast<BYTE>((red * alpha + 127) / 255);
            }
         } else {
            int perByte = 8 / bitCount;
            int shift = (perByte - 1 - x % perByte) * bitCount;
            size_t index = (colors[x / perByte] >> shift) & ((1u << bitCount) - 1);
            if (index < tableEntries) {
               blue = table[index].rgbBlue;
               green = table[index].rgbGreen;
               red = table[index].rgbRed;
            }
         }
         out[x] = blue | (static_cast<DWORD>(green) << 8) | (static_cast<DWORD>(red) << 16);
         bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
         SetMaskBit(slot * width_ + x, y, transparent);
      }
   }
}

void IconStripBits::PutBlack(int slot)
{
   if (slot < 0 || slot >= count_) {
      return;
   }
   size_t stride = static_cast<size_t>(width_) * count_;
   for (int y = 0; y < height_; ++y) {
      std::fill_n(&colors_[stride * y + static_cast<size_t>(slot) * width_], width_, 0);
      for (int x = 0; x < width_; ++x) {
         SetMaskBit(slot * width_ + x, y, false);
      }
   }
}

void IconStripBits::SetMaskBit(int x, int y, bool set)
{
   BYTE &byte = mask_[maskRow_ * y + x / 8];
   BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
   byte = set ? (byte | bit) : (byte & ~bit);
}

bool IconStripBits::AppendTo(HIMAGELIST list) const
{
   if (!list || !count_) {
      return false;
   }
   BITMAPINFO info = {};
   info.bmiHeader.biSize = sizeof info.bmiHeader;
   info.bmiHeader.biWidth = width_ * count_;
   info.bmiHeader.biHeight = -height_;
   info.bmiHeader.biPlanes = 1;
   info.bmiHeader.biBitCount = 32;
   info.bmiHeader.biCompression = BI_RGB;
   void *bits = nullptr;
   atl::ScopedBitmap image(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
   atl::ScopedBitmap mask(::CreateBitmap(width_ * count_, height_, 1, 1, mask_.data()));
   bool added = false;
   if (image && bits && mask) {
      memcpy(bits, colors_.data(), colors_.size() * sizeof(DWORD));
      added = ImageList_Add(list, image, mask) >= 0;
   }
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
   // Built in memory and handed over in one piece: a device context per slot costs the list
   // more than its pixels.
   IconStripBits strip(width, height, count);
   for (int i = 0; i < count; ++i) {
      if (ids[i]) {
         strip.PutResource(i, icons[i]);
      } else {
         strip.PutBlack(i);
      }
   }
   HIMAGELIST list = ImageList_Create(width, height, ILC_MASK | ILC_COLOR32, count, 0);
   if (list && !strip.AppendTo(list)) {
      ImageList_Destroy(list);
      return nullptr;
   }
   return list;
}
