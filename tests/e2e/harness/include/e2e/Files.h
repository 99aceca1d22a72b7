// Paths, files and folders that end-to-end tests hand to, and read back from, the programs they
// start. Paths and names are UTF-8 and reach Windows through the W calls; file contents are bytes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A path the build gave (a Linux path under Wine, "/work/...") as a Windows path; Windows
// paths come back unchanged apart from their slashes.
std::string ToWindowsPath(const std::string &path);
// The folder holding the running test program, without a trailing backslash.
std::string TestProgramFolder();
// The user's temporary folder, with its trailing backslash; empty when there is none.
std::string TemporaryFolder();

// `value` as a quoted value of the stand-ins' `key = "value"` files (configuration, database
// preloads, machine configurations): backslashes, quotation marks and control characters
// escaped, every other byte (UTF-8 text) as it is.
std::string QuoteValue(const std::string &value);

bool WriteTextFile(const std::string &path, const std::string &text);
// Empty when the file cannot be read (a missing file is not an empty one).
std::optional<std::string> ReadTextFile(const std::string &path);
// True once the file exists and contains `text`, within the bound. The file is read only when
// its size or times changed, so a program that replaces it (a temporary file renamed over it)
// seldom finds it open.
bool WaitForFileText(const std::string &path, const std::string &text, DWORD timeoutMs);

bool PathExists(const std::string &path);
// The names of a folder's files and subfolders, sorted, without "." and ".."; nothing when the
// folder cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string &folder);
// Deletes a file, or a folder with everything in it; true when nothing is left.
bool RemovePath(const std::string &path);

} // namespace e2e
