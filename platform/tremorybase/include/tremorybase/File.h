// Files and folders by UTF-8 path: the few file operations the stand-ins share. Every path
// reaches Windows through WidePathFromUtf8, so names in any script and paths up to the longest
// a user can make work alike; contents are bytes and are never converted.
//
// A function that fails leaves the reason in GetLastError(); those with an `error` argument
// also put it there as "cannot <what> <path> (error N)".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A file or a folder is at `path`.
bool File_Exists(const std::string &path);
bool File_IsFolder(const std::string &path);

// The whole file as bytes. A file larger than `maxBytes` is refused (ERROR_FILE_TOO_LARGE)
// rather than read into memory.
bool File_Read(const std::string &path, std::string &bytes, std::string &error,
               size_t maxBytes = 64 * 1024 * 1024);

// Writes `bytes` to "<path>.tmp", flushes it and renames it over `path` (File_RenameOver), so a
// crash leaves the old file or the new one, never half of one; a ".tmp" left by a crash is
// overwritten. The temporary file does not outlive a failure.
bool File_Replace(const std::string &path, std::string_view bytes, std::string &error);

// Renames the file `from` over `to`, replacing it. A rename that another program refuses for a
// moment (a reader holding `to` open without FILE_SHARE_DELETE, a scanner: access denied, a
// sharing or lock violation) is tried again a few times within about half a second before it
// fails; `from` is left as it is on failure.
bool File_RenameOver(const std::string &from, const std::string &to, std::string &error);

// Makes `folder` and each missing folder above it. The folders made are appended to `made`,
// outermost first, so a caller can take them away again. True when the folder is there.
bool File_MakeFolders(const std::string &folder, std::vector<std::string> *made = nullptr);

// Why `path` could not be read, in words for a user and without the path: "it is a folder", "it
// is too large" or the system's own text for the error `code` (GetLastError() of the failure).
std::string File_Problem(const std::string &path, unsigned long code);
// True for the error codes of a file that is not there (nor a folder above it).
bool File_IsMissing(unsigned long code);

bool File_Delete(const std::string &path);
// An empty folder only.
bool File_RemoveFolder(const std::string &path);
bool File_Rename(const std::string &from, const std::string &to, bool replace);

// The user's folder for temporary files, with its trailing "\"; empty when Windows has none.
std::string File_GetTempFolder();
