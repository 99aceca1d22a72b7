#include "cui/VmdbCtx.h"

#include <cerrno>
#include <cstdlib>
#include <map>

#include "cui/Error.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"
#include "vmdb/Store.h"

namespace vmdb {

// The context behind one or more Ctx copies: a vmdbstore context (owned or borrowed), what it may
// do, and the slots of its watches, one signal per watched path.
class CtxImpl {
public:
   CtxImpl(std::unique_ptr<vmdbstore::Context> owned, int access)
      : owned_(std::move(owned)), ctx_(owned_.get()), access_(access)
   {
      ctx_->SetWatchHandler([this](const std::string &watchPath, const std::string &changedPath) {
         Deliver(watchPath, changedPath);
      });
   }
   CtxImpl(vmdbstore::Context *borrowed, int access) : ctx_(borrowed), access_(access & ~Ctx::kWatch) {}

   vmdbstore::Context &Get(int need)
   {
      if ((access_ & need) != need) {
         throw cui::Error("vmdb::Ctx: the context may not do this");
      }
      return *ctx_;
   }
   int Access() const { return access_; }

   sigc::connection Watch(const std::string &path, Ctx::WatchMode mode, const Ctx::WatchSlot &slot)
   {
      Get(Ctx::kWatch);
      std::string full = ctx_->FullPath(path);
      auto it = watches_.find(full);
      if (it == watches_.end()) {
         it = watches_.emplace(full, WatchEntry{mode, {}}).first;
         ctx_->Watch(full, static_cast<vmdbstore::WatchMode>(mode));
      } else if (mode == Ctx::kWatchSubtree && it->second.mode == Ctx::kWatchNode) {
         // One registration per path, in the widest mode asked for.
         ctx_->Unwatch(full);
         ctx_->Watch(full, vmdbstore::kWatchSubtree);
         it->second.mode = mode;
      }
      return it->second.signal.connect(slot);
   }

   void Unwatch(const std::string &path)
   {
      Get(Ctx::kWatch);
      std::string full = ctx_->FullPath(path);
      if (watches_.erase(full) > 0) {
         ctx_->Unwatch(full);
      }
   }

private:
   struct WatchEntry {
      Ctx::WatchMode mode;
      sigc::signal<void, const std::string &> signal;
   };

   void Deliver(const std::string &watchPath, const std::string &changedPath)
   {
      auto it = watches_.find(watchPath);
      if (it == watches_.end()) {
         return;
      }
      // A copy shares the slot list, so a slot may unwatch this path while it runs.
      sigc::signal<void, const std::string &> signal = it->second.signal;
      try {
         signal.emit(changedPath);
      } catch (const std::exception &e) {
         Warning("vmdb::Ctx: watch handler of %s failed: %s\n", watchPath.c_str(), e.what());
      } catch (...) {
         Warning("vmdb::Ctx: watch handler of %s failed.\n", watchPath.c_str());
      }
   }

   std::unique_ptr<vmdbstore::Context> owned_;
   vmdbstore::Context *ctx_;
   int access_;
   std::map<std::string, WatchEntry> watches_;
};

namespace {

// Runs a store operation, raising its failures as cui::Error.
template <class Fn>
auto Guarded(Fn fn) -> decltype(fn())
{
   try {
      return fn();
   } catch (const vmdbstore::Error &e) {
      throw cui::Error(e.what());
   }
}

}  // namespace

Ctx::Ctx() = default;

Ctx::Ctx(std::shared_ptr<CtxImpl> impl) : impl_(std::move(impl)) {}

Ctx::Ctx(intptr_t rawCtx, bool ownContext, int access)
{
   vmdbstore::Context *raw = vmdbstore::ContextFromRawHandle(rawCtx);
   if (!raw) {
      throw cui::Error("vmdb::Ctx: no database context");
   }
   if (ownContext) {
      std::unique_ptr<vmdbstore::Context> own = raw->GetStore().NewContext();
      Guarded([&] { own->ChangePath(raw->CurrentPath()); });
      impl_ = std::make_shared<CtxImpl>(std::move(own), access);
   } else {
      impl_ = std::make_shared<CtxImpl>(raw, access);
   }
}

CtxImpl &Ctx::Impl() const
{
   if (!impl_) {
      throw cui::Error("vmdb::Ctx: the context is empty");
   }
   return *impl_;
}

Ctx Ctx::NewCtx() const
{
   CtxImpl &impl = Impl();
   return Ctx(std::make_shared<CtxImpl>(impl.Get(0).GetStore().NewContext(), impl.Access()));
}

intptr_t Ctx::GetRawHandle() const
{
   return reinterpret_cast<intptr_t>(&Impl().Get(0));
}

void Ctx::SetPath(const std::string &path)
{
   vmdbstore::Context &c = Impl().Get(kRead);
   Guarded([&] { c.ChangePath(path); });
}

std::string Ctx::GetPath() const
{
   return Impl().Get(0).CurrentPath();
}

std::string Ctx::FullPath(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(0);
   return Guarded([&] { return c.FullPath(path); });
}

bool Ctx::Exists(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.Exists(path); });
}

std::string Ctx::Get(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.Read(path); });
}

bool Ctx::Get(const std::string &path, std::string &value) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.Read(path, value); });
}

std::vector<std::string> Ctx::GetChildValues(const std::string &path, const char *const *names, size_t count) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   std::vector<std::string> values;
   Guarded([&] { c.ReadChildren(path, names, count, values); });
   return values;
}

bool Ctx::GetBool(const std::string &path, bool defaultValue) const
{
   std::string value = Get(path);
   if (value.empty()) {
      return defaultValue;
   }
   return value != "0" && value != "false";
}

long Ctx::GetInt(const std::string &path, long defaultValue) const
{
   std::string value = Get(path);
   if (value.empty()) {
      return defaultValue;
   }
   char *end = nullptr;
   errno = 0;
   long n = std::strtol(value.c_str(), &end, 0);
   return (errno != 0 || *end != '\0') ? defaultValue : n;
}

bool Ctx::Test(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.Test(path); });
}

void Ctx::Set(const std::string &path, const Value &value)
{
   vmdbstore::Context &c = Impl().Get(kWrite);
   Guarded([&] {
      if (value.IsBool()) {
         c.WriteBool(path, value.GetText() == "1");
      } else {
         c.Write(path, value.GetText());
      }
   });
}

void Ctx::SetChildValues(const std::string &path, const char *const *names, const std::vector<std::string> &values)
{
   vmdbstore::Context &c = Impl().Get(kWrite);
   Guarded([&] { c.WriteChildren(path, names, values.data(), values.size()); });
}

std::string Ctx::Append(const std::string &arrayPath)
{
   vmdbstore::Context &c = Impl().Get(kWrite);
   return Guarded([&] { return cuiutil::WithSlash(c.FullPath(c.AppendElement(arrayPath))); });
}

std::string Ctx::Next(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] {
      std::string next = c.NextElement(path);
      return next.empty() ? next : cuiutil::WithSlash(c.FullPath(next));
   });
}

std::vector<std::string> Ctx::Elements(const std::string &arrayPath) const
{
   std::vector<std::string> out;
   for (std::string e = Next(arrayPath); !e.empty(); e = Next(e)) {
      out.push_back(e);
   }
   return out;
}

std::vector<std::string> Ctx::Children(const std::string &path) const
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.Children(path); });
}

void Ctx::Remove(const std::string &path, bool recursive)
{
   vmdbstore::Context &c = Impl().Get(kWrite);
   Guarded([&] { c.Remove(path, recursive); });
}

void Ctx::BeginBatch()
{
   Impl().Get(kBatch).OpenBatch();
}

void Ctx::EndBatch()
{
   vmdbstore::Context &c = Impl().Get(kBatch);
   if (c.BatchDepth() > 0) {
      c.CloseBatch();
   }
}

sigc::connection Ctx::Watch(const std::string &path, WatchMode mode, const WatchSlot &slot)
{
   CtxImpl &impl = Impl();
   return Guarded([&] { return impl.Watch(path, mode, slot); });
}

void Ctx::Unwatch(const std::string &path)
{
   CtxImpl &impl = Impl();
   Guarded([&] { impl.Unwatch(path); });
}

bool Ctx::WaitUntilChanged(const std::string &path, const std::string &value, bool untilEqual, long limitMs)
{
   vmdbstore::Context &c = Impl().Get(kRead);
   return Guarded([&] { return c.WaitUntilChanged(path, value, untilEqual, limitMs); });
}

unsigned long long Ctx::DeliverySerial() const
{
   return Impl().Get(kRead).GetStore().DeliverySerial();
}

}  // namespace vmdb
