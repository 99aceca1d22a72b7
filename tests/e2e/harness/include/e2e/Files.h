// Paths and files that end-to-end tests hand to, and read back from, the programs they start.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// A path the build gave (a Linux path under Wine, "/work/...") as a Windows path; Windows
// paths come back unchanged apart from their slashes.
std::string ToWindowsPath(const std::string &path);
// The folder holding the running test program, without a trailing backslash.
std::string TestProgramFolder();

bool WriteTextFile(const std::string &path, const std::string &text);
// Empty when the file cannot be read (a missing file is not an empty one).
std::optional<std::string> ReadTextFile(const std::string &path);
// True once the file exists and contains `text`, within the bound.
bool WaitForFileText(const std::string &path, const std::string &text, DWORD timeoutMs);

} // namespace e2e
