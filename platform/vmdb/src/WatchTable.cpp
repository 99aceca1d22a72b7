#include "WatchTable.h"

#include <algorithm>

namespace vmdbstore {

WatchTable::WatchTable() : root_(new Entry) {}
WatchTable::~WatchTable() = default;

void WatchTable::Add(uint64_t id, const std::string_view *parts, size_t depth, WatchMode mode)
{
   Entry *at = root_.get();
   for (size_t i = 0; i < depth; i++) {
      auto it = at->children.find(parts[i]);
      if (it == at->children.end()) {
         std::unique_ptr<Entry> child(new Entry);
         child->parent = at;
         child->name.assign(parts[i].data(), parts[i].size());
         it = at->children.emplace(child->name, std::move(child)).first;
      }
      at = it->second.get();
   }
   (mode == kWatchSubtree ? at->subtree : at->node).push_back(id);
   where_[id] = at;
}

void WatchTable::Remove(uint64_t id)
{
   auto found = where_.find(id);
   if (found == where_.end()) {
      return;
   }
   Entry *at = found->second;
   where_.erase(found);
   for (auto *list : {&at->node, &at->subtree}) {
      list->erase(std::remove(list->begin(), list->end(), id), list->end());
   }
   // Drop pattern entries nothing watches any more.
   while (at != root_.get() && at->node.empty() && at->subtree.empty() && at->children.empty()) {
      Entry *parent = at->parent;
      parent->children.erase(at->name);
      at = parent;
   }
}

void WatchTable::Visit(const Entry *at, const std::string_view *parts, size_t i, size_t depth, bool exactOnly,
                       std::vector<uint64_t> &ids) const
{
   if (i == depth) {
      ids.insert(ids.end(), at->node.begin(), at->node.end());
      ids.insert(ids.end(), at->subtree.begin(), at->subtree.end());
      return;
   }
   if (!exactOnly) {
      ids.insert(ids.end(), at->subtree.begin(), at->subtree.end());
   }
   auto it = at->children.find(parts[i]);
   if (it != at->children.end()) {
      Visit(it->second.get(), parts, i + 1, depth, exactOnly, ids);
   }
   if (!parts[i].empty() && parts[i][0] == '#' && parts[i] != "#") {
      it = at->children.find(std::string_view("#"));
      if (it != at->children.end()) {
         Visit(it->second.get(), parts, i + 1, depth, exactOnly, ids);
      }
   }
}

void WatchTable::Match(const std::string_view *parts, size_t depth, bool exactOnly, std::vector<uint64_t> &ids) const
{
   size_t first = ids.size();
   Visit(root_.get(), parts, 0, depth, exactOnly, ids);
   std::sort(ids.begin() + first, ids.end());
   ids.erase(std::unique(ids.begin() + first, ids.end()), ids.end());
}

}  // namespace vmdbstore
