// An uncompressed video file being written: a RIFF "AVI " with one stream of 24-bit bottom-up
// frames ("00db" chunks) and an index. The header's frame counts and the chunk sizes are set
// again by Close, so the file is playable once it is closed; until then they read zero.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace cuisim {

class SimAviWriter {
public:
   SimAviWriter() = default;
   ~SimAviWriter();   // closes the file as Close does

   // Creates `path` for frames of `width` x `height` shown `framesPerSecond` times a second.
   bool Open(const std::string &path, int width, int height, int framesPerSecond, std::string &error);
   // Appends one frame: GetFrameSize bytes of 24-bit rows, bottom-up, each padded to 4 bytes.
   bool AddFrame(const std::vector<char> &pixels, std::string &error);
   // Writes the index and the final counts; true when the file is complete.
   bool Close(std::string &error);

   bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
   uint32_t GetFrameCount() const { return static_cast<uint32_t>(index_.size()); }
   uint32_t GetFrameSize() const { return frameSize_; }
   // How many bytes the file holds so far.
   uint64_t GetFileSize() const { return size_; }

   SimAviWriter(const SimAviWriter &) = delete;
   SimAviWriter &operator=(const SimAviWriter &) = delete;

private:
   bool Write(const std::vector<uint8_t> &bytes);
   bool WriteAt(uint32_t offset, uint32_t value);

   struct IndexEntry {
      uint32_t offset;   // from the "movi" list's type
      uint32_t size;
   };

   HANDLE file_ = INVALID_HANDLE_VALUE;
   std::string path_;
   uint32_t frameSize_ = 0;
   uint64_t size_ = 0;
   std::vector<IndexEntry> index_;
};

}  // namespace cuisim
