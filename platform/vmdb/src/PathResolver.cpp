#include "PathResolver.h"

namespace vmdbstore {

namespace {

const int kMaxLinkHops = 8;
const size_t kMaxPathText = kMaxDepth * (kMaxName + 1);

[[noreturn]] void Refuse(const std::string &why, std::string_view path)
{
   throw Error(Error::BadPath, why + ": \"" + std::string(path.substr(0, 300)) + "\"");
}

void CheckName(std::string_view name, std::string_view text)
{
   if (name.size() > kMaxName) {
      Refuse("name longer than 255 characters", text);
   }
   for (char c : name) {
      if (static_cast<unsigned char>(c) < ' ') {
         Refuse("control character in a name", text);
      }
   }
}

}  // namespace

std::string ResolvedPath::Text(bool withSlash) const
{
   std::string text;
   for (size_t i = 0; i < depth; i++) {
      text += '/';
      text.append(parts[i].data(), parts[i].size());
   }
   if (withSlash || depth == 0) {
      text += '/';
   }
   return text;
}

void PathResolver::Push(std::string_view name, ResolvedPath &out)
{
   if (out.depth >= kMaxDepth) {
      throw Error(Error::BadPath, "path deeper than 64 levels");
   }
   Node *parent = out.nodes[out.depth];
   const SchemaNode *parentSchema = out.schemas[out.depth];
   out.parts[out.depth] = name;
   out.depth++;
   Node *node = parent && !out.brokenLink ? parent->Find(name) : nullptr;
   out.nodes[out.depth] = node;
   out.schemas[out.depth] = node ? node->schema : parentSchema ? parentSchema->Match(name) : nullptr;
}

// True when the path stands at a link. A declared link that does not exist is an unset one.
bool PathResolver::AtLink(ResolvedPath &out)
{
   if (out.brokenLink) {
      return false;
   }
   if (Node *node = out.nodes[out.depth]) {
      return node->IsLink();
   }
   const SchemaNode *schema = out.schemas[out.depth];
   if (schema && schema->type == NodeType::Link) {
      out.brokenLink = true;
   }
   return false;
}

void PathResolver::Follow(unsigned flags, int hops, ResolvedPath &out)
{
   Node *link = out.nodes[out.depth];
   if (hops >= kMaxLinkHops) {
      throw Error(Error::BadPath, "links form a loop at \"" + link->name + "\"");
   }
   if (link->value.empty()) {
      out.brokenLink = true;
      return;
   }
   // A relative target is taken from the link node itself: "../openedObj/#0001/" is a sibling.
   Segment(link->value, flags & ~unsigned(kHashFirst), hops + 1, out);
}

void PathResolver::Segment(std::string_view text, unsigned flags, int hops, ResolvedPath &out)
{
   size_t pos = 0;
   if (!text.empty() && text[0] == '/') {
      out.depth = 0;
      pos = 1;
   }
   while (pos < text.size()) {
      size_t end = text.find('/', pos);
      if (end == std::string_view::npos) {
         end = text.size();
      }
      std::string_view name = text.substr(pos, end - pos);
      pos = end + 1;
      if (name.empty()) {
         Refuse("empty name in path", text);
      }
      if (name == ".") {
         continue;
      }
      if (name == "..") {
         if (out.depth == 0) {
            Refuse("path goes above the root", text);
         }
         out.depth--;
         continue;
      }
      CheckName(name, text);
      if (out.brokenLink) {
         Push(name, out);
         continue;
      }
      if (AtLink(out)) {
         Follow(flags, hops, out);
      }
      Node *cur = out.brokenLink ? nullptr : out.nodes[out.depth];
      if (name == "#" || name == "##") {
         if (flags & kHashFirst) {
            Node *first = cur ? cur->FirstElement() : nullptr;
            if (first) {
               name = first->name;
            }
         } else if (!(flags & kHashLiteral)) {
            Refuse("element wildcard not allowed here", text);
         }
      }
      Push(name, out);
   }
   // A link target that ends at another link goes on to that one's target.
   if (hops > 0 && AtLink(out)) {
      Follow(flags, hops, out);
   }
}

void PathResolver::Resolve(Node *root, const std::vector<std::string_view> &base, std::string_view path,
                           unsigned flags, ResolvedPath &out)
{
   if (path.size() > kMaxPathText) {
      Refuse("path too long", path);
   }
   out.depth = 0;
   out.brokenLink = false;
   out.nodes[0] = root;
   out.schemas[0] = root->schema;
   out.trailingSlash = !path.empty() && path.back() == '/';
   if (path.empty() || path[0] != '/') {
      for (std::string_view name : base) {
         Push(name, out);
      }
   }
   if (path.size() >= 2 && path[0] == '/' && path[1] == '/') {
      Refuse("empty name in path", path);
   }
   Segment(path, flags, 0, out);
   if (((flags & kFollowFinal) || out.trailingSlash) && AtLink(out)) {
      Follow(flags, 0, out);
   }
}

void SplitAbsolute(std::string_view path, std::vector<std::string_view> &parts)
{
   parts.clear();
   if (path.empty() || path[0] != '/') {
      Refuse("not an absolute path", path);
   }
   size_t pos = 1;
   while (pos < path.size()) {
      size_t end = path.find('/', pos);
      if (end == std::string_view::npos) {
         end = path.size();
      }
      std::string_view name = path.substr(pos, end - pos);
      if (name.empty() || name == "." || name == "..") {
         Refuse("bad name in path", path);
      }
      CheckName(name, path);
      parts.push_back(name);
      pos = end + 1;
   }
}

}  // namespace vmdbstore
