#include "tremorybase/Base.h"

#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremcryptolib/CryptoLib.h"

#include <lmcons.h>

#include <cstdlib>
#include <cstring>
#include <string>

struct BaseAutomationConnection {
   void *rawDatabase;
};

namespace {

struct BaseState {
   bool initialised = false;
   bool pollReady = false;
   bool started = false;
   KeyLocatorHandle keyLocator = nullptr;
   std::string productName;
   std::string appName;
   void *rawDatabase = nullptr;
   HWND frame = nullptr;
   BaseAutomationConnection automation = {nullptr};
};

BaseState &State()
{
   static BaseState state;
   return state;
}

const char kKeyStoreSalt[] = "Tremory key store";
const unsigned kKeyStoreIterations = 1000;

}  // namespace

bool Base_Init()
{
   BaseState &s = State();
   if (s.initialised) {
      Warning("Base_Init: Already initialised.\n");
   }
   s = BaseState();
   s.initialised = true;
   return true;
}

void Base_SetKeyLocator(KeyLocatorHandle handle)
{
   State().keyLocator = handle;
}

KeyLocatorHandle Base_GetKeyLocator()
{
   return State().keyLocator;
}

void Base_SetAppName(int kind, const char *name)
{
   BaseState &s = State();
   if (kind == BASE_NAME_PRODUCT) {
      s.productName = name ? name : "";
   } else if (kind == BASE_NAME_APP) {
      s.appName = name ? name : "";
   } else {
      Warning("Base_SetAppName: Unknown name kind %d.\n", kind);
   }
}

const char *Base_GetAppName(int kind)
{
   BaseState &s = State();
   if (kind == BASE_NAME_PRODUCT) {
      return s.productName.c_str();
   }
   return kind == BASE_NAME_APP ? s.appName.c_str() : "";
}

void Base_InitPoll(void *, void *, void *)
{
   BaseState &s = State();
   if (!s.initialised) {
      Warning("Base_InitPoll: The base library is not initialised.\n");
   }
   // Leftovers from an earlier run in the same process (tests) must not fire.
   Poll_Reset();
   s.pollReady = true;
}

void Base_InitComplete()
{
   BaseState &s = State();
   if (!s.pollReady) {
      Warning("Base_InitComplete: The poll loop is not initialised.\n");
   }
   s.started = true;
   Log("Base library started for %s.\n", s.appName.empty() ? "an unnamed program" : s.appName.c_str());
}

bool Base_IsStarted()
{
   return State().started;
}

void Base_SetDatabase(void *rawDatabase)
{
   State().rawDatabase = rawDatabase;
}

void *Base_GetDatabase()
{
   return State().rawDatabase;
}

void Base_SetFrameWindow(HWND frame)
{
   State().frame = frame;
}

HWND Base_GetFrameWindow()
{
   return State().frame;
}

void Base_Shutdown()
{
   BaseState &s = State();
   s.rawDatabase = nullptr;
   s.frame = nullptr;
   s.automation.rawDatabase = nullptr;
}

void Base_PrepareExit(int flags)
{
   if (flags != 0) {
      Warning("Base_PrepareExit: Unknown flags 0x%x.\n", static_cast<unsigned>(flags));
   }
   // Work posted during shutdown (files being saved) still gets its turn.
   int ran = Poll_Step(0);
   if (ran > 0) {
      Log("Base library ran %d pending callbacks before exit.\n", ran);
   }
}

void Base_Exit()
{
   BaseState &s = State();
   Poll_Reset();
   Log("Base library stopped.\n");
   s = BaseState();
   Log_Stop();
}

BaseAutomationHandle Base_AutomationConnect(int version, int kind, const char *, const char *, const char *,
                                            const char *, unsigned flags, const char *, HKEY,
                                            void *rawDatabase)
{
   BaseState &s = State();
   Log("Automation: Connecting (version %d, kind %d, flags 0x%x); no automation service is installed.\n",
       version, kind, flags);
   s.automation.rawDatabase = rawDatabase;
   return &s.automation;
}

bool Base_AutomationGetHandle(BaseAutomationHandle connection, int service, int *handle)
{
   if (!connection || !handle) {
      return false;
   }
   Log("Automation: Service %d is not available.\n", service);
   return false;
}

void Base_AutomationRelease(int handle)
{
   if (handle != kBaseAutomationNoHandle) {
      Warning("Automation: Release of unknown handle %d.\n", handle);
   }
}

bool Base_ObtainValue(int selector, unsigned char **value, size_t *size)
{
   *value = nullptr;
   *size = 0;
   if (selector != 1) {
      return false;
   }
   // The seed ties the key store to this user on this machine. The names are taken as UTF-8:
   // an ASCII name gives the seed it always gave, and no two names the code page cannot write
   // fold into the same "?".
   wchar_t user[UNLEN + 1] = L"";
   DWORD userLen = UNLEN + 1;
   wchar_t machine[MAX_COMPUTERNAME_LENGTH + 1] = L"";
   DWORD machineLen = MAX_COMPUTERNAME_LENGTH + 1;
   if (!GetUserNameW(user, &userLen) || !GetComputerNameW(machine, &machineLen)) {
      Warning("Base_ObtainValue: Cannot read the user or computer name (error %lu).\n",
              static_cast<unsigned long>(GetLastError()));
      return false;
   }
   std::string seed = std::string(kKeyStoreSalt) + "|" + Utf8FromWide(user) + "|" + Utf8FromWide(machine);
   unsigned char *block = static_cast<unsigned char *>(malloc(seed.size()));
   if (!block) {
      return false;
   }
   memcpy(block, seed.data(), seed.size());
   *value = block;
   *size = seed.size();
   return true;
}

CryptoLibKey *Base_DeriveKey(const unsigned char *value, size_t size)
{
   if (!value || size == 0) {
      return nullptr;
   }
   return CryptoLib_DeriveKey(value, size, kKeyStoreSalt, sizeof kKeyStoreSalt - 1, kKeyStoreIterations);
}

char *Base_DerivePassPhrase(const CryptoLibKey *key)
{
   if (!key) {
      return nullptr;
   }
   static const char kHex[] = "0123456789abcdef";
   char *text = static_cast<char *>(malloc(CryptoLibKey::kSize * 2 + 1));
   if (!text) {
      return nullptr;
   }
   for (size_t i = 0; i < CryptoLibKey::kSize; i++) {
      text[i * 2] = kHex[key->bytes[i] >> 4];
      text[i * 2 + 1] = kHex[key->bytes[i] & 15];
   }
   text[CryptoLibKey::kSize * 2] = '\0';
   return text;
}

char *Base_CopyText(const char *text, size_t *length)
{
   if (length) {
      *length = 0;
   }
   if (!text) {
      return nullptr;
   }
   size_t n = strlen(text);
   char *copy = static_cast<char *>(malloc(n + 1));
   if (!copy) {
      return nullptr;
   }
   memcpy(copy, text, n + 1);
   if (length) {
      *length = n;
   }
   return copy;
}

void Base_FreeText(char *text)
{
   if (text) {
      volatile char *p = text;
      for (size_t i = 0; text[i] != '\0'; i++) {
         p[i] = 0;
      }
      free(text);
   }
}
