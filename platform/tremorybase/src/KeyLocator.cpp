#include "tremorybase/KeyLocator.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <cstdlib>
#include <set>

struct KeyLocatorRegistration {
   KeyLocatorProvider provider;
};

namespace {

std::set<KeyLocatorHandle> &Registrations()
{
   static std::set<KeyLocatorHandle> live;
   return live;
}

void WipeAndFree(char *text, size_t length)
{
   if (text) {
      volatile char *p = text;
      for (size_t i = 0; i < length; i++) {
         p[i] = 0;
      }
      free(text);
   }
}

}  // namespace

bool KeyLocator_Register(KeyLocatorProvider provider, KeyLocatorHandle *handle)
{
   *handle = nullptr;
   if (!provider) {
      Warning("KeyLocator: No provider to register.\n");
      return false;
   }
   if (Config_GetBool("test.keyLocator.fail", false)) {
      Warning("KeyLocator: Registration refused (test.keyLocator.fail).\n");
      return false;
   }
   KeyLocatorHandle h = new KeyLocatorRegistration{provider};
   Registrations().insert(h);
   *handle = h;
   return true;
}

void KeyLocator_Unregister(KeyLocatorHandle handle)
{
   if (Registrations().erase(handle)) {
      delete handle;
   }
}

bool KeyLocator_GetPassPhrase(KeyLocatorHandle handle, unsigned store, std::string &passPhrase)
{
   passPhrase.clear();
   if (!Registrations().count(handle)) {
      Warning("KeyLocator: No provider is registered.\n");
      return false;
   }
   KeyLocatorRequest request = {KEYLOCATOR_REQUEST_PASSPHRASE, 0, store, nullptr};
   char *text = nullptr;
   size_t length = 0;
   if (!handle->provider(&request, &text, &length) || !text) {
      WipeAndFree(text, length);
      Warning("KeyLocator: The provider gave no pass phrase.\n");
      return false;
   }
   passPhrase.assign(text, length);
   WipeAndFree(text, length);
   return true;
}
