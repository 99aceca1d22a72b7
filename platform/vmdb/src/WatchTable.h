// The registered watches as a tree of path patterns, so that finding the watches a change hits
// costs the depth of its path, not the number of watches.
#pragma once

#include "vmdb/Store.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vmdbstore {

class WatchTable {
public:
   WatchTable();
   ~WatchTable();

   void Add(uint64_t id, const std::string_view *parts, size_t depth, WatchMode mode);
   void Remove(uint64_t id);
   bool Empty() const { return where_.empty(); }

   // Appends, in ascending order, the ids of the watches a change of the node at `parts` hits:
   // watches on that node (a "#" in a pattern matches any element), and, unless `exactOnly`,
   // subtree watches on its ancestors.
   void Match(const std::string_view *parts, size_t depth, bool exactOnly, std::vector<uint64_t> &ids) const;

private:
   struct Entry {
      std::map<std::string, std::unique_ptr<Entry>, std::less<>> children;
      Entry *parent = nullptr;
      std::string name;
      std::vector<uint64_t> node;      // mode 0
      std::vector<uint64_t> subtree;   // mode 1
   };
   void Visit(const Entry *at, const std::string_view *parts, size_t i, size_t depth, bool exactOnly,
              std::vector<uint64_t> &ids) const;

   std::unique_ptr<Entry> root_;
   std::unordered_map<uint64_t, Entry *> where_;
};

}  // namespace vmdbstore
