// An event sink of a database context for a class T that derives from it: T registers watches
// with a member function each, the sink registers them with the context and calls the member
// when the context raises a change of that watch. Its destructor lets go of everything.
#pragma once

#include "vmdb/VmdbInterfaces.h"

#include "tremorybase/Log.h"

#include <exception>
#include <vector>

namespace vmdb {

template <class T>
class CtxEventSink : public _IVmdbContextEvents {
public:
   // Called with the path of the node that changed.
   typedef void (T::*Handler)(BSTR changedPath);
   static constexpr DWORD kNotAdvised = 0xfefefefe;

   CtxEventSink() = default;
   virtual ~CtxEventSink() { Unadvise(); }

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
      if (point_) {
         point_->Unadvise(cookie_);
         point_->Release();
      }
      cookie_ = kNotAdvised;
      point_ = nullptr;
      source_ = nullptr;
   }

   // Registers a watch on the source (mode 0: the node, 1: its subtree) for `handler`.
   HRESULT Watch(const _bstr_t &path, long mode, Handler handler)
   {
      if (!source_) {
         return E_POINTER;
      }
      HRESULT hr = source_->raw_Watch(path, mode);
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
      std::vector<Handler> handlers;
      _bstr_t watched(watchedPath);
      for (const Entry &e : watches_) {
         if (e.path == watched) {
            handlers.push_back(e.handler);
         }
      }
      for (Handler handler : handlers) {
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

   IVmdbContextPtr source_;
   IConnectionPoint *point_ = nullptr;   // held while advised
   DWORD cookie_ = kNotAdvised;
   std::vector<Entry> watches_;
};

}  // namespace vmdb
