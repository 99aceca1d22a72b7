#include "vmdb/Store.h"

#include "Node.h"
#include "PathResolver.h"
#include "WatchTable.h"

#include "tremorybase/Poll.h"

#include <windows.h>

#include <cstdio>

namespace vmdbstore {

namespace {

void CheckValue(std::string_view value)
{
   if (value.size() > kMaxValue) {
      throw Error(Error::BadValue, "value longer than " + std::to_string(kMaxValue) + " bytes");
   }
}

bool IsElementWildcard(std::string_view name)
{
   return name == "#" || name == "##";
}

// Splits "a/b/#/" into the text before the last name ("a/b/") and that name ("#").
void SplitLast(std::string_view path, std::string_view &prefix, std::string_view &last)
{
   std::string_view p = path;
   if (!p.empty() && p.back() == '/') {
      p.remove_suffix(1);
   }
   size_t slash = p.rfind('/');
   prefix = slash == std::string_view::npos ? std::string_view() : p.substr(0, slash + 1);
   last = slash == std::string_view::npos ? p : p.substr(slash + 1);
}

unsigned HexName(std::string_view name)
{
   if (name.size() < 2 || name.size() > 9 || name[0] != '#') {
      return 0;
   }
   unsigned v = 0;
   for (size_t i = 1; i < name.size(); i++) {
      char c = name[i];
      int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (d < 0) {
         return 0;
      }
      v = v * 16 + static_cast<unsigned>(d);
   }
   return v;
}

}  // namespace

Context::Context(std::shared_ptr<Store> store) : store_(std::move(store)) {}

Context::~Context()
{
   batchDepth_ = 0;
   store_->CommitHeld(this);
   store_->Unregister(this);
}

void Context::ChangePath(std::string_view path)
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kFollowFinal, r);
   if (r.brokenLink) {
      throw Error(Error::BadPath, "path passes through a link that is not set: \"" + std::string(path) + "\"");
   }
   current_ = r.Text(true);
   currentParts_.clear();
   std::string_view text = current_;
   size_t pos = 1;
   while (pos < text.size()) {
      size_t end = text.find('/', pos);
      currentParts_.push_back(text.substr(pos, end - pos));
      pos = end + 1;
   }
}

std::string Context::FullPath(std::string_view path) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashLiteral, r);
   std::string_view prefix, last;
   SplitLast(path, prefix, last);
   bool dir = path.empty() || path.back() == '/' || last == "." || last == "..";
   return r.Text(dir);
}

bool Context::Read(std::string_view path, std::string &value) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashFirst, r);
   const Node *node = r.node();
   if (!node) {
      value.clear();
      return false;
   }
   value = node->value;
   return true;
}

void Context::ReadChildren(std::string_view path, const char *const *names, size_t count,
                           std::vector<std::string> &values) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashFirst, r);
   const Node *node = r.node();
   values.clear();
   values.reserve(count);
   for (size_t i = 0; i < count; ++i) {
      const Node *child = node ? node->Find(names[i]) : nullptr;
      values.push_back(child ? child->value : std::string());
   }
}

std::string Context::Read(std::string_view path) const
{
   std::string value;
   Read(path, value);
   return value;
}

bool Context::IsBoolean(std::string_view path) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashFirst, r);
   const Node *node = r.node();
   return node && (node->isBool || (node->schema && node->schema->type == NodeType::Flag));
}

bool Context::Exists(std::string_view path) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashFirst, r);
   return r.node() != nullptr;
}

bool Context::Test(std::string_view path) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashFirst, r);
   const Node *node = r.node();
   if (!node) {
      return false;
   }
   const std::string &v = node->value;
   if (v.empty()) {
      return !node->children.empty();
   }
   return v != "0" && _stricmp(v.c_str(), "false") != 0;
}

namespace {

// Creates the missing nodes of a resolved path; watches on those very nodes hear of them. The
// last node is left to the caller when `lastAnnounced` (its value write announces it to every
// watch it concerns). `madeAbove` tells whether a node above the last one was made.
Node *Materialize(Store &store, Context *writer, ResolvedPath &r, bool lastAnnounced, bool &created, bool &madeAbove,
                  Node *(*create)(Store &, Context *, Node *, std::string_view, bool))
{
   created = false;
   madeAbove = false;
   if (r.brokenLink) {
      throw Error(Error::BadPath, "path passes through a link that is not set: \"" + r.Text(false) + "\"");
   }
   for (size_t i = 1; i <= r.depth; i++) {
      if (r.nodes[i]) {
         continue;
      }
      // Creating a declared directory may already have made the next node with its defaults.
      if (Node *existing = r.nodes[i - 1]->Find(r.parts[i - 1])) {
         r.nodes[i] = existing;
         continue;
      }
      bool last = i == r.depth;
      r.nodes[i] = create(store, writer, r.nodes[i - 1], r.parts[i - 1], !(last && lastAnnounced));
      created = last;
      madeAbove = madeAbove || !last;
   }
   return r.nodes[r.depth];
}

}  // namespace

// Store internals that Context needs, kept out of the public header.
struct ContextAccess {
   static Node *Create(Store &store, Context *writer, Node *parent, std::string_view name, bool announce)
   {
      Node *node = store.CreateChild(parent, name);
      if (announce && !store.watchEntries_.empty()) {
         store.RecordChange(writer, PathOf(node), true);
      }
      return node;
   }
};

void Context::Write(std::string_view path, std::string_view value)
{
   CheckValue(value);
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, 0, r);
   if (r.depth == 0) {
      throw Error(Error::BadPath, "the root holds no value");
   }
   bool created = false;
   bool madeAbove = false;
   Node *node = Materialize(*store_, this, r, true, created, madeAbove, &ContextAccess::Create);
   store_->SetValue(this, node, value, false, created || madeAbove);
   if (r.UnderUser()) {
      store_->ScheduleSave();
   }
}

void Context::WriteChildren(std::string_view path, const char *const *names, const std::string *values, size_t count)
{
   for (size_t i = 0; i < count; ++i) {
      std::string_view name = names[i];
      if (name.empty() || name == "." || name == ".." || name[0] == '#' || name.find('/') != std::string_view::npos) {
         throw Error(Error::BadPath, "not a plain child name: \"" + std::string(name) + "\"");
      }
      CheckValue(values[i]);
   }
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, 0, r);
   const size_t depth = r.depth;
   for (size_t i = 0; i < count; ++i) {
      PathResolver::Push(names[i], r);
      bool created = false;
      bool madeAbove = false;
      Node *node = Materialize(*store_, this, r, true, created, madeAbove, &ContextAccess::Create);
      store_->SetValue(this, node, values[i], false, created || madeAbove);
      // Back to the parent, whose nodes the first write made.
      r.depth = depth;
   }
   if (r.UnderUser()) {
      store_->ScheduleSave();
   }
}

void Context::WriteBool(std::string_view path, bool value)
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, 0, r);
   if (r.depth == 0) {
      throw Error(Error::BadPath, "the root holds no value");
   }
   bool created = false;
   bool madeAbove = false;
   Node *node = Materialize(*store_, this, r, true, created, madeAbove, &ContextAccess::Create);
   store_->SetValue(this, node, value ? "1" : "0", true, created || madeAbove);
   if (r.UnderUser()) {
      store_->ScheduleSave();
   }
}

std::string Context::AppendElement(std::string_view arrayPath)
{
   std::string_view prefix, last;
   SplitLast(arrayPath, prefix, last);
   if (!IsElementWildcard(last)) {
      throw Error(Error::BadPath, "not an array path (it must end in \"#\" or \"##\"): \"" + std::string(arrayPath) + "\"");
   }
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, prefix, PathResolver::kFollowFinal, r);
   bool created = false;
   bool madeAbove = false;
   Node *array = Materialize(*store_, this, r, false, created, madeAbove, &ContextAccess::Create);
   if (array->nextElement == 0) {
      unsigned highest = 0;
      for (const auto &child : array->children) {
         unsigned v = HexName(child.first);
         highest = v > highest ? v : highest;
      }
      array->nextElement = highest + 1;
   }
   char name[16];
   do {
      snprintf(name, sizeof name, "#%04x", array->nextElement++);
   } while (array->Find(name));
   Node *element = store_->CreateChild(array, name);
   store_->SetValue(this, element, "", false, true);
   if (r.UnderUser()) {
      store_->ScheduleSave();
   }
   return std::string(prefix) + name + "/";
}

std::string Context::NextElement(std::string_view path) const
{
   std::string_view prefix, last;
   SplitLast(path, prefix, last);
   if (last.empty() || last[0] != '#') {
      throw Error(Error::BadPath, "not an element path: \"" + std::string(path) + "\"");
   }
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, prefix, PathResolver::kFollowFinal, r);
   const Node *array = r.node();
   if (!array) {
      return std::string();
   }
   const Node *next = IsElementWildcard(last) ? array->FirstElement() : array->ElementAfter(last);
   return next ? std::string(prefix) + next->name + "/" : std::string();
}

std::vector<std::string> Context::Children(std::string_view path) const
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kFollowFinal, r);
   std::vector<std::string> names;
   if (const Node *node = r.node()) {
      for (const auto &child : node->children) {
         names.push_back(child.first);
      }
   }
   return names;
}

void Context::Remove(std::string_view path, bool recursive)
{
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, 0, r);
   if (r.depth == 0) {
      throw Error(Error::BadPath, "the root cannot be removed");
   }
   Node *node = r.node();
   if (!node) {
      return;
   }
   if (!recursive && !node->children.empty()) {
      throw Error(Error::NotEmpty, "node has children: \"" + std::string(path) + "\"");
   }
   store_->RemoveSubtree(this, node);
   if (r.UnderUser()) {
      store_->ScheduleSave();
   }
}

void Context::OpenBatch()
{
   batchDepth_++;
}

void Context::CloseBatch()
{
   if (batchDepth_ == 0) {
      return;
   }
   if (--batchDepth_ == 0) {
      store_->CommitHeld(this);
   }
}

bool Context::WaitUntilChanged(std::string_view path, std::string_view value, bool untilEqual, long limitMs)
{
   ULONGLONG start = GetTickCount64();
   std::string current;
   for (;;) {
      Read(path, current);
      if ((current == value) == untilEqual) {
         return true;
      }
      unsigned step = 50;
      if (limitMs >= 0) {
         ULONGLONG spent = GetTickCount64() - start;
         if (spent >= static_cast<ULONGLONG>(limitMs)) {
            return false;
         }
         ULONGLONG left = static_cast<ULONGLONG>(limitMs) - spent;
         step = left < step ? static_cast<unsigned>(left) : step;
      }
      Poll_Step(step);
   }
}

void Context::Watch(std::string_view path, WatchMode mode)
{
   if (mode != kWatchNode && mode != kWatchSubtree && mode != kWatchSubtreeOnce) {
      throw Error(Error::BadValue, "watch mode must be 0, 1 or 2");
   }
   std::pair<std::string, int> key(std::string(path), mode);
   auto found = watchRegs_.find(key);
   if (found != watchRegs_.end()) {
      found->second.count++;
      return;
   }
   ResolvedPath r;
   PathResolver::Resolve(store_->Root(), currentParts_, path, PathResolver::kHashLiteral, r);
   uint64_t id = store_->nextWatchId_++;
   const bool once = mode == kWatchSubtreeOnce;
   store_->watches_->Add(id, r.parts.data(), r.depth, once ? kWatchSubtree : mode);
   store_->watchEntries_[id] = Store::WatchEntry{this, std::make_shared<const std::string>(key.first), once, 0};
   watchRegs_[key] = WatchReg{id, 1};
}

void Context::Unwatch(std::string_view path)
{
   for (int mode : {int(kWatchNode), int(kWatchSubtree), int(kWatchSubtreeOnce)}) {
      auto found = watchRegs_.find(std::make_pair(std::string(path), mode));
      if (found == watchRegs_.end()) {
         continue;
      }
      if (--found->second.count > 0) {
         continue;
      }
      store_->watches_->Remove(found->second.id);
      store_->watchEntries_.erase(found->second.id);
      watchRegs_.erase(found);
   }
}

void Context::Deliver(const std::string &watchPath, const std::string &changedPath)
{
   if (handler_) {
      handler_(watchPath, changedPath);
   }
}

}  // namespace vmdbstore
