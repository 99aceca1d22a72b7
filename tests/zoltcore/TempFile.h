// A file in the temporary folder that is removed when the object goes.
#pragma once

#include <string>

class TempFile {
public:
   // Writes `content` byte for byte (no newline translation).
   explicit TempFile(const std::string &content);
   ~TempFile();
   TempFile(const TempFile &) = delete;
   TempFile &operator=(const TempFile &) = delete;

   const std::string &Path() const { return path_; }

   // A path in the temporary folder where no file exists.
   static std::string MissingPath();

private:
   std::string path_;
};
