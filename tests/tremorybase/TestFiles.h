// A scratch folder per test and small file helpers.
#pragma once

#include <string>

class TempDir {
public:
   TempDir();
   ~TempDir();
   TempDir(const TempDir &) = delete;
   TempDir &operator=(const TempDir &) = delete;

   const std::string &Path() const { return path_; }
   std::string File(const std::string &name) const { return path_ + "\\" + name; }

private:
   std::string path_;
};

bool WriteTextFile(const std::string &path, const std::string &text);
// The file's whole content; empty when it cannot be read.
std::string ReadTextFile(const std::string &path);
bool FileExists(const std::string &path);
