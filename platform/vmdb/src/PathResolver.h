// Turns a path text into the physical node path it names, following links on the way.
#pragma once

#include "Node.h"

#include <array>
#include <string>
#include <string_view>

namespace vmdbstore {

struct ResolvedPath {
   std::array<std::string_view, kMaxDepth> parts;   // views into the path, the base or link values
   std::array<Node *, kMaxDepth + 1> nodes;          // nodes[i]: the node of the first i parts, or null
   std::array<const SchemaNode *, kMaxDepth + 1> schemas;   // their declarations, also for missing nodes
   size_t depth = 0;
   bool trailingSlash = false;
   bool brokenLink = false;   // passed through a link that is not set

   Node *node() const { return brokenLink ? nullptr : nodes[depth]; }
   std::string Text(bool withSlash) const;
   bool UnderUser() const { return depth > 0 && parts[0] == "user"; }
};

class PathResolver {
public:
   enum Flags {
      kFollowFinal = 1,   // a path ending at a link lands on the link's target
      kHashFirst = 2,     // "#" picks the first element (reads)
      kHashLiteral = 4,   // "#" and "##" stay as they are (patterns)
   };
   // Throws Error(BadPath) for empty components, ".." above the root, over-long names, too deep
   // paths, link loops and wildcards where none are allowed.
   static void Resolve(Node *root, const std::vector<std::string_view> &base, std::string_view path,
                       unsigned flags, ResolvedPath &out);
   // One more plain name (a child, no link followed) at the end of a resolved path; `name` must
   // outlive `out`.
   static void Push(std::string_view name, ResolvedPath &out);

private:
   static void Segment(std::string_view text, unsigned flags, int hops, ResolvedPath &out);
   static void Follow(unsigned flags, int hops, ResolvedPath &out);
   static bool AtLink(ResolvedPath &out);
};

// Splits an absolute path text into its names (views into `path`); throws on a bad path.
void SplitAbsolute(std::string_view path, std::vector<std::string_view> &parts);

}  // namespace vmdbstore
