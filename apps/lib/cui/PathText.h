// Path text helpers of the model library, shared with the simulated host.
#pragma once

#include <string>

namespace cuiutil {

// `path` with one trailing "/" (unchanged when empty).
std::string WithSlash(const std::string &path);
// `path` without trailing "/" (but "/" stays).
std::string WithoutSlash(const std::string &path);
// File paths compared as Windows does: case-blind, "\" and "/" alike.
bool SameFilePath(const std::string &a, const std::string &b);
// The long form of an existing file's path (8.3 names expanded); false when Windows cannot
// resolve it (a missing file).
bool LongPathName(const std::string &path, std::string &longName);
// `path` as one form of its file: absolute, long names where the file exists, "\" separators.
// Empty stays empty.
std::string FullFilePath(const std::string &path);

}  // namespace cuiutil
