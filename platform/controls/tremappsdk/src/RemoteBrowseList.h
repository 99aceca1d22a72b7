// What the remote file browser shows: the filter's choices, a folder's entries and the file a
// typed name stands for. No windows here.
#pragma once

#include <string>
#include <vector>

namespace tremappsdk {

struct BrowseFilter {
   std::wstring label;
   std::vector<std::wstring> patterns;   // "*.vmx", "*.*"
};

struct BrowseEntry {
   std::wstring name;
   bool folder = false;
};

// "Text|*.a;*.b|All|*.*||" as its choices, in order; a trailing text without patterns is dropped.
std::vector<BrowseFilter> ParseBrowseFilter(const std::wstring &filter);

// Whether `name` matches one of `patterns` ("*" any run, "?" one character; "*.*" matches a name
// without a dot too), with or without regard to case.
bool MatchesBrowsePatterns(const std::wstring &name, const std::vector<std::wstring> &patterns, bool caseSensitive);

// The entries of `folder`: ".." first unless it is a drive's root or "/", then its folders, then its
// files that match, each group sorted by name. False when the folder cannot be read.
bool ListBrowseFolder(const std::wstring &folder, const std::vector<std::wstring> &patterns, bool caseSensitive,
                      std::vector<BrowseEntry> &entries);

// `typed` taken in `folder`: an absolute path as it is, "..", or a name below the folder.
std::wstring CombineBrowsePath(const std::wstring &folder, const std::wstring &typed);

// The folder `path` is in; `path` itself for a root.
std::wstring ParentBrowseFolder(const std::wstring &path);

}  // namespace tremappsdk
