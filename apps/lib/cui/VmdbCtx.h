// The model library's database access: vmdb::Ctx over the state database core, and vmdb::Value,
// a value as written to the database. Every failure is raised as cui::Error.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sigc++/sigc++.h>

namespace vmdb {

// A value as the database keeps it: text; integers in decimal; booleans as "1" and "0".
class Value {
public:
   Value() = default;
   Value(int value) : text_(std::to_string(value)) {}
   Value(long value) : text_(std::to_string(value)) {}
   Value(long long value) : text_(std::to_string(value)) {}
   Value(unsigned value) : text_(std::to_string(value)) {}
   Value(unsigned long long value) : text_(std::to_string(value)) {}
   Value(bool value) : text_(value ? "1" : "0"), isBool_(true) {}
   Value(const char *text) : text_(text ? text : "") {}
   Value(std::string text) : text_(std::move(text)) {}

   const std::string &GetText() const { return text_; }
   bool IsBool() const { return isBool_; }

private:
   std::string text_;
   bool isBool_ = false;
};

class CtxImpl;

// A database context: a current path, reads, writes, removes, element walks, write batches and
// watches. Copies share one context (current path, batch and watches). Relative paths are taken
// from the current path; a path through a link follows it, a path ending at a link names the link.
class Ctx {
public:
   // What a context may do (the `access` argument); the application passes kAll (15).
   enum Access { kRead = 1, kWrite = 2, kWatch = 4, kBatch = 8, kAll = 15 };
   // Watch modes: the node itself, or the node and its subtree.
   enum WatchMode { kWatchNode = 0, kWatchSubtree = 1 };
   typedef sigc::slot<void, const std::string & /*changedPath*/> WatchSlot;

   Ctx();   // empty: IsValid is false and every operation raises cui::Error
   // `rawCtx` is a raw context handle (IVmdbContext::GetRawHandle). With `ownContext` the Ctx takes
   // a context of its own on the same database, starting at the raw context's current path (so it
   // neither moves nor takes over the events of the caller's context); without it, it works on the
   // raw context itself, which must outlive it, and cannot watch.
   Ctx(intptr_t rawCtx, bool ownContext, int access);

   bool IsValid() const { return impl_ != nullptr; }
   // A new context of its own on the same database, at "/", with the same access.
   Ctx NewCtx() const;
   // The vmdbstore::Context* behind it (for components that take a raw handle).
   intptr_t GetRawHandle() const;

   void SetPath(const std::string &path);
   std::string GetPath() const;
   std::string FullPath(const std::string &path) const;

   bool Exists(const std::string &path) const;
   // The value; the empty text for a missing node.
   std::string Get(const std::string &path) const;
   // False when the node is missing (`value` is then empty).
   bool Get(const std::string &path, std::string &value) const;
   // The values of the named children of `path` in one read ("" for each one missing); plain
   // values only: a child that is a link is not followed.
   std::vector<std::string> GetChildValues(const std::string &path, const char *const *names, size_t count) const;
   // A missing or empty node gives `defaultValue`; otherwise true unless "0" or "false".
   bool GetBool(const std::string &path, bool defaultValue) const;
   // A missing, empty or non-numeric node gives `defaultValue`.
   long GetInt(const std::string &path, long defaultValue) const;
   // True when the node holds a true value (not "", "0", "false"), or no value but children.
   bool Test(const std::string &path) const;

   void Set(const std::string &path, const Value &value);
   // values[i] into the child names[i] of `path`, in one walk (plain child names only).
   void SetChildValues(const std::string &path, const char *const *names, const std::vector<std::string> &values);
   // On "x/#" or "x/##": a new element; returns its absolute path with a trailing "/".
   std::string Append(const std::string &arrayPath);
   // "x/#" gives the first element, an element the one after it; empty when none is left.
   std::string Next(const std::string &path) const;
   // The absolute paths of every element of "x/#", in order.
   std::vector<std::string> Elements(const std::string &arrayPath) const;
   // The names of a node's children (elements and named nodes), in order; empty when missing.
   std::vector<std::string> Children(const std::string &path) const;
   // Missing nodes are not an error.
   void Remove(const std::string &path, bool recursive = true);

   // Watches see a batch's writes only once the outermost batch ends.
   void BeginBatch();
   void EndBatch();

   // `slot` runs from a poll step for each change the watch matches, never inside the write.
   // Disconnecting the connection stops that slot; Unwatch drops every slot of the path.
   sigc::connection Watch(const std::string &path, WatchMode mode, const WatchSlot &slot);
   void Unwatch(const std::string &path);

   // Runs poll steps until the value at `path` equals (untilEqual) or differs from `value`;
   // `limitMs` -1 waits without limit. False when the limit passed first.
   bool WaitUntilChanged(const std::string &path, const std::string &value, bool untilEqual, long limitMs);
   // The number of the database's delivery of changes now running (or last run): watch slots
   // called with the same number see one state of the tree.
   unsigned long long DeliverySerial() const;

private:
   explicit Ctx(std::shared_ptr<CtxImpl> impl);
   CtxImpl &Impl() const;
   std::shared_ptr<CtxImpl> impl_;
};

// Opens a batch for its lifetime.
class Batch {
public:
   explicit Batch(Ctx &ctx) : ctx_(ctx) { ctx_.BeginBatch(); }
   ~Batch() { ctx_.EndBatch(); }
   Batch(const Batch &) = delete;
   Batch &operator=(const Batch &) = delete;

private:
   Ctx &ctx_;
};

}  // namespace vmdb
