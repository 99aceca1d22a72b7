#include "atl/WindowImpl.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace atl {

namespace detail {

const wchar_t kImplProp[] = L"atl.WindowImpl";
const wchar_t kContainedProp[] = L"atl.ContainedWindow";

namespace {

// One stack per kind: a dialog's custom controls never take a dialog's object, and the other
// way round. One thread creates all windows, but keep it per thread anyway. The thread-local
// slots hold plain pointers: a thread-local object with a destructor is freed wrongly at thread
// exit by the 32-bit runtime. A stack is made on its first push and freed when it empties again.
thread_local std::vector<void *> *creating[2];

void FreeIfEmpty(CreateKind kind)
{
   if (creating[kind] && creating[kind]->empty()) {
      delete creating[kind];
      creating[kind] = nullptr;
   }
}

} // namespace

namespace {

// By property (the address of its name): the windows' objects. One table for the process: a
// lookup by handle may come from a thread other than the window's own.
std::mutex objectsLock;
std::unordered_map<const wchar_t *, std::unordered_map<HWND, void *>> objects;

std::unordered_map<HWND, void *> &ObjectsOf(const wchar_t *prop)
{
   return objects[prop];
}

} // namespace

void *FindObject(HWND wnd, const wchar_t *prop)
{
   std::lock_guard<std::mutex> hold(objectsLock);
   auto &table = ObjectsOf(prop);
   auto it = table.find(wnd);
   return it == table.end() ? nullptr : it->second;
}

void AttachObject(HWND wnd, const wchar_t *prop, void *object)
{
   std::lock_guard<std::mutex> hold(objectsLock);
   ObjectsOf(prop)[wnd] = object;
}

void DetachObject(HWND wnd, const wchar_t *prop)
{
   std::lock_guard<std::mutex> hold(objectsLock);
   ObjectsOf(prop).erase(wnd);
}

void PushCreating(CreateKind kind, void *object)
{
   if (!creating[kind]) {
      creating[kind] = new std::vector<void *>;
   }
   creating[kind]->push_back(object);
}

void *PopCreating(CreateKind kind)
{
   std::vector<void *> *stack = creating[kind];
   if (!stack || stack->empty()) {
      return nullptr;
   }
   void *object = stack->back();
   stack->pop_back();
   FreeIfEmpty(kind);
   return object;
}

void DiscardCreating(CreateKind kind, void *object)
{
   std::vector<void *> *stack = creating[kind];
   if (stack && !stack->empty() && stack->back() == object) {
      stack->pop_back();
      FreeIfEmpty(kind);
   }
}

} // namespace detail

} // namespace atl
