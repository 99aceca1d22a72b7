#include "MediaFiles.h"

#include <cstring>

#include "tremorybase/File.h"

namespace {

bool ReadAll(const std::string &path, std::vector<uint8_t> &bytes)
{
   std::string read;
   std::string error;
   if (!File_Read(path, read, error)) {
      return false;
   }
   bytes.assign(read.begin(), read.end());
   return true;
}

uint32_t U32(const std::vector<uint8_t> &b, size_t at)
{
   return at + 4 <= b.size() ? static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
                                  (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24)
                             : 0;
}

uint16_t U16(const std::vector<uint8_t> &b, size_t at)
{
   return at + 2 <= b.size() ? static_cast<uint16_t>(b[at] | (b[at + 1] << 8)) : 0;
}

bool Is(const std::vector<uint8_t> &b, size_t at, const char *fourcc)
{
   return at + 4 <= b.size() && memcmp(&b[at], fourcc, 4) == 0;
}

uint32_t Stride(int32_t width, uint16_t bitCount)
{
   return ((static_cast<uint32_t>(width) * bitCount / 8) + 3) & ~3u;
}

}  // namespace

void BitmapFile::Pixel(int x, int y, uint8_t &b, uint8_t &g, uint8_t &r) const
{
   size_t at = static_cast<size_t>(height - 1 - y) * Stride(width, 24) + static_cast<size_t>(x) * 3;
   b = pixels[at];
   g = pixels[at + 1];
   r = pixels[at + 2];
}

bool ReadBitmap(const std::string &path, BitmapFile &bitmap, std::string &error)
{
   std::vector<uint8_t> b;
   if (!ReadAll(path, b)) {
      error = "cannot read " + path;
      return false;
   }
   if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
      error = "not a bitmap file";
      return false;
   }
   if (U32(b, 2) != b.size()) {
      error = "the header's file size " + std::to_string(U32(b, 2)) + " is not the file's " + std::to_string(b.size());
      return false;
   }
   uint32_t offset = U32(b, 10);
   bitmap.width = static_cast<int32_t>(U32(b, 18));
   bitmap.height = static_cast<int32_t>(U32(b, 22));
   bitmap.bitCount = U16(b, 28);
   if (U32(b, 14) < 40 || U16(b, 26) != 1 || U32(b, 30) != 0 || bitmap.bitCount != 24 || bitmap.width <= 0 ||
       bitmap.height <= 0) {
      error = "not an uncompressed 24-bit bottom-up bitmap";
      return false;
   }
   size_t size = static_cast<size_t>(Stride(bitmap.width, 24)) * static_cast<size_t>(bitmap.height);
   if (offset < 54 || offset + size > b.size()) {
      error = "the pixels do not fit in the file";
      return false;
   }
   bitmap.pixels.assign(b.begin() + offset, b.begin() + offset + size);
   return true;
}

bool ReadAvi(const std::string &path, AviFile &avi, std::string &error)
{
   std::vector<uint8_t> b;
   if (!ReadAll(path, b)) {
      error = "cannot read " + path;
      return false;
   }
   if (!Is(b, 0, "RIFF") || !Is(b, 8, "AVI ")) {
      error = "not a RIFF AVI file";
      return false;
   }
   if (U32(b, 4) + 8 != b.size()) {
      error = "the RIFF size " + std::to_string(U32(b, 4)) + " does not match the file's " + std::to_string(b.size());
      return false;
   }
   size_t moviData = 0;
   size_t moviEnd = 0;
   size_t idx = 0;
   uint32_t idxSize = 0;
   bool haveStream = false;
   // The top level, then the lists inside it, chunk by chunk.
   std::vector<std::pair<size_t, size_t>> ranges = {{12, b.size()}};
   while (!ranges.empty()) {
      size_t at = ranges.back().first;
      size_t end = ranges.back().second;
      ranges.pop_back();
      while (at + 8 <= end) {
         uint32_t size = U32(b, at + 4);
         size_t next = at + 8 + size + (size & 1);
         if (at + 8 + size > end) {
            error = "a chunk runs past its list at " + std::to_string(at);
            return false;
         }
         if (Is(b, at, "LIST")) {
            if (Is(b, at + 8, "movi")) {
               moviData = at + 8;
               moviEnd = at + 8 + size;
            } else {
               ranges.push_back({at + 12, at + 8 + size});
            }
         } else if (Is(b, at, "avih")) {
            avi.totalFrames = U32(b, at + 8 + 16);
         } else if (Is(b, at, "strh") && Is(b, at + 8, "vids")) {
            uint32_t scale = U32(b, at + 8 + 20);
            avi.rate = scale ? U32(b, at + 8 + 24) / scale : 0;
            avi.streamLength = U32(b, at + 8 + 32);
            haveStream = true;
         } else if (Is(b, at, "strf")) {
            avi.width = static_cast<int32_t>(U32(b, at + 8 + 4));
            avi.height = static_cast<int32_t>(U32(b, at + 8 + 8));
            avi.bitCount = U16(b, at + 8 + 14);
            if (U32(b, at + 8 + 16) != 0) {
               error = "the frames are compressed";
               return false;
            }
         } else if (Is(b, at, "idx1")) {
            idx = at + 8;
            idxSize = size;
         }
         at = next;
      }
   }
   if (!haveStream || !moviData) {
      error = "no video stream or no movie data";
      return false;
   }
   uint32_t frameSize = Stride(avi.width, avi.bitCount) * static_cast<uint32_t>(avi.height);
   std::vector<size_t> chunks;
   for (size_t at = moviData + 4; at + 8 <= moviEnd;) {
      uint32_t size = U32(b, at + 4);
      if (Is(b, at, "00db")) {
         if (size != frameSize) {
            error = "a frame of " + std::to_string(size) + " bytes where " + std::to_string(frameSize) + " belong";
            return false;
         }
         if (chunks.empty()) {
            avi.firstFrame.assign(b.begin() + at + 8, b.begin() + at + 8 + size);
         }
         chunks.push_back(at);
      }
      at += 8 + size + (size & 1);
   }
   avi.frameChunks = static_cast<uint32_t>(chunks.size());
   if (idx) {
      avi.indexEntries = idxSize / 16;
      for (uint32_t i = 0; i < avi.indexEntries && i < chunks.size(); ++i) {
         size_t entry = idx + 16 * i;
         // Offsets count from the "movi" list's type.
         if (!Is(b, entry, "00db") || moviData + U32(b, entry + 8) != chunks[i] || U32(b, entry + 12) != frameSize) {
            error = "index entry " + std::to_string(i) + " does not point at its frame";
            return false;
         }
      }
   }
   return true;
}
