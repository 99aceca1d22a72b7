// The tree's nodes and the schema's nodes (private to the store).
#pragma once

#include "vmdb/Store.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace vmdbstore {

struct SchemaNode {
   std::string name;
   NodeType type = NodeType::Dir;
   std::vector<std::string> values;
   std::string defaultValue;
   std::string linkTarget;
   std::map<std::string, std::unique_ptr<SchemaNode>, std::less<>> children;

   // The declaration that a child of this name follows: its own, else the element template.
   const SchemaNode *Match(std::string_view childName) const
   {
      auto it = children.find(childName);
      if (it != children.end()) {
         return it->second.get();
      }
      if (!childName.empty() && childName[0] == '#') {
         it = children.find(std::string_view("#"));
         if (it != children.end()) {
            return it->second.get();
         }
      }
      return nullptr;
   }
};

struct Node {
   std::string name;
   std::string value;
   Node *parent = nullptr;
   const SchemaNode *schema = nullptr;
   bool isBool = false;
   unsigned nextElement = 0;   // 0 until the first append works it out
   std::map<std::string, std::unique_ptr<Node>, std::less<>> children;

   Node *Find(std::string_view childName) const
   {
      auto it = children.find(childName);
      return it == children.end() ? nullptr : it->second.get();
   }
   bool IsLink() const { return schema && schema->type == NodeType::Link; }
   // The first element (a child named "#..."), or the one after `after`.
   Node *FirstElement() const
   {
      auto it = children.lower_bound(std::string_view("#"));
      return it != children.end() && it->first[0] == '#' ? it->second.get() : nullptr;
   }
   Node *ElementAfter(std::string_view after) const
   {
      auto it = children.upper_bound(after);
      return it != children.end() && it->first[0] == '#' ? it->second.get() : nullptr;
   }
};

// The absolute path of a node ("/a/b"), built with one allocation.
inline std::string PathOf(const Node *node)
{
   const Node *chain[kMaxDepth + 1];
   size_t depth = 0;
   size_t length = 0;
   for (const Node *n = node; n->parent && depth <= kMaxDepth; n = n->parent) {
      chain[depth++] = n;
      length += n->name.size() + 1;
   }
   std::string path;
   path.reserve(length);
   while (depth > 0) {
      path += '/';
      path += chain[--depth]->name;
   }
   return path;
}

}  // namespace vmdbstore
