// The program's registration with the base library's key locator: it answers the requests for
// the pass phrase of the user's key store.
#pragma once

#include "tremorybase/KeyLocator.h"

#include <cstddef>

bool StartKeyLocator();
KeyLocatorHandle GetKeyLocatorHandle();
void StopKeyLocator();

// Answers only a pass-phrase request (type 6) for the current user's store (0); the text is
// malloc'd for the key locator, which wipes and frees it.
bool KeyProviderCallback(const KeyLocatorRequest *request, char **text, size_t *length);
