#include "tremsim/SimAviWriter.h"

#include "tremorybase/File.h"
#include "tremorybase/Text.h"

namespace cuisim {

namespace {

// Where the fields that Close sets again lie in the header Open writes.
const uint32_t kRiffSizeAt = 4;
const uint32_t kTotalFramesAt = 48;    // "avih" dwTotalFrames
const uint32_t kStreamLengthAt = 140;  // "strh" dwLength
const uint32_t kMoviSizeAt = 216;      // "LIST" size of "movi"
const uint32_t kMoviTypeAt = 220;      // the index counts from here
const uint32_t kHeaderSize = 224;
const uint32_t kKeyFrame = 0x10;
const uint32_t kHasIndex = 0x10;
// A RIFF size is 32 bits; stay well below what every reader takes.
const uint64_t kMaxFileSize = 0x3F000000;

class Bytes {
public:
   void FourCC(const char *code) { bytes_.insert(bytes_.end(), code, code + 4); }
   void U32(uint32_t value)
   {
      for (int i = 0; i < 4; ++i) {
         bytes_.push_back(static_cast<uint8_t>(value >> (8 * i)));
      }
   }
   void U16(uint16_t value)
   {
      bytes_.push_back(static_cast<uint8_t>(value));
      bytes_.push_back(static_cast<uint8_t>(value >> 8));
   }
   const std::vector<uint8_t> &Get() const { return bytes_; }

private:
   std::vector<uint8_t> bytes_;
};

}  // namespace

SimAviWriter::~SimAviWriter()
{
   std::string error;
   Close(error);
}

bool SimAviWriter::Open(const std::string &path, int width, int height, int framesPerSecond, std::string &error)
{
   if (IsOpen()) {
      error = "a movie is being written already";
      return false;
   }
   if (width <= 0 || height <= 0 || width > 8192 || height > 8192 || framesPerSecond <= 0) {
      error = "the movie's frame size is not valid";
      return false;
   }
   const std::string tmp = path + ".tmp";
   file_ = CreateFileW(WidePathFromUtf8(tmp).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
   if (file_ == INVALID_HANDLE_VALUE) {
      error = "cannot create " + tmp;
      return false;
   }
   path_ = path;
   tmpPath_ = tmp;
   broken_ = false;
   size_ = 0;
   index_.clear();
   frameSize_ = ((static_cast<uint32_t>(width) * 3 + 3) & ~3u) * static_cast<uint32_t>(height);

   Bytes h;
   h.FourCC("RIFF");
   h.U32(0);
   h.FourCC("AVI ");
   h.FourCC("LIST");
   h.U32(192);
   h.FourCC("hdrl");
   h.FourCC("avih");
   h.U32(56);
   h.U32(1000000u / static_cast<uint32_t>(framesPerSecond));
   h.U32(frameSize_ * static_cast<uint32_t>(framesPerSecond));
   h.U32(0);
   h.U32(kHasIndex);
   h.U32(0);   // total frames
   h.U32(0);
   h.U32(1);   // streams
   h.U32(frameSize_ + 8);
   h.U32(static_cast<uint32_t>(width));
   h.U32(static_cast<uint32_t>(height));
   for (int i = 0; i < 4; ++i) {
      h.U32(0);
   }
   h.FourCC("LIST");
   h.U32(116);
   h.FourCC("strl");
   h.FourCC("strh");
   h.U32(56);
   h.FourCC("vids");
   h.FourCC("DIB ");
   h.U32(0);
   h.U16(0);
   h.U16(0);
   h.U32(0);
   h.U32(1);   // scale
   h.U32(static_cast<uint32_t>(framesPerSecond));
   h.U32(0);
   h.U32(0);   // length
   h.U32(frameSize_);
   h.U32(0xFFFFFFFFu);
   h.U32(0);   // sample size: frames vary in principle
   h.U16(0);
   h.U16(0);
   h.U16(static_cast<uint16_t>(width));
   h.U16(static_cast<uint16_t>(height));
   h.FourCC("strf");
   h.U32(40);
   h.U32(40);
   h.U32(static_cast<uint32_t>(width));
   h.U32(static_cast<uint32_t>(height));   // positive: bottom-up rows
   h.U16(1);
   h.U16(24);
   h.U32(0);   // BI_RGB
   h.U32(frameSize_);
   for (int i = 0; i < 4; ++i) {
      h.U32(0);
   }
   h.FourCC("LIST");
   h.U32(0);
   h.FourCC("movi");
   if (h.Get().size() != kHeaderSize || !Write(h.Get())) {
      error = "cannot write " + tmp;
      Abandon();
      return false;
   }
   return true;
}

bool SimAviWriter::AddFrame(const std::vector<char> &pixels, std::string &error)
{
   if (!IsOpen()) {
      error = "no movie is being written";
      return false;
   }
   if (pixels.size() != frameSize_) {
      error = "a frame of the wrong size";
      return false;
   }
   if (size_ + frameSize_ + 8 + 16 * (index_.size() + 1) + 8 > kMaxFileSize) {
      error = "the movie has reached the largest size a file of its kind may have";
      return false;
   }
   Bytes chunk;
   chunk.FourCC("00db");
   chunk.U32(frameSize_);
   std::vector<uint8_t> bytes = chunk.Get();
   bytes.insert(bytes.end(), pixels.begin(), pixels.end());
   IndexEntry entry = {static_cast<uint32_t>(size_ - kMoviTypeAt), frameSize_};
   if (!Write(bytes)) {
      error = "cannot write " + tmpPath_;
      broken_ = true;
      return false;
   }
   index_.push_back(entry);
   return true;
}

bool SimAviWriter::Close(std::string &error)
{
   if (!IsOpen()) {
      return true;
   }
   uint32_t moviEnd = static_cast<uint32_t>(size_);
   Bytes idx;
   idx.FourCC("idx1");
   idx.U32(static_cast<uint32_t>(16 * index_.size()));
   for (const IndexEntry &entry : index_) {
      idx.FourCC("00db");
      idx.U32(kKeyFrame);
      idx.U32(entry.offset);
      idx.U32(entry.size);
   }
   uint32_t frames = GetFrameCount();
   bool ok = !broken_ && Write(idx.Get()) && WriteAt(kRiffSizeAt, static_cast<uint32_t>(size_ - 8)) &&
             WriteAt(kTotalFramesAt, frames) && WriteAt(kStreamLengthAt, frames) &&
             WriteAt(kMoviSizeAt, moviEnd - kMoviTypeAt) && FlushFileBuffers(file_);
   ok = CloseHandle(file_) && ok;
   file_ = INVALID_HANDLE_VALUE;
   std::string detail;
   if (!ok || !File_RenameOver(tmpPath_, path_, detail)) {
      error = ok ? detail : "cannot finish " + tmpPath_;
      File_Delete(tmpPath_);
      return false;
   }
   return true;
}

void SimAviWriter::Abandon()
{
   if (!IsOpen()) {
      return;
   }
   CloseHandle(file_);
   file_ = INVALID_HANDLE_VALUE;
   File_Delete(tmpPath_);
}

bool SimAviWriter::Write(const std::vector<uint8_t> &bytes)
{
   DWORD written = 0;
   if (!WriteFile(file_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written != bytes.size()) {
      return false;
   }
   size_ += written;
   return true;
}

bool SimAviWriter::WriteAt(uint32_t offset, uint32_t value)
{
   Bytes bytes;
   bytes.U32(value);
   LARGE_INTEGER at;
   at.QuadPart = offset;
   DWORD written = 0;
   return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) &&
          WriteFile(file_, bytes.Get().data(), 4, &written, nullptr) && written == 4;
}

}  // namespace cuisim
