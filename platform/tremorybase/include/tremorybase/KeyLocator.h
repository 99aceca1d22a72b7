// The key locator: the program registers a provider that answers requests for key material
// (the pass phrase of the user's key store); the base library asks it when it needs one.
#pragma once

#include <cstddef>
#include <string>

enum KeyLocatorRequestType {
   KEYLOCATOR_REQUEST_PASSPHRASE = 6,   // the pass phrase of a key store
};

// The record a provider is asked with. `type` and `store` (0: the current user's store) say what
// is wanted; `name` is informational and may be null.
struct KeyLocatorRequest {
   unsigned type;
   unsigned flags;
   unsigned store;
   const char *name;
};

// A provider answers true with `*text` a zero-terminated text allocated with malloc and `*length`
// its length without the zero; the key locator wipes and frees it. False with null and 0 otherwise.
typedef bool (*KeyLocatorProvider)(const KeyLocatorRequest *request, char **text, size_t *length);

typedef struct KeyLocatorRegistration *KeyLocatorHandle;

// Registers `provider`. False (handle null) when refused; the configuration key
// "test.keyLocator.fail" makes it refuse.
bool KeyLocator_Register(KeyLocatorProvider provider, KeyLocatorHandle *handle);
// Removes a registration; null or an unknown handle is ignored.
void KeyLocator_Unregister(KeyLocatorHandle handle);
// Asks the handle's provider for the pass phrase of `store`; the text is copied into `passPhrase`.
bool KeyLocator_GetPassPhrase(KeyLocatorHandle handle, unsigned store, std::string &passPhrase);
