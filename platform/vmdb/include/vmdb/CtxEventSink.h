// An event sink of a database context for a class T that derives from it: T registers watches
// with a member function each, the sink registers them with the context and calls the member
// when the context raises a change of that watch. Its destructor lets go of everything.
#pragma once

#include "vmdb/VmdbInterfaces.h"

#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <algorithm>
#include <cwchar>
#include <exception>
#include <memory>
#include <vector>

namespace vmdb {

template <class T>
class CtxEventSink : public _IVmdbContextEvents {
public:
   // Called with the path of the node that changed.
   typedef void (T::*Handler)(BSTR changedPath);
   static constexpr DWORD kNotAdvised = 0xfefefefe;

   CtxEventSink() = default;
   virtual ~CtxEventSink()
   {
      *alive_ = false;
      Unadvise();
   }

   // From now on a handler runs once for all the changes of its watches that came before the
   // next poll step, with the first changed path, rather than once per changed node: a batch
   // that rewrites a thousand nodes under a watched subtree costs one refresh. For handlers
   // that read the state again and ignore the path.
   void CoalesceChanges() { coalesce_ = true; }

   // Makes `source` the event source and advises on it (an earlier source is let go first).
   HRESULT Advise(IVmdbContext *source)
   {
      Unadvise();
      if (!source) {
         return E_POINTER;
      }
      IConnectionPointContainer *container = nullptr;
      HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container));
      IConnectionPoint *point = nullptr;
      if (SUCCEEDED(hr)) {
         hr = container->FindConnectionPoint(__uuidof(_IVmdbContextEvents), &point);
         container->Release();
      }
      DWORD cookie = 0;
      if (SUCCEEDED(hr)) {
         hr = point->Advise(static_cast<_IVmdbContextEvents *>(this), &cookie);
      }
      if (FAILED(hr)) {
         if (point) {
            point->Release();
         }
         return hr;
      }
      source_ = source;
      point_ = point;
      cookie_ = cookie;
      return S_OK;
   }

   // Drops the sink's watches, unadvises and releases the source.
   void Unadvise()
   {
      if (source_) {
         for (const Entry &e : watches_) {
            source_->raw_Unwatch(e.path);
         }
      }
      watches_.clear();
      deferred_.clear();
      if (point_) {
         point_->Unadvise(cookie_);
         point_->Release();
      }
      cookie_ = kNotAdvised;
      point_ = nullptr;
      source_ = nullptr;
   }

   // Registers a watch on the source (mode 0: the node, 1: its subtree) for `handler`. A
   // coalescing sink hears a subtree once per delivery step: its handlers run once anyway.
   HRESULT Watch(const _bstr_t &path, long mode, Handler handler)
   {
      if (!source_) {
         return E_POINTER;
      }
      HRESULT hr = source_->raw_Watch(path, coalesce_ && mode == 1 ? 2 : mode);
      if (SUCCEEDED(hr)) {
         watches_.push_back(Entry{path, mode, handler});
      }
      return hr;
   }

   // Removes every watch of the sink on `path`.
   HRESULT Unwatch(const _bstr_t &path)
   {
      HRESULT hr = S_OK;
      for (auto it = watches_.begin(); it != watches_.end();) {
         if (it->path == path) {
            if (source_) {
               hr = source_->raw_Unwatch(path);
            }
            it = watches_.erase(it);
         } else {
            ++it;
         }
      }
      return hr;
   }

   IVmdbContext *GetEventSource() const { return source_; }
   DWORD GetCookie() const { return cookie_; }

   // _IVmdbContextEvents. The object's lifetime belongs to T, so counting does nothing.
   HRESULT __stdcall QueryInterface(REFIID iid, void **ppv) override
   {
      if (!ppv) {
         return E_POINTER;
      }
      if (iid == IID_IUnknown || iid == __uuidof(_IVmdbContextEvents)) {
         *ppv = static_cast<_IVmdbContextEvents *>(this);
         return S_OK;
      }
      *ppv = nullptr;
      return E_NOINTERFACE;
   }
   ULONG __stdcall AddRef() override { return 2; }
   ULONG __stdcall Release() override { return 1; }

   HRESULT __stdcall raw_OnChange(BSTR watchedPath, BSTR changedPath) override
   {
      // A handler may add or drop watches: call the ones that matched when the event came.
      // Compared as texts, without copies: a batch's delivery brings thousands of events.
      std::vector<Handler> handlers;
      const wchar_t *watched = watchedPath ? watchedPath : L"";
      for (const Entry &e : watches_) {
         const wchar_t *path = static_cast<const wchar_t *>(e.path);
         if (std::wcscmp(path ? path : L"", watched) == 0) {
            handlers.push_back(e.handler);
         }
      }
      if (coalesce_) {
         Defer(handlers, watchedPath, changedPath);
         return S_OK;
      }
      for (Handler handler : handlers) {
         Call(handler, _bstr_t(watchedPath), changedPath);
      }
      return S_OK;
   }

   CtxEventSink(const CtxEventSink &) = delete;
   CtxEventSink &operator=(const CtxEventSink &) = delete;

private:
   struct Entry {
      _bstr_t path;
      long mode;
      Handler handler;
   };
   struct Deferred {
      Handler handler;
      _bstr_t watched;
      _bstr_t changed;
   };

   void Call(Handler handler, const _bstr_t &watched, BSTR changedPath)
   {
      try {
         (static_cast<T *>(this)->*handler)(changedPath);
      } catch (const _com_error &e) {
         Warning("CtxEventSink: watch handler for %s failed: 0x%08lx %s\n", static_cast<const char *>(watched),
                 static_cast<unsigned long>(e.Error()),
                 e.Description().length() ? static_cast<const char *>(e.Description()) : "");
      } catch (const std::exception &e) {
         Warning("CtxEventSink: watch handler for %s failed: %s\n", static_cast<const char *>(watched), e.what());
      } catch (...) {
         Warning("CtxEventSink: watch handler for %s failed\n", static_cast<const char *>(watched));
      }
   }

   void Defer(const std::vector<Handler> &handlers, BSTR watchedPath, BSTR changedPath)
   {
      for (Handler handler : handlers) {
         auto same = std::find_if(deferred_.begin(), deferred_.end(),
                                  [handler](const Deferred &d) { return d.handler == handler; });
         if (same == deferred_.end()) {
            deferred_.push_back(Deferred{handler, _bstr_t(watchedPath), _bstr_t(changedPath)});
         }
      }
      if (deferred_.empty() || flushPosted_) {
         return;
      }
      flushPosted_ = true;
      std::shared_ptr<bool> alive = alive_;
      Poll_Post([this, alive]() {
         if (*alive) {
            Flush();
         }
      });
   }

   void Flush()
   {
      flushPosted_ = false;
      std::vector<Deferred> due;
      due.swap(deferred_);
      std::shared_ptr<bool> alive = alive_;
      for (Deferred &d : due) {
         // A handler may have unadvised the sink, or destroyed its object.
         if (!*alive || !source_) {
            return;
         }
         Call(d.handler, d.watched, d.changed.GetBSTR());
      }
   }

   IVmdbContextPtr source_;
   IConnectionPoint *point_ = nullptr;   // held while advised
   DWORD cookie_ = kNotAdvised;
   std::vector<Entry> watches_;
   bool coalesce_ = false;
   bool flushPosted_ = false;
   std::vector<Deferred> deferred_;
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace vmdb
