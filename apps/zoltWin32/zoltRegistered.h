// The owner of an object the application registers with the model library (cui/Registry.h): it
// takes the object out of the registry before deleting it, so nothing reaches it half destroyed.
#pragma once

#include <memory>

template <auto Get, auto Set>
struct UnregisterAndDelete {
   template <typename T>
   void operator()(T *object) const
   {
      // Another object may have been registered since: that one stays.
      if (Get() == object) {
         Set(nullptr);
      }
      delete object;
   }
};

template <typename T, auto Get, auto Set>
using Registered = std::unique_ptr<T, UnregisterAndDelete<Get, Set>>;

// Takes `object` over (deleting the one held before) and registers it.
template <typename T, auto Get, auto Set>
T *Register(Registered<T, Get, Set> &owner, T *object)
{
   owner.reset(object);
   Set(object);
   return object;
}
