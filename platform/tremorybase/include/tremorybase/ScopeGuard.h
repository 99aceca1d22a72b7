// ScopeGuard: runs a cleanup when the scope it lives in ends, by return or by exception, unless
// dismissed first. For an undo step that would otherwise be written twice, once in a catch (...).
//
//    ctx->OpenBatch();
//    ScopeGuard closeBatch([&]() { ctx->CloseBatch(-1); });
//    ...                      // may return or throw
//    closeBatch.Dismiss();    // only where the cleanup is not wanted (a commit)
#pragma once

#include "tremorybase/Log.h"

#include <exception>
#include <utility>

template <class F>
class ScopeGuard {
public:
   explicit ScopeGuard(F cleanup) : cleanup_(std::move(cleanup)), exceptions_(std::uncaught_exceptions()) {}

   // Left normally, a cleanup that throws throws on, as the same code written out would. Left by
   // an exception, the cleanup's own failure is logged and dropped, so the first one goes on.
   ~ScopeGuard() noexcept(false)
   {
      if (!active_) {
         return;
      }
      if (std::uncaught_exceptions() == exceptions_) {
         cleanup_();
         return;
      }
      try {
         cleanup_();
      } catch (...) {
         Warning("ScopeGuard: a cleanup failed while an exception was on its way\n");
      }
   }

   // The work succeeded: nothing to undo.
   void Dismiss() { active_ = false; }

   ScopeGuard(const ScopeGuard &) = delete;
   ScopeGuard &operator=(const ScopeGuard &) = delete;

private:
   F cleanup_;
   int exceptions_;
   bool active_ = true;
};
