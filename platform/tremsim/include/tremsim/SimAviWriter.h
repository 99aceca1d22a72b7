// An uncompressed video file being written: a RIFF "AVI " with one stream of 24-bit bottom-up
// frames ("00db" chunks) and an index. The header's frame counts and the chunk sizes are set
// again by Close, so the file is playable once it is closed; until then they read zero.
// The movie is written to "<path>.tmp" and renamed over `path` once it is complete, so a capture
// that fails or is killed never leaves half a movie under the chosen name, nor takes away the
// file that was there before the new one is whole.
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

   // Starts a movie for `path` of frames of `width` x `height` shown `framesPerSecond` times a
   // second; `path` itself is not touched until Close.
   bool Open(const std::string &path, int width, int height, int framesPerSecond, std::string &error);
   // Appends one frame: GetFrameSize bytes of 24-bit rows, bottom-up, each padded to 4 bytes.
   bool AddFrame(const std::vector<char> &pixels, std::string &error);
   // Writes the index and the final counts and renames the movie over `path`; true when it is
   // there, complete. A movie that a write failed in, or that cannot be finished, is deleted.
   bool Close(std::string &error);
   // Ends the movie without a file: the temporary file is deleted and `path` stays as it was.
   void Abandon();

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
   std::string tmpPath_;
   bool broken_ = false;   // a write failed: the file's layout is no longer known
   uint32_t frameSize_ = 0;
   uint64_t size_ = 0;
   std::vector<IndexEntry> index_;
};

}  // namespace cuisim
