#include "PathText.h"

#include "vmdb/Store.h"

#include <vector>

namespace vmdb {

namespace {

// Appends the names of `path` to `names`, applying "." and "..".
void AddNames(const std::string &path, std::vector<std::string> &names)
{
   size_t pos = 0;
   while (pos < path.size()) {
      size_t end = path.find('/', pos);
      if (end == std::string::npos) {
         end = path.size();
      }
      std::string name = path.substr(pos, end - pos);
      pos = end + 1;
      if (name.empty()) {
         if (end == path.size() || pos == 1) {
            continue;
         }
         throw vmdbstore::Error(vmdbstore::Error::BadPath, "empty name in path: \"" + path + "\"");
      }
      if (name == ".") {
         continue;
      }
      if (name == "..") {
         if (names.empty()) {
            throw vmdbstore::Error(vmdbstore::Error::BadPath, "path goes above the root: \"" + path + "\"");
         }
         names.pop_back();
         continue;
      }
      names.push_back(name);
   }
}

std::string Compose(const std::vector<std::string> &names, bool dir)
{
   std::string text;
   for (const std::string &n : names) {
      text += "/" + n;
   }
   if (dir || names.empty()) {
      text += "/";
   }
   return text;
}

bool EndsAsDir(const std::string &path)
{
   return path.empty() || path.back() == '/' || path == "." || path == ".." ||
          (path.size() >= 2 && path.compare(path.size() - 2, 2, "/.") == 0) ||
          (path.size() >= 3 && path.compare(path.size() - 3, 3, "/..") == 0);
}

}  // namespace

std::string JoinPath(const std::string &base, const std::string &path)
{
   std::vector<std::string> names;
   if (path.empty() || path[0] != '/') {
      AddNames(base, names);
   }
   AddNames(path, names);
   return Compose(names, EndsAsDir(path));
}

std::string ParentPath(const std::string &path)
{
   std::vector<std::string> names;
   AddNames(path, names);
   if (names.empty()) {
      throw vmdbstore::Error(vmdbstore::Error::BadPath, "the root has no parent");
   }
   names.pop_back();
   return Compose(names, true);
}

std::string RelativePath(const std::string &from, const std::string &to)
{
   std::vector<std::string> a, b;
   AddNames(from, a);
   AddNames(to, b);
   size_t common = 0;
   while (common < a.size() && common < b.size() && a[common] == b[common]) {
      common++;
   }
   std::string text;
   for (size_t i = common; i < a.size(); i++) {
      text += "../";
   }
   for (size_t i = common; i < b.size(); i++) {
      text += b[i];
      if (i + 1 < b.size()) {
         text += "/";
      }
   }
   if (EndsAsDir(to) && common < b.size()) {
      text += "/";
   }
   return text;
}

}  // namespace vmdb
