// Start-up and shutdown of the base library, the hand-overs the program makes to it, the
// automation connection, and the pass-phrase helpers a key-locator provider is built from.
#pragma once

#include "tremorybase/KeyLocator.h"

#include <windows.h>

#include <cstddef>

struct CryptoLibKey;

// Start-up, in this order: Base_Init, Base_SetKeyLocator, Base_SetAppName, Log_Start,
// Base_InitPoll, (COM start-up), Base_InitComplete.
bool Base_Init();
void Base_SetKeyLocator(KeyLocatorHandle handle);
KeyLocatorHandle Base_GetKeyLocator();

enum BaseNameKind {
   BASE_NAME_PRODUCT = 1,   // the product's name
   BASE_NAME_APP = 2,       // the program's short name, used for the log and per-program files
};
void Base_SetAppName(int kind, const char *name);
// The name set for `kind`; empty when none was.
const char *Base_GetAppName(int kind);

// Readies the poll loop; the arguments are reserved and passed null.
void Base_InitPoll(void *reserved1, void *reserved2, void *reserved3);
// Marks start-up as finished (called after COM is initialised).
void Base_InitComplete();
bool Base_IsStarted();

// The state database's raw handle, and the program's main window (null when there is none).
void Base_SetDatabase(void *rawDatabase);
void *Base_GetDatabase();
void Base_SetFrameWindow(HWND frame);
HWND Base_GetFrameWindow();
// Forgets the database and the frame window (the program's destruction).
void Base_Shutdown();

// Shutdown at process exit: Base_PrepareExit (0) after a normal exit only, then Base_Exit in any case.
// Base_PrepareExit runs what is still posted to the poll loop; Base_Exit drops the poll loop's timers
// and callbacks, forgets the hand-overs and closes the log.
void Base_PrepareExit(int flags);
void Base_Exit();

// The automation library. There is no automation service in this build: a connection is made (so
// the program's start-up runs unchanged) but it offers nothing, and the handle stays kBaseAutomationNoHandle.
const int kBaseAutomationNoHandle = 1000;
typedef struct BaseAutomationConnection *BaseAutomationHandle;
BaseAutomationHandle Base_AutomationConnect(int version, int kind, const char *arg1, const char *arg2,
                                            const char *arg3, const char *arg4, unsigned flags,
                                            const char *arg5, HKEY root, void *rawDatabase);
// Asks the connection for the service `service` (3010: the machine automation handle). True when
// `*handle` was filled; otherwise it is left as it was.
bool Base_AutomationGetHandle(BaseAutomationHandle connection, int service, int *handle);
// Releases a handle filled by Base_AutomationGetHandle.
void Base_AutomationRelease(int handle);

// Pass-phrase helpers, used in this order by a key-locator provider:
// 1. Base_ObtainValue(1, ...) gives this user's key-store seed, a malloc'd block (release: free);
//    other selectors are refused.
bool Base_ObtainValue(int selector, unsigned char **value, size_t *size);
// 2. A key derived from the seed (release: CryptoLib_ReleaseDerived).
CryptoLibKey *Base_DeriveKey(const unsigned char *value, size_t size);
// 3. The pass phrase derived from the key: a zero-terminated 8-bit text (release: Base_FreeText,
//    which wipes it).
char *Base_DerivePassPhrase(const CryptoLibKey *key);
// Copies a zero-terminated text into a malloc'd block; the copy a provider hands out.
char *Base_CopyText(const char *text, size_t *length);
void Base_FreeText(char *text);
