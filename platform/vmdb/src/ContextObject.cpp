#include "ContextObject.h"

#include "tremorybase/Log.h"

#include <olectl.h>

#include <vector>

namespace vmdb {

namespace {

HRESULT ReturnText(const std::string &text, BSTR *out)
{
   *out = BstrFromUtf8(text);
   return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

ContextObject::ContextObject(IVmdbDatabase *db, std::unique_ptr<vmdbstore::Context> ctx)
   : db_(db), ctx_(std::move(ctx))
{
   ctx_->SetWatchHandler([this](const std::string &watchPath, const std::string &changedPath) {
      Raise(watchPath, changedPath);
   });
}

ContextObject::~ContextObject()
{
   ctx_.reset();
}

void *ContextObject::QueryMore(REFIID iid)
{
   if (iid == IID_IConnectionPointContainer) {
      return static_cast<IConnectionPointContainer *>(this);
   }
   if (iid == IID_IConnectionPoint) {
      return static_cast<IConnectionPoint *>(this);
   }
   return nullptr;
}

void ContextObject::Raise(const std::string &watchPath, const std::string &changedPath)
{
   if (sinks_.empty()) {
      return;
   }
   // A sink may unadvise, or let go of this context, while it handles the event: both are held
   // here, this context longest.
   atl::CComPtr<IVmdbContext> self(this);
   // Events come by the thousand in a batch's delivery, mostly to one sink and for a few
   // watched paths: the one sink is held without a list, the watched path's text is kept.
   atl::CComPtr<_IVmdbContextEvents> only;
   std::vector<atl::CComPtr<_IVmdbContextEvents>> more;
   if (sinks_.size() == 1) {
      only = sinks_.begin()->second;
   } else {
      for (auto &sink : sinks_) {
         more.push_back(sink.second);
      }
   }
   if (watchedText_.first != watchPath) {
      watchedText_ = {watchPath, _bstr_t(BstrFromUtf8(watchPath), false)};
   }
   _bstr_t watched = watchedText_.second;
   _bstr_t changed(BstrFromUtf8(changedPath), false);
   auto raise = [&](_IVmdbContextEvents *sink) {
      // No exception may cross the event interface; a sink that throws anyway is logged.
      try {
         sink->raw_OnChange(watched, changed);
      } catch (const std::exception &e) {
         Warning("vmdb: event sink failed for %s: %s\n", watchPath.c_str(), e.what());
      } catch (...) {
         Warning("vmdb: event sink failed for %s\n", watchPath.c_str());
      }
   };
   if (only) {
      raise(only);
   }
   for (auto &sink : more) {
      raise(sink);
   }
}

HRESULT ContextObject::raw_ChangePath(BSTR path)
{
   VMDB_COM_TRY
   ctx_->ChangePath(Utf8FromBstr(path));
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_CurrentPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   return ReturnText(ctx_->CurrentPath(), path);
}

HRESULT ContextObject::raw_FullPath(BSTR path, BSTR *full)
{
   if (!full) {
      return E_POINTER;
   }
   *full = nullptr;
   VMDB_COM_TRY
   return ReturnText(ctx_->FullPath(Utf8FromBstr(path)), full);
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_ReadValue(BSTR path, VARIANT *value)
{
   if (!value) {
      return E_POINTER;
   }
   VariantInit(value);
   VMDB_COM_TRY
   std::string p = Utf8FromBstr(path);
   std::string text;
   ctx_->Read(p, text);
   if (ctx_->IsBoolean(p)) {
      V_VT(value) = VT_BOOL;
      V_BOOL(value) = text == "1" ? VARIANT_TRUE : VARIANT_FALSE;
      return S_OK;
   }
   V_VT(value) = VT_BSTR;
   return ReturnText(text, &V_BSTR(value));
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_WriteValue(BSTR path, VARIANT value)
{
   VMDB_COM_TRY
   std::string text;
   bool isBool = false;
   if (!TextFromVariant(value, text, isBool)) {
      return Fail(DISP_E_TYPEMISMATCH, __uuidof(IVmdbContext),
                  "raw_WriteValue: a value of variant type " + std::to_string(V_VT(&value)) + " cannot be stored");
   }
   std::string p = Utf8FromBstr(path);
   if (isBool) {
      ctx_->WriteBool(p, text == "1");
   } else {
      ctx_->Write(p, text);
   }
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_TestNode(BSTR path, VARIANT_BOOL *result)
{
   if (!result) {
      return E_POINTER;
   }
   VMDB_COM_TRY
   *result = ctx_->Test(Utf8FromBstr(path)) ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_AppendElement(BSTR path, BSTR *element)
{
   if (!element) {
      return E_POINTER;
   }
   *element = nullptr;
   VMDB_COM_TRY
   return ReturnText(ctx_->AppendElement(Utf8FromBstr(path)), element);
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_NextElement(BSTR path, BSTR *element)
{
   if (!element) {
      return E_POINTER;
   }
   *element = nullptr;
   VMDB_COM_TRY
   return ReturnText(ctx_->NextElement(Utf8FromBstr(path)), element);
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_OpenBatch()
{
   ctx_->OpenBatch();
   return S_OK;
}

HRESULT ContextObject::raw_CloseBatch(long, long)
{
   ctx_->CloseBatch();
   return S_OK;
}

HRESULT ContextObject::raw_WaitUntilChanged(BSTR path, VARIANT value, VARIANT_BOOL untilEqual, long limitMs,
                                            VARIANT_BOOL *result)
{
   if (!result) {
      return E_POINTER;
   }
   VMDB_COM_TRY
   std::string text;
   bool isBool = false;
   if (!TextFromVariant(value, text, isBool)) {
      return Fail(DISP_E_TYPEMISMATCH, __uuidof(IVmdbContext), "raw_WaitUntilChanged: value of an unusable type");
   }
   // Keep this context alive if a poll step lets go of its last reference while we wait.
   IVmdbContextPtr self(static_cast<IVmdbContext *>(this));
   bool done = ctx_->WaitUntilChanged(Utf8FromBstr(path), text, untilEqual != VARIANT_FALSE, limitMs);
   *result = done ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_RemoveNode(BSTR path, VARIANT_BOOL recursive)
{
   VMDB_COM_TRY
   ctx_->Remove(Utf8FromBstr(path), recursive != VARIANT_FALSE);
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_Watch(BSTR path, long mode)
{
   VMDB_COM_TRY
   ctx_->Watch(Utf8FromBstr(path), static_cast<vmdbstore::WatchMode>(mode));
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_Unwatch(BSTR path)
{
   VMDB_COM_TRY
   ctx_->Unwatch(Utf8FromBstr(path));
   return S_OK;
   VMDB_COM_CATCH(IVmdbContext)
}

HRESULT ContextObject::raw_GetDatabase(IVmdbDatabase **db)
{
   if (!db) {
      return E_POINTER;
   }
   *db = db_;
   if (*db) {
      (*db)->AddRef();
   }
   return S_OK;
}

HRESULT ContextObject::raw_GetRawHandle(INT_PTR *handle)
{
   if (!handle) {
      return E_POINTER;
   }
   *handle = reinterpret_cast<INT_PTR>(ctx_.get());
   return S_OK;
}

HRESULT ContextObject::FindConnectionPoint(REFIID iid, IConnectionPoint **point)
{
   if (!point) {
      return E_POINTER;
   }
   *point = nullptr;
   if (iid != __uuidof(_IVmdbContextEvents)) {
      return CONNECT_E_NOCONNECTION;
   }
   *point = static_cast<IConnectionPoint *>(this);
   AddRef();
   return S_OK;
}

HRESULT ContextObject::GetConnectionInterface(IID *iid)
{
   if (!iid) {
      return E_POINTER;
   }
   *iid = __uuidof(_IVmdbContextEvents);
   return S_OK;
}

HRESULT ContextObject::GetConnectionPointContainer(IConnectionPointContainer **container)
{
   if (!container) {
      return E_POINTER;
   }
   *container = static_cast<IConnectionPointContainer *>(this);
   AddRef();
   return S_OK;
}

HRESULT ContextObject::Advise(IUnknown *sink, DWORD *cookie)
{
   if (!sink || !cookie) {
      return E_POINTER;
   }
   atl::CComQIPtr<_IVmdbContextEvents> events(sink);
   if (!events) {
      return CONNECT_E_CANNOTCONNECT;
   }
   *cookie = nextCookie_++;
   sinks_[*cookie] = events;
   return S_OK;
}

HRESULT ContextObject::Unadvise(DWORD cookie)
{
   auto it = sinks_.find(cookie);
   if (it == sinks_.end()) {
      return CONNECT_E_NOCONNECTION;
   }
   // Released after the entry is gone: the sink's release may call back into this context.
   atl::CComPtr<_IVmdbContextEvents> events = it->second;
   sinks_.erase(it);
   return S_OK;
}

}  // namespace vmdb
