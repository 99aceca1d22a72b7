// Readers of the files a capture leaves, written from the file formats alone so that they check
// the writers rather than repeat them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct BitmapFile {
   int32_t width = 0;
   int32_t height = 0;
   uint16_t bitCount = 0;
   std::vector<uint8_t> pixels;   // bottom-up rows, each padded to 4 bytes

   // The blue, green and red of the pixel at (x, y) counted from the top left.
   void Pixel(int x, int y, uint8_t &b, uint8_t &g, uint8_t &r) const;
};

// A 24-bit uncompressed BMP; false with `error` saying what is wrong.
bool ReadBitmap(const std::string &path, BitmapFile &bitmap, std::string &error);

struct AviFile {
   uint32_t totalFrames = 0;   // "avih"
   uint32_t streamLength = 0;  // the video stream's "strh"
   uint32_t rate = 0;          // frames a second (rate / scale)
   int32_t width = 0;          // "strf"
   int32_t height = 0;
   uint16_t bitCount = 0;
   uint32_t frameChunks = 0;   // "00db" chunks in "movi"
   uint32_t indexEntries = 0;  // "idx1" entries, each checked against its chunk
   std::vector<uint8_t> firstFrame;
};

// A RIFF "AVI " with one uncompressed video stream, its sizes consistent; false with `error`.
bool ReadAvi(const std::string &path, AviFile &avi, std::string &error);
