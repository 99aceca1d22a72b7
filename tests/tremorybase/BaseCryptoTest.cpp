#include "tremorybase/Base.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyLocator.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremcryptolib/CryptoLib.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdlib>
#include <string>

namespace {

std::string Hex(const unsigned char *bytes, size_t size)
{
   static const char kHex[] = "0123456789abcdef";
   std::string text;
   for (size_t i = 0; i < size; i++) {
      text += kHex[bytes[i] >> 4];
      text += kHex[bytes[i] & 15];
   }
   return text;
}

std::string Sha256Hex(const std::string &data)
{
   unsigned char digest[32];
   CryptoLib_Sha256(data.data(), data.size(), digest);
   return Hex(digest, sizeof digest);
}

std::string Pbkdf2Hex(const char *secret, const char *salt, unsigned iterations)
{
   CryptoLibKey *key = CryptoLib_DeriveKey(secret, strlen(secret), salt, strlen(salt), iterations);
   std::string hex = key ? Hex(key->bytes, CryptoLibKey::kSize) : "";
   CryptoLib_ReleaseDerived(key);
   return hex;
}

std::string g_cryptoLog;
std::string g_cryptoWarnings;

template <std::string *Out>
void Capture(const char *fmt, ...)
{
   char buf[512];
   va_list args;
   va_start(args, fmt);
   vsnprintf(buf, sizeof buf, fmt, args);
   va_end(args);
   *Out += buf;
}

int g_providerCalls = 0;

// A provider built the way the program builds its own, from the pass-phrase helpers.
bool PassPhraseProvider(const KeyLocatorRequest *request, char **text, size_t *length)
{
   g_providerCalls++;
   *text = nullptr;
   *length = 0;
   if (request->type != KEYLOCATOR_REQUEST_PASSPHRASE || request->store != 0) {
      return false;
   }
   unsigned char *value = nullptr;
   size_t size = 0;
   if (!Base_ObtainValue(1, &value, &size)) {
      return false;
   }
   CryptoLibKey *key = Base_DeriveKey(value, size);
   char *phrase = Base_DerivePassPhrase(key);
   *text = Base_CopyText(phrase, length);
   free(value);
   CryptoLib_ReleaseDerived(key);
   Base_FreeText(phrase);
   return *text != nullptr;
}

}  // namespace

TEST(CryptoLib, DigestsAndDerivedKeysMatchKnownAnswers)
{
   EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", Sha256Hex("abc"));
   EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
             Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));

   EXPECT_EQ("120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b", Pbkdf2Hex("password", "salt", 1));
   EXPECT_EQ("c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a",
             Pbkdf2Hex("password", "salt", 4096));
   EXPECT_EQ(nullptr, CryptoLib_DeriveKey("p", 1, "s", 1, 0));
   CryptoLib_ReleaseDerived(nullptr);
}

TEST(CryptoLib, FipsModeReportsThroughTheGivenFunctions)
{
   g_cryptoLog.clear();
   g_cryptoWarnings.clear();
   CryptoLib_SetLogFunctions(Capture<&g_cryptoLog>, Capture<&g_cryptoWarnings>, Capture<&g_cryptoWarnings>);

   Config_Set("test.fips.fail", "true");
   EXPECT_FALSE(CryptoLib_EnableFIPSMode());
   EXPECT_FALSE(CryptoLib_IsFIPSMode());
   EXPECT_EQ("CryptoLib: FIPS mode self-test failed.\n", g_cryptoWarnings);

   Config_Set("test.fips.fail", "false");
   EXPECT_TRUE(CryptoLib_EnableFIPSMode());
   EXPECT_TRUE(CryptoLib_IsFIPSMode());
   EXPECT_EQ("CryptoLib: FIPS mode enabled.\n", g_cryptoLog);

   CryptoLib_SetLogFunctions(Log, Warning, nullptr);
   Config_Reload();
}

TEST(KeyLocator, ProviderGivesThePassPhraseAndRegistrationCanBeRefused)
{
   Config_Reload();
   KeyLocatorHandle handle = nullptr;
   ASSERT_TRUE(KeyLocator_Register(PassPhraseProvider, &handle));
   ASSERT_NE(nullptr, handle);

   std::string first;
   std::string second;
   g_providerCalls = 0;
   ASSERT_TRUE(KeyLocator_GetPassPhrase(handle, 0, first));
   ASSERT_TRUE(KeyLocator_GetPassPhrase(handle, 0, second));
   EXPECT_EQ(2, g_providerCalls);
   EXPECT_EQ(64u, first.size());
   EXPECT_EQ(std::string::npos, first.find_first_not_of("0123456789abcdef"));
   EXPECT_EQ(first, second);   // the same user on the same machine gets the same phrase

   // The phrase is the derived key of this user's seed.
   unsigned char *value = nullptr;
   size_t size = 0;
   ASSERT_TRUE(Base_ObtainValue(1, &value, &size));
   CryptoLibKey *key = Base_DeriveKey(value, size);
   ASSERT_NE(nullptr, key);
   EXPECT_EQ(Hex(key->bytes, CryptoLibKey::kSize), first);
   free(value);
   CryptoLib_ReleaseDerived(key);

   std::string none = "stale";
   EXPECT_FALSE(KeyLocator_GetPassPhrase(handle, 1, none));   // the provider knows only store 0
   EXPECT_EQ("", none);
   EXPECT_FALSE(Base_ObtainValue(2, &value, &size));
   EXPECT_EQ(nullptr, value);

   KeyLocator_Unregister(handle);
   EXPECT_FALSE(KeyLocator_GetPassPhrase(handle, 0, none));
   KeyLocator_Unregister(handle);   // a second removal is harmless

   Config_Set("test.keyLocator.fail", "1");
   KeyLocatorHandle refused = reinterpret_cast<KeyLocatorHandle>(1);
   EXPECT_FALSE(KeyLocator_Register(PassPhraseProvider, &refused));
   EXPECT_EQ(nullptr, refused);
   Config_Reload();
}

TEST(Base, StartUpHandOversAndShutdown)
{
   Config_Reload();
   KeyLocatorHandle handle = nullptr;
   ASSERT_TRUE(KeyLocator_Register(PassPhraseProvider, &handle));

   ASSERT_TRUE(Base_Init());
   Base_SetKeyLocator(handle);
   Base_SetAppName(BASE_NAME_APP, "zolt");
   bool stale = false;
   Poll_Post([&] { stale = true; });
   Base_InitPoll(nullptr, nullptr, nullptr);
   EXPECT_FALSE(Base_IsStarted());
   Base_InitComplete();
   EXPECT_TRUE(Base_IsStarted());
   EXPECT_STREQ("zolt", Base_GetAppName(BASE_NAME_APP));
   Poll_Step(0);
   EXPECT_FALSE(stale);   // nothing from before the poll loop's start-up runs

   int database = 0;
   Base_SetDatabase(&database);
   Base_SetFrameWindow(GetDesktopWindow());

   BaseAutomationHandle connection = Base_AutomationConnect(2, 1, nullptr, nullptr, nullptr, nullptr, 0x203,
                                                            nullptr, HKEY_CURRENT_USER, &database);
   ASSERT_NE(nullptr, connection);
   int automation = kBaseAutomationNoHandle;
   EXPECT_FALSE(Base_AutomationGetHandle(connection, 3010, &automation));
   EXPECT_EQ(1000, automation);
   Base_AutomationRelease(automation);

   Base_Shutdown();
   EXPECT_EQ(nullptr, Base_GetDatabase());
   EXPECT_EQ(nullptr, Base_GetFrameWindow());

   // Work posted while shutting down still runs before the exit; timers do not survive it.
   bool saved = false;
   Poll_Post([&] { saved = true; });
   bool timerRan = false;
   Poll_AddTimer(30, false, [&] { timerRan = true; });
   Base_PrepareExit(0);
   EXPECT_TRUE(saved);
   Base_Exit();
   EXPECT_FALSE(Base_IsStarted());
   EXPECT_EQ(nullptr, Base_GetKeyLocator());
   Sleep(50);
   EXPECT_EQ(0, Poll_Step(0));
   EXPECT_FALSE(timerRan);
   KeyLocator_Unregister(handle);
}
