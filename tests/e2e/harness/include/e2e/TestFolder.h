// A fresh temporary folder for one test, removed with everything in it when the test ends
// (kept when the environment variable E2E_KEEP_FILES is set, to look at after a failure).
#pragma once

#include <string>

namespace e2e {

class TestFolder {
public:
   TestFolder();
   ~TestFolder();
   TestFolder(const TestFolder &) = delete;
   TestFolder &operator=(const TestFolder &) = delete;

   // Empty when the folder could not be created (see LastFailure).
   const std::string &Path() const { return path_; }
   // `name` (may contain subfolders, which must exist) inside the folder.
   std::string PathOf(const std::string &name) const;
   // Writes a file inside the folder and returns its full path; empty on failure.
   std::string WriteFile(const std::string &name, const std::string &text) const;
   // Creates a subfolder, with the folders above it that are missing, and returns its full
   // path; a folder already there is fine. Empty on failure.
   std::string MakeFolder(const std::string &name) const;

private:
   std::string path_;
};

} // namespace e2e
