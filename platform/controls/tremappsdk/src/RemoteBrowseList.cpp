#include "RemoteBrowseList.h"

#include <windows.h>

#include <algorithm>

namespace tremappsdk {

namespace {

wchar_t Folded(wchar_t c, bool caseSensitive)
{
   if (caseSensitive) {
      return c;
   }
   wchar_t folded[1] = {c};
   CharLowerBuffW(folded, 1);
   return folded[0];
}

bool Matches(const wchar_t *name, const wchar_t *pattern, bool caseSensitive)
{
   // Iterative wildcard match: the last "*" seen is where a mismatch resumes.
   const wchar_t *star = nullptr;
   const wchar_t *resume = nullptr;
   while (*name) {
      if (*pattern == L'*') {
         star = pattern++;
         resume = name;
      } else if (*pattern == L'?' || (*pattern && Folded(*pattern, caseSensitive) == Folded(*name, caseSensitive))) {
         ++pattern;
         ++name;
      } else if (star) {
         pattern = star + 1;
         name = ++resume;
      } else {
         return false;
      }
   }
   while (*pattern == L'*') {
      ++pattern;
   }
   return *pattern == 0;
}

bool IsRoot(const std::wstring &folder)
{
   if (folder == L"/" || folder == L"\\") {
      return true;
   }
   return folder.size() <= 3 && folder.size() >= 2 && folder[1] == L':';
}

bool NameLess(const BrowseEntry &a, const BrowseEntry &b)
{
   return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.name.c_str(), -1, b.name.c_str(), -1) ==
          CSTR_LESS_THAN;
}

std::wstring WithSeparator(const std::wstring &folder)
{
   if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') {
      return folder;
   }
   return folder + L'\\';
}

}  // namespace

std::vector<BrowseFilter> ParseBrowseFilter(const std::wstring &filter)
{
   std::vector<std::wstring> parts;
   for (size_t pos = 0; pos < filter.size();) {
      size_t bar = filter.find(L'|', pos);
      if (bar == std::wstring::npos) {
         bar = filter.size();
      }
      parts.push_back(filter.substr(pos, bar - pos));
      pos = bar + 1;
   }
   std::vector<BrowseFilter> filters;
   for (size_t i = 0; i + 1 < parts.size(); i += 2) {
      if (parts[i].empty() && parts[i + 1].empty()) {
         break;
      }
      BrowseFilter choice;
      choice.label = parts[i];
      const std::wstring &list = parts[i + 1];
      for (size_t pos = 0; pos <= list.size();) {
         size_t semi = list.find(L';', pos);
         if (semi == std::wstring::npos) {
            semi = list.size();
         }
         std::wstring pattern = list.substr(pos, semi - pos);
         if (!pattern.empty()) {
            choice.patterns.push_back(pattern);
         }
         pos = semi + 1;
      }
      if (!choice.patterns.empty()) {
         filters.push_back(choice);
      }
   }
   return filters;
}

bool MatchesBrowsePatterns(const std::wstring &name, const std::vector<std::wstring> &patterns, bool caseSensitive)
{
   for (const std::wstring &pattern : patterns) {
      if (pattern == L"*.*" || Matches(name.c_str(), pattern.c_str(), caseSensitive)) {
         return true;
      }
   }
   return false;
}

bool ListBrowseFolder(const std::wstring &folder, const std::vector<std::wstring> &patterns, bool caseSensitive,
                      std::vector<BrowseEntry> &entries)
{
   entries.clear();
   WIN32_FIND_DATAW data;
   HANDLE find = FindFirstFileW((WithSeparator(folder) + L"*").c_str(), &data);
   if (find == INVALID_HANDLE_VALUE) {
      return false;
   }
   std::vector<BrowseEntry> folders;
   std::vector<BrowseEntry> files;
   do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") {
         continue;
      }
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
         folders.push_back(BrowseEntry{name, true});
      } else if (MatchesBrowsePatterns(name, patterns, caseSensitive)) {
         files.push_back(BrowseEntry{name, false});
      }
   } while (FindNextFileW(find, &data));
   FindClose(find);
   std::sort(folders.begin(), folders.end(), NameLess);
   std::sort(files.begin(), files.end(), NameLess);
   if (!IsRoot(folder)) {
      entries.push_back(BrowseEntry{L"..", true});
   }
   entries.insert(entries.end(), folders.begin(), folders.end());
   entries.insert(entries.end(), files.begin(), files.end());
   return true;
}

std::wstring CombineBrowsePath(const std::wstring &folder, const std::wstring &typed)
{
   bool absolute = (typed.size() >= 2 && typed[1] == L':') || (!typed.empty() && (typed[0] == L'\\' || typed[0] == L'/'));
   std::wstring joined = absolute ? typed : WithSeparator(folder) + typed;
   wchar_t full[MAX_PATH * 2] = L"";
   DWORD length = GetFullPathNameW(joined.c_str(), MAX_PATH * 2, full, nullptr);
   return length > 0 && length < MAX_PATH * 2 ? std::wstring(full, length) : joined;
}

std::wstring ParentBrowseFolder(const std::wstring &path)
{
   std::wstring trimmed = path;
   while (trimmed.size() > 1 && !IsRoot(trimmed) && (trimmed.back() == L'\\' || trimmed.back() == L'/')) {
      trimmed.pop_back();
   }
   if (IsRoot(trimmed)) {
      return trimmed;
   }
   size_t slash = trimmed.find_last_of(L"\\/");
   if (slash == std::wstring::npos) {
      return trimmed;
   }
   std::wstring parent = trimmed.substr(0, slash);
   if (parent.size() == 2 && parent[1] == L':') {
      parent += L'\\';
   }
   return parent.empty() ? trimmed.substr(0, 1) : parent;
}

}  // namespace tremappsdk
