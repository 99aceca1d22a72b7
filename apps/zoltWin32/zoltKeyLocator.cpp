#include "zoltKeyLocator.h"

#include "tremcryptolib/CryptoLib.h"
#include "tremorybase/Base.h"

#include <cstdlib>

namespace {

const unsigned kCurrentUserStore = 0;
const int kSeedSelector = 1;

KeyLocatorHandle gKeyLocator = nullptr;

}  // namespace

bool KeyProviderCallback(const KeyLocatorRequest *request, char **text, size_t *length)
{
   *text = nullptr;
   *length = 0;
   if (!request || request->type != KEYLOCATOR_REQUEST_PASSPHRASE || request->store != kCurrentUserStore) {
      return false;
   }
   unsigned char *seed = nullptr;
   size_t seedSize = 0;
   if (!Base_ObtainValue(kSeedSelector, &seed, &seedSize)) {
      return false;
   }
   CryptoLibKey *key = Base_DeriveKey(seed, seedSize);
   char *passPhrase = key ? Base_DerivePassPhrase(key) : nullptr;
   size_t size = 0;
   char *copy = passPhrase ? Base_CopyText(passPhrase, &size) : nullptr;
   free(seed);
   CryptoLib_ReleaseDerived(key);
   if (passPhrase) {
      Base_FreeText(passPhrase);
   }
   if (!copy) {
      return false;
   }
   *text = copy;
   *length = size;
   return true;
}

bool StartKeyLocator()
{
   return KeyLocator_Register(&KeyProviderCallback, &gKeyLocator);
}

KeyLocatorHandle GetKeyLocatorHandle()
{
   return gKeyLocator;
}

void StopKeyLocator()
{
   KeyLocator_Unregister(gKeyLocator);
   gKeyLocator = nullptr;
}
