#include "atl/WindowImpl.h"

#include <vector>

namespace atl {

namespace detail {

const wchar_t kImplProp[] = L"atl.WindowImpl";
const wchar_t kContainedProp[] = L"atl.ContainedWindow";

namespace {

// One stack per kind: a dialog's custom controls never take a dialog's object, and the other
// way round. One thread creates all windows, but keep it per thread anyway.
thread_local std::vector<void *> creating[2];

} // namespace

void PushCreating(CreateKind kind, void *object)
{
   creating[kind].push_back(object);
}

void *PopCreating(CreateKind kind)
{
   auto &stack = creating[kind];
   if (stack.empty()) {
      return nullptr;
   }
   void *object = stack.back();
   stack.pop_back();
   return object;
}

void DiscardCreating(CreateKind kind, void *object)
{
   auto &stack = creating[kind];
   if (!stack.empty() && stack.back() == object) {
      stack.pop_back();
   }
}

} // namespace detail

} // namespace atl
